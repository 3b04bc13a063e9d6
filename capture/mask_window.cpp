// The MaskWindow class: the translucent overlay laid over the capture target.
#include "capture/capture_internal.h"

ATOM RegisterMaskWndClass(HINSTANCE instance) {
  WNDCLASSEXA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MaskWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "MaskWindow";
  return RegisterClassExA(&wc);
}

// The system limits an overlapped window to about the screen's size, but over the
// desktop the mask is a caption and a border larger than the screen: without this
// it would stop short of the screen's bottom rows.
static void OnGetMinMaxInfo(MINMAXINFO* info) {
  info->ptMaxSize.x = info->ptMaxTrackSize.x = 0x7FFF;
  info->ptMaxSize.y = info->ptMaxTrackSize.y = 0x7FFF;
}

LRESULT CALLBACK MaskWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo((MINMAXINFO*)lParam);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
