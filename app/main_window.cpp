// The main window: its class, its creation at start-up and MainWndProc.
#include "app/app_state.h"
#include "common/command_ids.h"
#include "common/message_filter.h"
#include "common/trace_log.h"
#include "res/app_resource.h"

static UINT gTaskbarCreatedMsg;
// Cleared the first time the window hides itself on activation.
static int gFirstActivation = 1;

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
  LoadConfig();
  StartOutputStage();
  DressSkinWindow(window);
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
  if (ghSkinMemDC != NULL) DeleteDC(ghSkinMemDC);
  ghSkinMemDC = NULL;
  PostQuitMessage(0);
  TraceLog("WM_DESTROY END");
}

// Hides the window to the tray at its first keyboard or programmatic
// activation, once per run, when the settings ask for it.
static void OnActivate(HWND window, WPARAM wParam) {
  if (gFirstActivation && gSettings.autoMinimize && wParam == WA_ACTIVE) {
    gFirstActivation = 0;
    AddTrayIcon(window);
    ShowWindow(window, SW_HIDE);
  }
}

static void ShowMainMenu(HWND window) {
  TraceLog("WM_RBUTTONDOWN/WM_LBUTTONDOWN");
  POINT cursor;
  GetCursorPos(&cursor);
  // The owner must be the foreground window, and get a message after the menu,
  // or the menu stays open when the user clicks elsewhere.
  SetForegroundWindow(window);
  TrackPopupMenu(GetSubMenu(GetMenu(window), 0), TPM_RIGHTBUTTON | TPM_RIGHTALIGN | TPM_BOTTOMALIGN,
                 cursor.x, cursor.y, 0, window, NULL);
  PostMessageA(window, WM_NULL, 0, 0);
}

static void OnTrayNotify(HWND window, LPARAM lParam) {
  switch (lParam) {
    case WM_LBUTTONUP:
      ShowWindow(window, SW_SHOW);
      break;
    case WM_RBUTTONUP: {
      POINT cursor;
      GetCursorPos(&cursor);
      ShowCaptureMenu(window, cursor.x, cursor.y);
      break;
    }
  }
}

// Returns 1 when the command was handled here; the others go to DefWindowProcA.
static int OnCommand(HWND window, UINT id) {
  switch (id) {
    case IDM_ABOUT:
      DialogBoxParamA(ghInstance, MAKEINTRESOURCEA(IDD_ABOUTBOX), window, AboutDlgProc, 0);
      return 1;
    case IDM_WINDOWCOPY:
      pStartHook(WindowCopy);
      return 1;
    case IDM_CONTROLCOPY:
      pStartHook(ControlCopy);
      return 1;
    case IDM_RECTCOPY:
      pStartHook(RectCopy);
      return 1;
    case IDM_DRAWCOPY:
      pStartHook(DrawCopy);
      return 1;
    case IDM_CANCELCAPTURE:
      CancelArmedCapture();
      return 1;
    case IDM_EXIT:
      pStopHook();
      DeleteTrayIcon(window);
      DestroyWindow(window);
      return 1;
    case IDM_HIDE:
      ShowWindow(window, SW_HIDE);
      AddTrayIcon(window);
      return 1;
    case IDM_SETTINGS:
      DialogBoxParamA(ghInstance, MAKEINTRESOURCEA(IDD_CONFIG), window, ConfigDlgProc, 0);
      return 1;
  }
  return 0;
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      gTaskbarCreatedMsg = RegisterWindowMessageA("TaskbarCreated");
      // From the hooked programs, and the shell's broadcast when it restarts.
      const UINT fromBelow[] = {WM_USER_NEWWINDOW, WM_USER_COPIED, gTaskbarCreatedMsg};
      AllowMessagesFromLowerPrograms(window, fromBelow, 3);
      return 0;
    }
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_ACTIVATE:
      OnActivate(window, wParam);
      return 0;
    case WM_COMMAND:
      if (OnCommand(window, LOWORD(wParam))) return 0;
      break;
    case WM_TIMER:
      return 0;
    case WM_PAINT:
      OnSkinPaint(window);
      return 0;
    case WM_MOUSEMOVE:
      OnSkinMouseMove(window, wParam, lParam);
      return 0;
    case WM_LBUTTONDOWN:
      OnSkinLButtonDown(window);
      return 0;
    case WM_LBUTTONUP:
      OnSkinLButtonUp(window);
      return 0;
    case WM_RBUTTONDOWN:
      ShowMainMenu(window);
      return 0;
    case WM_USER_NEWWINDOW:
      pMoveMaskWindow();
      TraceLog("WM_USER_NEWWINDOW");
      return 0;
    case WM_USER_COPIED:
      TraceLog("WM_USER_COPIED");
      OutputCaptureFile();
      return 0;
    case WM_USER_TRAYNOTIFY:
      OnTrayNotify(window, lParam);
      return 0;
    default:
      // Compared last: the number is only known at run time.
      if (message == gTaskbarCreatedMsg && gTaskbarCreatedMsg != 0) {
        RestoreTrayIcon(window);
        return DefWindowProcA(window, message, wParam, lParam);
      }
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
