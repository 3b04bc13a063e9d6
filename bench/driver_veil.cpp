// A veil: a translucent, click-through, topmost window of the driver's own over the
// 800 x 600 window, made like Vistrel's mask in WindowCopy but without any hook. The
// mouse-move figure with it shows what such a window costs the moves under the
// window system by itself. It lives on a thread of its own that pumps its messages,
// as the application's thread pumps the mask's.
#include "bench/driver_runs.h"

static const char kVeilClass[] = "BenchVeil";

struct VeilThread {
  RECT area;
  HANDLE ready;
  HWND window;
  DWORD threadId;
};

static DWORD WINAPI VeilMain(LPVOID param) {
  VeilThread* veil = (VeilThread*)param;
  WNDCLASSEXA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
  wc.lpszClassName = kVeilClass;
  RegisterClassExA(&wc);
  RECT r = veil->area;
  veil->window = CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TRANSPARENT,
                                 kVeilClass, "BenchVeil", WS_POPUP, r.left, r.top, r.right - r.left,
                                 r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
  if (veil->window != NULL) {
    SetLayeredWindowAttributes(veil->window, 0, 153, LWA_ALPHA);
    ShowWindow(veil->window, SW_SHOWNOACTIVATE);
    UpdateWindow(veil->window);
  }
  SetEvent(veil->ready);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  if (veil->window != NULL) DestroyWindow(veil->window);
  return 0;
}

int SetVeil(const BenchSetup& s, int on) {
  static VeilThread veil;
  static HANDLE thread;
  if (!on) {
    if (thread == NULL) return 1;
    PostThreadMessageA(veil.threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    CloseHandle(veil.ready);
    thread = NULL;
    return 1;
  }
  if (thread != NULL || s.benchWindow == NULL) return thread != NULL;
  GetWindowRect(s.benchWindow, &veil.area);
  veil.window = NULL;
  veil.ready = CreateEventA(NULL, TRUE, FALSE, NULL);
  thread = CreateThread(NULL, 0, VeilMain, &veil, 0, &veil.threadId);
  if (thread == NULL || WaitForSingleObject(veil.ready, 10000) != WAIT_OBJECT_0) return 0;
  if (veil.window == NULL) return 0;
  // Shown once the window system has it on the screen, as the mask is before the moves.
  return WaitFor([&] { return IsWindowVisible(veil.window) != 0; }, 5000);
}
