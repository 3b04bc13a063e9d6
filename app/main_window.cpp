// The main window: its class, its creation at start-up and MainWndProc.
#include "app/app_state.h"
#include "common/trace_log.h"
#include "res/app_resource.h"

static UINT gTaskbarCreatedMsg;

void RegisterMainWndClass(HINSTANCE instance) {
  WNDCLASSEXA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_VISTREL));
  wc.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
  wc.lpszClassName = gWindowClass;
  RegisterClassExA(&wc);
}

int InitMainWindow(HINSTANCE instance, int showCommand) {
  ghInstance = instance;
  HWND window = CreateWindowExA(0, gWindowClass, gWindowTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                CW_USEDEFAULT, 0, NULL, NULL, instance, NULL);
  if (window == NULL) return 0;
  pInitHook(ghCaptureLib, window, instance);
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return 1;
}

static void OnDestroy(void) {
  TraceLog("WM_DESTROY");
  if (ghCaptureLib != NULL) {
    pStopHook();
    FreeLibrary(ghCaptureLib);
  }
  if (ghEncoderLib != NULL) FreeLibrary(ghEncoderLib);
  PostQuitMessage(0);
  TraceLog("WM_DESTROY END");
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      gTaskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
