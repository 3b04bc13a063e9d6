// RectCopy with real input: the mask covers the screen, a left drag selects, a
// right-click writes exactly the selected part of the screen.
#include "tests/e2e/mask_fixture.h"

static const COLORREF SelectionColour = RGB(186, 26, 158);
static const COLORREF CornerColour = RGB(255, 0, 255);
static const COLORREF FrameColour = RGB(255, 0, 0);

static int CountColour(const ScreenPixels& shot, COLORREF colour) {
  int n = 0;
  for (COLORREF c : shot.pixels) n += c == colour;
  return n;
}

class RectCopyTest : public MaskFixture {
 protected:
  // Whether the mask shows the dotted selection from a to b (screen points, b
  // exclusive): dots along both edges that meet at b.
  bool SelectionShown(POINT a, POINT b) {
    LONG column = b.x < a.x ? b.x : b.x - 1, row = b.y < a.y ? b.y : b.y - 1;
    LONG left = a.x < b.x ? a.x : b.x, right = a.x < b.x ? b.x : a.x;
    LONG top = a.y < b.y ? a.y : b.y, bottom = a.y < b.y ? b.y : a.y;
    return CountColour(GrabPixels(NULL, RECT{column, top, column + 1, bottom}), SelectionColour) > 5 &&
           CountColour(GrabPixels(NULL, RECT{left, row, right, row + 1}), SelectionColour) > 5;
  }
  // Wine answers each injected move with an echo that may reach the mask late and
  // replay an earlier point of the drag before the release: the selection then
  // ends there. Once released it no longer moves, so a selection still shown at b
  // after the release is the one the capture takes; otherwise drag again.
  bool Select(POINT a, POINT b) {
    for (int attempt = 0; attempt < 5; attempt++) {
      if (!DragWith(a, b, [&] { return SelectionShown(a, b); })) return false;
      Step(b);
      if (SelectionShown(a, b)) return true;
    }
    return false;
  }
  BmpFile SelectAndCapture(POINT a, POINT b, LRESULT copiesBefore) {
    EXPECT_TRUE(Select(a, b));
    EXPECT_TRUE(CaptureHere(copiesBefore));
    return ReadBmpFile(tempPath.c_str());
  }
  // Arms RectCopy, selects a to b and captures, again while the picture is not
  // width x height: a late echo can still end the selection at an earlier step of
  // the drag, whose picture is then the smaller one. A fault that always gave
  // another size fails every attempt.
  BmpFile CaptureSelection(POINT a, POINT b, int width, int height) {
    BmpFile bmp;
    for (int attempt = 0; attempt < 4; attempt++) {
      ArmFullScreen(RectCopy);
      bmp = SelectAndCapture(a, b, Ask(WM_APP_COUNT_OF, WM_USER_COPIED));
      if (bmp.ok && bmp.width == width && bmp.height == height) break;
    }
    return bmp;
  }
};

// The file is the dragged rectangle of the screen: the target's known colours at
// their places, and every pixel as the screen shows it once the mask is gone.
TEST_F(RectCopyTest, DraggedRectangleIsCapturedPixelForPixel) {
  ArmFullScreen(RectCopy);
  POINT a = ClientPoint(10, 10), b = ClientPoint(150, 110);
  ASSERT_TRUE(Select(a, b));

  // The mask: a white client area in a dotted red frame, magenta corner marks,
  // the selection in dots along its top edge too.
  EXPECT_GT(CountColour(GrabPixels(NULL, RECT{a.x, a.y, b.x, a.y + 1}), SelectionColour), 20);
  POINT o = ClientOrigin();
  ScreenPixels edge = GrabPixels(NULL, RECT{o.x, o.y, o.x + 200, o.y + 2});
  EXPECT_EQ(edge.At(o.x + 4, o.y), CornerColour);
  EXPECT_EQ(edge.At(o.x + 4, o.y + 1), CornerColour);
  ScreenPixels frame = GrabPixels(NULL, RECT{o.x + 20, o.y, o.x + 200, o.y + 1});
  EXPECT_GT(CountColour(frame, FrameColour), 20);
  EXPECT_GT(CountColour(frame, RGB(255, 255, 255)), 20);

  ASSERT_TRUE(CaptureHere(0));
  EXPECT_FALSE(IsWindowVisible(mask));
  BmpFile bmp = ReadBmpFile(tempPath.c_str());
  ASSERT_TRUE(bmp.ok);
  ASSERT_EQ(bmp.width, 140);
  ASSERT_EQ(bmp.height, 100);
  EXPECT_EQ(bmp.fileSize, bmp.bytes.size());
  EXPECT_EQ(bmp.Pixel(0, 0), TargetClientColour);
  EXPECT_EQ(bmp.Pixel(9, 9), TargetClientColour);
  EXPECT_EQ(bmp.Pixel(10, 10), TargetSwatchColours[0]);
  EXPECT_EQ(bmp.Pixel(129, 89), TargetSwatchColours[0]);
  EXPECT_EQ(bmp.Pixel(130, 50), TargetClientColour);
  EXPECT_EQ(bmp.Pixel(139, 99), TargetClientColour);

  ScreenPixels screen = GrabPixels(NULL, RECT{a.x, a.y, b.x, b.y});
  int differ = 0;
  for (int y = 0; y < 100; y++)
    for (int x = 0; x < 140; x++) differ += bmp.Pixel(x, y) != screen.At(a.x + x, a.y + y);
  EXPECT_EQ(differ, 0);
}

TEST_F(RectCopyTest, EveryDragDirectionGivesTheSameFile) {
  POINT topLeft = ClientPoint(150, 90), bottomRight = ClientPoint(300, 200);
  POINT topRight = {bottomRight.x, topLeft.y}, bottomLeft = {topLeft.x, bottomRight.y};
  POINT from[4] = {topLeft, bottomRight, topRight, bottomLeft};
  POINT to[4] = {bottomRight, topLeft, bottomLeft, topRight};
  std::string first;
  for (int i = 0; i < 4; i++) {
    BmpFile bmp = CaptureSelection(from[i], to[i], 150, 110);
    ASSERT_TRUE(bmp.ok) << i;
    EXPECT_EQ(bmp.width, 150) << i;
    EXPECT_EQ(bmp.height, 110) << i;
    if (i == 0) {
      first = bmp.bytes;
      // Swatch 1 ends at client x 280, swatch 2 starts at client y 130.
      EXPECT_EQ(bmp.Pixel(20, 0), TargetSwatchColours[1]);
      EXPECT_EQ(bmp.Pixel(140, 0), TargetClientColour);
      EXPECT_EQ(bmp.Pixel(0, 50), TargetSwatchColours[2]);
    } else {
      EXPECT_TRUE(bmp.bytes == first) << "dragged from corner " << i;
    }
  }
}

// wParam must be exactly MK_LBUTTON: a move with Shift or Ctrl held leaves the end
// point where the last plain move put it. (One such move only: Wine takes the
// modifier keys back from the X server's keyboard at the next pointer event, and
// now and then before the move itself arrives; the move is then a plain one, the
// picture the larger one, and the case is tried again. Code that takes moves with a
// modifier gives the larger picture every time.)
TEST_F(RectCopyTest, ShiftOrCtrlDuringTheDragLeavesTheEndPoint) {
  WORD keys[2] = {VK_SHIFT, VK_CONTROL};
  for (int i = 0; i < 2; i++) {
    POINT a = ClientPoint(30, 40), b = ClientPoint(130, 90);
    BmpFile bmp;
    for (int attempt = 0; attempt < 3; attempt++) {
      ArmFullScreen(RectCopy);
      Step(a);
      Button(MOUSEEVENTF_LEFTDOWN);
      Step(POINT{a.x + 50, a.y + 20});
      Step(b);
      int polls = 0;
      bool dragged = WaitUntil([&] {
        if (++polls % 25 == 0) {  // a late echo may have moved the end back
          Step(POINT{b.x + 1, b.y + 1});
          Step(b);
        }
        return SelectionShown(a, b);
      }, 5000);
      if (!dragged) {  // the press went astray: try again
        Button(MOUSEEVENTF_LEFTUP);
        continue;
      }
      KeyEvent(keys[i], 0);
      // The mask's thread must have taken the key in before the move, or the move
      // goes without it.
      ASSERT_TRUE(WaitUntil([&] { return (SHORT)Ask(WM_APP_KEY_STATE, keys[i]) < 0; }, Timeout));
      Step(POINT{b.x + 60, b.y + 70});
      Button(MOUSEEVENTF_LEFTUP);
      KeyEvent(keys[i], KEYEVENTF_KEYUP);
      // Until the mask's thread has the key up, its moves carry the key and are
      // left out: the next drag would not arrive.
      ASSERT_TRUE(WaitUntil([&] { return (SHORT)Ask(WM_APP_KEY_STATE, keys[i]) >= 0; }, Timeout));
      ASSERT_TRUE(CaptureHere(Ask(WM_APP_COUNT_OF, WM_USER_COPIED)));
      bmp = ReadBmpFile(tempPath.c_str());
      ASSERT_TRUE(bmp.ok);
      if (bmp.width == 100 && bmp.height == 50) break;
    }
    EXPECT_EQ(bmp.width, 100) << "key " << keys[i];
    EXPECT_EQ(bmp.height, 50) << "key " << keys[i];
  }
}

// Nothing pressed since StartHook: the selection is all zero, the grab has no
// width or height, and the platform's one-pixel bitmap is written and announced.
TEST_F(RectCopyTest, RightClickBeforeAnyPressWritesOnePixel) {
  ArmFullScreen(RectCopy);
  Step(ClientPoint(200, 150));
  ASSERT_TRUE(CaptureHere(0));
  BmpFile bmp = ReadBmpFile(tempPath.c_str());
  ASSERT_TRUE(bmp.ok);
  EXPECT_EQ(bmp.width, 1);
  EXPECT_EQ(bmp.height, 1);
  EXPECT_EQ(bmp.fileSize, bmp.pixelOffset + bmp.RowBytes());
  EXPECT_EQ(bmp.bytes.size(), (size_t)bmp.fileSize);
  EXPECT_EQ(Copies(), 1);
}
