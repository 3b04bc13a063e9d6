// A window's visible frame: what the compositor says the screen shows of it.
#include "capture/visible_frame.h"
#include <dwmapi.h>
#include "capture/compositor.h"
#include "capture/grab_geometry.h"

typedef HRESULT(WINAPI* GetAttributeProc)(HWND, DWORD, PVOID, DWORD);

BOOL VisibleFrameRect(HWND window, RECT* frame) {
  RECT r;
  if (!GetWindowRect(window, &r)) return FALSE;
  *frame = r;
  if (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) return TRUE;
  if (!DesktopComposed()) return TRUE;
  GetAttributeProc get = (GetAttributeProc)(void*)CompositorProc("DwmGetWindowAttribute");
  RECT bounds;
  if (get != NULL && SUCCEEDED(get(window, DWMWA_EXTENDED_FRAME_BOUNDS, &bounds, sizeof bounds)))
    *frame = FrameWithinWindow(r, bounds);
  return TRUE;
}
