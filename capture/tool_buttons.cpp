// The palette's button table: four tool buttons and 28 colour swatches.
#include "capture/tool_buttons.h"

ToolButton glToolButtons[ToolButtonCount];

// Swatch colours row by row, as painted in the palette bitmap.
static const COLORREF SwatchColours[28] = {
    0x000000, 0x808080, 0x000080, 0x008080, 0x008000, 0x808000, 0x800000,
    0x800080, 0x408080, 0x404000, 0xFF8000, 0x804000, 0xFF0080, 0x004080,
    0xFFFFFF, 0xC0C0C0, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000,
    0xFF00FF, 0x80FFFF, 0x80FF00, 0xFFFF80, 0xFF8080, 0x8000FF, 0x4080FF};

static void SetButton(int index, int id, COLORREF colour, int left, int top, int right, int bottom) {
  glToolButtons[index].id = id;
  glToolButtons[index].colour = colour;
  SetRect(&glToolButtons[index].rect, left, top, right, bottom);
}

void InitToolButtons(void) {
  SetButton(0, ToolHitLine, 0, 263, 9, 283, 40);
  SetButton(1, ToolHitRectangle, 0, 283, 9, 304, 40);
  SetButton(2, ToolHitEllipse, 0, 304, 9, 325, 40);
  SetButton(3, ToolHitSelect, 0, 325, 9, 344, 40);
  for (int i = 0; i < 28; i++) {
    int row = i / 14, column = i % 14;
    SetButton(4 + i, ToolHitSwatch, SwatchColours[i], 35 + 16 * column, 11 + 16 * row,
              46 + 16 * column, 22 + 16 * row);
  }
}

int HitTestToolButton(int x, int y, COLORREF* colour) {
  POINT point = {x, y};
  for (int i = 0; i < ToolButtonCount; i++) {
    const ToolButton& button = glToolButtons[i];
    if (IsRectEmpty(&button.rect)) break;
    if (PtInRect(&button.rect, point)) {
      if (colour != NULL && i >= 4) *colour = button.colour;
      return button.id;
    }
  }
  return ToolHitNone;
}

int DrawToolOfButton(int id) {
  switch (id) {
    case ToolHitLine: return 1;
    case ToolHitRectangle: return 2;
    case ToolHitEllipse: return 3;
    default: return 0;
  }
}

void ToolFrameRect(int tool, RECT* frame) {
  // Entries 0 to 2 are the line, rectangle and ellipse buttons, entry 3 the select button.
  int index = (tool >= 1 && tool <= 3) ? tool - 1 : 3;
  *frame = glToolButtons[index].rect;
  InflateRect(frame, -1, -2);
  OffsetRect(frame, 0, 1);
}
