// DrawCopy: objects drawn on the mask with the tools and colours picked on the
// palette are burned into the full-screen capture; a click adds nothing; the select
// tool with Delete and Backspace removes objects; the cursor readout shows the
// position and the colour under the cursor.
#include "tests/e2e/mask_fixture.h"
#include "capture/readout_text.h"

static const COLORREF Red = RGB(255, 0, 0), Green = RGB(0, 255, 0), Blue = RGB(0, 0, 255);
static const POINT RedSwatch = SwatchButton(2, 1), GreenSwatch = SwatchButton(4, 1), BlueSwatch = SwatchButton(6, 1);

// The pixel of a full-screen picture at a screen point: the picture starts at the
// virtual screen's corner.
static COLORREF At(const BmpFile& bmp, int x, int y) {
  POINT o = VirtualOrigin();
  return bmp.Pixel(x - o.x, y - o.y);
}

// The longest run of `colour` on the line through the screen point (x, y) in
// direction (dx, dy), looked for within `reach` pixels either side.
static int RunAcross(const BmpFile& bmp, int x, int y, int dx, int dy, COLORREF colour, int reach = 5) {
  int best = 0, run = 0;
  for (int i = -reach; i <= reach; i++) {
    run = At(bmp, x + i * dx, y + i * dy) == colour ? run + 1 : 0;
    if (run > best) best = run;
  }
  return best;
}

class DrawCopyTest : public MaskFixture {
 protected:
  BmpFile CaptureScreen() {
    EXPECT_TRUE(CaptureByMessage());
    BmpFile bmp = ReadBmpFile(tempPath.c_str());
    EXPECT_TRUE(bmp.ok);
    EXPECT_EQ(bmp.width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(bmp.height, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    return bmp;
  }
};

TEST_F(DrawCopyTest, DrawingsAreBurnedInWhereTheyWereDrawn) {
  ArmFullScreen(DrawCopy);
  Pick(GreenSwatch);
  Pick(RectangleButton);
  ASSERT_EQ(rec->glCurColor, Green);
  POINT r1 = ClientPoint(30, 30), r2 = ClientPoint(120, 90);
  ASSERT_TRUE(DrawObject(r1, r2));
  // Dragged from bottom right to top left: the same box.
  Pick(EllipseButton);
  POINT e1 = ClientPoint(170, 30), e2 = ClientPoint(270, 96);
  ASSERT_TRUE(DrawObject(e2, e1));
  // A new colour applies to the objects started afterwards. Only a move with the
  // left button alone drags: with Shift or Ctrl, another button besides, or no left
  // button, the end point stays.
  Pick(BlueSwatch);
  Pick(LineButton);
  POINT l1 = ClientPoint(40, 180), l2 = ClientPoint(260, 180);
  ToMask(WM_LBUTTONDOWN, MK_LBUTTON, l1);
  ToMask(WM_MOUSEMOVE, MK_LBUTTON, l2);
  for (int i = 0; i < 6; i++) ToMask(WM_MOUSEMOVE, NotDragging[i], POINT{l2.x - 20 * (i + 1), l2.y + 15});
  DrawObj live;
  ASSERT_TRUE(CurrentObject(&live));
  EXPECT_TRUE(Spans(live, l1, l2));
  ToMask(WM_LBUTTONUP, 0, l2);
  EXPECT_EQ(ObjectCount(), 3);

  // The mask shows them too.
  int midY = (r1.y + r2.y) / 2;
  EXPECT_TRUE(WaitUntil([&] { return GrabPixels(NULL, RECT{r1.x, midY, r1.x + 1, midY + 1}).At(r1.x, midY) == Green; }, Timeout));

  BmpFile bmp = CaptureScreen();
  // Rectangle and ellipse in green with the 2-pixel pen, the newest object, the
  // line, in blue with the 3-pixel pen of the selected object.
  EXPECT_EQ(RunAcross(bmp, r1.x, midY, 1, 0, Green), 2);
  EXPECT_EQ(RunAcross(bmp, r2.x, midY, 1, 0, Green), 2);
  EXPECT_EQ(RunAcross(bmp, (r1.x + r2.x) / 2, r1.y, 0, 1, Green), 2);
  EXPECT_EQ(RunAcross(bmp, (r1.x + r2.x) / 2, r2.y, 0, 1, Green), 2);
  EXPECT_EQ(At(bmp, r1.x + 6, midY), TargetSwatchColours[0]);  // hollow
  int eMidX = (e1.x + e2.x) / 2, eMidY = (e1.y + e2.y) / 2;
  EXPECT_GE(RunAcross(bmp, e1.x, eMidY, 1, 0, Green), 2);
  EXPECT_GE(RunAcross(bmp, e2.x, eMidY, 1, 0, Green), 2);
  EXPECT_GE(RunAcross(bmp, eMidX, e1.y, 0, 1, Green), 2);
  EXPECT_GE(RunAcross(bmp, eMidX, e2.y, 0, 1, Green), 2);
  EXPECT_EQ(RunAcross(bmp, e1.x + 5, e1.y + 5, 1, 1, Green, 3), 0);  // off the curve, inside the box corner
  EXPECT_EQ(At(bmp, eMidX, eMidY), TargetSwatchColours[1]);
  for (int x = l1.x + 10; x < l2.x - 10; x += 30) EXPECT_EQ(RunAcross(bmp, x, l1.y, 0, 1, Blue), 3) << x;
  EXPECT_EQ(RunAcross(bmp, l1.x + 50, l1.y, 0, 1, Green), 0);
  EXPECT_EQ(At(bmp, l1.x + 50, l1.y + 20), TargetSwatchColours[2]);
  // No mask in the picture.
  POINT plain = ClientPoint(340, 150);
  EXPECT_EQ(At(bmp, plain.x, plain.y), TargetClientColour);

  // The capture freed everything; a new DrawCopy starts empty, and an object
  // still being dragged when the right-click comes is not kept either.
  EXPECT_TRUE(rec->glDrawObjList == NULL);
  EXPECT_TRUE(rec->glCurDrawObj == NULL);
  ArmFullScreen(DrawCopy);
  EXPECT_EQ(ObjectCount(), 0);
  POINT d1 = ClientPoint(300, 40), d2 = ClientPoint(380, 90);
  ToMask(WM_LBUTTONDOWN, MK_LBUTTON, d1);
  ToMask(WM_MOUSEMOVE, MK_LBUTTON, d2);
  ASSERT_TRUE(CurrentObject(&live));
  ASSERT_TRUE(Spans(live, d1, d2));
  BmpFile second = CaptureScreen();
  ToMask(WM_LBUTTONUP, 0, d2);
  EXPECT_TRUE(rec->glCurDrawObj == NULL);
  EXPECT_EQ(ObjectCount(), 0);
  EXPECT_EQ(RunAcross(second, r1.x, midY, 1, 0, Green), 0);
  EXPECT_EQ(RunAcross(second, (l1.x + l2.x) / 2, l1.y, 0, 1, Blue), 0);
  EXPECT_EQ(RunAcross(second, d1.x, (d1.y + d2.y) / 2, 1, 0, Blue), 0);
  EXPECT_EQ(At(second, r1.x, midY), TargetSwatchColours[0]);
}

// Esc (the target has the keyboard), Alt+F4 on the mask and the application's
// cancel (a WM_CLOSE to it) end an armed capture in every mode without a picture:
// the drawings go, the one being dragged too, and the earlier temporary file stays.
// With nothing armed Esc reaches the program, and the next arming captures.
TEST_F(DrawCopyTest, EscAltF4AndCancelEndEveryModeWithoutAPicture) {
  const std::string earlier = "an earlier picture";
  FILE* file = fopen(tempPath.c_str(), "wb");
  ASSERT_TRUE(file != NULL && fputs(earlier.c_str(), file) >= 0 && fclose(file) == 0);
  POINT a = ClientPoint(30, 60), b = ClientPoint(250, 60);
  for (CaptureMode mode : {WindowCopy, RectCopy, DrawCopy})
    for (int way = 0; way < 3; way++) {
      SCOPED_TRACE(mode * 3 + way);
      if (mode == WindowCopy) {
        Arm(WindowCopy);
        ASSERT_TRUE(MoveOnto(SwatchCentre(0), TargetScreenRect()));
      } else {
        ASSERT_TRUE(RestPointerAt(PointerRest));
        ArmFullScreen(mode);
        ASSERT_TRUE(mode != DrawCopy || way == 2 || DrawObject(a, b));  // the last: only one dragged
        ToMask(WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(40, 150));
        ToMask(WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(250, 150));
      }
      if (way == 0)
        PressEsc();
      else
        SendMessageA(HostMask(), way == 1 ? WM_SYSCOMMAND : WM_CLOSE, SC_CLOSE, 0);
      ExpectCancelled(0, earlier);
    }
  PressEsc();
  EXPECT_TRUE(WaitUntil([&] { return TargetSaw(WM_KEYDOWN) == 1; }, Timeout));
  ASSERT_TRUE(RestPointerAt(PointerRest));
  ArmFullScreen(DrawCopy);
  BmpFile bmp = CaptureScreen();
  EXPECT_EQ(RunAcross(bmp, (a.x + b.x) / 2, a.y, 0, 1, Red), 0);
}

TEST_F(DrawCopyTest, ClickAddsNothingAndSelectWithDeleteRemovesTheChosenObject) {
  ArmFullScreen(DrawCopy);
  Pick(RedSwatch);
  Pick(LineButton);
  POINT click = ClientPoint(300, 60);
  ToMask(WM_LBUTTONDOWN, MK_LBUTTON, click);
  ToMask(WM_LBUTTONUP, 0, click);
  EXPECT_EQ(ObjectCount(), 0) << "the click made an object";
  EXPECT_TRUE(rec->glCurDrawObj == NULL);

  Pick(RectangleButton);
  POINT a1 = ClientPoint(30, 30), a2 = ClientPoint(120, 90);
  POINT b1 = ClientPoint(170, 30), b2 = ClientPoint(270, 95);
  POINT c1 = ClientPoint(40, 140), c2 = ClientPoint(260, 220);
  ASSERT_TRUE(DrawObject(a1, a2));
  ASSERT_TRUE(DrawObject(b1, b2));
  ASSERT_TRUE(DrawObject(c1, c2));

  // The select tool starts no object. Choose the oldest and delete it; its
  // successor is selected and goes next.
  Pick(SelectButton);
  ToMask(WM_LBUTTONDOWN, MK_LBUTTON, POINT{(a1.x + a2.x) / 2, (a1.y + a2.y) / 2});
  ToMask(WM_LBUTTONUP, 0, POINT{(a1.x + a2.x) / 2, (a1.y + a2.y) / 2});
  EXPECT_TRUE(rec->glCurDrawObj == NULL);
  SendMessageA(mask, WM_KEYDOWN, VK_DELETE, 1);
  EXPECT_EQ(ObjectCount(), 2);
  SendMessageA(mask, WM_KEYDOWN, VK_BACK, 1);
  EXPECT_EQ(ObjectCount(), 1);

  BmpFile bmp = CaptureScreen();
  int aMid = (a1.y + a2.y) / 2, bMid = (b1.y + b2.y) / 2, cMid = (c1.y + c2.y) / 2;
  EXPECT_EQ(RunAcross(bmp, a1.x, aMid, 1, 0, Red), 0);
  EXPECT_EQ(At(bmp, a1.x, aMid), TargetSwatchColours[0]);
  EXPECT_EQ(RunAcross(bmp, b1.x, bMid, 1, 0, Red), 0);
  EXPECT_EQ(At(bmp, b1.x, bMid), TargetSwatchColours[1]);
  // The one left was selected by the last deletion.
  EXPECT_EQ(RunAcross(bmp, c1.x, cMid, 1, 0, Red), 3);
  EXPECT_EQ(RunAcross(bmp, c2.x, cMid, 1, 0, Red), 3);
  // Kept, the click would have been a line from it to the client origin.
  POINT o = OnScreen(0, 0);
  for (int i = 1; i < 10; i++) {
    int x = click.x + (o.x - click.x) * i / 10, y = click.y + (o.y - click.y) * i / 10;
    EXPECT_EQ(RunAcross(bmp, x, y, 0, 1, Red, 4), 0) << x << "," << y;
  }
}

// Real input: a right-click over the palette goes to the palette, which swallows
// it, and a click there picks a colour; a drag on the mask draws an object; a
// right-click on the mask burns it into the capture.
TEST_F(DrawCopyTest, RealInputPicksDrawsAndCaptures) {
  ArmFullScreen(DrawCopy);
  POINT tips = OnPrimary(8, 8);
  SendMouse(mask, WM_MOUSEMOVE, 0, tips.x, tips.y);
  ASSERT_TRUE(IsWindowVisible(palette));
  POINT blue = BlueSwatch;
  ClientToScreen(palette, &blue);
  ASSERT_TRUE(HostInput({MoveTo(blue), MouseInput(MOUSEEVENTF_RIGHTDOWN), MouseInput(MOUSEEVENTF_RIGHTUP),
                         MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)}));
  ASSERT_TRUE(WaitUntil([&] { return rec->glCurColor == Blue; }, Timeout));
  EXPECT_EQ(rec->glCaptured, 0);
  EXPECT_TRUE(IsWindowVisible(mask));
  EXPECT_EQ(GetFileAttributesA(tempPath.c_str()), INVALID_FILE_ATTRIBUTES);

  Pick(RectangleButton);
  POINT a = ClientPoint(30, 30), b = ClientPoint(120, 90);
  ASSERT_TRUE(HostInput({MoveTo(a), MouseInput(MOUSEEVENTF_LEFTDOWN), MoveTo(POINT{a.x + 30, a.y + 20}), MoveTo(b),
                         MouseInput(MOUSEEVENTF_LEFTUP)}));
  ASSERT_TRUE(WaitUntil([&] { return ObjectCount() == 1; }, Timeout));
  DrawObj drawn;
  ASSERT_TRUE(NewestObject(&drawn));
  EXPECT_TRUE(Spans(drawn, a, b));
  EXPECT_EQ(drawn.kind, DrawObjRectangle);
  EXPECT_EQ(drawn.colour, Blue);

  ASSERT_TRUE(HostInput({MoveTo(ClientPoint(340, 250)), MouseInput(MOUSEEVENTF_RIGHTDOWN),
                         MouseInput(MOUSEEVENTF_RIGHTUP)}));
  ASSERT_TRUE(WaitUntil([&] { return Copies() == 1; }, Timeout));
  BmpFile bmp = ReadBmpFile(tempPath.c_str());
  ASSERT_EQ(bmp.width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
  int midY = (a.y + b.y) / 2;
  EXPECT_EQ(RunAcross(bmp, a.x, midY, 1, 0, Blue), 3);
  EXPECT_EQ(RunAcross(bmp, b.x, midY, 1, 0, Blue), 3);
  EXPECT_EQ(At(bmp, a.x + 6, midY), TargetSwatchColours[0]);
}

// The expected look of a readout field: the text in the default font and colour
// on the panel's background, as the mask draws it.
static ScreenPixels RenderReadout(const char* text, int width, int height, COLORREF background) {
  HDC screen = GetDC(NULL);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(mem, bitmap);
  RECT r = {0, 0, width, height};
  HBRUSH brush = CreateSolidBrush(background);
  FillRect(mem, &r, brush);
  DeleteObject(brush);
  SetBkMode(mem, TRANSPARENT);
  DrawTextA(mem, text, lstrlenA(text), &r, DT_SINGLELINE | DT_INTERNAL);
  ScreenPixels shot = GrabPixels(mem, r);
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(NULL, screen);
  return shot;
}

class ReadoutTest : public DrawCopyTest {
 protected:
  // The readout fields after the tips panel moved to (3, 3).
  RECT posField = {70, 4, 183, 23}, colourField = {70, 23, 183, 43};

  // A field laid out from the primary monitor's corner, on the screen.
  RECT OnScreenRect(RECT r) {
    POINT c = OnPrimary(r.left, r.top), a = OnScreen(c.x, c.y);
    return RECT{a.x, a.y, a.x + r.right - r.left, a.y + r.bottom - r.top};
  }
  bool FieldShows(RECT field, const char* text) {
    RECT s = OnScreenRect(field);
    COLORREF background = GrabPixels(NULL, RECT{s.left - 1, s.top, s.left, s.top + 1}).pixels[0];
    return GrabPixels(NULL, s).pixels == RenderReadout(text, s.right - s.left, s.bottom - s.top, background).pixels;
  }
  // A move over the mask at (x, y) from the primary monitor's corner; both fields
  // come to show what they should there: the readout is in mask client coordinates.
  bool ReadoutAt(int x, int y, COLORREF under) {
    char position[50], colour[50];
    POINT c = OnPrimary(x, y);
    FormatPositionReadout(position, sizeof(position), c.x, c.y);
    FormatColourReadout(colour, sizeof(colour), under);
    SendMouse(mask, WM_MOUSEMOVE, 0, c.x, c.y);
    return WaitUntil([&] { return FieldShows(posField, position) && FieldShows(colourField, colour); }, Timeout);
  }
};

TEST_F(ReadoutTest, FieldsShowThePositionAndTheColourUnderTheCursor) {
  ArmFullScreen(DrawCopy);
  // The tips panel lies at (3, 3); the fields cover its empty yellow space.
  RECT s = OnScreenRect(posField);
  EXPECT_TRUE(WaitUntil([&] {
    return GrabPixels(NULL, RECT{s.left - 1, s.top, s.left, s.top + 1}).pixels[0] == RGB(255, 255, 0);
  }, Timeout));

  // Over the white mask.
  EXPECT_TRUE(ReadoutAt(600, 700, RGB(255, 255, 255)));
  char elsewhere[50];
  POINT below = OnPrimary(600, 701);
  FormatPositionReadout(elsewhere, sizeof(elsewhere), below.x, below.y);
  EXPECT_FALSE(FieldShows(posField, elsewhere));
  EXPECT_TRUE(ReadoutAt(5, 1000, RGB(255, 255, 255)));
  EXPECT_TRUE(ReadoutAt(1234, 500, RGB(255, 255, 255)));
  // On the panel's dark green top border.
  EXPECT_TRUE(ReadoutAt(100, 3, RGB(0, 128, 0)));
  EXPECT_FALSE(FieldShows(colourField, "255,255,255"));
}

// With several monitors the picture is the whole virtual screen: a line drawn on the
// monitor left of the primary lands where it was drawn, and what lies on no monitor
// is black.
TEST_F(DrawCopyTest, DrawingOnAnotherMonitorLandsThere) {
  RECT second = SecondMonitor();
  if (IsRectEmpty(&second)) GTEST_SKIP() << "one monitor";
  ASSERT_NO_FATAL_FAILURE(MoveTargetTo(second.left + 200, 300));
  ArmFullScreen(DrawCopy);
  Pick(BlueSwatch);
  Pick(LineButton);
  POINT l1 = ClientPoint(40, 180), l2 = ClientPoint(260, 180);
  ASSERT_TRUE(DrawObject(l1, l2));
  BmpFile bmp = CaptureScreen();
  for (int x = l1.x + 10; x < l2.x - 10; x += 30) EXPECT_EQ(RunAcross(bmp, x, l1.y, 0, 1, Blue), 3) << x;
  EXPECT_EQ(At(bmp, l1.x + 50, l1.y + 20), TargetSwatchColours[2]);
  EXPECT_EQ(At(bmp, second.left + 5, second.top - 5), RGB(0, 0, 0));
  EXPECT_EQ(At(bmp, second.right - 5, second.bottom + 5), RGB(0, 0, 0));
  EXPECT_EQ(At(bmp, 5, second.bottom + 5), GrabPixels(NULL, RECT{5, second.bottom + 5, 6, second.bottom + 6}).pixels[0]);
}
