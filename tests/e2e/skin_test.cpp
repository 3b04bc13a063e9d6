// The skinned main window of the real Vistrel.exe: its region, size, place and
// translucency, its painting, and its mouse handling driven by the messages the
// system would send it: the drag that moves it, the hot buttons, the cursor
// shapes and the main menu at the cursor.
#include <gtest/gtest.h>
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

// The dialogs are made through the ANSI entry points, so their captions hold
// only in the Chinese code page (the test runs in a Chinese locale).
static const wchar_t* const SettingsCaption = L"系统配置";
static const wchar_t* const AboutCaption = L"版本信息";

class SkinTest : public ::testing::Test {
 protected:
  Process app;
  HWND main = NULL;
  // Where the cursor stays, away from the window, so that the program gets only
  // the mouse messages the test sends; the drag and the menu read it from there.
  POINT park = {0, 0};
  POINT pressed = {0, 0}, held = {0, 0};  // the last press, and the cursor's offset from it
  RECT pressRect = {0, 0, 0, 0};          // the window at the press

  void SetUp() override {
    park = {GetSystemMetrics(SM_CXSCREEN) - 150, GetSystemMetrics(SM_CYSCREEN) - 150};
    ASSERT_TRUE(PutCursor(0, 0));
    app = Launch(BinDir() + "Vistrel.exe");
    ASSERT_TRUE(app.handle != NULL);
    main = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
    ASSERT_TRUE(main != NULL);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout));
    // The cursor shown is the one the foreground window's thread set.
    ASSERT_TRUE(BringToFront(main, Timeout));
  }
  void TearDown() override { Kill(app); }

  RECT WindowRect() {
    RECT r;
    GetWindowRect(main, &r);
    return r;
  }
  // Puts the cursor at park + (dx, dy): a position only, no input.
  bool PutCursor(int dx, int dy) {
    POINT c;
    return SetCursorPos(park.x + dx, park.y + dy) && GetCursorPos(&c) && c.x == park.x + dx && c.y == park.y + dy;
  }
  // One mouse message at the skin point (x, y) with the buttons and keys in keys.
  void Mouse(UINT message, WPARAM keys, int x, int y) { SendMessageA(main, message, keys, MAKELPARAM(x, y)); }
  // The pointer comes to the skin point (x, y) and the left button goes down
  // there, with the cursor at park.
  void Press(int x, int y) {
    Mouse(WM_MOUSEMOVE, 0, x, y);
    ASSERT_TRUE(PutCursor(0, 0));
    Mouse(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    pressed = {x, y};
    held = {0, 0};
    pressRect = WindowRect();
  }
  // With the left button alone held, the cursor goes in steps to (dx, dy) from the
  // press; each move is where the pointer lies over the window not yet moved, and
  // the window follows each step.
  void DragTo(int dx, int dy, int steps) {
    POINT from = held;
    for (int k = 1; k <= steps; k++) {
      POINT at = {from.x + (dx - from.x) * k / steps, from.y + (dy - from.y) * k / steps};
      ASSERT_TRUE(PutCursor(at.x, at.y));
      Mouse(WM_MOUSEMOVE, MK_LBUTTON, pressed.x + at.x - held.x, pressed.y + at.y - held.y);
      held = at;
      RECT r = WindowRect();
      ASSERT_EQ(r.left, pressRect.left + at.x) << "step " << k;
      ASSERT_EQ(r.top, pressRect.top + at.y) << "step " << k;
    }
  }
  void Click(int x, int y) {
    Press(x, y);
    Mouse(WM_LBUTTONUP, 0, x, y);
  }
  // Posts the About command and waits for its box: a command posted before it has
  // been handled by then, and each leaves its mark (the settings dialog, the window
  // hidden to the tray, a second About box once the first is closed).
  void ExpectNothingPosted() {
    PostMessageA(main, WM_COMMAND, 104, 0);
    HWND about = WaitForDialog(app.pid, AboutCaption, Timeout);
    ASSERT_TRUE(about != NULL);
    EXPECT_TRUE(FindDialog(app.pid, SettingsCaption) == NULL);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(TrayIconCount(), 0);
    SendMessageA(about, WM_LBUTTONUP, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }, Timeout));
    EXPECT_TRUE(FindDialog(app.pid, NULL) == NULL);
  }
  static HCURSOR Shown() {
    CURSORINFO info;
    info.cbSize = sizeof(info);
    GetCursorInfo(&info);
    return info.hCursor;
  }
  // The cursor the program sets for the pointer at the skin point (x, y).
  HCURSOR CursorOver(int x, int y) {
    Mouse(WM_MOUSEMOVE, 0, x, y);
    return Shown();
  }
  void ExpectSkinSize() {
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, SkinWidth);
    EXPECT_EQ(client.bottom, SkinHeight);
  }
};

TEST_F(SkinTest, RegionIsExactlyTheTwoRoundedPanels) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetWindowRgn(main, region), COMPLEXREGION);
  RECT w = WindowRect();
  POINT origin = {0, 0};
  ClientToScreen(main, &origin);
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
  ExpectSkinSize();
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
  POINT origin = {0, 0};
  ClientToScreen(main, &origin);
  // At 229 of 255 over any background a channel moves by at most 26.
  int off = 0, checked = 0;
  WaitUntil([&] {
    off = checked = 0;
    for (int y = 3; y < SkinHeight; y += 7)
      for (int x = 3; x < SkinWidth; x += 7) {
        if (!InSkin(x, y)) continue;
        COLORREF want = GetPixel(skinDC, x, y), got = GetPixel(screen, origin.x + x, origin.y + y);
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

TEST_F(SkinTest, DragMovesTheWindowByTheCursorOffsetAndKeepsItsSize) {
  RECT before = WindowRect();
  Press(60, 90);  // the left panel, far from the buttons
  DragTo(57, -33, 6);
  DragTo(-43, 8, 5);
  Mouse(WM_LBUTTONUP, 0, 60, 90);
  RECT after = WindowRect();
  EXPECT_EQ(after.left - before.left, -43);
  EXPECT_EQ(after.top - before.top, 8);
  EXPECT_EQ(after.right - after.left, before.right - before.left);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  ExpectSkinSize();
  // Released off the buttons: nothing posted.
  ExpectNothingPosted();
}

// A move with the left button alone that no press in the window began (posted by
// another program, or a drag begun elsewhere running onto the window): before any
// press, after the release, and after a move without the button (a release outside
// the window), the window keeps its place and size, and no button is armed, neither
// one under the move nor one that a hover left armed, so the release posts nothing.
TEST_F(SkinTest, MovesWithTheLeftButtonThatNoPressHereBeganLeaveTheWindowAlone) {
  RECT expected = WindowRect(), r;
  auto strayMove = [&](const char* when, int x, int y) {
    ASSERT_TRUE(PutCursor(-70, -40));
    Mouse(WM_MOUSEMOVE, MK_LBUTTON, x, y);
    r = WindowRect();
    EXPECT_TRUE(EqualRect(&r, &expected)) << when;
  };
  strayMove("before any press", 357, 22);
  Mouse(WM_LBUTTONUP, 0, 357, 22);
  Press(60, 90);
  DragTo(20, 10, 2);
  Mouse(WM_LBUTTONUP, 0, 60, 90);
  OffsetRect(&expected, 20, 10);
  Mouse(WM_MOUSEMOVE, 0, 391, 22);  // hide, then out of the window straight away
  strayMove("after the release", 60, 90);
  Mouse(WM_LBUTTONUP, 0, 60, 90);
  Press(60, 90);
  Mouse(WM_MOUSEMOVE, 0, 60, 90);
  strayMove("after a move without the button", 357, 22);
  Mouse(WM_LBUTTONUP, 0, 357, 22);
  ExpectSkinSize();
  ExpectNothingPosted();
}

TEST_F(SkinTest, EachHotButtonPostsItsCommandAtTheRelease) {
  // Settings at its top left pixel: the dialog, owned by the main window.
  Click(350, 15);
  HWND dialog = WaitForDialog(app.pid, SettingsCaption, Timeout);
  ASSERT_TRUE(dialog != NULL);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_TRUE(FindDialog(app.pid, AboutCaption) == NULL);
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, Timeout));
  EXPECT_TRUE(IsWindowVisible(main));

  // About at its bottom right pixel.
  Click(381, 29);
  dialog = WaitForDialog(app.pid, AboutCaption, Timeout);
  ASSERT_TRUE(dialog != NULL);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_TRUE(FindDialog(app.pid, SettingsCaption) == NULL);
  EXPECT_TRUE(IsWindowVisible(main));
  SendMessageA(dialog, WM_LBUTTONUP, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, Timeout));

  // Hide at its right edge: to the tray, no dialog.
  EXPECT_EQ(TrayIconCount(), 0);
  Click(398, 20);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, Timeout));
  EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == 1; }, Timeout));
  EXPECT_TRUE(IsWindow(main));
  EXPECT_TRUE(FindDialog(app.pid, NULL) == NULL);
}

// The pointer rests on a button first: the move between the buttons must clear it.
TEST_F(SkinTest, ReleaseBetweenTheButtonsPostsNothing) {
  Mouse(WM_MOUSEMOVE, 0, 391, 22);  // hide
  Click(365, 20);
  Mouse(WM_MOUSEMOVE, 0, 357, 22);  // settings
  Click(383, 20);
  Mouse(WM_MOUSEMOVE, 0, 374, 22);  // about
  Click(366, 20);
  ExpectNothingPosted();
}

TEST_F(SkinTest, PressOnSettingsDragAndReleaseStillOpensTheSettings) {
  RECT before = WindowRect();
  Press(357, 22);
  DragTo(-60, 45, 5);
  EXPECT_TRUE(FindDialog(app.pid, NULL) == NULL);  // nothing before the release
  Mouse(WM_LBUTTONUP, 0, 357, 22);
  EXPECT_TRUE(WaitForDialog(app.pid, SettingsCaption, Timeout) != NULL);
  RECT after = WindowRect();
  EXPECT_EQ(after.left - before.left, -60);
  EXPECT_EQ(after.top - before.top, 45);
}

TEST_F(SkinTest, PressOffTheButtonsDraggedOntoOnePostsNothing) {
  RECT before = WindowRect();
  Press(300, 22);  // the title band, left of the buttons
  DragTo(74, 0, 1);  // the move comes over the About button
  Mouse(WM_LBUTTONUP, 0, 300, 22);
  EXPECT_EQ(WindowRect().top, before.top);
  ExpectNothingPosted();
}

// The window moves only for the left button alone: with another button or a
// modifier key held as well the moves are pointing moves, which set the hot
// button, so the release then counts. Once the key is let go the drag goes on,
// the window again following the cursor's offset from the press.
TEST_F(SkinTest, LeftButtonWithAnotherKeyHeldPointsInsteadOfDragging) {
  HCURSOR arrow = CursorOver(300, 22);
  Press(300, 22);
  DragTo(12, 7, 1);
  RECT before = WindowRect();
  ASSERT_TRUE(PutCursor(40, 30));
  for (WPARAM extra : {MK_SHIFT, MK_CONTROL, MK_MBUTTON, MK_RBUTTON}) {
    Mouse(WM_MOUSEMOVE, MK_LBUTTON | extra, 340, 22);
    EXPECT_EQ(Shown(), arrow) << "extra " << extra;
    Mouse(WM_MOUSEMOVE, MK_LBUTTON | extra, 357, 22);
    EXPECT_NE(Shown(), arrow) << "extra " << extra;
  }
  RECT after = WindowRect();
  EXPECT_TRUE(EqualRect(&before, &after));
  DragTo(-25, 16, 3);
  Mouse(WM_LBUTTONUP, 0, 357, 22);
  EXPECT_TRUE(WaitForDialog(app.pid, SettingsCaption, Timeout) != NULL);
}

TEST_F(SkinTest, RightClickOpensTheMainMenuWithItsBottomRightAtTheCursor) {
  // The menu is modal: posted, so that the test goes on while it is open.
  PostMessageA(main, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(200, 100));
  HWND menu = NULL;
  ASSERT_TRUE(WaitUntil([&] {
    menu = FindProcessWindow("#32768", NULL, app.pid);
    return menu != NULL && IsWindowVisible(menu);
  }, Timeout));
  RECT r;
  GetWindowRect(menu, &r);
  EXPECT_EQ(r.right, park.x);
  EXPECT_EQ(r.bottom, park.y);
  EXPECT_GT(r.right - r.left, 10);
  EXPECT_GT(r.bottom - r.top, 10);
  PostMessageA(main, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }, Timeout));
}

// Under Wine every process has its own handle for a system cursor, and another
// process cannot read a cursor's picture: the test tells the program's cursors
// apart by handle, the one over the panel being its arrow.
TEST_F(SkinTest, CursorIsAHandOverTheButtonsAndFourArrowsWhileDragging) {
  HCURSOR arrow = CursorOver(200, 100);
  HCURSOR hand = CursorOver(350, 15);
  EXPECT_NE(hand, arrow);
  EXPECT_EQ(CursorOver(366, 20), arrow);  // between buttons 1 and 2
  EXPECT_EQ(CursorOver(367, 20), hand);
  EXPECT_EQ(CursorOver(398, 29), hand);
  EXPECT_EQ(CursorOver(399, 20), arrow);
  EXPECT_EQ(CursorOver(360, 14), arrow);
  EXPECT_EQ(CursorOver(364, 29), hand);
  EXPECT_EQ(CursorOver(360, 30), arrow);

  Press(200, 100);
  DragTo(5, 0, 1);
  HCURSOR moving = Shown();
  EXPECT_NE(moving, arrow);
  EXPECT_NE(moving, hand);
  Mouse(WM_LBUTTONUP, 0, 200, 100);
  EXPECT_EQ(Shown(), arrow);
}
