// The virtual screen and the parts of it on no monitor.
#include "capture/screen_area.h"

RECT VirtualScreenRect(void) {
  RECT r;
  r.left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  r.top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  r.right = r.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
  r.bottom = r.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  // A system that does not know the metrics answers 0: the screen is the desktop.
  if (r.right <= r.left || r.bottom <= r.top) GetWindowRect(GetDesktopWindow(), &r);
  return r;
}

// Takes each monitor out of the region of what is on none.
static BOOL CALLBACK RemoveMonitor(HMONITOR, HDC, LPRECT bounds, LPARAM param) {
  HRGN offMonitors = (HRGN)param;
  HRGN monitor = CreateRectRgnIndirect(bounds);
  if (monitor == NULL) return FALSE;
  CombineRgn(offMonitors, offMonitors, monitor, RGN_DIFF);
  DeleteObject(monitor);
  return TRUE;
}

void BlackenOffMonitorParts(HDC mem, const RECT* area) {
  HRGN offMonitors = CreateRectRgnIndirect(area);
  if (offMonitors == NULL) return;
  // A failed walk leaves the whole area to be blackened: the grab is kept instead.
  if (EnumDisplayMonitors(NULL, area, RemoveMonitor, (LPARAM)offMonitors)) {
    RECT box;
    if (GetRgnBox(offMonitors, &box) != NULLREGION) {
      OffsetRgn(offMonitors, -area->left, -area->top);
      FillRgn(mem, offMonitors, (HBRUSH)GetStockObject(BLACK_BRUSH));
    }
  }
  DeleteObject(offMonitors);
}
