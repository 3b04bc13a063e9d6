// WindowCopy and ControlCopy with real input over a foreign program: the hook
// tracks the window under the cursor, the mask follows it, and a right-click
// writes "CaptureTemp.bmp" from inside that program.
#include "tests/e2e/capture_fixture.h"
#include "tests/support/screen_pixels.h"

static int ExpectedDepth() {
  HDC screen = GetDC(NULL);
  int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(NULL, screen);
  return bits <= 8 ? 8 : bits <= 24 ? 24 : 32;
}

// The file's size fields, offsets and dimensions for a capture of width x height.
static void ExpectLayout(const BmpFile& bmp, LONG width, LONG height) {
  ASSERT_TRUE(bmp.ok);
  EXPECT_EQ(bmp.width, width);
  EXPECT_EQ(bmp.height, height);
  EXPECT_EQ(bmp.planes, 1);
  EXPECT_EQ(bmp.bitCount, ExpectedDepth());
  EXPECT_EQ(bmp.compression, (DWORD)BI_RGB);
  DWORD palette = bmp.bitCount <= 8 ? 4u << bmp.bitCount : 0;
  EXPECT_EQ(bmp.pixelOffset, 54 + palette);
  EXPECT_EQ(bmp.fileSize, 54 + palette + bmp.RowBytes() * (DWORD)height);
  EXPECT_EQ(bmp.bytes.size(), (size_t)bmp.fileSize);
}

TEST_F(CaptureFixture, WindowCopyTracksTheTargetAndCapturesItsPixels) {
  Arm(WindowCopy);
  ASSERT_TRUE(MoveUntilNewWindows(ClientPoint(150, 120), 1));
  // Moving between the controls of one window changes nothing in WindowCopy.
  for (int i : {0, 1, 2, 0}) ASSERT_TRUE(MoveUntilSwatchSaw(i)) << "swatch " << i;
  EXPECT_EQ(NewWindows(), 1);

  // The mask lies exactly over the target.
  RECT targetRect = TargetScreenRect();
  HWND mask = HostMask();
  ASSERT_TRUE(mask != NULL);
  EXPECT_TRUE(IsWindowVisible(mask));
  int b = GetSystemMetrics(SM_CYBORDER), c = GetSystemMetrics(SM_CYCAPTION);
  RECT maskRect, box, expectedMask = {targetRect.left - b, targetRect.top - c, targetRect.right + b,
                                      targetRect.bottom + b};
  GetWindowRect(mask, &maskRect);
  EXPECT_TRUE(EqualRect(&maskRect, &expectedMask));
  WindowRegionBox(mask, &box);
  RECT expectedBox = {b, c, b + targetRect.right - targetRect.left, c + targetRect.bottom - targetRect.top};
  EXPECT_TRUE(EqualRect(&box, &expectedBox));

  LRESULT upsBefore = TargetSaw(WM_RBUTTONUP);
  ASSERT_TRUE(CaptureAt(SwatchCentre(0), 0));
  EXPECT_FALSE(IsWindowVisible(mask));
  // The press was swallowed; the release reached the target.
  EXPECT_TRUE(WaitUntil([&] { return TargetSaw(WM_RBUTTONUP) > upsBefore; }, Timeout));
  EXPECT_EQ(TargetSaw(WM_RBUTTONDOWN), 0);

  BmpFile bmp = ReadBmpFile(tempPath.c_str());
  LONG w = targetRect.right - targetRect.left, h = targetRect.bottom - targetRect.top;
  ExpectLayout(bmp, w, h);
  if (!bmp.ok || bmp.width != w) return;
  POINT origin = {0, 0};
  ClientToScreen(targetWindow, &origin);
  int dx = origin.x - targetRect.left, dy = origin.y - targetRect.top;
  EXPECT_EQ(bmp.Pixel(dx + 150, dy + 115), TargetClientColour);
  for (int i = 0; i < TargetSwatchCount; i++) {
    const RECT& r = TargetSwatchRects[i];
    EXPECT_EQ(bmp.Pixel(dx + r.left, dy + r.top), TargetSwatchColours[i]) << "swatch " << i;
    EXPECT_EQ(bmp.Pixel(dx + r.right - 1, dy + r.bottom - 1), TargetSwatchColours[i]) << "swatch " << i;
  }

  // Idle until the next StartHook: the application's thread has removed the hook,
  // moves report nothing, right-clicks pass on.
  HMODULE lib = LoadLibraryA((BinDir() + "Vistrel.dll").c_str());
  ASSERT_TRUE(lib != NULL);
  SharedCaptureState* rec = SharedRecordOf(lib);
  EXPECT_TRUE(WaitUntil([&] { return rec->glhHook == NULL; }, Timeout));
  FreeLibrary(lib);
  MoveMouseTo(5, 5);
  RightClickAt(SwatchCentre(2));
  EXPECT_TRUE(WaitUntil([&] { return TargetSaw(WM_RBUTTONDOWN) == 1; }, Timeout));
  EXPECT_EQ(NewWindows(), 1);
  EXPECT_EQ(Copies(), 1);
}

TEST_F(CaptureFixture, ControlCopyTracksEachControlAndCapturesOne) {
  Arm(ControlCopy);
  ASSERT_TRUE(MoveUntilNewWindows(SwatchCentre(0), 1));
  // Moves within one control send nothing more. No other point has been visited
  // yet, so no late echo of the pointer can take the target elsewhere.
  POINT p = SwatchCentre(0);
  LRESULT seen = TargetSaw(WM_MOUSEMOVE);
  for (int i = 1; i < 10; i++) MoveMouseTo(p.x + i, p.y + i);
  EXPECT_TRUE(WaitUntil([&] { return TargetSaw(WM_MOUSEMOVE) > seen; }, Timeout));
  EXPECT_EQ(NewWindows(), 1);
  // Each crossing into another control sends one.
  ASSERT_TRUE(MoveUntilNewWindows(SwatchCentre(1), 2));
  ASSERT_TRUE(MoveUntilNewWindows(SwatchCentre(0), 3));
  ASSERT_TRUE(MoveOntoSwatch(1));

  ASSERT_TRUE(CaptureAt(SwatchCentre(1), 0));
  BmpFile bmp = ReadBmpFile(tempPath.c_str());
  const RECT& r = TargetSwatchRects[1];
  ExpectLayout(bmp, r.right - r.left, r.bottom - r.top);
  if (!bmp.ok || bmp.width != r.right - r.left) return;
  for (int y = 0; y < bmp.height; y++)
    for (int x = 0; x < bmp.width; x++) ASSERT_EQ(bmp.Pixel(x, y), TargetSwatchColours[1]) << x << "," << y;
}

static const COLORREF CoverColour = RGB(20, 220, 220);

// A window of another program lies over part of the target and its right edge.
// Where the desktop is composed the picture is exactly what the screen shows over
// the target's visible frame, that window included; elsewhere the target's own
// pixels, as they were before.
TEST_F(CaptureFixture, WindowCopyHoldsWhatTheScreenShowsOverTheTarget) {
  POINT at = ClientPoint(330, 60);
  RECT coverRect = {at.x, at.y, at.x + 200, at.y + 60};
  HWND cover = CreateWindowExA(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, SolidWindowClass(), "", WS_POPUP,
                               at.x, at.y, 200, 60, NULL, NULL, GetModuleHandleA(NULL), NULL);
  SetWindowLongPtrA(cover, GWLP_USERDATA, CoverColour);
  ShowWindow(cover, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(WaitUntil([&] { return GrabPixels(NULL, coverRect).Count(CoverColour) == 200 * 60; }, Timeout));
  Arm(WindowCopy);
  RECT frame = TargetScreenRect();
  ASSERT_TRUE(MoveOnto(SwatchCentre(0), frame));
  ASSERT_TRUE(CaptureAt(SwatchCentre(0), 0));
  BmpFile bmp = ReadBmpFile(tempPath.c_str());
  ASSERT_NO_FATAL_FAILURE(ExpectLayout(bmp, frame.right - frame.left, frame.bottom - frame.top));
  POINT covered = ClientPoint(375, 90);
  COLORREF underCover = bmp.Pixel(covered.x - frame.left, covered.y - frame.top);
  if (DesktopComposed()) {
    // From the client area down: under Wine the target's caption shows it inactive
    // soon after the capture, which the picture took as it was.
    POINT o = ClientPoint(0, 0);
    ScreenPixels screen = GrabPixels(NULL, frame);
    long differ = 0;
    for (int y = o.y - frame.top; y < bmp.height; y++)
      for (int x = 0; x < bmp.width; x++) differ += bmp.Pixel(x, y) != screen.At(frame.left + x, frame.top + y);
    EXPECT_EQ(differ, 0) << "pixels unlike the screen's";
    EXPECT_EQ(underCover, CoverColour);
  } else {
    EXPECT_EQ(underCover, TargetPanelColour);
  }
  DestroyWindow(cover);
}

// A hooked program waits for the application to take its mask off the screen only
// so long: with the application suspended, the capture is taken all the same, from
// the target's own pixels, without the mask that still lies over it.
TEST_F(CaptureFixture, ApplicationThatDoesNotHideTheMaskHoldsTheCaptureBriefly) {
  Arm(WindowCopy);
  RECT frame = TargetScreenRect();
  ASSERT_TRUE(MoveOnto(SwatchCentre(0), frame));
  SetSuspended(host.pid, true);
  RightClickAt(SwatchCentre(0));
  BmpFile bmp;
  bool written = WaitUntil([&] { return (bmp = ReadBmpFile(tempPath.c_str())).ok; }, 10000);
  bool masked = IsWindowVisible(HostMask()) != 0;
  SetSuspended(host.pid, false);
  ASSERT_TRUE(written) << "no picture while the application was suspended";
  EXPECT_TRUE(masked);
  ASSERT_NO_FATAL_FAILURE(ExpectLayout(bmp, frame.right - frame.left, frame.bottom - frame.top));
  // The client area as far as the frame holds it, in screen coordinates.
  RECT client;
  GetClientRect(targetWindow, &client);
  MapWindowPoints(targetWindow, NULL, (POINT*)&client, 2);
  IntersectRect(&client, &client, &frame);
  POINT o = ClientPoint(0, 0);
  long differ = 0;
  for (int y = client.top; y < client.bottom; y++)
    for (int x = client.left; x < client.right; x++)
      differ += bmp.Pixel(x - frame.left, y - frame.top) != LayoutColour(x - o.x, y - o.y);
  EXPECT_EQ(differ, 0) << "pixels of the client area unlike the target's";
  EXPECT_TRUE(WaitUntil([&] { return Copies() == 1; }, Timeout));
}

TEST_F(CaptureFixture, TitleBarMovesAndClicksPassOn) {
  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(0));
  LRESULT news = NewWindows();
  // The caption: non-client messages, which neither change the target nor capture.
  RECT r = TargetScreenRect();
  POINT origin = {0, 0};
  ClientToScreen(targetWindow, &origin);
  int captionY = (r.top + origin.y) / 2;
  ASSERT_EQ(SendMessageA(targetWindow, WM_NCHITTEST, 0, MAKELPARAM(r.left + 60, captionY)), HTCAPTION);
  // Wine now and then drops the first move over a window: nudge along the caption.
  int nudge = 0;
  ASSERT_TRUE(WaitUntil([&] {
    MoveMouseTo(r.left + 60 + nudge++ % 3, captionY);
    return TargetSaw(WM_NCMOUSEMOVE) > 0;
  }, Timeout));
  // The press carries its position: a late echo of the moves onto the swatch
  // cannot put it there, where it would take a capture.
  RightClickAt(POINT{r.left + 60, captionY});
  ASSERT_TRUE(WaitUntil([&] { return TargetSaw(WM_NCRBUTTONDOWN) > 0; }, Timeout));
  EXPECT_EQ(NewWindows(), news);
  EXPECT_EQ(Copies(), 0);
  EXPECT_TRUE(MaskOver(SwatchScreenRect(0)));
  EXPECT_EQ(GetFileAttributesA(tempPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The nested control lies two levels below the window: WindowCopy climbs past its
// panel to the whole window, ControlCopy takes the control alone.
TEST_F(CaptureFixture, NestedControlGivesTheWholeWindowOrTheControlAlone) {
  Arm(WindowCopy);
  ASSERT_TRUE(MoveUntilNewWindows(NestedCentre(), 1));
  ASSERT_TRUE(CaptureAt(NestedCentre(), 0));
  RECT t = TargetScreenRect();
  BmpFile bmp = ReadBmpFile(tempPath.c_str());
  ExpectLayout(bmp, t.right - t.left, t.bottom - t.top);
  POINT o = ClientPoint(0, 0);
  int dx = o.x - t.left + TargetPanelRect.left, dy = o.y - t.top + TargetPanelRect.top;
  EXPECT_EQ(bmp.Pixel(dx + 2, dy + 2), TargetPanelColour);
  EXPECT_EQ(bmp.Pixel(dx + TargetNestedRect.left, dy + TargetNestedRect.top), TargetNestedColour);
  EXPECT_EQ(bmp.Pixel(o.x - t.left + 150, o.y - t.top + 115), TargetClientColour);

  Arm(ControlCopy);
  ASSERT_TRUE(MoveUntilNewWindows(NestedCentre(), NewWindows() + 1));
  ASSERT_TRUE(CaptureAt(NestedCentre(), 1));
  const RECT& r = TargetNestedRect;
  bmp = ReadBmpFile(tempPath.c_str());
  ExpectLayout(bmp, r.right - r.left, r.bottom - r.top);
  for (int y = 0; y < bmp.height; y += 5)
    for (int x = 0; x < bmp.width; x += 5) ASSERT_EQ(bmp.Pixel(x, y), TargetNestedColour) << x << "," << y;
}

TEST_F(CaptureFixture, RightClickBeforeAnyMoveTakesNothing) {
  POINT p = SwatchCentre(2);
  MoveMouseTo(p.x, p.y);
  ASSERT_TRUE(WaitUntil([&] { return TargetSaw(WM_MOUSEMOVE) > 0; }, Timeout));
  Arm(WindowCopy);
  RightClick();
  ASSERT_TRUE(WaitUntil([&] { return TargetSaw(WM_RBUTTONUP) == 1; }, Timeout));
  EXPECT_EQ(TargetSaw(WM_RBUTTONDOWN), 1);
  EXPECT_EQ(Copies(), 0);
  EXPECT_EQ(GetFileAttributesA(tempPath.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The second picture is the smaller: the file is cut to it, not written over the first.
TEST_F(CaptureFixture, TwoCapturesLeaveOnlyTheSecondPicture) {
  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(2));
  ASSERT_TRUE(CaptureAt(SwatchCentre(2), 0));
  BmpFile first = ReadBmpFile(tempPath.c_str());
  ASSERT_TRUE(first.ok);
  EXPECT_EQ(first.Pixel(3, 3), TargetSwatchColours[2]);

  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(0));
  ASSERT_TRUE(CaptureAt(SwatchCentre(0), 1));
  BmpFile second = ReadBmpFile(tempPath.c_str());
  const RECT& r = TargetSwatchRects[0];
  ASSERT_LT((r.right - r.left) * (r.bottom - r.top), first.width * first.height);
  ASSERT_NO_FATAL_FAILURE(ExpectLayout(second, r.right - r.left, r.bottom - r.top));
  EXPECT_EQ(second.Pixel(3, 3), TargetSwatchColours[0]);
}

// The clipboard as a bitmap's pixels at (x, y), or CLR_INVALID when it holds none.
static COLORREF ClipboardPixel(int x, int y, LONG* width, LONG* height) {
  COLORREF colour = CLR_INVALID;
  if (!OpenClipboard(NULL)) return colour;
  HBITMAP bitmap = (HBITMAP)GetClipboardData(CF_BITMAP);
  BITMAP info;
  if (bitmap && GetObjectA(bitmap, sizeof(info), &info)) {
    *width = info.bmWidth;
    *height = info.bmHeight;
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ old = SelectObject(dc, bitmap);
    colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  CloseClipboard();
  return colour;
}

static void PutTextOnClipboard(const char* text) {
  ASSERT_TRUE(OpenClipboard(NULL));
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, lstrlenA(text) + 1);
  lstrcpyA((char*)GlobalLock(memory), text);
  GlobalUnlock(memory);
  SetClipboardData(CF_TEXT, memory);
  CloseClipboard();
}

TEST_F(CaptureFixture, ClipboardHoldsTheCaptureOnlyWhenSwitchedOn) {
  PutTextOnClipboard("before");
  Ask(WM_APP_CLIPBOARD, 0);
  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(1));
  ASSERT_TRUE(CaptureAt(SwatchCentre(1), 0));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));

  Ask(WM_APP_CLIPBOARD, 1);
  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(2));
  ASSERT_TRUE(CaptureAt(SwatchCentre(2), 1));
  LONG w = 0, h = 0;
  EXPECT_EQ(ClipboardPixel(10, 10, &w, &h), TargetSwatchColours[2]);
  const RECT& r = TargetSwatchRects[2];
  EXPECT_EQ(w, r.right - r.left);
  EXPECT_EQ(h, r.bottom - r.top);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));  // only the capture
  BmpFile bmp = ReadBmpFile(tempPath.c_str());
  ASSERT_TRUE(bmp.ok);
  EXPECT_EQ(bmp.Pixel(10, 10), TargetSwatchColours[2]);
}

TEST_F(CaptureFixture, TargetSurvivesManyHookedMovesAndCaptures) {
  LRESULT copies = 0;
  for (int round = 0; round < 4; round++) {
    Arm(round % 2 ? ControlCopy : WindowCopy);
    POINT last = SwatchCentre(round % 2 ? 100 % TargetSwatchCount : 0);
    if (round % 2) {
      // Every crossing into another control runs the hook in the target and
      // sends the application a message from there.
      for (int i = 1; i <= 100; i++) ASSERT_TRUE(MoveOntoSwatch(i % TargetSwatchCount)) << i;
    } else {
      LRESULT seen = TargetSaw(WM_MOUSEMOVE);
      for (int i = 0; i < 100; i++) {
        POINT p = SwatchCentre(i % TargetSwatchCount);
        MoveMouseTo(p.x + i % 7, p.y + i % 5);
      }
      ASSERT_TRUE(WaitUntil([&] { return TargetSaw(WM_MOUSEMOVE) > seen; }, Timeout));
      ASSERT_TRUE(MoveOnto(SwatchCentre(0), TargetScreenRect()));
    }
    ASSERT_TRUE(CaptureAt(last, copies)) << "round " << round;
    copies = Copies();
  }
  EXPECT_EQ(copies, 4);
  EXPECT_GE(NewWindows(), 202);
  EXPECT_EQ(WaitForSingleObject(target.handle, 0), (DWORD)WAIT_TIMEOUT);
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutA(targetWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
}

// With several monitors: a window spread over two of them, wider than the primary,
// is captured whole; on the monitor left of the primary, at negative coordinates,
// a window and a control are exact.
TEST_F(CaptureFixture, WindowsAndControlsOnEveryMonitor) {
  RECT second = SecondMonitor();
  if (IsRectEmpty(&second)) GTEST_SKIP() << "one monitor";
  int wide = GetSystemMetrics(SM_CXSCREEN) + 200;
  SetWindowPos(targetWindow, NULL, second.right - 600, 300, wide, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(WaitUntil([&] { return TargetScreenRect().right - TargetScreenRect().left == wide; }, Timeout));
  Arm(WindowCopy);
  ASSERT_TRUE(MoveOnto(SwatchCentre(0), TargetScreenRect()));
  ASSERT_TRUE(CaptureAt(SwatchCentre(0), 0));
  ExpectLayout(ReadBmpFile(tempPath.c_str()), wide, 300);

  ASSERT_NO_FATAL_FAILURE(MoveTargetTo(second.left + 100, second.top + 150));
  SetWindowPos(targetWindow, NULL, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT t, client;
  ScreenPixels screen;
  ASSERT_TRUE(WaitUntil([&] {
    t = TargetScreenRect();
    POINT origin = ClientPoint(0, 0);
    client = RECT{origin.x, origin.y, origin.x + 390, origin.y + 240};
    screen = GrabPixels(NULL, client);
    return t.right - t.left == 400 && screen.At(client.left + 25, client.top + 25) == TargetSwatchColours[0];
  }, Timeout));
  Arm(WindowCopy);
  ASSERT_TRUE(MoveOnto(SwatchCentre(2), TargetScreenRect()));
  ASSERT_TRUE(CaptureAt(SwatchCentre(2), 1));
  BmpFile bmp = ReadBmpFile(tempPath.c_str());
  ExpectLayout(bmp, 400, 300);
  int differ = 0;
  for (int y = client.top; y < client.bottom; y++)
    for (int x = client.left; x < client.right; x++) differ += bmp.Pixel(x - t.left, y - t.top) != screen.At(x, y);
  EXPECT_EQ(differ, 0);

  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(1));
  ASSERT_TRUE(CaptureAt(SwatchCentre(1), 2));
  bmp = ReadBmpFile(tempPath.c_str());
  const RECT& r = TargetSwatchRects[1];
  ExpectLayout(bmp, r.right - r.left, r.bottom - r.top);
  for (int y = 0; y < bmp.height; y += 7)
    for (int x = 0; x < bmp.width; x += 7) ASSERT_EQ(bmp.Pixel(x, y), TargetSwatchColours[1]) << x << "," << y;
}

// Where the hooked program may not hide the mask (on Windows, an application of
// higher integrity), the application hides it when told of the capture.
TEST_F(CaptureFixture, TheMaskIsHiddenWhereTheHookedProgramIsRefusedTheHide) {
  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(1));
  ASSERT_EQ(SendMessageA(targetWindow, WM_APP_REFUSE_HIDE, 0, 0), 0);
  ASSERT_TRUE(CaptureAt(SwatchCentre(1), 0));
  EXPECT_EQ(SendMessageA(targetWindow, WM_APP_REFUSE_HIDE, 0, 0), 1);
  // Posted before the capture was announced, so handled before it.
  EXPECT_FALSE(IsWindowVisible(HostMask()));
}
