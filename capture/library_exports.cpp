// The exports of Vistrel.dll (InitHook, StartHook, StopHook, SetConfig; MoveMaskWindow
// lives in mask_placement.cpp) and its entry point.
#include "capture/capture_internal.h"
#include "capture/screen_settle.h"
#include "capture/shared_state.h"
#include "capture/tool_buttons.h"
#include "common/trace_log.h"
#include "res/capture_resource.h"

// The record outlives a run while another program still maps the library, so a
// run that was killed leaves its hook, windows, class atoms, GDI handles and heap
// pointers behind, and any program may have written anything there since. This
// process never reads them back (it keeps its own in glOwn); InitHook writes this
// run's values over them (PublishOwnState), so that whoever reads the record sees
// no earlier run. The current tool and colour carry over. Nothing is armed at start,
// and that comes first: Wine goes on calling a killed run's hook in the
// programs that had loaded the library, and with its capture still armed that hook
// would lay the mask over whatever the mouse touches and swallow the right-clicks
// meant for the new run's windows.
static void ForgetEarlierRun(void) {
  if (glOwn.maskWnd != NULL && IsWindow(glOwn.maskWnd)) return;  // a second InitHook of this run
  // Read for the trace alone.
  if (glShared.glhMaskWnd != NULL || glShared.glhHook != NULL || glShared.glMaskWndClass != 0 ||
      glShared.glCurDrawObj != NULL || glShared.glDrawObjList != NULL)
    TraceLog("InitHook: record of an earlier run, reset");
  glShared.glCaptured = 1;
  glShared.glhTargetWnd = NULL;
}

// A class this process registered before and could not unregister (its windows
// still existed at StopHook) stays registered: use it rather than fail to create
// the window.
static ATOM RegisteredClassAtom(ATOM (*registerClass)(HINSTANCE), const char* name) {
  ATOM atom = registerClass(glOwn.module);
  if (atom == 0 && GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
    WNDCLASSEXA wc;
    wc.cbSize = sizeof(wc);
    atom = (ATOM)GetClassInfoExA(glOwn.module, name, &wc);
  }
  return atom;
}

// Registers the class unless this process has it already; the atom is kept.
static void RegisterOwnClass(ATOM* atom, ATOM (*registerClass)(HINSTANCE), const char* name, const char* step,
                             const char* failed) {
  if (*atom != 0) return;
  TraceLog(step);
  *atom = RegisteredClassAtom(registerClass, name);
  if (*atom == 0) TraceLog(failed);
}

// Loads a bitmap resource into a memory DC compatible with the mask.
static void LoadBitmapIntoDC(int id, HBITMAP* bitmap, HDC* dc, BITMAP* info) {
  *bitmap = LoadBitmapA(glOwn.module, MAKEINTRESOURCEA(id));
  GetObjectA(*bitmap, sizeof(BITMAP), info);
  HDC windowDC = GetDC(glOwn.maskWnd);
  *dc = CreateCompatibleDC(windowDC);
  ReleaseDC(glOwn.maskWnd, windowDC);
  SelectObject(*dc, *bitmap);
}

// Creates the windows, classes and bitmaps, each kept in glOwn.
static void CreateMaskAndPalette(void) {
  TraceLog("glhMaskWnd == NULL, Create MaskWnd");
  RegisterOwnClass(&glOwn.maskWndClass, RegisterMaskWndClass, "MaskWindow",
                   "RegisterMaskWndClass", "RegisterMaskWndClass Failed");
  TraceLog("CreateWindow (MaskWindow) ");
  glOwn.maskWnd = CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOPMOST,
                                  (LPCSTR)(ULONG_PTR)glOwn.maskWndClass, "MaskWindow", WS_BORDER,
                                  CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, glOwn.mainWnd, NULL, glOwn.module, NULL);
  if (glOwn.maskWnd == NULL) TraceLog("CreateWindow (MaskWindow) Failed");
  if (!SetLayeredWindowAttributes(glOwn.maskWnd, 0, kMaskAlpha, LWA_ALPHA))
    TraceLog("SetLayeredWindowAttributes (MaskWindow) Failed");

  RegisterOwnClass(&glOwn.drawToolsWndClass, RegisterDrawToolsWndClass,
                   "DrawToolsWindow", "RegisterDrawToolsWndClass", "RegisterDrawToolsWndClass Failed");
  LoadBitmapIntoDC(IDB_PALETTE, &glOwn.paletteBmp, &glOwn.paletteDC, &PaletteBmpInfo);
  LoadBitmapIntoDC(IDB_TIPS, &glOwn.tipsBmp, &glOwn.tipsDC, &TipsBmpInfo);
  SetRect(&TipsHotRect, 0, 0, 30, 43);
  SetRect(&TipsPosRect, 67, 1, 180, 20);
  SetRect(&TipsColorRect, 67, 20, 180, 40);

  glOwn.drawToolsWnd = CreateWindowExA(0, (LPCSTR)(ULONG_PTR)glOwn.drawToolsWndClass, "DrawToolsWindow", WS_CHILD,
                                       3, 3, PaletteBmpInfo.bmWidth, PaletteBmpInfo.bmHeight, glOwn.maskWnd, NULL,
                                       glOwn.module, NULL);
  if (glOwn.drawToolsWnd == NULL) TraceLog("CreateWindow (DrawToolsWindow) Failed");
}

// Writes this process's own values over the record's copies: another program may
// have overwritten them, and the hooked programs find the application by its main
// window and its mask there. The same values InitHook and the draw objects wrote.
static void PublishOwnState(void) {
  glShared.glhHook = glOwn.hook;
  glShared.glhMainWnd = glOwn.mainWnd;
  glShared.glhMaskWnd = glOwn.maskWnd;
  glShared.glhDrawToolsWnd = glOwn.drawToolsWnd;
  glShared.glMaskWndClass = glOwn.maskWndClass;
  glShared.glDrawToolsWndClass = glOwn.drawToolsWndClass;
  glShared.glhPaletteBmp = glOwn.paletteBmp;
  glShared.glhPaletteDC = glOwn.paletteDC;
  glShared.glhTipsBmp = glOwn.tipsBmp;
  glShared.glhTipsDC = glOwn.tipsDC;
  glShared.glCurDrawObj = glOwn.curDrawObj;
  glShared.glDrawObjList = glOwn.drawObjList;
}

// The library's own module handle is the one its entry point was given; the
// record's copy of the argument is for others to see.
extern "C" int WINAPI InitHook(HINSTANCE libraryModule, HWND mainWindow, HINSTANCE appInstance) {
  TraceLog("InitHook() Start ");
  ForgetEarlierRun();
  glShared.glhInstance = libraryModule;
  glOwn.mainWnd = mainWindow;
  glShared.glhMainWnd = mainWindow;
  glShared.glhAppInstance = appInstance;
  glOwn.captureMode = ControlCopy;
  glShared.glCaptureMode = ControlCopy;
  InitToolButtons();
  if (glOwn.maskWnd == NULL) CreateMaskAndPalette();
  PublishOwnState();
  TraceLog("InitHook() End ");
  return 1;
}

// Sets or clears WS_EX_TRANSPARENT on the mask; a zero previous style counts as failure.
static void SetMaskClickThrough(BOOL clickThrough, const char* step, const char* failed) {
  TraceLog(step);
  LONG style = GetWindowLongA(glOwn.maskWnd, GWL_EXSTYLE);
  style = clickThrough ? (style | WS_EX_TRANSPARENT) : (style & ~WS_EX_TRANSPARENT);
  if (SetWindowLongA(glOwn.maskWnd, GWL_EXSTYLE, style) == 0) TraceLog(failed);
}

extern "C" int WINAPI StartHook(CaptureMode mode) {
  TraceLog("StartHook() Start");
  glOwn.captureMode = mode;
  glShared.glCaptureMode = mode;
  glShared.glhTargetWnd = NULL;
  glSelection.x1 = glSelection.y1 = glSelection.x2 = glSelection.y2 = 0;

  // A hook kept because its removal was refused is still installed: it serves again.
  if (glOwn.hook == NULL) {
    TraceLog("glhHook == NULL, SetWindowsHookEx");
    glOwn.hook = SetWindowsHookExA(WH_MOUSE, MouseHookProc, glOwn.module, 0);
    glShared.glhHook = glOwn.hook;
    if (glOwn.hook == NULL) {
      TraceLog("SetWindowsHookEx Failed");
      return 0;
    }
  }

  if (glOwn.maskWnd != NULL) {
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
  PublishOwnState();
  BeginArmedCapture();
  // Last: from here the hook acts on mouse input again.
  glShared.glCaptured = 0;
  TraceLog("StartHook() End ");
  return 1;
}

// Unregisters a class by atom; the atom is forgotten either way, here and in the record.
static BOOL ForgetClass(ATOM* atom, DWORD* published) {
  BOOL result = UnregisterClassA((LPCSTR)(ULONG_PTR)*atom, glOwn.module);
  if (!result) TraceLog("UnregisterClass Failed");
  *atom = 0;
  *published = 0;
  return result;
}

// Deletes a GDI object this process made, once; the record's copy is cleared with it.
static void DeleteOwnDC(HDC* dc, HDC* published) {
  if (*dc != NULL) DeleteDC(*dc);
  *dc = NULL;
  *published = NULL;
}

static void DeleteOwnBitmap(HBITMAP* bitmap, HBITMAP* published) {
  if (*bitmap != NULL) DeleteObject(*bitmap);
  *bitmap = NULL;
  *published = NULL;
}

// Releases only what this process made: whatever the record names, another
// program may have put there.
extern "C" int WINAPI StopHook(void) {
  TraceLog("StopHook() Start");
  // Esc is let go while the mask, which holds it, is still known.
  EndArmedCapture();
  // A hook whose removal is refused stays this process's, published, for the next try.
  BOOL result = RemoveOwnHook();
  glShared.glhHook = glOwn.hook;
  // The mask itself is owned by the main window and goes with it.
  glOwn.maskWnd = NULL;
  glShared.glhMaskWnd = NULL;
  if (glOwn.maskWndClass != 0) result = ForgetClass(&glOwn.maskWndClass, &glShared.glMaskWndClass);
  glOwn.drawToolsWnd = NULL;
  glShared.glhDrawToolsWnd = NULL;
  if (glOwn.drawToolsWndClass != 0) result = ForgetClass(&glOwn.drawToolsWndClass, &glShared.glDrawToolsWndClass);

  DeleteOwnDC(&glOwn.paletteDC, &glShared.glhPaletteDC);
  DeleteOwnBitmap(&glOwn.paletteBmp, &glShared.glhPaletteBmp);
  DeleteOwnDC(&glOwn.tipsDC, &glShared.glhTipsDC);
  DeleteOwnBitmap(&glOwn.tipsBmp, &glShared.glhTipsBmp);
  TraceLog("StopHook() End");
  return result;
}

extern "C" void WINAPI SetConfig(int copyToClipboard) {
  glShared.glCopyToClipboard = copyToClipboard;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  TraceLog("DllMain() Start ");
  // This library's module in this process: what InitHook registers the classes,
  // creates the windows and sets the hook with, whatever it is given.
  if (reason == DLL_PROCESS_ATTACH) glOwn.module = instance;
  switch (reason) {
    case DLL_PROCESS_ATTACH: TraceLog("DllMain:DLL_PROCESS_ATTACH"); break;
    case DLL_PROCESS_DETACH: TraceLog("DllMain:DLL_PROCESS_DETACH "); break;
    case DLL_THREAD_ATTACH: TraceLog("DllMain:DLL_THREAD_ATTACH "); break;
    case DLL_THREAD_DETACH: TraceLog("DllMain:DLL_THREAD_DETACH "); break;
  }
  TraceLog("DllMain()  End");
  return TRUE;
}
