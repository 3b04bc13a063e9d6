// The drawing tool palette in DrawCopy, over the stand-in application's mask and
// in the real application: shown while the cursor touches the tips area, clicks
// pick the current tool and colour, the hand over a button, the current colour and
// tool shown, a right-click swallowed.
#include "common/command_ids.h"
#include "tests/e2e/mask_fixture.h"

static const int PaletteWidth = 348, PaletteHeight = 51;
static const COLORREF Red = RGB(255, 0, 0);

// The 28 swatches row by row, with the colours the layout gives them.
static const COLORREF Swatches[28] = {
    0x000000, 0x808080, 0x000080, 0x008080, 0x008000, 0x808000, 0x800000, 0x800080, 0x408080, 0x404000,
    0xFF8000, 0x804000, 0xFF0080, 0x004080, 0xFFFFFF, 0xC0C0C0, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00,
    0xFF0000, 0xFF00FF, 0x80FFFF, 0x80FF00, 0xFFFF80, 0xFF8080, 0x8000FF, 0x4080FF};

class PaletteTest : public MaskFixture {
 protected:
  void SetUp() override {
    MaskFixture::SetUp();
    if (!HasFatalFailure()) ArmFullScreen(DrawCopy);
  }
  // Clicks there; whether the tool and the colour are then those given.
  bool ClickGives(int x, int y, int tool, COLORREF colour) {
    ClickWindow(palette, x, y);
    return rec->glCurDrawTool == tool && rec->glCurColor == colour;
  }
  void ShowPalette() { MoveOverMask(0, 8, 8); }
  // A move over the mask at a place laid out from the primary monitor's corner.
  void MoveOverMask(WPARAM keys, int x, int y) {
    POINT c = OnPrimary(x, y);
    SendMouse(mask, WM_MOUSEMOVE, keys, c.x, c.y);
  }
};

TEST_F(PaletteTest, AppearsOverTheTipsAreaAndHidesOverTheMask) {
  EXPECT_EQ(WindowProcess(palette), host.pid);
  EXPECT_EQ(GetParent(palette), mask);
  EXPECT_FALSE(IsWindowVisible(palette));
  // The tips area lies at (3, 3, 33, 46) once moved to the palette's place.
  struct Move { int x, y; bool shown; } moves[] = {
      {8, 8, true},  {400, 300, false}, {32, 45, true}, {33, 20, false}, {3, 3, true},
      {20, 46, false}, {3, 45, true},   {2, 20, false}, {32, 3, true},   {20, 2, false}};
  for (const Move& m : moves) {
    MoveOverMask(0, m.x, m.y);
    EXPECT_EQ(IsWindowVisible(palette) != 0, m.shown) << m.x << "," << m.y;
  }
  ShowPalette();
  RECT r;
  GetWindowRect(palette, &r);
  POINT corner = OnPrimary(0, 0), origin = OnScreen(corner.x, corner.y);
  EXPECT_EQ(r.left - origin.x, 3);
  EXPECT_EQ(r.top - origin.y, 3);
  EXPECT_EQ(r.right - r.left, PaletteWidth);
  EXPECT_EQ(r.bottom - r.top, PaletteHeight);
  // On the primary monitor, whatever the others.
  RECT primary = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, common;
  EXPECT_TRUE(IntersectRect(&common, &r, &primary) && EqualRect(&common, &r));
  // Moves over the palette leave it shown; a drag step over the mask hides it.
  SendMouse(palette, WM_MOUSEMOVE, 0, 200, 45);
  SendMouse(palette, WM_MOUSEMOVE, 0, 10, 20);
  EXPECT_TRUE(IsWindowVisible(palette));
  MoveOverMask(MK_LBUTTON, PaletteWidth + 10, 20);
  EXPECT_FALSE(IsWindowVisible(palette));
}

TEST_F(PaletteTest, ClicksPickToolsAndColours) {
  ShowPalette();
  // Every swatch, alternately at its top-left and its bottom-right pixel, sets the
  // colour and leaves the tool.
  for (int i = 0; i < 28; i++) {
    int left = 35 + 16 * (i % 14), top = 11 + 16 * (i / 14);
    EXPECT_TRUE(i % 2 ? ClickGives(left + 10, top + 10, 1, Swatches[i]) : ClickGives(left, top, 1, Swatches[i]))
        << "swatch " << i;
  }
  // The tool buttons meet without a gap: x = 283 is the rectangle's, 282 the line's.
  // Just outside them, the gap between two swatches, the current-colour box and the
  // panel below the buttons change nothing.
  struct Click { int x, y, tool; } clicks[] = {
      {283, 20, 2}, {282, 20, 1}, {283, 9, 2},  {282, 39, 1}, {283, 39, 2}, {263, 9, 1},  {304, 30, 3},
      {325, 30, 0}, {324, 30, 3}, {343, 39, 0}, {290, 15, 2}, {270, 35, 1}, {283, 8, 1},  {283, 40, 1},
      {344, 20, 1}, {262, 20, 1}, {48, 15, 1},  {15, 25, 1},  {300, 45, 1}, {334, 25, 0}};
  for (const Click& c : clicks) EXPECT_TRUE(ClickGives(c.x, c.y, c.tool, Swatches[27])) << c.x << "," << c.y;
  // With the select tool current, a swatch changes the colour only.
  EXPECT_TRUE(ClickGives(100, 15, 0, 0x008000));
  EXPECT_TRUE(IsWindowVisible(palette));
}

TEST_F(PaletteTest, HandOverButtonsArrowElsewhere) {
  LRESULT hand = Ask(WM_APP_SYSTEM_CURSOR, (WPARAM)IDC_HAND), arrow = Ask(WM_APP_SYSTEM_CURSOR, (WPARAM)IDC_ARROW);
  ASSERT_NE(hand, arrow);
  struct Spot { int x, y; bool hand; } spots[] = {
      {40, 15, true},   {48, 15, false}, {253, 37, true}, {15, 25, false}, {283, 20, true},
      {262, 20, false}, {343, 39, true}, {300, 45, false}, {200, 30, true}};
  for (const Spot& s : spots) {
    DWORD_PTR shown = 0;
    SendMessageTimeoutA(hostWindow, WM_APP_CURSOR_AFTER_MOVE, (WPARAM)palette, MAKELPARAM(s.x, s.y),
                        SMTO_ABORTIFHUNG, 10000, &shown);
    EXPECT_EQ((LRESULT)shown, s.hand ? hand : arrow) << s.x << "," << s.y;
  }
  // Moving over a swatch names no colour.
  EXPECT_EQ(rec->glCurColor, Red);
}

// The first difference between what the screen shows of the palette and its bitmap
// with the current colour in the box and a dotted black-and-white frame round the
// current tool's button, or "".
static std::string Mismatch(const ScreenPixels& shown, const ScreenPixels& bitmap, COLORREF colour,
                            const RECT& frame) {
  const RECT box = {4, 11, 30, 38};
  int black = 0, white = 0;
  char text[160] = "";
  for (int y = 0; y < PaletteHeight && !text[0]; y++)
    for (int x = 0; x < PaletteWidth && !text[0]; x++) {
      COLORREF got = shown.pixels[y * PaletteWidth + x];
      POINT p = {x, y};
      if (PtInRect(&frame, p) && (x == frame.left || x == frame.right - 1 || y == frame.top || y == frame.bottom - 1)) {
        black += got == 0;
        white += got == 0xFFFFFF;
        if (got != 0 && got != 0xFFFFFF) wsprintfA(text, "frame pixel %d,%d is %06lX", x, y, got);
        continue;
      }
      COLORREF expected = PtInRect(&box, p) ? colour : bitmap.At(x, y);
      if (got != expected) wsprintfA(text, "pixel %d,%d is %06lX, expected %06lX", x, y, got, expected);
    }
  // Dots and gaps: both colours along the frame, neither all of it.
  if (!text[0] && (black < 10 || white < 10)) wsprintfA(text, "frame has %d black and %d white pixels", black, white);
  return text;
}

TEST_F(PaletteTest, ShowsTheCurrentColourAndFramesTheCurrentTool) {
  HBITMAP art = LoadBitmapA(lib, MAKEINTRESOURCEA(131));
  ASSERT_TRUE(art != NULL);
  HDC dc = CreateCompatibleDC(NULL);
  HGDIOBJ old = SelectObject(dc, art);
  ScreenPixels bitmap = GrabPixels(dc, RECT{0, 0, PaletteWidth, PaletteHeight});
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(art);

  ShowPalette();
  // First as shown before any click (a click at (0, 0) hits nothing).
  struct Look { POINT tool, swatch; COLORREF colour; RECT frame; } looks[] = {
      {{0, 0}, {0, 0}, Red, {264, 12, 282, 39}},           {{310, 20}, {215, 31}, 0xFF8080, {305, 12, 324, 39}},
      {{330, 20}, {215, 31}, 0xFF8080, {326, 12, 343, 39}}, {{290, 20}, {36, 12}, 0x000000, {284, 12, 303, 39}}};
  for (const Look& look : looks) {
    ClickWindow(palette, look.tool.x, look.tool.y);
    ClickWindow(palette, look.swatch.x, look.swatch.y);
    std::string last;
    EXPECT_TRUE(WaitUntil([&] {
      POINT o = {0, 0};
      ClientToScreen(palette, &o);
      last = Mismatch(GrabPixels(NULL, RECT{o.x, o.y, o.x + PaletteWidth, o.y + PaletteHeight}), bitmap,
                      look.colour, look.frame);
      return last.empty();
    }, Timeout)) << last;
  }
}

TEST_F(PaletteTest, RightClickOnThePaletteTakesNoCapture) {
  ShowPalette();
  SendMouse(palette, WM_RBUTTONDOWN, MK_RBUTTON, 100, 15);
  SendMouse(palette, WM_RBUTTONDOWN, MK_RBUTTON, 20, 25);
  EXPECT_EQ(rec->glCaptured, 0);
  EXPECT_EQ(GetFileAttributesA(tempPath.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(IsWindowVisible(palette));
  EXPECT_EQ(Copies(), 0);
  // The same right-click on the mask takes the capture.
  EXPECT_TRUE(CaptureByMessage());
  EXPECT_NE(GetFileAttributesA(tempPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The real application arms DrawCopy from its command and hosts the palette.
class AppPaletteTest : public ::testing::Test {
 protected:
  Process app;
  HWND appWindow = NULL;
  HMODULE lib = NULL;
  SharedCaptureState* rec = NULL;

  void SetUp() override {
    DeleteFileA(CaptureTempPath().c_str());
    lib = LoadLibraryA((BinDir() + "Vistrel.dll").c_str());
    ASSERT_TRUE(lib != NULL);
    rec = SharedRecordOf(lib);
    ASSERT_TRUE(rec != NULL);
    rec->glCurDrawTool = 1;
    rec->glCurColor = Red;
    ASSERT_TRUE(RestPointerAt(PointerRest));
    app = Launch(BinDir() + "Vistrel.exe");
    appWindow = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
    ASSERT_TRUE(appWindow != NULL);
    ASSERT_TRUE(WaitUntil([&] { return rec->glhMainWnd == appWindow; }, Timeout));
    PostMessageA(appWindow, WM_COMMAND, IDM_DRAWCOPY, 0);
    ASSERT_TRUE(WaitUntil([&] { return rec->glCaptureMode == DrawCopy && IsWindowVisible(rec->glhMaskWnd); }, Timeout));
  }
  void TearDown() override {
    if (appWindow) PostMessageA(appWindow, WM_COMMAND, IDM_EXIT, 0);
    DWORD code = 0;
    WaitForExit(app, Timeout, &code);
    Kill(app);
    if (lib) FreeLibrary(lib);
    DeleteFileA(CaptureTempPath().c_str());
  }
};

TEST_F(AppPaletteTest, PicksToolAndColourAndSwallowsTheRightClick) {
  HWND mask = rec->glhMaskWnd, palette = rec->glhDrawToolsWnd;
  ASSERT_EQ(WindowProcess(palette), app.pid);
  POINT tips = OnPrimary(8, 8);
  SendMouse(mask, WM_MOUSEMOVE, 0, tips.x, tips.y);
  struct Click { int x, y, tool; COLORREF colour; } clicks[] = {
      {283, 25, 2, Red}, {282, 25, 1, Red}, {340, 25, 0, Red}, {88, 32, 0, 0x00FFFF}};
  for (const Click& c : clicks) {
    ClickWindow(palette, c.x, c.y);
    EXPECT_EQ(rec->glCurDrawTool, c.tool) << c.x;
    EXPECT_EQ(rec->glCurColor, c.colour) << c.x;
  }
  SendMouse(palette, WM_RBUTTONDOWN, MK_RBUTTON, 150, 20);
  ClickWindow(palette, 150, 20);
  EXPECT_EQ(rec->glCurColor, COLORREF(0x800080));
  EXPECT_EQ(rec->glCaptured, 0);
  EXPECT_EQ(GetFileAttributesA(CaptureTempPath().c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(IsWindowVisible(mask));
  EXPECT_TRUE(IsWindowVisible(palette));
}
