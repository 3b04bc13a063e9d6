// MoveMaskWindow: lays the translucent mask exactly over the current target.
#include "capture/capture_internal.h"
#include "capture/compositor.h"
#include "capture/mask_geometry.h"
#include "capture/screen_area.h"
#include "capture/screen_settle.h"
#include "capture/shared_state.h"
#include "capture/visible_frame.h"
#include "common/trace_log.h"

// In RectCopy and DrawCopy the target is this process's business alone: whatever
// another program wrote into the record, the mask stays over the screen.
HWND MaskTarget(void) {
  if (glOwn.captureMode == RectCopy || glOwn.captureMode == DrawCopy) return GetDesktopWindow();
  return glShared.glhTargetWnd;
}

RECT OnPrimaryMonitor(RECT r) {
  OffsetRect(&r, -glOwn.screenOrigin.x, -glOwn.screenOrigin.y);
  return r;
}

// The palette keeps its place at (3, 3) from the primary monitor's corner.
static void PlacePalette(void) {
  if (glOwn.drawToolsWnd == NULL) return;
  RECT r;
  SetRect(&r, 3, 3, 3 + PaletteBmpInfo.bmWidth, 3 + PaletteBmpInfo.bmHeight);
  r = OnPrimaryMonitor(r);
  MoveWindow(glOwn.drawToolsWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
}

void WINAPI MoveMaskWindow(void) {
  HWND mask = glOwn.maskWnd;
  if (mask == NULL) {
    TraceLog("glhMaskWnd == NULL, Won't Move");
    return;
  }
  TraceLog("glhMaskWnd != NULL, Move MaskWnd");

  int border = GetSystemMetrics(SM_CYBORDER);
  int caption = GetSystemMetrics(SM_CYCAPTION);
  HWND target = MaskTarget();
  RECT r = {0, 0, 0, 0};
  BOOL desktop = target == GetDesktopWindow();
  // Over the desktop the mask covers every monitor, over a window what the screen
  // shows of it.
  BOOL gotRect = desktop ? (r = VirtualScreenRect(), TRUE) : VisibleFrameRect(target, &r);
  if (desktop) {
    glOwn.screenOrigin.x = r.left;
    glOwn.screenOrigin.y = r.top;
    PlacePalette();
  }
  if (!gotRect) {
    SetRect(&r, 0, 0, 0, 0);
    TraceLog("GetWindowRect (MaskWindow) Failed");
  }
  MaskPlacement placement = ComputeMaskPlacement(r, desktop, border, caption);

  HRGN region = CreateRectRgn(0, 0, placement.region.right - placement.region.left,
                              placement.region.bottom - placement.region.top);
  if (region == NULL) TraceLog("CreateRectRgn (MaskWindow) Failed");
  OffsetRgn(region, border, caption);
  // Once accepted, the region belongs to the system, which frees the previous one.
  if (!SetWindowRgn(mask, region, FALSE)) {
    TraceLog("SetWindowRgn (MaskWindow) Failed");
    if (region != NULL) DeleteObject(region);
  }
  MoveWindow(mask, placement.x, placement.y, placement.width, placement.height, FALSE);
  BringWindowToTop(mask);
  // A capture in a hooked program waits for the mask to be off the screen: the
  // compositor must not fade it out.
  if (DesktopComposed()) KeepMaskHideImmediate(mask);
  ShowWindow(mask, SW_SHOW);
}
