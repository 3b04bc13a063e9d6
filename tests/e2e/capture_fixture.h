// A foreign target program and a stand-in application arming the real capture
// library, for the tests that capture windows and controls with real input.
#pragma once
#include <gtest/gtest.h>
#include "tests/e2e/dialog_support.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/host/lib_host.h"
#include "tests/e2e/target/target_layout.h"
#include "tests/support/bmp_file.h"
#include "tests/support/file_text.h"

static const DWORD Timeout = 30000;

// The colour of the target's client area at (x, y), from its layout.
inline COLORREF LayoutColour(int x, int y) {
  POINT p = {x, y};
  if (PtInRect(&TargetPanelRect, p)) {
    RECT nested = TargetNestedRect;
    OffsetRect(&nested, TargetPanelRect.left, TargetPanelRect.top);
    return PtInRect(&nested, p) ? TargetNestedColour : TargetPanelColour;
  }
  for (int i = 0; i < TargetSwatchCount; i++)
    if (PtInRect(&TargetSwatchRects[i], p)) return TargetSwatchColours[i];
  return TargetClientColour;
}

class CaptureFixture : public ::testing::Test {
 protected:
  Process target, host;
  HWND targetWindow = NULL, hostWindow = NULL;
  std::string tempPath;
  std::string targetTemp;  // the target's temporary folder, when not this process's
  std::string targetExe;   // the target program; Target.exe beside the test when empty

  void SetUp() override {
    tempPath = CaptureTempPath();
    DeleteFileA(tempPath.c_str());
    MoveMouseTo(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
    target = Launch(targetExe.empty() ? BinDir() + "Target.exe" : targetExe, "", "", targetTemp);
    targetWindow = WaitForWindow(TargetClass, TargetTitle, target.pid, Timeout);
    ASSERT_TRUE(targetWindow != NULL);
    host = Launch(BinDir() + "LibHost.exe");
    hostWindow = WaitForWindow(LibHostClass, NULL, host.pid, Timeout);
    ASSERT_TRUE(hostWindow != NULL);
    ASSERT_EQ(Ask(WM_APP_COUNT_OF, WM_USER_COPIED), 0);  // answers once InitHook is done
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(targetWindow) != 0; }, Timeout));
  }
  void TearDown() override {
    if (hostWindow) PostMessageA(hostWindow, WM_CLOSE, 0, 0);
    DWORD code = 0;
    WaitForExit(host, Timeout, &code);
    Kill(host);
    Kill(target);
    DeleteFileA(tempPath.c_str());
  }

  LRESULT Ask(UINT message, WPARAM wParam) {
    DWORD_PTR result = (DWORD_PTR)-2;
    SendMessageTimeoutA(hostWindow, message, wParam, 0, SMTO_ABORTIFHUNG, 10000, &result);
    return (LRESULT)result;
  }
  LRESULT NewWindows() { return Ask(WM_APP_COUNT_OF, WM_USER_NEWWINDOW); }
  LRESULT Copies() { return Ask(WM_APP_COUNT_OF, WM_USER_COPIED); }
  // How often the target's windows, or its control of that id alone, received message.
  LRESULT TargetSaw(UINT message, int controlId = 0) {
    DWORD_PTR result = (DWORD_PTR)-2;
    SendMessageTimeoutA(targetWindow, WM_APP_COUNT, message, controlId, SMTO_ABORTIFHUNG, 10000, &result);
    return (LRESULT)result;
  }
  void Arm(CaptureMode mode) { ASSERT_EQ(Ask(WM_APP_ARM, mode), 1); }

  // The monitor left of the primary one, on a display with several (skips the test
  // elsewhere), and the target moved onto it at (x, y) from its corner.
  static BOOL CALLBACK FindSecondMonitor(HMONITOR monitor, HDC, LPRECT bounds, LPARAM found) {
    MONITORINFO info;
    ZeroMemory(&info, sizeof(info));
    info.cbSize = sizeof(info);
    if (GetMonitorInfoA(monitor, &info) && !(info.dwFlags & MONITORINFOF_PRIMARY)) *(RECT*)found = *bounds;
    return TRUE;
  }
  RECT SecondMonitor() {
    RECT found = {0, 0, 0, 0};
    EnumDisplayMonitors(NULL, NULL, FindSecondMonitor, (LPARAM)&found);
    return found;
  }
  void MoveTargetTo(int x, int y) {
    SetWindowPos(targetWindow, NULL, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] {
      RECT r = TargetScreenRect();
      return r.left == x && r.top == y;
    }, Timeout));
  }

  // A point of the target's client area on the screen.
  POINT ClientPoint(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(targetWindow, &p);
    return p;
  }
  POINT SwatchCentre(int i) {
    const RECT& r = TargetSwatchRects[i];
    return ClientPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  // Moves the mouse to p until the hook has reported `count` new windows in all.
  bool MoveUntilNewWindows(POINT p, LRESULT count) {
    int nudge = 0;
    return WaitUntil([&] {
      MoveMouseTo(p.x + (nudge++ % 3), p.y);
      return NewWindows() >= count;
    }, Timeout);
  }
  RECT SwatchScreenRect(int i) {
    RECT r = TargetSwatchRects[i];
    MapWindowPoints(targetWindow, NULL, (POINT*)&r, 2);
    return r;
  }
  // What the screen shows of the target window, which the mask covers and a
  // WindowCopy picture holds.
  RECT TargetScreenRect() { return VisibleFrameOf(targetWindow); }
  // Whether the application's mask is shown exactly over that screen rectangle.
  bool MaskOver(RECT visible) {
    HWND mask = HostMask();
    if (mask == NULL || !IsWindowVisible(mask)) return false;
    int b = GetSystemMetrics(SM_CYBORDER), c = GetSystemMetrics(SM_CYCAPTION);
    RECT window, expected = {visible.left - b, visible.top - c, visible.right + b, visible.bottom + b};
    GetWindowRect(mask, &window);
    return EqualRect(&window, &expected) != 0;
  }
  // Moves the mouse to p until the mask lies over `visible`, so that the hook's
  // target is that window when the next click comes.
  bool MoveOnto(POINT p, RECT visible) {
    int nudge = 0;
    return WaitUntil([&] {
      MoveMouseTo(p.x + (nudge++ % 3), p.y);
      return MaskOver(visible);
    }, Timeout);
  }
  bool MoveOntoSwatch(int i) { return MoveOnto(SwatchCentre(i), SwatchScreenRect(i)); }
  // Moves the mouse onto swatch i until the swatch itself has received a move: the
  // hook has handled that move, and whatever it reported has arrived.
  bool MoveUntilSwatchSaw(int i) {
    LRESULT before = TargetSaw(WM_MOUSEMOVE, 100 + i);
    POINT p = SwatchCentre(i);
    int nudge = 0;
    return WaitUntil([&] {
      MoveMouseTo(p.x + (nudge++ % 3), p.y);
      return TargetSaw(WM_MOUSEMOVE, 100 + i) > before;
    }, Timeout);
  }
  // Right-clicks where the cursor is and waits for the capture to be announced.
  bool CaptureHere(LRESULT copiesBefore) {
    RightClick();
    return WaitUntil([&] { return Copies() > copiesBefore; }, Timeout);
  }
  HWND HostMask() { return FindProcessWindow("MaskWindow", "MaskWindow", host.pid); }
  // A real right-click whose press carries the position p: a late echo of an
  // earlier move cannot put it elsewhere, and the press's own move sets the hook's
  // target just before it. The release follows where the cursor is.
  void RightClickAt(POINT p) {
    INPUT input[2] = {MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_RIGHTDOWN, p.x, p.y), MouseInput(MOUSEEVENTF_RIGHTUP)};
    SendInput(2, input, sizeof(INPUT));
  }
  bool CaptureAt(POINT p, LRESULT copiesBefore) {
    RightClickAt(p);
    return WaitUntil([&] { return Copies() > copiesBefore; }, Timeout);
  }
  // A real Esc while the target has the keyboard (under Wine the mask takes it when shown).
  void PressEsc() {
    ASSERT_TRUE(BringToFront(targetWindow, Timeout));
    KeyEvent(VK_ESCAPE, 0);
    KeyEvent(VK_ESCAPE, KEYEVENTF_KEYUP);
  }
  // After a cancel: the mask hidden, the hook gone and idle, the drawings freed,
  // nothing announced, the temporary file as it was; a right-click reaches the target.
  void ExpectCancelled(LRESULT copies, const std::string& tempBefore) {
    HMODULE lib = LoadLibraryA((BinDir() + "Vistrel.dll").c_str());
    SharedCaptureState* rec = SharedRecordOf(lib);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(HostMask()) && rec->glhHook == NULL; }, Timeout));
    EXPECT_TRUE(rec->glCaptured == 1 && rec->glDrawObjList == NULL && rec->glCurDrawObj == NULL);
    FreeLibrary(lib);
    LRESULT presses = TargetSaw(WM_RBUTTONDOWN);
    RightClickAt(SwatchCentre(2));
    EXPECT_TRUE(WaitUntil([&] { return TargetSaw(WM_RBUTTONDOWN) == presses + 1; }, Timeout));
    EXPECT_EQ(Copies(), copies);
    EXPECT_EQ(ReadFileText(tempPath.c_str()), tempBefore);
  }
  // The centre of the control nested in the target's panel, on the screen.
  POINT NestedCentre() {
    const RECT &panel = TargetPanelRect, &r = TargetNestedRect;
    return ClientPoint(panel.left + (r.left + r.right) / 2, panel.top + (r.top + r.bottom) / 2);
  }
};
