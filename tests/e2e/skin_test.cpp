// The skinned main window of the real Vistrel.exe: its region, size, place and
// translucency, its painting, the drag that moves it, the hot buttons and the
// main menu at the cursor, all driven by real mouse input.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/e2e/dialog_support.h"
#include "tests/e2e/e2e_support.h"

static const DWORD Timeout = 30000;
static const int SkinWidth = 411, SkinHeight = 175;

// The painted x ranges (inclusive) of the shipped skin's row y.
static bool InSkin(int x, int y) {
  if (x < 0 || y < 0 || x >= SkinWidth || y >= SkinHeight) return false;
  int l0, l1, r0, r1;
  if (y == 0 || y == 174) return false;
  if (y == 1 || y == 173) {
    l0 = 5, l1 = 103, r0 = 115, r1 = 405;
  } else if (y == 2 || y == 172) {
    l0 = 3, l1 = 105, r0 = 113, r1 = 407;
  } else if (y <= 4 || y >= 170) {
    l0 = 2, l1 = 106, r0 = 112, r1 = 408;
  } else {
    l0 = 1, l1 = 107, r0 = 111, r1 = 409;
  }
  return (x >= l0 && x <= l1) || (x >= r0 && x <= r1);
}

struct DialogSearch {
  DWORD pid;
  const wchar_t* caption;
  HWND found;
};

static BOOL CALLBACK FindDialogProc(HWND window, LPARAM param) {
  DialogSearch* search = (DialogSearch*)param;
  wchar_t name[64] = {0}, text[64] = {0};
  GetClassNameW(window, name, 64);
  if (lstrcmpW(name, L"#32770") != 0 || WindowProcess(window) != search->pid || !IsWindowVisible(window))
    return TRUE;
  GetWindowTextW(window, text, 64);
  if (search->caption && lstrcmpW(text, search->caption) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

// A visible dialog of the process with that caption (any caption when null).
static HWND FindShownDialog(DWORD pid, const wchar_t* caption) {
  DialogSearch search = {pid, caption, NULL};
  EnumWindows(FindDialogProc, (LPARAM)&search);
  return search.found;
}

// The dialogs are made through the ANSI entry points, so their captions hold
// only in the Chinese code page (the test runs in a Chinese locale).
static const wchar_t* const SettingsCaption = L"系统配置";
static const wchar_t* const AboutCaption = L"版本信息";

class SkinTest : public ::testing::Test {
 protected:
  Process app;
  HWND main = NULL;

  void SetUp() override {
    app = Launch(BinDir() + "Vistrel.exe");
    ASSERT_TRUE(app.handle != NULL);
    main = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
    ASSERT_TRUE(main != NULL);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout));
    // The program of the test before may have ended as the foreground one; the
    // input then reaches this window reliably only once it is in front.
    if (GetForegroundWindow() != main) SetForegroundWindow(main);
    ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }, Timeout));
    // Wine now and then drops the first move over a window just shown: nudge the
    // cursor between the panel and a button until the program shows that it
    // takes the moves (its cursor changes over the button and back).
    int nudge = 0;
    ASSERT_TRUE(WaitUntil([&] {
      int n = nudge++ % 3;
      HCURSOR arrow = CursorAt(200 + n, 100);
      HCURSOR hand = CursorAt(374 + n, 22);
      return hand != arrow && CursorAt(201 + n, 100) == arrow;
    }, Timeout));
  }
  void TearDown() override {
    MouseEvent(MOUSEEVENTF_LEFTUP);
    Kill(app);
  }

  RECT WindowRect() {
    RECT r;
    GetWindowRect(main, &r);
    return r;
  }
  // The screen point of a skin (client) point.
  POINT Screen(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(main, &p);
    return p;
  }
  // Moves the cursor there and waits until the system has it there.
  void MoveTo(POINT p) {
    MoveMouseTo(p.x, p.y);
    ASSERT_TRUE(WaitUntil([&] {
      POINT c;
      GetCursorPos(&c);
      return c.x == p.x && c.y == p.y;
    }, Timeout)) << "cursor did not reach " << p.x << "," << p.y;
  }
  static HCURSOR CurrentCursor() {
    CURSORINFO info;
    info.cbSize = sizeof(info);
    GetCursorInfo(&info);
    return info.hCursor;
  }
  // The cursor the program shows with the mouse at that skin point.
  HCURSOR CursorAt(int x, int y) {
    MoveTo(Screen(x, y));
    Settle();
    return CurrentCursor();
  }
  // Waits until the program has handled the input sent so far: a message sent to
  // its window is handled before queued input, so the second of two is handled
  // only after that input.
  void Settle() {
    DWORD_PTR answer;
    for (int i = 0; i < 2; i++) SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, Timeout, &answer);
  }
  // The drag measures from the cursor position the program reads at the press.
  void PressLeft() {
    MouseEvent(MOUSEEVENTF_LEFTDOWN);
    Settle();
  }
  // Moves the cursor by (dx, dy) while the window is expected to follow, step by step.
  void DragBy(POINT from, int dx, int dy, int steps) {
    RECT start = WindowRect();
    for (int k = 1; k <= steps; k++) {
      int ox = dx * k / steps, oy = dy * k / steps;
      POINT p = {from.x + ox, from.y + oy};
      MoveTo(p);
      ASSERT_TRUE(WaitUntil([&] {
        RECT r = WindowRect();
        return r.left == start.left + ox && r.top == start.top + oy;
      }, Timeout)) << "the window did not follow step " << k;
    }
  }
  // Waits for the hot button's command to show: a dialog with this caption.
  HWND WaitForDialog(const wchar_t* caption) {
    HWND dialog = NULL;
    WaitUntil([&] { return (dialog = FindShownDialog(app.pid, caption)) != NULL; }, Timeout);
    return dialog;
  }
};

TEST_F(SkinTest, RegionIsExactlyTheTwoRoundedPanels) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetWindowRgn(main, region), COMPLEXREGION);
  RECT w = WindowRect();
  POINT origin = Screen(0, 0);
  int dx = origin.x - w.left, dy = origin.y - w.top;

  // The points of the shape's description, in skin coordinates.
  struct {
    int x, y;
    bool in;
  } points[] = {{1, 5, true},   {0, 5, false},  {108, 50, false}, {107, 50, true},
                {111, 50, true}, {4, 1, false},  {5, 1, true},     {110, 50, false},
                {409, 5, true},  {410, 5, false}, {0, 0, false},   {405, 173, true},
                {406, 173, false}, {200, 174, false}};
  for (auto& p : points)
    EXPECT_EQ(PtInRegion(region, p.x + dx, p.y + dy) != 0, p.in) << "(" << p.x << ", " << p.y << ")";

  // Every point of the window: inside exactly where the skin is painted, so the
  // caption, the menu bar and the borders are all cut away.
  int wrong = 0;
  for (int y = 0; y < w.bottom - w.top; y++)
    for (int x = 0; x < w.right - w.left; x++)
      if ((PtInRegion(region, x, y) != 0) != InSkin(x - dx, y - dy)) {
        if (++wrong <= 5) ADD_FAILURE() << "skin point (" << x - dx << ", " << y - dy << ")";
      }
  EXPECT_EQ(wrong, 0);
  DeleteObject(region);
}

TEST_F(SkinTest, ClientIsTheSkinCentredAndTranslucent) {
  ASSERT_EQ(GetACP(), 936u) << "the test needs the Chinese locale of its CTest entry";
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, SkinWidth);
  EXPECT_EQ(client.bottom, SkinHeight);

  RECT w = WindowRect();
  int width = w.right - w.left, height = w.bottom - w.top;
  EXPECT_EQ(w.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(w.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);

  EXPECT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_LAYERED);
  BYTE alpha = 0;
  DWORD flags = 0;
  COLORREF key = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(main, &key, &alpha, &flags));
  EXPECT_EQ(alpha, 229);
  EXPECT_EQ(flags, (DWORD)LWA_ALPHA);
}

TEST_F(SkinTest, PaintsTheSkinBitmapIntoTheClientArea) {
  // The skin as the program carries it.
  HMODULE exe = LoadLibraryExA((BinDir() + "Vistrel.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(exe != NULL);
  HBITMAP skin = (HBITMAP)LoadImageA(exe, MAKEINTRESOURCEA(132), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  ASSERT_TRUE(skin != NULL);
  HDC skinDC = CreateCompatibleDC(NULL);
  HGDIOBJ old = SelectObject(skinDC, skin);
  HDC screen = GetDC(NULL);
  // At 229 of 255 over any background a channel moves by at most 26.
  int off = 0, checked = 0;
  WaitUntil([&] {
    off = checked = 0;
    for (int y = 3; y < SkinHeight; y += 7)
      for (int x = 3; x < SkinWidth; x += 7) {
        if (!InSkin(x, y)) continue;
        POINT p = Screen(x, y);
        COLORREF want = GetPixel(skinDC, x, y), got = GetPixel(screen, p.x, p.y);
        checked++;
        if (abs(GetRValue(want) - GetRValue(got)) > 27 || abs(GetGValue(want) - GetGValue(got)) > 27 ||
            abs(GetBValue(want) - GetBValue(got)) > 27)
          off++;
      }
    return off == 0;
  }, Timeout);
  EXPECT_GT(checked, 1000);
  EXPECT_EQ(off, 0) << "of " << checked << " points";
  ReleaseDC(NULL, screen);
  SelectObject(skinDC, old);
  DeleteDC(skinDC);
  DeleteObject(skin);
  FreeLibrary(exe);
}

TEST_F(SkinTest, DragMovesTheWindowByTheMouseOffsetAndKeepsItsSize) {
  RECT before = WindowRect();
  POINT start = Screen(60, 90);  // the left panel, far from the buttons
  MoveTo(start);
  PressLeft();
  DragBy(start, 57, -33, 6);
  DragBy({start.x + 57, start.y - 33}, -100, 41, 5);
  MouseEvent(MOUSEEVENTF_LEFTUP);

  RECT after = WindowRect();
  EXPECT_EQ(after.left - before.left, -43);
  EXPECT_EQ(after.top - before.top, 8);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  RECT client;
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, SkinWidth);
  EXPECT_EQ(client.bottom, SkinHeight);
  // Released off the buttons: no dialog, and the window stays.
  POINT hide = Screen(391, 22);
  MoveTo(hide);
  ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, Timeout));
  EXPECT_TRUE(FindShownDialog(app.pid, NULL) == NULL);
}

TEST_F(SkinTest, ReleaseOnSettingsOpensTheSettingsDialog) {
  MoveTo(Screen(350, 15));  // the button's top left pixel
  ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  HWND dialog = WaitForDialog(SettingsCaption);
  ASSERT_TRUE(dialog != NULL);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_TRUE(FindShownDialog(app.pid, AboutCaption) == NULL);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, Timeout));
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(SkinTest, ReleaseOnAboutOpensTheAboutBox) {
  MoveTo(Screen(381, 29));  // the button's bottom right pixel
  ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  HWND dialog = WaitForDialog(AboutCaption);
  ASSERT_TRUE(dialog != NULL);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_TRUE(FindShownDialog(app.pid, SettingsCaption) == NULL);
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(SkinTest, ReleaseOnHideHidesTheWindowToTheTray) {
  EXPECT_EQ(TrayIconCount(), 0);
  MoveTo(Screen(398, 20));
  ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, Timeout));
  EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == 1; }, Timeout));
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(FindShownDialog(app.pid, NULL) == NULL);
}

TEST_F(SkinTest, ReleaseBetweenTheButtonsPostsNothing) {
  // (365, 20) and (366, 20) lie between buttons 1 and 2; the hide click after
  // them is handled only once they have been, so a dialog they opened would show.
  MoveTo(Screen(365, 20));
  ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  MoveTo(Screen(366, 20));
  ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  MoveTo(Screen(390, 22));
  ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, Timeout));
  EXPECT_TRUE(FindShownDialog(app.pid, NULL) == NULL);
}

TEST_F(SkinTest, PressOnSettingsDragAndReleaseStillOpensTheSettings) {
  RECT before = WindowRect();
  POINT start = Screen(357, 22);
  MoveTo(start);
  PressLeft();
  DragBy(start, -60, 45, 5);
  EXPECT_TRUE(FindShownDialog(app.pid, NULL) == NULL);  // nothing before the release
  MouseEvent(MOUSEEVENTF_LEFTUP);
  HWND dialog = WaitForDialog(SettingsCaption);
  EXPECT_TRUE(dialog != NULL);
  RECT after = WindowRect();
  EXPECT_EQ(after.left - before.left, -60);
  EXPECT_EQ(after.top - before.top, 45);
}

TEST_F(SkinTest, PressOffTheButtonsDraggedOntoOnePostsNothing) {
  RECT before = WindowRect();
  POINT start = Screen(300, 22);  // the title band, left of the buttons
  POINT about = Screen(374, 22);  // where the About button is before the drag
  MoveTo(start);
  PressLeft();
  MoveTo(about);
  ASSERT_TRUE(WaitUntil([&] { return WindowRect().left == before.left + 74; }, Timeout));
  MouseEvent(MOUSEEVENTF_LEFTUP);
  // The window moved under the cursor; its hide button is now further right.
  MoveTo(Screen(391, 22));
  ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, Timeout));
  EXPECT_TRUE(FindShownDialog(app.pid, NULL) == NULL);
  EXPECT_EQ(WindowRect().top, before.top);
}

// The window moves only for the left button alone. With the middle button held
// as well the moves are pointing moves: they update the hot button instead.
// (Shift would do the same, but Wine does not reliably carry a Shift pressed
// by SendInput into the mouse messages of another process.)
TEST_F(SkinTest, LeftButtonWithAnotherButtonHeldPointsInsteadOfDragging) {
  HCURSOR hand = CursorAt(357, 22);
  HCURSOR arrow = CursorAt(300, 22);
  ASSERT_NE(hand, arrow);
  RECT before = WindowRect();
  PressLeft();
  MouseEvent(MOUSEEVENTF_MIDDLEDOWN);
  Settle();
  MoveTo(Screen(330, 22));
  MoveTo(Screen(357, 22));
  // The hand shows once the move over the settings button has made it the hot button.
  EXPECT_TRUE(WaitUntil([&] { return CurrentCursor() == hand; }, Timeout));
  MouseEvent(MOUSEEVENTF_MIDDLEUP);
  MouseEvent(MOUSEEVENTF_LEFTUP);
  HWND dialog = WaitForDialog(SettingsCaption);
  EXPECT_TRUE(dialog != NULL);
  RECT after = WindowRect();
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(SkinTest, RightClickOpensTheMainMenuWithItsBottomRightAtTheCursor) {
  POINT at = Screen(200, 100);
  MoveTo(at);
  ClickButton(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  HWND menu = NULL;
  ASSERT_TRUE(WaitUntil([&] {
    menu = FindProcessWindow("#32768", NULL, app.pid);
    return menu != NULL && IsWindowVisible(menu);
  }, Timeout));
  RECT r;
  GetWindowRect(menu, &r);
  EXPECT_EQ(r.right, at.x);
  EXPECT_EQ(r.bottom, at.y);
  EXPECT_GT(r.right - r.left, 10);
  EXPECT_GT(r.bottom - r.top, 10);
  KeyEvent(VK_ESCAPE, 0);
  KeyEvent(VK_ESCAPE, KEYEVENTF_KEYUP);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, Timeout));
}

// Under Wine every process has its own handle for a system cursor, and another
// process cannot read a cursor's picture: the test tells the program's cursors
// apart by handle, the one over the panel being its arrow.
TEST_F(SkinTest, CursorIsAHandOverTheButtonsAndFourArrowsWhileDragging) {
  HCURSOR arrow = CursorAt(200, 100);
  HCURSOR hand = CursorAt(350, 15);
  EXPECT_NE(hand, arrow);
  EXPECT_EQ(CursorAt(366, 20), arrow);  // between buttons 1 and 2
  EXPECT_EQ(CursorAt(367, 20), hand);
  EXPECT_EQ(CursorAt(398, 29), hand);
  EXPECT_EQ(CursorAt(399, 20), arrow);
  EXPECT_EQ(CursorAt(360, 14), arrow);
  EXPECT_EQ(CursorAt(364, 29), hand);
  EXPECT_EQ(CursorAt(360, 30), arrow);

  MoveTo(Screen(200, 100));
  PressLeft();
  RECT before = WindowRect();
  POINT p = Screen(200, 100);
  p.x += 5;
  MoveTo(p);
  ASSERT_TRUE(WaitUntil([&] { return WindowRect().left == before.left + 5; }, Timeout));
  HCURSOR moving = CurrentCursor();
  EXPECT_NE(moving, arrow);
  EXPECT_NE(moving, hand);
  MouseEvent(MOUSEEVENTF_LEFTUP);
  Settle();
  EXPECT_EQ(CurrentCursor(), arrow);
}
