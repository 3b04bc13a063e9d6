// dwmapi.dll of the tests: a model of a composed Windows 10 desktop for a system
// that composes nothing, placed in a test prefix's system folder
// (composed_desktop.sh). It does only what the system's documentation says:
// - DwmIsCompositionEnabled: the desktop is composed.
// - DwmGetWindowAttribute(DWMWA_EXTENDED_FRAME_BOUNDS): the window rectangle in
//   screen space without the invisible resize borders, which Windows 10 gives a
//   sizable top-level window, 7 pixels on the left, right and bottom.
// - DwmFlush: returns once what was drawn before it is on the screen. Here the X
//   server composes: one read of the screen returns once it has taken in what this
//   process sent before it.
// - DwmSetWindowAttribute: accepted for a window.
#include <windows.h>

static const DWORD DWMWA_EXTENDED_FRAME_BOUNDS = 9;
static const int kResizeBorder = 7;

extern "C" HRESULT WINAPI DwmIsCompositionEnabled(BOOL* enabled) {
  if (enabled == NULL) return E_INVALIDARG;
  *enabled = TRUE;
  return S_OK;
}

extern "C" HRESULT WINAPI DwmGetWindowAttribute(HWND window, DWORD attribute, PVOID value, DWORD size) {
  if (!IsWindow(window)) return E_HANDLE;
  if (attribute != DWMWA_EXTENDED_FRAME_BOUNDS) return E_INVALIDARG;
  RECT* bounds = (RECT*)value;
  if (bounds == NULL || size != sizeof(RECT) || !GetWindowRect(window, bounds)) return E_INVALIDARG;
  LONG style = GetWindowLongA(window, GWL_STYLE);
  if ((style & WS_THICKFRAME) && !(style & WS_CHILD)) {
    bounds->left += kResizeBorder;
    bounds->right -= kResizeBorder;
    bounds->bottom -= kResizeBorder;
  }
  return S_OK;
}

extern "C" HRESULT WINAPI DwmFlush(void) {
  HDC screen = GetDC(NULL);
  GetPixel(screen, 0, 0);
  ReleaseDC(NULL, screen);
  return S_OK;
}

extern "C" HRESULT WINAPI DwmSetWindowAttribute(HWND window, DWORD attribute, LPCVOID value, DWORD size) {
  return IsWindow(window) ? S_OK : E_HANDLE;
}
