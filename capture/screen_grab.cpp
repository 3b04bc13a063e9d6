// GrabTargetBitmap: the target's pixels in a bitmap, with the RectCopy selection
// applied and, in DrawCopy, the drawings painted over them.
#include "capture/capture_internal.h"
#include "capture/draw_objects.h"
#include "capture/shared_state.h"

// The window's own rectangle, cut to the screen's size from its top-left corner.
static RECT ClampToScreen(RECT r, int horz, int vert) {
  if (r.left < 0) r.left = 0;
  if (r.top < 0) r.top = 0;
  if (r.right > horz) r.right = horz;
  if (r.bottom > vert) r.bottom = vert;
  return r;
}

// The selection dragged on the mask, in the target's client coordinates, ordered.
static RECT SelectionInTarget(HWND target) {
  POINT start = {glSelection.x1, glSelection.y1};
  POINT end = {glSelection.x2, glSelection.y2};
  ClientToScreen(glShared.glhMaskWnd, &start);
  ScreenToClient(target, &start);
  ClientToScreen(glShared.glhMaskWnd, &end);
  ScreenToClient(target, &end);
  RECT r = {start.x, start.y, end.x, end.y};
  if (r.left > r.right) { LONG t = r.left; r.left = r.right; r.right = t; }
  if (r.top > r.bottom) { LONG t = r.top; r.top = r.bottom; r.bottom = t; }
  return r;
}

HBITMAP GrabTargetBitmap(HWND window) {
  if (window == NULL) return NULL;
  HDC src = GetWindowDC(window);
  HDC mem = CreateCompatibleDC(src);
  RECT r;
  if (src == NULL || mem == NULL || !GetWindowRect(window, &r)) {
    if (mem != NULL) DeleteDC(mem);
    if (src != NULL) ReleaseDC(window, src);
    return NULL;
  }
  OffsetRect(&r, -r.left, -r.top);
  r = ClampToScreen(r, GetDeviceCaps(src, HORZRES), GetDeviceCaps(src, VERTRES));

  RECT source = r;
  if (glShared.glCaptureMode == RectCopy) source = SelectionInTarget(window);
  int w = source.right - source.left, h = source.bottom - source.top;

  HBITMAP bitmap = CreateCompatibleBitmap(src, w, h);
  HGDIOBJ previous = SelectObject(mem, bitmap);
  BitBlt(mem, 0, 0, w, h, src, source.left, source.top, SRCCOPY);
  // Drawings are in mask client coordinates, the bitmap's origin is the screen's.
  if (glShared.glCaptureMode == DrawCopy) PaintDrawObjList(mem);
  glSelection.x1 = glSelection.y1 = glSelection.x2 = glSelection.y2 = 0;

  SelectObject(mem, previous);
  ReleaseDC(window, src);
  DeleteDC(mem);
  return bitmap;
}
