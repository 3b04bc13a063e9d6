// WM_PAINT of the mask: a dotted red frame over a white client area, magenta corner
// marks, and by mode the RectCopy selection or the tips panel with the drawings.
#include "capture/draw_objects.h"
#include "capture/capture_internal.h"
#include "capture/mask_handlers.h"
#include "capture/shared_state.h"
#include "common/trace_log.h"

static const COLORREF FrameColour = RGB(255, 0, 0);
static const COLORREF CornerColour = RGB(255, 0, 255);
static const int CornerPenWidth = 3;
static const int CornerArm = 8;
static const COLORREF SelectionColour = RGB(186, 26, 158);

// Rectangle with the DC's default white brush: fills the client area as it frames it.
static void PaintFrame(HDC dc, const RECT& c) {
  HPEN pen = CreatePen(PS_DOT, 1, FrameColour);
  HGDIOBJ old = SelectObject(dc, pen);
  Rectangle(dc, c.left, c.top, c.right, c.bottom);
  SelectObject(dc, old);
  DeleteObject(pen);
}

static void PaintCorner(HDC dc, int x0, int y0, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x0, y0, NULL);
  LineTo(dc, x1, y1);
  LineTo(dc, x2, y2);
}

static void PaintCornerMarks(HDC dc, const RECT& c) {
  HPEN pen = CreatePen(PS_SOLID, CornerPenWidth, CornerColour);
  HGDIOBJ old = SelectObject(dc, pen);
  const int l = c.left, t = c.top, r = c.right, b = c.bottom, a = CornerArm;
  PaintCorner(dc, l, t + a, l, t, l + a, t);
  PaintCorner(dc, r - a, t + 1, r - 1, t + 1, r - 1, t + a);
  PaintCorner(dc, r - 1, b - a, r - 1, b - 1, r - a, b - 1);
  PaintCorner(dc, l + a, b - 1, l, b - 1, l, b - a);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// The selection as dragged; a start point on the client's top row or left column
// is taken for "nothing pressed yet".
static void PaintSelection(HDC dc) {
  if (glSelection.x1 == 0 || glSelection.y1 == 0) return;
  HPEN pen = CreatePen(PS_DOT, 1, SelectionColour);
  HGDIOBJ old = SelectObject(dc, pen);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  Rectangle(dc, glSelection.x1, glSelection.y1, glSelection.x2, glSelection.y2);
  SetBkMode(dc, oldMode);
  SelectObject(dc, old);
  DeleteObject(pen);
}

// The readout fields stay blank until the next mouse move: only moves draw them.
static void PaintTipsAndDrawings(HDC dc) {
  RECT tips = OnPrimaryMonitor(TipsHotRect);
  BitBlt(dc, tips.left, tips.top, TipsBmpInfo.bmWidth, TipsBmpInfo.bmHeight,
         glOwn.tipsDC, 0, 0, SRCCOPY);
  TraceLog("WM_PAINT: Draw DrawObjList");
  PaintDrawObjList(dc);
}

void PaintMask(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  PaintFrame(dc, client);
  PaintCornerMarks(dc, client);
  if (glOwn.captureMode == RectCopy)
    PaintSelection(dc);
  else if (glOwn.captureMode == DrawCopy)
    PaintTipsAndDrawings(dc);
  EndPaint(window, &ps);
}
