// The DrawToolsWindow class: the drawing tool palette, a child of the mask.
#include "capture/capture_internal.h"

ATOM RegisterDrawToolsWndClass(HINSTANCE instance) {
  WNDCLASSEXA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = DrawToolsWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "DrawToolsWindow";
  return RegisterClassExA(&wc);
}

LRESULT CALLBACK DrawToolsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}
