// A run killed while a capture is armed leaves the shared record behind in every
// program that still maps the library; the next run must start afresh from it.
#include <gtest/gtest.h>
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/host/lib_host.h"
#include "tests/e2e/target/target_layout.h"

static const DWORD Timeout = 30000;

// How many messages of that number the target has received.
static LRESULT TargetCount(HWND target, UINT message) {
  DWORD_PTR count = 0;
  SendMessageTimeoutA(target, WM_APP_COUNT, message, 0, SMTO_ABORTIFHUNG, 5000, &count);
  return (LRESULT)count;
}

TEST(StaleRecord, NextRunWorksAfterTheApplicationWasKilled) {
  Process target = Launch(BinDir() + "Target.exe");
  HWND targetWindow = WaitForWindow(TargetClass, TargetTitle, target.pid, Timeout);
  ASSERT_TRUE(targetWindow != NULL);
  Process host = Launch(BinDir() + "LibHost.exe", "0");
  ASSERT_TRUE(WaitForWindow(LibHostClass, NULL, host.pid, Timeout) != NULL);

  // Mouse moves over the target run the hook there, which maps the library into it.
  RECT r;
  GetWindowRect(targetWindow, &r);
  int step = 0;
  bool mapped = WaitUntil([&] {
    MoveMouseTo((r.left + r.right) / 2 + (step++ % 20), (r.top + r.bottom) / 2);
    return ProcessHasModule(target.pid, "Vistrel.dll") != 0;
  }, Timeout);
  ASSERT_TRUE(mapped) << "the hook never ran in the target";

  Kill(host);
  HMODULE lib = LoadLibraryA((BinDir() + "Vistrel.dll").c_str());
  ASSERT_TRUE(lib != NULL);
  SharedCaptureState* rec = SharedRecordOf(lib);
  ASSERT_TRUE(rec != NULL);
  // What the killed run left: a hook, a mask that is no longer a window, a class atom.
  EXPECT_NE(rec->glhHook, (HHOOK)NULL);
  EXPECT_TRUE(rec->glhMaskWnd != NULL && !IsWindow(rec->glhMaskWnd));
  EXPECT_NE(rec->glMaskWndClass, 0u);

  // The real application starts afresh: its own mask, no hook until armed.
  Process app = Launch(BinDir() + "Vistrel.exe");
  HWND appMain = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
  ASSERT_TRUE(appMain != NULL);
  // The window is shown only after InitHook has returned.
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(appMain) != 0; }, Timeout));
  HWND appMask = WaitForWindow("MaskWindow", "MaskWindow", app.pid, Timeout);
  ASSERT_TRUE(appMask != NULL);
  EXPECT_EQ(rec->glhMaskWnd, appMask);
  EXPECT_EQ(rec->glhHook, (HHOOK)NULL);
  EXPECT_EQ(WindowProcess(rec->glhDrawToolsWnd), app.pid);
  EXPECT_EQ(rec->glCaptured, 1);

  // The killed run's hook still runs in the target: with nothing armed it must
  // neither lay the new run's mask over the target nor take the target's
  // right-click for a capture.
  DeleteFileA(CaptureTempPath().c_str());
  LRESULT pressesBefore = TargetCount(targetWindow, WM_RBUTTONDOWN);
  // Right of the swatches: the target window itself is under the cursor.
  LRESULT movesBefore = TargetCount(targetWindow, WM_MOUSEMOVE);
  int nudge = 0;
  EXPECT_TRUE(WaitUntil([&] {
    MoveMouseTo(r.right - 40 - (nudge++ % 5), (r.top + r.bottom) / 2);
    return TargetCount(targetWindow, WM_MOUSEMOVE) > movesBefore;
  }, Timeout));
  RightClick();
  EXPECT_TRUE(WaitUntil([&] { return TargetCount(targetWindow, WM_RBUTTONDOWN) > pressesBefore; }, Timeout))
      << "the target's right-click was swallowed";
  EXPECT_FALSE(IsWindowVisible(appMask));
  EXPECT_EQ(GetFileAttributesA(CaptureTempPath().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(rec->glhTargetWnd, (HWND)NULL);

  // Killed in its turn, and a new run arms RectCopy: the mask covers the screen.
  Kill(app);
  Process host2 = Launch(BinDir() + "LibHost.exe", "2");
  HWND mask = NULL;
  bool shown = WaitUntil([&] {
    mask = FindProcessWindow("MaskWindow", "MaskWindow", host2.pid);
    return mask != NULL && IsWindowVisible(mask);
  }, Timeout);
  ASSERT_TRUE(shown);
  EXPECT_EQ(rec->glhMaskWnd, mask);
  EXPECT_NE(rec->glhHook, (HHOOK)NULL);
  EXPECT_EQ(rec->glCaptureMode, RectCopy);
  RECT maskRect;
  GetWindowRect(mask, &maskRect);
  EXPECT_EQ(maskRect.left, -GetSystemMetrics(SM_CYBORDER));
  EXPECT_EQ(maskRect.right - maskRect.left, GetSystemMetrics(SM_CXSCREEN) + 2 * GetSystemMetrics(SM_CYBORDER));

  HWND hostWindow = FindProcessWindow(LibHostClass, NULL, host2.pid);
  PostMessageA(hostWindow, WM_CLOSE, 0, 0);
  DWORD code = 1;
  EXPECT_TRUE(WaitForExit(host2, Timeout, &code));
  EXPECT_EQ(code, 0u);

  // The target survived all of it.
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutA(targetWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
  Kill(host2);
  Kill(target);
}
