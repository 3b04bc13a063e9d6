// GrabTargetBitmap: the target's pixels in a bitmap, with the RectCopy selection
// applied and, in DrawCopy, the drawings painted over them.
#include "capture/bmp_layout.h"
#include "capture/capture_internal.h"
#include "capture/draw_objects.h"
#include "capture/grab_geometry.h"
#include "capture/screen_area.h"
#include "capture/shared_state.h"
#include "capture/visible_frame.h"

// The selection dragged on the mask, in the target's client coordinates, ordered.
static RECT SelectionInTarget(HWND target) {
  POINT start = {glSelection.x1, glSelection.y1};
  POINT end = {glSelection.x2, glSelection.y2};
  ClientToScreen(glOwn.maskWnd, &start);
  ScreenToClient(target, &start);
  ClientToScreen(glOwn.maskWnd, &end);
  ScreenToClient(target, &end);
  return OrderedRect(start, end);
}

// Drawings are in mask client coordinates, the bitmap's origin is the corner of the
// screen area grabbed. The mask's client area does not start there: its frame
// reaches a few pixels onto the screen. Shift the drawings by the difference so
// that they land where they were drawn.
static void PaintDrawingsOnto(HDC mem, POINT origin) {
  POINT client = {0, 0};
  if (glOwn.maskWnd != NULL) ClientToScreen(glOwn.maskWnd, &client);
  POINT previous;
  SetViewportOrgEx(mem, client.x - origin.x, client.y - origin.y, &previous);
  PaintDrawObjList(mem);
  SetViewportOrgEx(mem, previous.x, previous.y, NULL);
}

// The bitmap the grab lands in. At 24 and 32 bits: a device-independent section of
// the file's own depth and row order, so that the grab is the only pass over the
// pixels and the file is written from its bits as they stand. Otherwise (a colour
// table to choose, or no section to be had): one compatible with the window,
// converted when the file is written.
static HBITMAP CreateGrabBitmap(HDC src, int w, int h, int depth) {
  if (HasDirectLayout(depth)) {
    BITMAPINFO info;
    FillBmpInfoHeader(ComputeBmpLayout(w, h, depth), &info.bmiHeader);
    void* bits = NULL;
    HBITMAP section = CreateDIBSection(src, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (section != NULL) return section;
  }
  return CreateCompatibleBitmap(src, w, h);
}

// What a window or control capture reads: the window's visible frame, cut where it
// is larger than all the monitors together, from the frame's own corner. From the
// screen in screen coordinates, otherwise in the window's own.
static RECT WindowSource(HWND window, RECT windowRect, RECT screen, BOOL fromScreen) {
  RECT frame;
  if (!VisibleFrameRect(window, &frame)) frame = windowRect;
  RECT source = frame;
  OffsetRect(&source, -frame.left, -frame.top);
  source = ClampToScreen(source, screen.right - screen.left, screen.bottom - screen.top);
  if (fromScreen)
    OffsetRect(&source, frame.left, frame.top);
  else
    OffsetRect(&source, frame.left - windowRect.left, frame.top - windowRect.top);
  return source;
}

HBITMAP GrabTargetBitmap(HWND window, CaptureMode mode, int sectionDepth, BOOL fromScreen) {
  if (window == NULL) return NULL;
  // The full-screen modes' target is the desktop, whose coordinates are the screen's.
  HWND from = fromScreen ? GetDesktopWindow() : window;
  HDC src = GetWindowDC(from);
  HDC mem = CreateCompatibleDC(src);
  RECT r;
  if (src == NULL || mem == NULL || !GetWindowRect(window, &r)) {
    if (mem != NULL) DeleteDC(mem);
    if (src != NULL) ReleaseDC(from, src);
    return NULL;
  }
  // RectCopy reads the selection, DrawCopy every monitor, the others the window.
  RECT screen = VirtualScreenRect();
  RECT source;
  if (mode == RectCopy) {
    source = SelectionInTarget(window);
  } else if (mode == DrawCopy) {
    source = screen;
  } else {
    source = WindowSource(window, r, screen, fromScreen);
  }
  int w = source.right - source.left, h = source.bottom - source.top;

  HBITMAP bitmap = CreateGrabBitmap(src, w, h, sectionDepth);
  HGDIOBJ previous = SelectObject(mem, bitmap);
  // What is read from the screen is read as the screen shows it, layered windows
  // included, and black where no monitor shows it; a window's own DC holds its own
  // pixels.
  BOOL screenRead = fromScreen || mode == RectCopy || mode == DrawCopy;
  BitBlt(mem, 0, 0, w, h, src, source.left, source.top, screenRead ? SRCCOPY | CAPTUREBLT : SRCCOPY);
  if (screenRead) BlackenOffMonitorParts(mem, &source);
  // The caller passes RectCopy and DrawCopy only in the application's process,
  // where the selection and the draw objects live.
  if (mode == DrawCopy) {
    POINT origin = {source.left, source.top};
    PaintDrawingsOnto(mem, origin);
  }
  glSelection.x1 = glSelection.y1 = glSelection.x2 = glSelection.y2 = 0;

  SelectObject(mem, previous);
  ReleaseDC(from, src);
  DeleteDC(mem);
  return bitmap;
}
