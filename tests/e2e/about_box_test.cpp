// The About box of the real Vistrel.exe: opened by Alt+"/" and Alt+"?" typed to
// the main window, closed by itself after its fourth one-second tick, and at
// once by a mouse button release over it.
#include <gtest/gtest.h>
#include <windows.h>
#include "common/command_ids.h"
#include "tests/e2e/dialog_support.h"
#include "tests/e2e/e2e_support.h"

static const DWORD Timeout = 30000;
static const wchar_t AboutCaption[] = L"版本信息";

class AboutBoxTest : public ::testing::Test {
 protected:
  Process app;
  HWND main = NULL;

  void SetUp() override {
    ASSERT_TRUE(ChineseCodePage()) << "no zh_CN.UTF-8 locale: run scripts/install_deps.sh";
    MoveMouseTo(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
    app = Launch(BinDir() + "Vistrel.exe");
    main = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
    ASSERT_TRUE(main != NULL);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout));
  }
  void TearDown() override {
    if (main && IsWindow(main)) {
      DWORD_PTR ignored;
      SendMessageTimeoutA(main, WM_COMMAND, IDM_EXIT, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
    }
    DWORD code = 1;
    WaitForExit(app, Timeout, &code);
    Kill(app);
  }
  // Types the accelerator to the main window; returns the box it opened.
  HWND TypeToMain(char c) {
    if (!BringToFront(main, Timeout)) return NULL;
    TypeWithAlt(c);
    return WaitForDialog(app.pid, AboutCaption, Timeout);
  }
  bool Closed(HWND box, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(box); }, timeoutMs);
  }
};

TEST_F(AboutBoxTest, AltSlashOpensItAndItClosesByItselfAfterFourTicks) {
  DWORD typed = GetTickCount();
  HWND box = TypeToMain('/');
  ASSERT_TRUE(box != NULL);
  EXPECT_EQ(GetWindow(box, GW_OWNER), main);
  EXPECT_FALSE(IsWindowEnabled(main));
  ExpectDressed(box);
  // Its first control, id 2, shows the application icon.
  EXPECT_TRUE(SendMessageA(GetDlgItem(box, 2), STM_GETICON, 0, 0) != 0);

  // The box opened after the keys were typed, and its fourth tick comes no sooner
  // than four seconds after it opened: three and a half seconds after the typing
  // it must still be there, whatever the speed of the machine.
  WaitUntil([&] { return !IsWindow(box) || GetTickCount() - typed >= 3500; }, Timeout);
  EXPECT_TRUE(IsWindow(box)) << "closed before its fourth tick";
  // And then it closes with no input at all.
  EXPECT_TRUE(Closed(box, Timeout));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != 0; }, Timeout));
}

TEST_F(AboutBoxTest, AltQuestionMarkOpensItAndButtonReleasesCloseItAtOnce) {
  HWND box = TypeToMain('?');
  ASSERT_TRUE(box != NULL);
  // A left button release over the box ends it while it is handled, long before
  // its fourth tick.
  POINT client = CentreOf(box);
  ScreenToClient(box, &client);
  ASSERT_TRUE(IsWindowVisible(box));
  SendMessageA(box, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  EXPECT_FALSE(IsWindowVisible(box));
  EXPECT_TRUE(IsWindowEnabled(main));
  EXPECT_TRUE(Closed(box, Timeout));

  // The menu command opens the same box; a right button release closes it.
  PostMessageA(main, WM_COMMAND, IDM_ABOUT, 0);
  box = WaitForDialog(app.pid, AboutCaption, Timeout);
  ASSERT_TRUE(box != NULL);
  SendMessageA(box, WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  EXPECT_FALSE(IsWindowVisible(box));
  EXPECT_TRUE(Closed(box, Timeout));
}
