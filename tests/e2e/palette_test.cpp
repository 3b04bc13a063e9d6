// The drawing tool palette in DrawCopy, driven by real mouse input over the
// stand-in application's mask. The current tool and colour are read from the
// shared record through this process's own mapping of the same library, and
// what the palette shows is read back from the screen.
#include <gtest/gtest.h>
#include <functional>
#include <vector>
#include "common/command_ids.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/host/lib_host.h"

static const DWORD Timeout = 30000;
static const int PaletteWidth = 348, PaletteHeight = 51;

// The 28 swatches row by row, with the colours the layout gives them.
static const COLORREF Swatches[28] = {
    0x000000, 0x808080, 0x000080, 0x008080, 0x008000, 0x808000, 0x800000, 0x800080, 0x408080, 0x404000,
    0xFF8000, 0x804000, 0xFF0080, 0x004080, 0xFFFFFF, 0xC0C0C0, 0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00,
    0xFF0000, 0xFF00FF, 0x80FFFF, 0x80FF00, 0xFFFF80, 0xFF8080, 0x8000FF, 0x4080FF};

static RECT SwatchRect(int i) {
  int k = i % 14, r = i / 14;
  RECT rect = {35 + 16 * k, 11 + 16 * r, 46 + 16 * k, 22 + 16 * r};
  return rect;
}

// Moves the cursor to exactly that screen point and waits until it is there.
static bool MoveExactly(int x, int y) {
  MoveMouseTo(x, y);
  return WaitUntil([&] {
    POINT p;
    GetCursorPos(&p);
    return p.x == x && p.y == y;
  }, Timeout);
}

// Pixels of a bitmap or of the screen as 0x00BBGGRR values, top row first.
typedef std::vector<COLORREF> Pixels;

static Pixels ReadPixels(HDC source, int x, int y, int w, int h) {
  Pixels pixels(w * h);
  BITMAPINFO bi;
  ZeroMemory(&bi, sizeof(bi));
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = NULL;
  HDC dc = CreateCompatibleDC(source);
  HBITMAP dib = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
  HGDIOBJ old = SelectObject(dc, dib);
  BitBlt(dc, 0, 0, w, h, source, x, y, SRCCOPY);
  GdiFlush();
  const BYTE* p = (const BYTE*)bits;
  for (int i = 0; i < w * h; i++, p += 4) pixels[i] = RGB(p[2], p[1], p[0]);
  SelectObject(dc, old);
  DeleteObject(dib);
  DeleteDC(dc);
  return pixels;
}

class PaletteTest : public ::testing::Test {
 protected:
  Process host;
  HWND hostWindow = NULL, appWindow = NULL, mask = NULL, palette = NULL;
  HMODULE lib = NULL;
  SharedCaptureState* rec = NULL;
  std::string tempPath;

  void SetUp() override {
    Load();
    if (HasFatalFailure()) return;
    host = Launch(BinDir() + "LibHost.exe");
    hostWindow = WaitForWindow(LibHostClass, NULL, host.pid, Timeout);
    ASSERT_TRUE(hostWindow != NULL);
    ASSERT_EQ(Ask(WM_APP_COUNT_OF, WM_USER_COPIED), 0);  // answers once InitHook is done
    ASSERT_EQ(Ask(WM_APP_ARM, DrawCopy), 1);
    Armed();
  }
  void TearDown() override {
    if (hostWindow) PostMessageA(hostWindow, WM_CLOSE, 0, 0);
    if (appWindow) PostMessageA(appWindow, WM_COMMAND, IDM_EXIT, 0);
    DWORD code = 0;
    WaitForExit(host, Timeout, &code);
    Kill(host);
    if (lib) FreeLibrary(lib);
    DeleteFileA(tempPath.c_str());
  }
  // The library as the program under test maps it, from the same file.
  void Load() {
    tempPath = CaptureTempPath();
    DeleteFileA(tempPath.c_str());
    lib = LoadLibraryA((BinDir() + "Vistrel.dll").c_str());
    ASSERT_TRUE(lib != NULL);
    rec = SharedRecordOf(lib);
    ASSERT_TRUE(rec != NULL);
    // The tool and colour outlive every run while anything maps the library:
    // start each case from the values of a fresh load.
    rec->glCurDrawTool = 1;
    rec->glCurColor = 0x0000FF;
    MoveMouseTo(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
  }
  // DrawCopy is armed: the mask covers the screen, the palette is still hidden.
  void Armed() {
    mask = rec->glhMaskWnd;
    palette = rec->glhDrawToolsWnd;
    ASSERT_EQ(WindowProcess(palette), host.pid);
    ASSERT_EQ(GetParent(palette), mask);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(mask) != 0; }, Timeout));
    EXPECT_FALSE(IsWindowVisible(palette));
  }
  LRESULT Ask(UINT message, WPARAM wParam) {
    DWORD_PTR result = (DWORD_PTR)-2;
    SendMessageTimeoutA(hostWindow, message, wParam, 0, SMTO_ABORTIFHUNG, 10000, &result);
    return (LRESULT)result;
  }
  // A point of the mask's client area, where draw objects and the tips panel live.
  bool MoveOnMask(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(mask, &p);
    return MoveExactly(p.x, p.y);
  }
  bool MoveOnPalette(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(palette, &p);
    return MoveExactly(p.x, p.y);
  }
  void ClickOnPalette(int x, int y) {
    ASSERT_TRUE(MoveOnPalette(x, y));
    ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  }
  // The cursor touches the tips panel, which the palette then covers. Wine now
  // and then drops the first move over a window just shown, hence the nudges.
  void ShowPalette() {
    int nudge = 0;
    ASSERT_TRUE(WaitUntil([&] {
      MoveOnMask(8 + nudge++ % 3, 8);
      return IsWindowVisible(palette) != 0;
    }, Timeout));
  }
  bool ColourBecomes(COLORREF colour) {
    return WaitUntil([&] { return rec->glCurColor == colour; }, Timeout);
  }
  bool ToolBecomes(int tool) {
    return WaitUntil([&] { return rec->glCurDrawTool == tool; }, Timeout);
  }
  // Whether the host shows that system cursor now.
  bool CursorIs(LPCSTR id, DWORD timeout = Timeout) {
    HCURSOR expected = (HCURSOR)Ask(WM_APP_SYSTEM_CURSOR, (WPARAM)id);
    return WaitUntil([&] {
      CURSORINFO info;
      ZeroMemory(&info, sizeof(info));
      info.cbSize = sizeof(info);
      return GetCursorInfo(&info) && info.hCursor == expected;
    }, timeout);
  }
  // Moves onto the mask there until the palette has gone; Wine now and then drops
  // the move, hence the nudges.
  bool PaletteHidesAt(int x, int y) {
    int nudge = 0;
    return WaitUntil([&] {
      MoveOnMask(x + nudge++ % 3, y);
      return WaitUntil([&] { return !IsWindowVisible(palette); }, 1000);
    }, Timeout);
  }
  // Moves onto the palette point and waits for the cursor there. A late echo of
  // the move before can reach the palette after this one and set the cursor for
  // the point left behind; then the point is left a few pixels and taken again.
  bool CursorAt(int x, int y, LPCSTR id) {
    for (int attempt = 0; attempt < 4; attempt++) {
      if (attempt > 0 && !MoveOnPalette(x, y >= 20 ? y - 6 : y + 6)) return false;
      if (!MoveOnPalette(x, y)) return false;
      if (CursorIs(id, 3000)) return true;
    }
    return false;
  }
};

TEST_F(PaletteTest, AppearsOverTheTipsAreaAndHidesOverTheMask) {
  ShowPalette();
  RECT r;
  GetWindowRect(palette, &r);
  POINT origin = {0, 0};
  ClientToScreen(mask, &origin);
  EXPECT_EQ(r.left - origin.x, 3);
  EXPECT_EQ(r.top - origin.y, 3);
  EXPECT_EQ(r.right - r.left, PaletteWidth);
  EXPECT_EQ(r.bottom - r.top, PaletteHeight);
  // Over the palette it stays; back on the mask it goes, and comes again.
  ASSERT_TRUE(MoveOnPalette(200, 45));
  ASSERT_TRUE(MoveOnPalette(10, 20));
  EXPECT_TRUE(IsWindowVisible(palette));
  EXPECT_TRUE(PaletteHidesAt(400, 300));
  ShowPalette();
  EXPECT_TRUE(PaletteHidesAt(PaletteWidth + 10, 20));
}

TEST_F(PaletteTest, SwatchesSetTheColourAndLeaveTheTool) {
  ShowPalette();
  // Every swatch, alternately at its top-left and its bottom-right pixel.
  for (int i = 0; i < 28; i++) {
    RECT s = SwatchRect(i);
    if (i % 2 == 0)
      ClickOnPalette(s.left, s.top);
    else
      ClickOnPalette(s.right - 1, s.bottom - 1);
    ASSERT_TRUE(ColourBecomes(Swatches[i])) << "swatch " << i;
    EXPECT_EQ(rec->glCurDrawTool, 1);
  }
  // With the select tool current, a swatch changes the colour only.
  ClickOnPalette(334, 25);
  ASSERT_TRUE(ToolBecomes(0));
  ClickOnPalette(100, 15);
  ASSERT_TRUE(ColourBecomes(0x008000));
  EXPECT_EQ(rec->glCurDrawTool, 0);

  // The gap between two swatches, the current-colour box and the panel below
  // the buttons change nothing: the click after them finds the colour as it was.
  ClickOnPalette(48, 15);
  ClickOnPalette(15, 25);
  ClickOnPalette(300, 45);
  ClickOnPalette(314, 25);
  ASSERT_TRUE(ToolBecomes(3));
  EXPECT_EQ(rec->glCurColor, COLORREF(0x008000));
}

TEST_F(PaletteTest, ToolButtonsAndTheSharedEdge) {
  ShowPalette();
  struct Step { int x, y, tool; } steps[] = {
      {283, 20, 2}, {282, 20, 1}, {283, 9, 2}, {282, 39, 1}, {283, 39, 2}, {263, 9, 1},
      {304, 30, 3}, {325, 30, 0}, {324, 30, 3}, {343, 39, 0}, {290, 15, 2}, {270, 35, 1}};
  for (const Step& s : steps) {
    ClickOnPalette(s.x, s.y);
    ASSERT_TRUE(ToolBecomes(s.tool)) << s.x << "," << s.y;
  }
  // Just outside the buttons: above, below and to the right. The swatch click
  // after them shows they were taken and changed nothing.
  ClickOnPalette(283, 8);
  ClickOnPalette(283, 40);
  ClickOnPalette(344, 20);
  ClickOnPalette(262, 20);
  ClickOnPalette(40, 30);
  ASSERT_TRUE(ColourBecomes(0xFFFFFF));
  EXPECT_EQ(rec->glCurDrawTool, 1);
  EXPECT_TRUE(IsWindowVisible(palette));
}

TEST_F(PaletteTest, HandOverButtonsArrowElsewhere) {
  ShowPalette();
  struct Spot { int x, y; bool hand; } spots[] = {
      {40, 15, true},   {48, 15, false}, {253, 37, true}, {15, 25, false}, {283, 20, true},
      {262, 20, false}, {343, 39, true}, {300, 45, false}, {200, 30, true}};
  for (const Spot& s : spots)
    EXPECT_TRUE(CursorAt(s.x, s.y, s.hand ? (LPCSTR)IDC_HAND : (LPCSTR)IDC_ARROW)) << s.x << "," << s.y;
  // Moving over a swatch names no colour.
  EXPECT_EQ(rec->glCurColor, COLORREF(0x0000FF));
}

// What the palette shows is its bitmap, with the current colour in the box and a
// dotted black-and-white frame round the current tool's button; nothing else.
class PalettePaintTest : public PaletteTest {
 protected:
  Pixels bitmap;

  void SetUp() override {
    PaletteTest::SetUp();
    if (HasFatalFailure()) return;
    HBITMAP art = LoadBitmapA(lib, MAKEINTRESOURCEA(131));
    ASSERT_TRUE(art != NULL);
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ old = SelectObject(dc, art);
    bitmap = ReadPixels(dc, 0, 0, PaletteWidth, PaletteHeight);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(art);
  }
  // The first difference between the screen and the expected palette, or "".
  std::string Mismatch(COLORREF colour, const RECT& frame) {
    POINT origin = {0, 0};
    ClientToScreen(palette, &origin);
    HDC screen = GetDC(NULL);
    Pixels shown = ReadPixels(screen, origin.x, origin.y, PaletteWidth, PaletteHeight);
    ReleaseDC(NULL, screen);
    const RECT box = {4, 11, 30, 38};
    int black = 0, white = 0;
    char text[160];
    for (int y = 0; y < PaletteHeight; y++) {
      for (int x = 0; x < PaletteWidth; x++) {
        COLORREF got = shown[y * PaletteWidth + x];
        POINT p = {x, y};
        bool onFrame = PtInRect(&frame, p) &&
                       (x == frame.left || x == frame.right - 1 || y == frame.top || y == frame.bottom - 1);
        if (onFrame) {
          if (got == 0) black++;
          else if (got == 0xFFFFFF) white++;
          else {
            wsprintfA(text, "frame pixel %d,%d is %06lX", x, y, got);
            return text;
          }
          continue;
        }
        COLORREF expected = PtInRect(&box, p) ? colour : bitmap[y * PaletteWidth + x];
        if (got != expected) {
          wsprintfA(text, "pixel %d,%d is %06lX, expected %06lX", x, y, got, expected);
          return text;
        }
      }
    }
    // Dots and gaps: both colours along the frame, neither all of it.
    if (black < 10 || white < 10) {
      wsprintfA(text, "frame has %d black and %d white pixels", black, white);
      return text;
    }
    return "";
  }
  void ExpectShown(COLORREF colour, const RECT& frame) {
    std::string last;
    bool same = WaitUntil([&] { return (last = Mismatch(colour, frame)).empty(); }, Timeout);
    EXPECT_TRUE(same) << last;
  }
};

TEST_F(PalettePaintTest, ShowsTheCurrentColourAndFramesTheCurrentTool) {
  ShowPalette();
  // A corner of the palette that is no button keeps the cursor off the pixels.
  ASSERT_TRUE(MoveOnPalette(PaletteWidth - 2, PaletteHeight - 2));
  const RECT lineFrame = {264, 12, 282, 39}, rectangleFrame = {284, 12, 303, 39},
             ellipseFrame = {305, 12, 324, 39}, selectFrame = {326, 12, 343, 39};
  ExpectShown(0x0000FF, lineFrame);

  ClickOnPalette(310, 20);
  ASSERT_TRUE(ToolBecomes(3));
  ClickOnPalette(215, 31);
  ASSERT_TRUE(ColourBecomes(0xFF8080));
  ASSERT_TRUE(MoveOnPalette(PaletteWidth - 2, PaletteHeight - 2));
  ExpectShown(0xFF8080, ellipseFrame);

  ClickOnPalette(330, 20);
  ASSERT_TRUE(ToolBecomes(0));
  ASSERT_TRUE(MoveOnPalette(PaletteWidth - 2, PaletteHeight - 2));
  ExpectShown(0xFF8080, selectFrame);

  ClickOnPalette(290, 20);
  ASSERT_TRUE(ToolBecomes(2));
  ClickOnPalette(36, 12);
  ASSERT_TRUE(ColourBecomes(0x000000));
  ASSERT_TRUE(MoveOnPalette(PaletteWidth - 2, PaletteHeight - 2));
  ExpectShown(0x000000, rectangleFrame);
}

TEST_F(PaletteTest, RightClickOnThePaletteTakesNoCapture) {
  ShowPalette();
  ASSERT_TRUE(MoveOnPalette(100, 15));
  RightClick();
  ASSERT_TRUE(MoveOnPalette(20, 25));
  RightClick();
  // Input comes in order: once this click has picked its colour, both
  // right-clicks before it have been handled.
  ClickOnPalette(200, 15);
  ASSERT_TRUE(ColourBecomes(0xFF8000));
  EXPECT_EQ(Ask(WM_APP_COUNT_OF, WM_USER_COPIED), 0);
  EXPECT_EQ(GetFileAttributesA(tempPath.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(IsWindowVisible(mask));

  // The same right-click on the mask itself takes the capture.
  ASSERT_TRUE(MoveOnMask(600, 400));
  RightClick();
  EXPECT_TRUE(WaitUntil([&] { return Ask(WM_APP_COUNT_OF, WM_USER_COPIED) == 1; }, Timeout));
  EXPECT_NE(GetFileAttributesA(tempPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The real application arms DrawCopy from its command and hosts the palette.
class AppPaletteTest : public PaletteTest {
 protected:
  void SetUp() override {
    Load();
    if (HasFatalFailure()) return;
    host = Launch(BinDir() + "Vistrel.exe");
    appWindow = WaitForWindow("VISTREL", "Vistrel", host.pid, Timeout);
    ASSERT_TRUE(appWindow != NULL);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(appWindow) != 0; }, Timeout));
    ASSERT_EQ(rec->glhMainWnd, appWindow);
    PostMessageA(appWindow, WM_COMMAND, IDM_DRAWCOPY, 0);
    ASSERT_TRUE(WaitUntil([&] { return rec->glCaptureMode == DrawCopy; }, Timeout));
    Armed();
  }

 public:
  // What the application shows, for a failure's message.
  std::string State() {
    POINT cursor;
    GetCursorPos(&cursor);
    ScreenToClient(palette, &cursor);
    char text[160];
    wsprintfA(text, "tool %d, colour %06lx, palette %s, cursor at (%ld, %ld) on it",
              rec->glCurDrawTool, (unsigned long)rec->glCurColor, IsWindowVisible(palette) ? "shown" : "hidden",
              cursor.x, cursor.y);
    return text;
  }
  void Click(int x, int y) { ClickOnPalette(x, y); }
  void Move(int x, int y) { MoveOnPalette(x, y); }
  // A late echo of a move over the mask hides the palette now and then.
  void ShowPaletteAgain() {
    if (!IsWindowVisible(palette)) ShowPalette();
  }
};

// Clicks there until the tool is the one wanted. The application has no round
// trip to show it has taken a move, and under load Wine now and then hands it a
// late echo of the move before, so a click may land where the cursor was: a
// second click there picks the same again and changes nothing. Each try comes from
// a few pixels away, so that an echo stuck one pixel off is moved out of the way,
// and with the palette shown.
static bool PickUntil(AppPaletteTest* test, int x, int y, std::function<bool()> picked) {
  int tries = 0;
  return WaitUntil([&] {
    test->ShowPaletteAgain();
    if (tries++ > 0) test->Move(x, y + 6);
    test->Click(x, y);
    return WaitUntil(picked, 1000);
  }, Timeout);
}

TEST_F(AppPaletteTest, PicksToolAndColourAndSwallowsTheRightClick) {
  ShowPalette();
  ASSERT_TRUE(PickUntil(this, 283, 25, [&] { return rec->glCurDrawTool == 2; })) << State();
  ASSERT_TRUE(PickUntil(this, 282, 25, [&] { return rec->glCurDrawTool == 1; })) << State();
  ASSERT_TRUE(PickUntil(this, 340, 25, [&] { return rec->glCurDrawTool == 0; })) << State();
  ASSERT_TRUE(PickUntil(this, 88, 32, [&] { return rec->glCurColor == 0x00FFFF; })) << State();
  EXPECT_EQ(rec->glCurDrawTool, 0);

  ASSERT_TRUE(MoveOnPalette(150, 20));
  RightClick();
  ClickOnPalette(150, 20);
  ASSERT_TRUE(ColourBecomes(0x800080));
  EXPECT_EQ(GetFileAttributesA(tempPath.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(IsWindowVisible(mask));
  EXPECT_TRUE(IsWindowVisible(palette));
}
