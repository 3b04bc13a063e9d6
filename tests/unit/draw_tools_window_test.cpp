// The palette window in this process: its class record, what a click changes and
// repaints, the cursor it sets, and its messages' results.
#include <gtest/gtest.h>
#include "capture/capture_internal.h"
#include "capture/shared_state.h"
#include "capture/tool_buttons.h"

class DrawToolsWindowTest : public ::testing::Test {
 protected:
  static ATOM atom;
  HWND window = NULL;

  static void SetUpTestSuite() { atom = RegisterDrawToolsWndClass(GetModuleHandleA(NULL)); }
  void SetUp() override {
    ASSERT_NE(atom, 0);
    InitToolButtons();
    glShared.glCurDrawTool = 1;
    glShared.glCurColor = 0x0000FF;
    window = CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, "DrawToolsWindow", "DrawToolsWindow",
                             WS_POPUP | WS_VISIBLE, 0, 0, 348, 51, NULL, NULL, GetModuleHandleA(NULL), NULL);
    ASSERT_TRUE(window != NULL);
    ValidateRect(window, NULL);
  }
  void TearDown() override {
    if (window) DestroyWindow(window);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
    }
  }
  bool Invalid() { return GetUpdateRect(window, NULL, FALSE) != 0; }
  bool WhollyInvalid() {
    RECT update, client;
    GetUpdateRect(window, &update, FALSE);
    GetClientRect(window, &client);
    return EqualRect(&update, &client) != 0;
  }
};
ATOM DrawToolsWindowTest::atom = 0;

TEST_F(DrawToolsWindowTest, ClassAsRegistered) {
  WNDCLASSEXA wc;
  wc.cbSize = sizeof(wc);
  ASSERT_EQ(GetClassInfoExA(GetModuleHandleA(NULL), "DrawToolsWindow", &wc), (BOOL)atom);
  EXPECT_EQ(wc.style, 3u);
  EXPECT_TRUE(wc.lpfnWndProc == DrawToolsWndProc);
  EXPECT_EQ(wc.cbClsExtra, 0);
  EXPECT_EQ(wc.cbWndExtra, 0);
  EXPECT_TRUE(wc.hIcon == NULL);
  EXPECT_TRUE(wc.hIconSm == NULL);
  EXPECT_EQ(wc.hCursor, LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
  EXPECT_EQ(wc.hbrBackground, (HBRUSH)(ULONG_PTR)6);
  EXPECT_TRUE(wc.lpszMenuName == NULL);
  // A second registration fails while the class exists.
  EXPECT_EQ(RegisterDrawToolsWndClass(GetModuleHandleA(NULL)), 0);
}

TEST_F(DrawToolsWindowTest, OnlyAHitChangesAndRepaints) {
  // The gap between swatches, the current-colour box, the panel below the buttons.
  const POINT misses[] = {{48, 15}, {15, 25}, {300, 45}, {262, 20}};
  for (const POINT& p : misses) {
    SelectToolButton(window, p.x, p.y);
    EXPECT_FALSE(Invalid()) << p.x << "," << p.y;
    EXPECT_EQ(glShared.glCurColor, COLORREF(0x0000FF));
    EXPECT_EQ(glShared.glCurDrawTool, 1);
  }
  SelectToolButton(window, 200, 30);
  EXPECT_EQ(glShared.glCurColor, COLORREF(0xFFFF80));
  EXPECT_EQ(glShared.glCurDrawTool, 1);
  EXPECT_TRUE(WhollyInvalid());

  const struct { int x, tool; } tools[] = {{283, 2}, {282, 1}, {304, 3}, {325, 0}, {343, 0}};
  for (const auto& t : tools) {
    ValidateRect(window, NULL);
    SelectToolButton(window, t.x, 20);
    EXPECT_EQ(glShared.glCurDrawTool, t.tool) << t.x;
    EXPECT_TRUE(WhollyInvalid()) << t.x;
  }
  EXPECT_EQ(glShared.glCurColor, COLORREF(0xFFFF80));
}

TEST_F(DrawToolsWindowTest, MessagesOfTheProcedure) {
  HCURSOR hand = LoadCursorA(NULL, (LPCSTR)IDC_HAND), arrow = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  EXPECT_EQ(SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(40, 15)), 0);
  EXPECT_EQ(GetCursor(), hand);
  EXPECT_EQ(SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(48, 15)), 0);
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(330, 30)), 0);
  EXPECT_EQ(GetCursor(), hand);
  EXPECT_EQ(glShared.glCurColor, COLORREF(0x0000FF));  // moves name no colour

  EXPECT_EQ(SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(283, 39)), 0);
  EXPECT_EQ(glShared.glCurDrawTool, 2);
  // Positions are unsigned words: 0xFFFF is far right, not one left of the origin.
  EXPECT_EQ(SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0xFFFF, 20)), 0);
  EXPECT_EQ(glShared.glCurDrawTool, 2);
  ValidateRect(window, NULL);
  EXPECT_EQ(SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(40, 15)), 0);
  EXPECT_EQ(SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 15)), 0);
  EXPECT_FALSE(Invalid());
  EXPECT_EQ(glShared.glCurColor, COLORREF(0x0000FF));
  EXPECT_EQ(glShared.glCurDrawTool, 2);
}

TEST_F(DrawToolsWindowTest, DestroyEndsTheMessageLoop) {
  MSG msg;
  while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
  }
  ASSERT_TRUE(DestroyWindow(window));
  window = NULL;
  ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);
}
