// The capture library loaded into this process, as the application uses it:
// InitHook, StartHook in each mode, MoveMaskWindow, StopHook.
#include <gtest/gtest.h>
#include "capture/capture_internal.h"
#include "tests/e2e/e2e_support.h"

class LibraryTest : public ::testing::Test {
 protected:
  HMODULE lib = NULL;
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
    main = CreateWindowExA(0, "STATIC", "library test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
    ASSERT_EQ(initHook(lib, main, GetModuleHandleA(NULL)), 1);
    border = GetSystemMetrics(SM_CYBORDER);
    caption = GetSystemMetrics(SM_CYCAPTION);
  }
  void TearDown() override {
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

// Idle, the hook has nothing to do: a capture taken on this thread (a right-click
// on the mask) removes it, and the next StartHook installs it again.
TEST_F(LibraryTest, ACaptureRemovesTheHookUntilTheNextStartHook) {
  ASSERT_EQ(startHook(RectCopy), 1);
  ASSERT_NE(rec->glhHook, (HHOOK)NULL);
  SendMessageA(rec->glhMaskWnd, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
  EXPECT_EQ(rec->glCaptured, 1);
  EXPECT_EQ(rec->glhHook, (HHOOK)NULL);
  DeleteFileA(CaptureTempPath().c_str());
  ASSERT_EQ(startHook(WindowCopy), 1);
  EXPECT_NE(rec->glhHook, (HHOOK)NULL);
  EXPECT_EQ(rec->glCaptured, 0);
  // A hooked program's word that it took a capture: while one is armed the hook stays.
  SendMessageA(rec->glhMaskWnd, WM_USER_HOOKIDLE, 0, 0);
  EXPECT_NE(rec->glhHook, (HHOOK)NULL);
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
