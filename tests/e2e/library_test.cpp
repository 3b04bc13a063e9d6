// The capture library loaded into this process, as the application uses it:
// InitHook, StartHook in each mode, MoveMaskWindow, StopHook.
#include <gtest/gtest.h>
#include "capture/capture_internal.h"
#include "capture/draw_objects.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/host/lib_host.h"
#include "tests/e2e/patch_import.h"
#include "tests/e2e/target/target_layout.h"
#include "tests/support/bmp_file.h"
#include "tests/support/screen_pixels.h"

static const DWORD Timeout = 30000;

// The test's main window: counts the captures announced and the right presses it
// gets, and notes at each WM_USER_COPIED (where the output stage would begin)
// whether the record still names a hook.
static SharedCaptureState* gRecord;
static LONG gCopied, gCopiedWhileHooked, gRightPresses;
static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_USER_COPIED: gCopied++; gCopiedWhileHooked += gRecord->glhHook != NULL; return 0;
    case WM_RBUTTONDOWN: gRightPresses++; return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// The library's UnhookWindowsHookEx while a test replaces it: notes the handle, then
// by gUnhookError gives the system's own answer (0), refuses and leaves the hook
// installed (ERROR_ACCESS_DENIED), or removes it and answers as for a handle that
// names no hook (ERROR_INVALID_HOOK_HANDLE: removed behind the library's back).
static BOOL(WINAPI* gRealUnhook)(HHOOK);
static HHOOK gUnhooked;
static DWORD gUnhookError;
static BOOL WINAPI TestUnhook(HHOOK hook) {
  gUnhooked = hook;
  if (gUnhookError == ERROR_ACCESS_DENIED) {
    SetLastError(gUnhookError);
    return FALSE;
  }
  BOOL removed = gRealUnhook(hook);
  if (gUnhookError == 0) return removed;
  SetLastError(gUnhookError);
  return FALSE;
}

// A real right-click whose press carries the position.
static void RightClickAt(POINT p) {
  INPUT input[2] = {MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_RIGHTDOWN, p.x, p.y), MouseInput(MOUSEEVENTF_RIGHTUP)};
  SendInput(2, input, sizeof(INPUT));
}

class LibraryTest : public ::testing::Test {
 protected:
  HMODULE lib = NULL;
  void* unhook = NULL;  // the library's own import, while a test replaces it
  HWND main = NULL;
  SharedCaptureState* rec = NULL;
  InitHookFn initHook = NULL;
  StartHookFn startHook = NULL;
  StopHookFn stopHook = NULL;
  MoveMaskWindowFn moveMask = NULL;
  SetConfigFn setConfig = NULL;
  int border = 0, caption = 0;

  void SetUp() override {
    lib = LoadLibraryA((BinDir() + "Vistrel.dll").c_str());
    ASSERT_TRUE(lib != NULL);
    initHook = (InitHookFn)GetProcAddress(lib, "InitHook");
    startHook = (StartHookFn)GetProcAddress(lib, "StartHook");
    stopHook = (StopHookFn)GetProcAddress(lib, "StopHook");
    moveMask = (MoveMaskWindowFn)GetProcAddress(lib, "MoveMaskWindow");
    setConfig = (SetConfigFn)GetProcAddress(lib, "SetConfig");
    rec = SharedRecordOf(lib);
    ASSERT_TRUE(rec != NULL);
    gRecord = rec;
    gCopied = gCopiedWhileHooked = gRightPresses = 0;
    main = CreateWindowExA(0, RegisterTestClass("LibraryTestMain", MainProc), "library test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
    ASSERT_EQ(initHook(lib, main, GetModuleHandleA(NULL)), 1);
    border = GetSystemMetrics(SM_CYBORDER);
    caption = GetSystemMetrics(SM_CYCAPTION);
  }
  void TearDown() override {
    if (unhook) PatchImport(lib, "UnhookWindowsHookEx", unhook);
    if (main) DestroyWindow(main);
    if (stopHook) stopHook();
  }
  void ExpectMaskOver(RECT visible) {
    HWND mask = rec->glhMaskWnd;
    RECT window;
    GetWindowRect(mask, &window);
    RECT expectedWindow = {visible.left - border, visible.top - caption, visible.right + border,
                           visible.bottom + border};
    EXPECT_TRUE(EqualRect(&window, &expectedWindow))
        << window.left << "," << window.top << "," << window.right << "," << window.bottom;
    RECT box;
    EXPECT_EQ(WindowRegionBox(mask, &box), SIMPLEREGION);
    RECT expectedBox = {border, caption, border + visible.right - visible.left,
                        caption + visible.bottom - visible.top};
    EXPECT_TRUE(EqualRect(&box, &expectedBox)) << box.left << "," << box.top << "," << box.right << "," << box.bottom;
  }
};

TEST_F(LibraryTest, InitHookCreatesTheHiddenMaskAndPalette) {
  HWND mask = rec->glhMaskWnd;
  ASSERT_TRUE(IsWindow(mask));
  EXPECT_EQ(WindowProcess(mask), GetCurrentProcessId());
  EXPECT_FALSE(IsWindowVisible(mask));
  EXPECT_EQ(GetWindow(mask, GW_OWNER), main);
  EXPECT_EQ(GetWindowLongA(mask, GWL_STYLE) & WS_BORDER, WS_BORDER);
  BYTE alpha = 0;
  DWORD flags = 0;
  EXPECT_TRUE(GetLayeredWindowAttributes(mask, NULL, &alpha, &flags));
  EXPECT_EQ(alpha, 153);
  EXPECT_EQ(flags, (DWORD)LWA_ALPHA);
  EXPECT_EQ(rec->glCaptureMode, ControlCopy);
  EXPECT_EQ(rec->glhMainWnd, main);
  EXPECT_EQ(rec->glhInstance, lib);
  EXPECT_EQ(rec->glhHook, (HHOOK)NULL);
  EXPECT_NE(rec->glMaskWndClass, 0u);
  EXPECT_NE(rec->glDrawToolsWndClass, 0u);
  EXPECT_EQ(GetObjectType(rec->glhPaletteDC), (DWORD)OBJ_MEMDC);
  EXPECT_EQ(GetObjectType(rec->glhTipsDC), (DWORD)OBJ_MEMDC);
  BITMAP palette, tips;
  ASSERT_TRUE(GetObjectA(rec->glhPaletteBmp, sizeof(palette), &palette));
  ASSERT_TRUE(GetObjectA(rec->glhTipsBmp, sizeof(tips), &tips));
  EXPECT_EQ(palette.bmWidth, 348);
  EXPECT_EQ(palette.bmHeight, 51);
  EXPECT_EQ(tips.bmWidth, 184);
  EXPECT_EQ(tips.bmHeight, 44);

  HWND tools = rec->glhDrawToolsWnd;
  ASSERT_TRUE(IsWindow(tools));
  EXPECT_EQ(GetParent(tools), mask);
  EXPECT_FALSE(GetWindowLongA(tools, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(LibraryTest, SecondInitHookCreatesNoWindow) {
  HWND mask = rec->glhMaskWnd, tools = rec->glhDrawToolsWnd;
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
  rec->glCaptureMode = DrawCopy;
  EXPECT_EQ(initHook(lib, other, NULL), 1);
  EXPECT_EQ(rec->glhMaskWnd, mask);
  EXPECT_EQ(rec->glhDrawToolsWnd, tools);
  EXPECT_EQ(rec->glhMainWnd, other);
  EXPECT_EQ(rec->glhAppInstance, (HINSTANCE)NULL);
  EXPECT_EQ(rec->glCaptureMode, ControlCopy);
  EXPECT_EQ(GetWindow(mask, GW_OWNER), main);
  initHook(lib, main, GetModuleHandleA(NULL));
  DestroyWindow(other);
}

TEST_F(LibraryTest, RectCopyLaysTheMaskOverTheWholeScreen) {
  ASSERT_EQ(startHook(RectCopy), 1);
  HWND mask = rec->glhMaskWnd;
  EXPECT_NE(rec->glhHook, (HHOOK)NULL);
  EXPECT_EQ(rec->glCaptureMode, RectCopy);
  EXPECT_EQ(rec->glCaptured, 0);
  EXPECT_EQ(rec->glhTargetWnd, GetDesktopWindow());
  EXPECT_TRUE(IsWindowVisible(mask));
  EXPECT_FALSE(GetWindowLongA(mask, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) + caption};
  ExpectMaskOver(screen);

  // Armed again: no second hook; DrawCopy keeps the mask over the screen.
  HHOOK hook = rec->glhHook;
  ASSERT_EQ(startHook(DrawCopy), 1);
  EXPECT_EQ(rec->glhHook, hook);
  EXPECT_EQ(rec->glCaptureMode, DrawCopy);
  ExpectMaskOver(screen);
}

TEST_F(LibraryTest, WindowAndControlCopyMakeTheMaskClickThrough) {
  ASSERT_EQ(startHook(RectCopy), 1);
  rec->glCaptured = 1;
  ASSERT_EQ(startHook(WindowCopy), 1);
  HWND mask = rec->glhMaskWnd;
  EXPECT_TRUE(GetWindowLongA(mask, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_EQ(rec->glhTargetWnd, (HWND)NULL);
  EXPECT_EQ(rec->glCaptured, 0);
  EXPECT_EQ(rec->glCaptureMode, WindowCopy);
  ASSERT_EQ(startHook(ControlCopy), 1);
  EXPECT_TRUE(GetWindowLongA(mask, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_EQ(rec->glCaptureMode, ControlCopy);
}

TEST_F(LibraryTest, MoveMaskWindowLaysTheMaskOverATarget) {
  HWND target = CreateWindowExA(0, "STATIC", "target", WS_POPUP | WS_VISIBLE, 100, 200, 400, 300, NULL, NULL,
                                NULL, NULL);
  rec->glhTargetWnd = target;
  moveMask();
  EXPECT_TRUE(IsWindowVisible(rec->glhMaskWnd));
  ExpectMaskOver(RECT{100, 200, 500, 500});
  moveMask();  // the same target again: the same placement
  ExpectMaskOver(RECT{100, 200, 500, 500});

  // A destroyed target: an empty region, the window at (-b, -c).
  DestroyWindow(target);
  moveMask();
  RECT window, box;
  GetWindowRect(rec->glhMaskWnd, &window);
  EXPECT_EQ(window.left, -border);
  EXPECT_EQ(window.top, -caption);
  int type = WindowRegionBox(rec->glhMaskWnd, &box);
  EXPECT_TRUE(type == NULLREGION || IsRectEmpty(&box)) << type;
}

TEST_F(LibraryTest, InitHookAfterStopHookInTheSameProcessCreatesTheWindowsAgain) {
  // StopHook while the windows exist cannot unregister the classes; the next
  // InitHook still gets a mask.
  stopHook();
  DestroyWindow(main);
  main = CreateWindowExA(0, "STATIC", "library test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                         GetModuleHandleA(NULL), NULL);
  ASSERT_EQ(initHook(lib, main, GetModuleHandleA(NULL)), 1);
  ASSERT_TRUE(IsWindow(rec->glhMaskWnd));
  EXPECT_EQ(GetWindow(rec->glhMaskWnd, GW_OWNER), main);
  EXPECT_TRUE(IsWindow(rec->glhDrawToolsWnd));
  ASSERT_EQ(startHook(RectCopy), 1);
  EXPECT_TRUE(IsWindowVisible(rec->glhMaskWnd));
}

TEST_F(LibraryTest, SetConfigStoresTheClipboardSwitch) {
  setConfig(1);
  EXPECT_EQ(rec->glCopyToClipboard, 1);
  setConfig(2);
  EXPECT_NE(rec->glCopyToClipboard, 0);
  setConfig(0);
  EXPECT_EQ(rec->glCopyToClipboard, 0);
}

// Idle, the hook has nothing to do: a capture removes it before the output stage
// begins (at WM_USER_COPIED), whether taken on this thread (a right-click on the
// mask) or by the hook inside another program, and the next StartHook installs it
// again.
TEST_F(LibraryTest, ACaptureRemovesTheHookBeforeTheOutputStage) {
  ASSERT_EQ(startHook(RectCopy), 1);
  ASSERT_NE(rec->glhHook, (HHOOK)NULL);
  SendMessageA(rec->glhMaskWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(rec->glCaptured, 1);
  EXPECT_EQ(rec->glhHook, (HHOOK)NULL);
  EXPECT_TRUE(WaitUntil([&] { return gCopied == 1; }, Timeout));
  ASSERT_EQ(startHook(RectCopy), 1);
  EXPECT_NE(rec->glhHook, (HHOOK)NULL);
  EXPECT_EQ(rec->glCaptured, 0);
  // A hooked program's word that it took a capture: while one is armed the hook and the mask stay.
  SendMessageA(rec->glhMaskWnd, WM_USER_HOOKIDLE, 0, 0);
  EXPECT_NE(rec->glhHook, (HHOOK)NULL);
  EXPECT_TRUE(IsWindowVisible(rec->glhMaskWnd));

  Process target = Launch(BinDir() + "Target.exe");
  HWND window = WaitForWindow(TargetClass, TargetTitle, target.pid, Timeout);
  ASSERT_TRUE(window != NULL && WaitUntil([&] { return IsWindowVisible(window) != 0; }, Timeout));
  ASSERT_EQ(startHook(ControlCopy), 1);
  POINT at = {80, 60};  // swatch 0
  HWND control = ChildWindowFromPoint(window, at);
  ClientToScreen(window, &at);
  int nudge = 0;
  EXPECT_TRUE(WaitUntil([&] {
    MoveMouseTo(at.x + nudge++ % 3, at.y);
    return rec->glhTargetWnd == control;
  }, Timeout));
  RightClickAt(at);
  EXPECT_TRUE(WaitUntil([&] { return gCopied == 2; }, Timeout)) << gCopied << " captures";
  EXPECT_EQ(gCopiedWhileHooked, 0);
  EXPECT_EQ(rec->glhHook, (HHOOK)NULL);
  Kill(target);
  DeleteFileA(CaptureTempPath().c_str());
}

// A removal that fails leaves the hook installed: it is kept, armed again instead of
// a second hook beside it, and removed by the StopHook that can. A hook removed
// behind the library's back is gone: the next StartHook sets a new one. (Under Wine
// the system refuses only a handle that names no hook.)
TEST_F(LibraryTest, AHookWhoseRemovalFailsIsKeptUntilItIsRemoved) {
  unhook = PatchImport(lib, "UnhookWindowsHookEx", (void*)TestUnhook);
  ASSERT_TRUE(unhook != NULL);
  gRealUnhook = (BOOL(WINAPI*)(HHOOK))unhook;
  gUnhookError = ERROR_INVALID_HOOK_HANDLE;
  ASSERT_EQ(startHook(RectCopy), 1);
  HHOOK gone = rec->glhHook;
  SendMessageA(rec->glhMaskWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(gUnhooked, gone);
  ASSERT_EQ(startHook(RectCopy), 1);
  HHOOK kept = rec->glhHook;
  EXPECT_TRUE(kept != NULL && kept != gone);

  gUnhookError = ERROR_ACCESS_DENIED;
  SendMessageA(rec->glhMaskWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(rec->glCaptured, 1);
  EXPECT_EQ(rec->glhHook, kept);
  // The hook's code stays loaded, however often the library is let go.
  for (int i = 0; i < 100; i++) FreeLibrary(lib);
  ASSERT_EQ(GetModuleHandleA("Vistrel.dll"), lib);
  ASSERT_EQ(startHook(WindowCopy), 1);
  EXPECT_EQ(rec->glhHook, kept);
  stopHook();
  EXPECT_EQ(rec->glhHook, kept);
  gUnhookError = 0;
  gUnhooked = NULL;
  stopHook();
  EXPECT_EQ(gUnhooked, kept) << "the hook was left installed";
  EXPECT_EQ(rec->glhHook, (HHOOK)NULL);
  DeleteFileA(CaptureTempPath().c_str());
}

// On the application's thread (its own windows; on 64-bit Windows every 64-bit
// program) the hook knows what the application made: a record naming another
// program's main window and its MaskWindow sends that program nothing and takes no
// capture for it.
TEST_F(LibraryTest, OnTheApplicationsThreadTheRecordNamesNoOtherApplication) {
  Process host = Launch(BinDir() + "LibHost.exe");
  HWND hostWindow = WaitForWindow(LibHostClass, NULL, host.pid, Timeout);
  ASSERT_TRUE(hostWindow != NULL);
  DWORD_PTR news = 1, copies = 1;
  ASSERT_TRUE(SendMessageTimeoutA(hostWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 10000, &news));  // InitHook done
  HWND hostMask = FindProcessWindow("MaskWindow", "MaskWindow", host.pid);
  ASSERT_TRUE(hostMask != NULL);
  HWND probe = CreateWindowExA(WS_EX_TOPMOST, "LibraryTestMain", "probe", WS_POPUP | WS_VISIBLE, 300, 300, 200, 150,
                               NULL, NULL, GetModuleHandleA(NULL), NULL);
  ASSERT_EQ(startHook(ControlCopy), 1);
  rec->glhMainWnd = hostWindow;
  rec->glhMaskWnd = hostMask;
  int nudge = 0;
  EXPECT_TRUE(WaitUntil([&] {
    MoveMouseTo(400 + nudge++ % 3, 370);
    return rec->glhTargetWnd == probe;
  }, Timeout));
  RightClickAt(POINT{400, 370});
  EXPECT_TRUE(WaitUntil([&] { return gRightPresses == 1; }, Timeout)) << "the press was swallowed";
  SendMessageTimeoutA(hostWindow, WM_APP_COUNT_OF, WM_USER_NEWWINDOW, 0, SMTO_ABORTIFHUNG, 10000, &news);
  SendMessageTimeoutA(hostWindow, WM_APP_COUNT_OF, WM_USER_COPIED, 0, SMTO_ABORTIFHUNG, 10000, &copies);
  EXPECT_EQ(news, 0u);
  EXPECT_EQ(copies, 0u);
  EXPECT_EQ(rec->glCaptured, 0);
  DestroyWindow(probe);
  PostMessageA(hostWindow, WM_CLOSE, 0, 0);
  DWORD code = 1;
  EXPECT_TRUE(WaitForExit(host, Timeout, &code));
  Kill(host);
}

// On the application's thread window and control captures hold exactly what the
// screen shows once the mask is gone: a sizable window's visible frame, with the
// mask laid over that frame, and a control's window rectangle.
TEST_F(LibraryTest, CapturesOnTheApplicationsThreadHoldWhatTheScreenShows) {
  const char* solid = SolidWindowClass();
  HWND window = CreateWindowExA(WS_EX_TOPMOST, solid, "own", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 150, 150, 360,
                                260, NULL, NULL, GetModuleHandleA(NULL), NULL);
  HWND control = CreateWindowExA(0, solid, "", WS_CHILD | WS_VISIBLE, 40, 40, 120, 80, window, NULL,
                                 GetModuleHandleA(NULL), NULL);
  SetWindowLongPtrA(window, GWLP_USERDATA, RGB(60, 130, 90));
  SetWindowLongPtrA(control, GWLP_USERDATA, RGB(220, 80, 140));
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  RECT controlRect;
  GetWindowRect(control, &controlRect);
  POINT p = {controlRect.left + 30, controlRect.top + 30};
  struct Trial { CaptureMode mode; HWND target; RECT visible; } trials[] = {
      {WindowCopy, window, VisibleFrameOf(window)}, {ControlCopy, control, controlRect}};
  for (const Trial& t : trials) {
    ASSERT_EQ(startHook(t.mode), 1);
    int nudge = 0;
    ASSERT_TRUE(WaitUntil([&] {
      MoveMouseTo(p.x + nudge++ % 3, p.y);
      return rec->glhTargetWnd == t.target;
    }, Timeout)) << t.mode;
    moveMask();
    ExpectMaskOver(t.visible);
    LONG copies = gCopied;
    RightClickAt(p);
    ASSERT_TRUE(WaitUntil([&] { return gCopied > copies; }, Timeout)) << t.mode;
    BmpFile bmp = ReadBmpFile(CaptureTempPath().c_str());
    ASSERT_TRUE(bmp.ok);
    ASSERT_EQ(bmp.width, t.visible.right - t.visible.left);
    ASSERT_EQ(bmp.height, t.visible.bottom - t.visible.top);
    ScreenPixels screen = GrabPixels(NULL, t.visible);
    long differ = 0;
    for (int y = 0; y < bmp.height; y++)
      for (int x = 0; x < bmp.width; x++) differ += bmp.Pixel(x, y) != screen.At(t.visible.left + x, t.visible.top + y);
    EXPECT_EQ(differ, 0) << "mode " << t.mode << ": pixels unlike the screen's";
  }
  DestroyWindow(window);
  DeleteFileA(CaptureTempPath().c_str());
}

// The record's mode and object under construction are input: written in the middle
// of a drag they change neither the drag nor what the right-click takes, and the
// object they name is neither linked, changed nor freed.
TEST_F(LibraryTest, ModeAndObjectWrittenIntoTheRecordMidDragChangeNothing) {
  std::string temp = CaptureTempPath();
  ASSERT_EQ(startHook(RectCopy), 1);
  HWND mask = rec->glhMaskWnd;
  SendMessageA(mask, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 60));
  rec->glCaptureMode = ControlCopy;
  SendMessageA(mask, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(170, 140));
  SendMessageA(mask, WM_LBUTTONUP, 0, MAKELPARAM(170, 140));
  rec->glCaptureMode = DrawCopy;
  SendMessageA(mask, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(170, 140));
  BmpFile bmp = ReadBmpFile(temp.c_str());
  EXPECT_EQ(bmp.width, 120);
  EXPECT_EQ(bmp.height, 80);

  DrawObj* foreign = (DrawObj*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(DrawObj));
  foreign->kind = DrawObjRectangle;
  SetRect(&foreign->rect, 20, 300, 60, 340);
  foreign->colour = RGB(0, 255, 0);
  const DrawObj before = *foreign;
  const COLORREF ink = RGB(255, 0, 255);
  ASSERT_EQ(startHook(DrawCopy), 1);
  rec->glCurDrawTool = DrawObjLine;
  rec->glCurColor = ink;
  SendMessageA(mask, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 200));
  rec->glCurDrawObj = foreign;
  rec->glCaptureMode = RectCopy;
  SendMessageA(mask, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 200));
  rec->glCurDrawObj = foreign;
  SendMessageA(mask, WM_LBUTTONUP, 0, MAKELPARAM(300, 200));
  rec->glCurDrawObj = foreign;
  rec->glCaptureMode = ControlCopy;
  POINT origin = {0, 0};
  ClientToScreen(mask, &origin);
  SendMessageA(mask, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(300, 200));
  bmp = ReadBmpFile(temp.c_str());
  EXPECT_EQ(bmp.width, GetSystemMetrics(SM_CXSCREEN));
  int inked = 0;
  for (int x = 100; x < 300; x++)
    for (int y = 197; y <= 203; y++) inked += bmp.Pixel(origin.x + x, origin.y + y) == ink;
  EXPECT_GE(inked, 400) << "the line is not in the picture";
  EXPECT_EQ(memcmp(foreign, &before, sizeof(before)), 0);
  EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, foreign));
  HeapFree(GetProcessHeap(), 0, foreign);
  DeleteFileA(temp.c_str());
}

// Esc is the cancel's hot key only while a capture is armed. Where another program
// holds it, the capture still arms, and Esc on the mask cancels.
TEST_F(LibraryTest, EscIsHeldOnlyWhileACaptureIsArmed) {
  auto escFree = [] {
    bool free = RegisterHotKey(NULL, 0xBFFF, 0, VK_ESCAPE) != 0;
    if (free) UnregisterHotKey(NULL, 0xBFFF);
    return free;
  };
  ASSERT_EQ(startHook(RectCopy), 1);
  EXPECT_FALSE(escFree());
  SendMessageA(rec->glhMaskWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  EXPECT_TRUE(escFree());
  ASSERT_TRUE(RegisterHotKey(NULL, 0xBFFF, 0, VK_ESCAPE));
  ASSERT_EQ(startHook(DrawCopy), 1);
  SendMessageA(rec->glhMaskWnd, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(rec->glCaptured == 1 && !IsWindowVisible(rec->glhMaskWnd));
  UnregisterHotKey(NULL, 0xBFFF);
  ASSERT_EQ(startHook(WindowCopy), 1);
  stopHook();
  EXPECT_TRUE(escFree());
  DeleteFileA(CaptureTempPath().c_str());
}

TEST_F(LibraryTest, StopHookReleasesOnceAndForgetsEverything) {
  ASSERT_EQ(startHook(RectCopy), 1);
  HDC paletteDC = rec->glhPaletteDC, tipsDC = rec->glhTipsDC;
  HBITMAP paletteBmp = rec->glhPaletteBmp, tipsBmp = rec->glhTipsBmp;
  HWND mask = rec->glhMaskWnd;
  // The windows still exist, so the last release call, unregistering a class, fails.
  EXPECT_EQ(stopHook(), 0);
  EXPECT_EQ(rec->glhHook, (HHOOK)NULL);
  EXPECT_EQ(rec->glhMaskWnd, (HWND)NULL);
  EXPECT_EQ(rec->glhDrawToolsWnd, (HWND)NULL);
  EXPECT_EQ(rec->glMaskWndClass, 0u);
  EXPECT_EQ(rec->glDrawToolsWndClass, 0u);
  EXPECT_EQ(rec->glhPaletteDC, (HDC)NULL);
  EXPECT_EQ(rec->glhTipsBmp, (HBITMAP)NULL);
  EXPECT_EQ(GetObjectType(paletteDC), 0u);
  EXPECT_EQ(GetObjectType(tipsDC), 0u);
  EXPECT_EQ(GetObjectType(paletteBmp), 0u);
  EXPECT_EQ(GetObjectType(tipsBmp), 0u);
  EXPECT_TRUE(IsWindow(mask));  // owned by the main window, destroyed with it
  // The second call of an exit finds nothing to release.
  EXPECT_EQ(stopHook(), 0);
  DestroyWindow(main);
  main = NULL;
  EXPECT_FALSE(IsWindow(mask));
}
