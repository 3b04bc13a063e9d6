// LibHost.exe: a stand-in application that drives Vistrel.dll directly.
//   LibHost.exe [mode]   InitHook at start, then StartHook(mode) when a mode is given.
// It answers WM_USER_NEWWINDOW like the application does and counts it and
// WM_USER_COPIED (WM_APP_COUNT_OF tells the counts), calls StartHook(wParam) on
// WM_APP_ARM and SetConfig(wParam) on WM_APP_CLIPBOARD, tells its handle of a
// system cursor on WM_APP_SYSTEM_CURSOR and the cursor a move leaves on
// WM_APP_CURSOR_AFTER_MOVE, injects the input records of a WM_COPYDATA, and exits
// with code 0 when its window is closed.
#include <windows.h>
#include <stdlib.h>
#include "common/vistrel_api.h"
#include "tests/e2e/host/lib_host.h"

static MoveMaskWindowFn pMove;
static StartHookFn pStart;
static StopHookFn pStop;
static SetConfigFn pSetConfig;
static LONG gNewWindowCount, gCopiedCount;

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_USER_NEWWINDOW:
      gNewWindowCount++;
      pMove();
      return 0;
    case WM_USER_COPIED:
      gCopiedCount++;
      return 0;
    case WM_APP_COUNT_OF:
      return wParam == WM_USER_NEWWINDOW ? gNewWindowCount : wParam == WM_USER_COPIED ? gCopiedCount : -1;
    case WM_APP_CLIPBOARD:
      pSetConfig((int)wParam);
      return 0;
    case WM_APP_ARM:
      return pStart((CaptureMode)wParam);
    case WM_APP_SYSTEM_CURSOR:
      // Cursor handles differ from process to process: the tests compare the
      // shown cursor with the one this process loads.
      return (LRESULT)LoadCursorA(NULL, MAKEINTRESOURCEA(wParam));
    case WM_APP_CURSOR_AFTER_MOVE:
      // Sent and read in one go: no input of the thread's queue comes between.
      SendMessageA((HWND)wParam, WM_MOUSEMOVE, 0, lParam);
      return (LRESULT)GetCursor();
    case WM_COPYDATA: {
      // Injected from this thread, the whole sequence is queued before the thread
      // reads its X events again, so Wine's echoes of the moves come after it.
      const COPYDATASTRUCT* data = (const COPYDATASTRUCT*)lParam;
      if (data->dwData != LibHostSendInput) return 0;
      return SendInput(data->cbData / sizeof(INPUT), (INPUT*)data->lpData, sizeof(INPUT));
    }
    case WM_DESTROY:
      pStop();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HMODULE lib = LoadLibraryA("Vistrel.dll");
  if (lib == NULL) return 2;
  InitHookFn init = (InitHookFn)GetProcAddress(lib, "InitHook");
  pStart = (StartHookFn)GetProcAddress(lib, "StartHook");
  pStop = (StopHookFn)GetProcAddress(lib, "StopHook");
  pMove = (MoveMaskWindowFn)GetProcAddress(lib, "MoveMaskWindow");
  pSetConfig = (SetConfigFn)GetProcAddress(lib, "SetConfig");
  if (!init || !pStart || !pStop || !pMove || !pSetConfig) return 3;

  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = HostProc;
  wc.hInstance = instance;
  wc.lpszClassName = LibHostClass;
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, LibHostClass, "LibHost", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, NULL,
                                NULL, instance, NULL);
  init(lib, window, instance);
  if (__argc >= 2) pStart(atoi(__argv[1]));
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
