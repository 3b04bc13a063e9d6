// The DrawCopy cursor readout: the position and the colour of the pixel under the
// cursor, written over the empty yellow fields of the tips panel.
#include "capture/capture_internal.h"
#include "capture/mask_handlers.h"
#include "capture/readout_text.h"
#include "capture/shared_state.h"

static const UINT ReadoutFormat = DT_SINGLELINE | DT_INTERNAL;

static void WriteField(HDC dc, RECT field, HBRUSH background, const char* text, int length) {
  FillRect(dc, &field, background);
  DrawTextA(dc, text, length, &field, ReadoutFormat);
}

void DrawCursorReadout(HDC dc, int x, int y) {
  int oldMode = SetBkMode(dc, TRANSPARENT);
  char text[50];
  int length = FormatPositionReadout(text, sizeof(text), x, y);
  RECT position = OnPrimaryMonitor(TipsPosRect);
  // The panel's own background, just left of the field.
  HBRUSH background = CreateSolidBrush(GetPixel(dc, position.left - 1, position.top));
  WriteField(dc, position, background, text, length);
  length = FormatColourReadout(text, sizeof(text), GetPixel(dc, x, y));
  WriteField(dc, OnPrimaryMonitor(TipsColorRect), background, text, length);
  DeleteObject(background);
  SetBkMode(dc, oldMode);
}
