// The exports of Vistrel.dll (InitHook, StartHook, StopHook, SetConfig; MoveMaskWindow
// lives in mask_placement.cpp) and its entry point.
#include "capture/capture_internal.h"
#include "capture/screen_settle.h"
#include "capture/shared_state.h"
#include "capture/tool_buttons.h"
#include "common/trace_log.h"
#include "res/capture_resource.h"

// True when hwnd is a live window of this process.
static BOOL IsOwnWindow(HWND hwnd) {
  DWORD pid = 0;
  return hwnd != NULL && IsWindow(hwnd) && GetWindowThreadProcessId(hwnd, &pid) != 0 &&
         pid == GetCurrentProcessId();
}

// The record outlives a run while another program still maps the library, so a
// run that was killed leaves its hook, windows, class atoms, GDI handles and heap
// pointers behind. None of them is valid in this process: forget them (the hook
// died with the thread that set it). The current tool and colour carry over.
// Nothing is armed at start: Wine goes on calling a killed run's hook in the
// programs that had loaded the library, and with its capture still armed that
// hook would lay the mask over whatever the mouse touches and swallow the
// right-clicks meant for the new run's windows.
static void ForgetEarlierRun(void) {
  if (IsOwnWindow(glShared.glhMaskWnd)) return;  // a second InitHook of this run
  if (glShared.glhMaskWnd != NULL || glShared.glhHook != NULL || glShared.glMaskWndClass != 0 ||
      glShared.glCurDrawObj != NULL || glShared.glDrawObjList != NULL)
    TraceLog("InitHook: record of an earlier run, reset");
  glShared.glhHook = NULL;
  glShared.glhTargetWnd = NULL;
  glShared.glhMaskWnd = NULL;
  glShared.glhDrawToolsWnd = NULL;
  glShared.glMaskWndClass = 0;
  glShared.glDrawToolsWndClass = 0;
  glShared.glhPaletteBmp = NULL;
  glShared.glhPaletteDC = NULL;
  glShared.glhTipsBmp = NULL;
  glShared.glhTipsDC = NULL;
  glShared.glCurDrawObj = NULL;
  glShared.glDrawObjList = NULL;
  glShared.glCaptured = 1;
}

// A class this process registered before and could not unregister (its windows
// still existed at StopHook) stays registered: use it rather than fail to create
// the window.
static DWORD RegisteredClassAtom(ATOM (*registerClass)(HINSTANCE), const char* name) {
  ATOM atom = registerClass(glShared.glhInstance);
  if (atom == 0 && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
    WNDCLASSEXA wc;
    wc.cbSize = sizeof(wc);
    atom = (ATOM)GetClassInfoExA(glShared.glhInstance, name, &wc);
  }
  return atom;
}

// Loads a bitmap resource into a memory DC compatible with the mask.
static void LoadBitmapIntoDC(int id, HBITMAP* bitmap, HDC* dc, BITMAP* info) {
  *bitmap = LoadBitmapA(glShared.glhInstance, MAKEINTRESOURCEA(id));
  GetObjectA(*bitmap, sizeof(BITMAP), info);
  HDC windowDC = GetDC(glShared.glhMaskWnd);
  *dc = CreateCompatibleDC(windowDC);
  ReleaseDC(glShared.glhMaskWnd, windowDC);
  SelectObject(*dc, *bitmap);
}

extern "C" int WINAPI InitHook(HINSTANCE libraryModule, HWND mainWindow, HINSTANCE appInstance) {
  TraceLog("InitHook() Start ");
  ForgetEarlierRun();
  glShared.glhInstance = libraryModule;
  glShared.glhMainWnd = mainWindow;
  glShared.glhAppInstance = appInstance;
  glShared.glCaptureMode = ControlCopy;
  InitToolButtons();

  if (glShared.glhMaskWnd == NULL) {
    TraceLog("glhMaskWnd == NULL, Create MaskWnd");
    if (glShared.glMaskWndClass == 0) {
      TraceLog("RegisterMaskWndClass");
      glShared.glMaskWndClass = RegisteredClassAtom(RegisterMaskWndClass, "MaskWindow");
      if (glShared.glMaskWndClass == 0) TraceLog("RegisterMaskWndClass Failed");
    }
    TraceLog("CreateWindow (MaskWindow) ");
    glShared.glhMaskWnd = CreateWindowExA(
        WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOPMOST,
        (LPCSTR)(ULONG_PTR)LOWORD(glShared.glMaskWndClass), "MaskWindow", WS_BORDER,
        CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, glShared.glhMainWnd, NULL, glShared.glhInstance, NULL);
    if (glShared.glhMaskWnd == NULL) TraceLog("CreateWindow (MaskWindow) Failed");
    if (!SetLayeredWindowAttributes(glShared.glhMaskWnd, 0, kMaskAlpha, LWA_ALPHA))
      TraceLog("SetLayeredWindowAttributes (MaskWindow) Failed");

    if (glShared.glDrawToolsWndClass == 0) {
      TraceLog("RegisterDrawToolsWndClass");
      glShared.glDrawToolsWndClass = RegisteredClassAtom(RegisterDrawToolsWndClass, "DrawToolsWindow");
      if (glShared.glDrawToolsWndClass == 0) TraceLog("RegisterDrawToolsWndClass Failed");
    }
    LoadBitmapIntoDC(IDB_PALETTE, &glShared.glhPaletteBmp, &glShared.glhPaletteDC, &PaletteBmpInfo);
    LoadBitmapIntoDC(IDB_TIPS, &glShared.glhTipsBmp, &glShared.glhTipsDC, &TipsBmpInfo);
    SetRect(&TipsHotRect, 0, 0, 30, 43);
    SetRect(&TipsPosRect, 67, 1, 180, 20);
    SetRect(&TipsColorRect, 67, 20, 180, 40);

    glShared.glhDrawToolsWnd = CreateWindowExA(
        0, (LPCSTR)(ULONG_PTR)LOWORD(glShared.glDrawToolsWndClass), "DrawToolsWindow", WS_CHILD, 3, 3,
        PaletteBmpInfo.bmWidth, PaletteBmpInfo.bmHeight, glShared.glhMaskWnd, NULL,
        glShared.glhInstance, NULL);
    if (glShared.glhDrawToolsWnd == NULL) TraceLog("CreateWindow (DrawToolsWindow) Failed");
  }
  TraceLog("InitHook() End ");
  return 1;
}

// Sets or clears WS_EX_TRANSPARENT on the mask; a zero previous style counts as failure.
static void SetMaskClickThrough(BOOL clickThrough, const char* step, const char* failed) {
  TraceLog(step);
  LONG style = GetWindowLongA(glShared.glhMaskWnd, GWL_EXSTYLE);
  style = clickThrough ? (style | WS_EX_TRANSPARENT) : (style & ~WS_EX_TRANSPARENT);
  if (SetWindowLongA(glShared.glhMaskWnd, GWL_EXSTYLE, style) == 0) TraceLog(failed);
}

extern "C" int WINAPI StartHook(CaptureMode mode) {
  TraceLog("StartHook() Start");
  glShared.glCaptureMode = mode;
  glShared.glhTargetWnd = NULL;
  glSelection.x1 = glSelection.y1 = glSelection.x2 = glSelection.y2 = 0;

  if (glShared.glhHook == NULL) {
    TraceLog("glhHook == NULL, SetWindowsHookEx");
    glShared.glhHook = SetWindowsHookExA(WH_MOUSE, MouseHookProc, glShared.glhInstance, 0);
    if (glShared.glhHook == NULL) {
      TraceLog("SetWindowsHookEx Failed");
      return 0;
    }
  }

  if (glShared.glhMaskWnd != NULL) {
    switch (mode) {
      case WindowCopy:
      case ControlCopy:
        // Click-through: the hook sees the windows below the mask.
        SetMaskClickThrough(TRUE, "Set SetWindowLong(WindowCopy|ControlCopy) ",
                            "Set SetWindowLong(WindowCopy|ControlCopy) Failed");
        break;
      case RectCopy:
        SetMaskClickThrough(FALSE, "Set SetWindowLong(RectCopy) ", "Set SetWindowLong(RectCopy) Failed");
        glShared.glhTargetWnd = GetDesktopWindow();
        MoveMaskWindow();
        break;
      case DrawCopy:
        SetMaskClickThrough(FALSE, "Set SetWindowLong(DrawCopy) ", "Set SetWindowLong(DrawCopy) Failed");
        glShared.glhTargetWnd = GetDesktopWindow();
        MoveMaskWindow();
        break;
      default:
        break;
    }
  }
  // Last: from here the hook acts on mouse input again.
  glShared.glCaptured = 0;
  TraceLog("StartHook() End ");
  return 1;
}

// Unregisters a class by atom; the atom is forgotten either way.
static BOOL ForgetClass(DWORD* atom) {
  BOOL result = UnregisterClassA((LPCSTR)(ULONG_PTR)LOWORD(*atom), glShared.glhInstance);
  if (!result) TraceLog("UnregisterClass Failed");
  *atom = 0;
  return result;
}

extern "C" int WINAPI StopHook(void) {
  TraceLog("StopHook() Start");
  BOOL result = FALSE;
  if (glShared.glhHook != NULL) {
    result = UnhookWindowsHookEx(glShared.glhHook);
    if (!result) TraceLog("UnhookWindowsHookEx Failed");
    glShared.glhHook = NULL;
  }
  // The mask itself is owned by the main window and goes with it.
  glShared.glhMaskWnd = NULL;
  if (glShared.glMaskWndClass != 0) result = ForgetClass(&glShared.glMaskWndClass);
  glShared.glhDrawToolsWnd = NULL;
  if (glShared.glDrawToolsWndClass != 0) result = ForgetClass(&glShared.glDrawToolsWndClass);

  if (glShared.glhPaletteDC != NULL) { DeleteDC(glShared.glhPaletteDC); glShared.glhPaletteDC = NULL; }
  if (glShared.glhPaletteBmp != NULL) { DeleteObject(glShared.glhPaletteBmp); glShared.glhPaletteBmp = NULL; }
  if (glShared.glhTipsDC != NULL) { DeleteDC(glShared.glhTipsDC); glShared.glhTipsDC = NULL; }
  if (glShared.glhTipsBmp != NULL) { DeleteObject(glShared.glhTipsBmp); glShared.glhTipsBmp = NULL; }
  TraceLog("StopHook() End");
  return result;
}

extern "C" void WINAPI SetConfig(int copyToClipboard) {
  glShared.glCopyToClipboard = copyToClipboard;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  TraceLog("DllMain() Start ");
  switch (reason) {
    case DLL_PROCESS_ATTACH: TraceLog("DllMain:DLL_PROCESS_ATTACH"); break;
    case DLL_PROCESS_DETACH: TraceLog("DllMain:DLL_PROCESS_DETACH "); break;
    case DLL_THREAD_ATTACH: TraceLog("DllMain:DLL_THREAD_ATTACH "); break;
    case DLL_THREAD_DETACH: TraceLog("DllMain:DLL_THREAD_DETACH "); break;
  }
  TraceLog("DllMain()  End");
  return TRUE;
}
