// The shipped 32-bit binaries on a 64-bit system (run in a 64-bit Wine prefix by
// win64_system.sh): the stand-in application drives the real Vistrel.dll over a
// 32-bit and a 64-bit build of the target program, with real input.
//
// A 64-bit program cannot load the 32-bit hook library. Windows calls the hook for
// it on the thread that installed the hook, the application's; Wine 8 instead tries
// to load the library into the 64-bit program at each of its mouse messages, fails,
// and passes the message on: there the hook never sees that program. The test
// finds out which of the two the system does and holds it to that: exact captures
// where the hook is called, the program's own input untouched where it is not.
#include <stdio.h>
#include "tests/e2e/capture_fixture.h"

static bool RunsAs32Bit(HANDLE process) {
  BOOL wow64 = FALSE;
  return IsWow64Process(process, &wow64) && wow64;
}

class SystemCapture : public CaptureFixture {
 protected:
  RECT NestedScreenRect() {
    RECT r = TargetNestedRect;
    OffsetRect(&r, TargetPanelRect.left, TargetPanelRect.top);
    MapWindowPoints(targetWindow, NULL, (POINT*)&r, 2);
    return r;
  }

  // WindowCopy of the whole window, then ControlCopy of the control nested in the
  // panel: each picture exact, the capturing press kept from the target (its
  // release reaches it), the file written.
  void CaptureWindowAndNestedControl() {
    Arm(WindowCopy);
    ASSERT_TRUE(MoveOnto(SwatchCentre(0), TargetScreenRect()));
    LRESULT ups = TargetSaw(WM_RBUTTONUP);
    ASSERT_TRUE(CaptureAt(SwatchCentre(0), 0));
    EXPECT_TRUE(WaitUntil([&] { return TargetSaw(WM_RBUTTONUP) > ups; }, Timeout));
    EXPECT_EQ(TargetSaw(WM_RBUTTONDOWN), 0);
    RECT t = TargetScreenRect(), client;
    GetClientRect(targetWindow, &client);
    POINT o = ClientPoint(0, 0);
    BmpFile bmp = ReadBmpFile(tempPath.c_str());
    ASSERT_TRUE(bmp.ok);
    ASSERT_EQ(bmp.width, t.right - t.left);
    ASSERT_EQ(bmp.height, t.bottom - t.top);
    long differ = 0;
    for (int y = 0; y < client.bottom; y++)
      for (int x = 0; x < client.right; x++) differ += bmp.Pixel(o.x - t.left + x, o.y - t.top + y) != LayoutColour(x, y);
    EXPECT_EQ(differ, 0) << "pixels of the client area unlike the target's";

    Arm(ControlCopy);
    RECT nested = NestedScreenRect();
    // The mask cannot be as narrow as the control (a captioned window's smallest
    // width); its region is the control's size. Wait for the hook instead.
    ASSERT_TRUE(MoveUntilNewWindows(NestedCentre(), NewWindows() + 1));
    ups = TargetSaw(WM_RBUTTONUP);
    ASSERT_TRUE(CaptureAt(NestedCentre(), 1));
    EXPECT_TRUE(WaitUntil([&] { return TargetSaw(WM_RBUTTONUP) > ups; }, Timeout));
    EXPECT_EQ(TargetSaw(WM_RBUTTONDOWN), 0);
    bmp = ReadBmpFile(tempPath.c_str());
    ASSERT_TRUE(bmp.ok);
    ASSERT_EQ(bmp.width, nested.right - nested.left);
    ASSERT_EQ(bmp.height, nested.bottom - nested.top);
    differ = 0;
    for (int y = 0; y < bmp.height; y++)
      for (int x = 0; x < bmp.width; x++) differ += bmp.Pixel(x, y) != TargetNestedColour;
    EXPECT_EQ(differ, 0) << "pixels unlike the nested control";
  }
};

TEST_F(SystemCapture, ThirtyTwoBitProgramIsCapturedExactly) {
  ASSERT_TRUE(RunsAs32Bit(GetCurrentProcess())) << "not a 64-bit system";
  ASSERT_TRUE(RunsAs32Bit(target.handle));
  CaptureWindowAndNestedControl();
}

class SixtyFourBitTarget : public SystemCapture {
 protected:
  SixtyFourBitTarget() { targetExe = BinDir() + "win64\\Target.exe"; }
};

TEST_F(SixtyFourBitTarget, IsCapturedExactlyWhereTheSystemCallsTheHookForItAndUntouchedElsewhere) {
  ASSERT_TRUE(RunsAs32Bit(GetCurrentProcess())) << "not a 64-bit system";
  ASSERT_FALSE(RunsAs32Bit(target.handle)) << "the target is not a 64-bit program";
  Arm(WindowCopy);
  // The hook is called before the program receives a move: once the program has
  // received moves made while armed, the hook has seen them or never will.
  LRESULT seen = TargetSaw(WM_MOUSEMOVE);
  int nudge = 0;
  ASSERT_TRUE(WaitUntil([&] {
    POINT p = SwatchCentre(0);
    MoveMouseTo(p.x + nudge++ % 3, p.y);
    return TargetSaw(WM_MOUSEMOVE) >= seen + 2;
  }, Timeout));
  if (NewWindows() > 0) {
    printf("The system calls the 32-bit hook for the 64-bit program: its captures must be exact.\n");
    CaptureWindowAndNestedControl();
    return;
  }
  printf("The system does not call the 32-bit hook for the 64-bit program (Wine): its input must reach it "
         "untouched and nothing be captured.\n");
  EXPECT_FALSE(IsWindowVisible(HostMask()));
  RightClickAt(SwatchCentre(0));
  EXPECT_TRUE(WaitUntil([&] { return TargetSaw(WM_RBUTTONDOWN) == 1 && TargetSaw(WM_RBUTTONUP) == 1; }, Timeout));
  Arm(ControlCopy);
  seen = TargetSaw(WM_MOUSEMOVE);
  ASSERT_TRUE(WaitUntil([&] {
    POINT p = NestedCentre();
    MoveMouseTo(p.x + nudge++ % 3, p.y);
    return TargetSaw(WM_MOUSEMOVE) >= seen + 2;
  }, Timeout));
  RightClickAt(NestedCentre());
  EXPECT_TRUE(WaitUntil([&] { return TargetSaw(WM_RBUTTONDOWN) == 2 && TargetSaw(WM_RBUTTONUP) == 2; }, Timeout));
  EXPECT_EQ(NewWindows(), 0);
  EXPECT_EQ(Copies(), 0);
  EXPECT_FALSE(IsWindowVisible(HostMask()));
  EXPECT_EQ(GetFileAttributesA(tempPath.c_str()), INVALID_FILE_ATTRIBUTES);
}
