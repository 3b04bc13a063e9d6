// Start-up of the real Vistrel.exe: its window, a second instance, missing libraries, closing.
#include <gtest/gtest.h>
#include <vector>
#include "tests/e2e/e2e_support.h"

static const DWORD StartTimeout = 30000;

class StartupTest : public ::testing::Test {
 protected:
  std::vector<Process> started;
  Process Start(const std::string& exe, const std::string& dir = "") {
    started.push_back(Launch(exe, "", dir));
    return started.back();
  }
  void TearDown() override {
    for (Process& p : started) Kill(p);
  }
  // Runs Vistrel.exe from a folder holding only the named binaries; it must end with
  // code 0 without ever showing its main window.
  void ExpectSilentEnd(const char* folder, std::vector<std::pair<std::string, const char*>> binaries) {
    std::string dir = MakeTempDir(folder);
    ASSERT_TRUE(CopyBinary(BinDir() + "Vistrel.exe", dir));
    for (auto& b : binaries) ASSERT_TRUE(CopyBinary(BinDir() + b.first, dir, b.second)) << b.first;
    Process app = Start(dir + "Vistrel.exe", dir);
    ASSERT_TRUE(app.handle != NULL);
    bool sawWindow = false;
    bool ended = WaitUntil([&] {
      if (FindProcessWindow("VISTREL", NULL, app.pid)) sawWindow = true;
      return WaitForSingleObject(app.handle, 0) == WAIT_OBJECT_0;
    }, StartTimeout);
    ASSERT_TRUE(ended);
    DWORD code = 1;
    GetExitCodeProcess(app.handle, &code);
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(sawWindow);
  }
};

TEST_F(StartupTest, ShowsTheMainWindowAndEndsWithZeroWhenClosed) {
  Process app = Start(BinDir() + "Vistrel.exe");
  HWND main = WaitForWindow("VISTREL", "Vistrel", app.pid, StartTimeout);
  ASSERT_TRUE(main != NULL);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, StartTimeout));

  // InitHook made the mask (hidden, translucent, owned by the main window) and the palette.
  HWND mask = FindProcessWindow("MaskWindow", "MaskWindow", app.pid);
  ASSERT_TRUE(mask != NULL);
  EXPECT_FALSE(IsWindowVisible(mask));
  EXPECT_EQ(GetWindow(mask, GW_OWNER), main);
  LONG exStyle = GetWindowLongA(mask, GWL_EXSTYLE);
  EXPECT_EQ(exStyle & (WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOPMOST),
            WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOPMOST);
  HWND palette = FindWindowExA(mask, NULL, "DrawToolsWindow", "DrawToolsWindow");
  ASSERT_TRUE(palette != NULL);
  EXPECT_FALSE(IsWindowVisible(palette));
  RECT paletteRect;
  GetClientRect(palette, &paletteRect);
  EXPECT_EQ(paletteRect.right, 348);
  EXPECT_EQ(paletteRect.bottom, 51);

  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 1;
  ASSERT_TRUE(WaitForExit(app, StartTimeout, &code));
  EXPECT_EQ(code, 0u);
}

TEST_F(StartupTest, SecondStartEndsAtOnceAndLeavesTheFirstAlone) {
  Process first = Start(BinDir() + "Vistrel.exe");
  HWND main = WaitForWindow("VISTREL", "Vistrel", first.pid, StartTimeout);
  ASSERT_TRUE(main != NULL);
  // Placed and dressed before it is shown: its rectangle is final once visible.
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, StartTimeout));
  RECT before;
  GetWindowRect(main, &before);

  Process second = Start(BinDir() + "Vistrel.exe");
  DWORD code = 1;
  ASSERT_TRUE(WaitForExit(second, StartTimeout, &code));
  EXPECT_EQ(code, 0u);

  EXPECT_EQ(WaitForSingleObject(first.handle, 0), (DWORD)WAIT_TIMEOUT);
  EXPECT_EQ(FindProcessWindow("VISTREL", NULL, 0), main);
  RECT after;
  GetWindowRect(main, &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_TRUE(IsWindowVisible(main));
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
}

TEST_F(StartupTest, WithoutTheCaptureLibraryEndsSilently) {
  ExpectSilentEnd("nolib", {{"Encoder.dll", NULL}});
}

TEST_F(StartupTest, WithACaptureLibraryLackingSetConfigEndsSilently) {
  ExpectSilentEnd("nosetconfig", {{"nosetconfig\\Vistrel.dll", "Vistrel.dll"}, {"Encoder.dll", NULL}});
}

TEST_F(StartupTest, WithoutTheEncoderEndsSilently) {
  ExpectSilentEnd("noencoder", {{"Vistrel.dll", NULL}});
}
