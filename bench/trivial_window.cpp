// trivial_window.exe: the yardstick for start-up and idle memory, the least a
// Win32 program with one painted window is: register a class, create and show
// the window, paint it one colour, run the message loop.
#include <windows.h>
#include "bench/bench_shared.h"

static LRESULT CALLBACK TrivialProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      HBRUSH brush = CreateSolidBrush(BenchTrivialColour);
      FillRect(dc, &ps.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = TrivialProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.lpszClassName = BenchTrivialClass;
  RegisterClassA(&wc);
  // About the size of Vistrel's skin, centred like it.
  int w = 420, h = 200;
  HWND window = CreateWindowExA(0, BenchTrivialClass, BenchTrivialTitle, WS_OVERLAPPEDWINDOW,
                                (GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2,
                                w, h, NULL, NULL, instance, NULL);
  if (window == NULL) return 1;
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
