// RectCopy: the mask covers the screen, a left drag selects, a right-click writes
// exactly the selected part of the screen.
#include "tests/e2e/mask_fixture.h"

static const COLORREF SelectionColour = RGB(186, 26, 158);

class RectCopyTest : public MaskFixture {
 protected:
  // Whether the mask shows the dotted selection from a to b (screen points, b
  // exclusive): dots along both edges that meet at b.
  bool SelectionShown(POINT a, POINT b) {
    LONG column = b.x < a.x ? b.x : b.x - 1, row = b.y < a.y ? b.y : b.y - 1;
    LONG left = a.x < b.x ? a.x : b.x, right = a.x < b.x ? b.x : a.x;
    LONG top = a.y < b.y ? a.y : b.y, bottom = a.y < b.y ? b.y : a.y;
    return GrabPixels(NULL, RECT{column, top, column + 1, bottom}).Count(SelectionColour) > 5 &&
           GrabPixels(NULL, RECT{left, row, right, row + 1}).Count(SelectionColour) > 5;
  }
  BmpFile Captured() {
    EXPECT_TRUE(CaptureByMessage());
    return ReadBmpFile(tempPath.c_str());
  }
};

// Real input: a drag on the mask, which shows it over its white client area in a
// dotted red frame with magenta corner marks, and a right-click, which writes the
// dragged rectangle of the screen as the screen shows it once the mask is gone.
TEST_F(RectCopyTest, RealDragAndRightClickCaptureTheSelectedPartOfTheScreen) {
  ArmFullScreen(RectCopy);
  POINT a = ClientPoint(10, 10), b = ClientPoint(150, 110);
  ASSERT_TRUE(HostInput({MoveTo(a), MouseInput(MOUSEEVENTF_LEFTDOWN), MoveTo(POINT{a.x + 40, a.y + 30}), MoveTo(b),
                         MouseInput(MOUSEEVENTF_LEFTUP)}));
  ASSERT_TRUE(WaitUntil([&] { return SelectionShown(a, b); }, Timeout));
  EXPECT_GT(GrabPixels(NULL, RECT{a.x, a.y, b.x, a.y + 1}).Count(SelectionColour), 20);
  POINT o = OnScreen(0, 0);
  ScreenPixels edge = GrabPixels(NULL, RECT{o.x, o.y, o.x + 200, o.y + 2});
  EXPECT_EQ(edge.At(o.x + 4, o.y), RGB(255, 0, 255));
  EXPECT_EQ(edge.At(o.x + 4, o.y + 1), RGB(255, 0, 255));
  ScreenPixels frame = GrabPixels(NULL, RECT{o.x + 20, o.y, o.x + 200, o.y + 1});
  EXPECT_GT(frame.Count(RGB(255, 0, 0)), 20);
  EXPECT_GT(frame.Count(RGB(255, 255, 255)), 20);

  ASSERT_TRUE(HostInput({MoveTo(ClientPoint(340, 250)), MouseInput(MOUSEEVENTF_RIGHTDOWN),
                         MouseInput(MOUSEEVENTF_RIGHTUP)}));
  ASSERT_TRUE(WaitUntil([&] { return Copies() == 1; }, Timeout));
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
    ArmFullScreen(RectCopy);
    Drag(from[i], to[i]);
    BmpFile bmp = Captured();
    ASSERT_TRUE(bmp.ok) << i;
    ASSERT_EQ(bmp.width, 150) << i;
    ASSERT_EQ(bmp.height, 110) << i;
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

// Only a move with the left button alone moves the end point: with Shift or Ctrl,
// another button besides, or no left button, it stays where the last drag step put
// it. Each such move goes elsewhere, so the size tells one that was taken.
TEST_F(RectCopyTest, MovesWithOtherKeysLeaveTheEndPoint) {
  ArmFullScreen(RectCopy);
  POINT a = ClientPoint(30, 40), b = ClientPoint(130, 90);
  ToMask(WM_LBUTTONDOWN, MK_LBUTTON, a);
  ToMask(WM_MOUSEMOVE, MK_LBUTTON, b);
  for (int i = 0; i < 6; i++) ToMask(WM_MOUSEMOVE, NotDragging[i], POINT{b.x + 10 + 7 * i, b.y + 20 + 5 * i});
  ToMask(WM_LBUTTONUP, 0, b);
  BmpFile bmp = Captured();
  ASSERT_TRUE(bmp.ok);
  EXPECT_EQ(bmp.width, 100);
  EXPECT_EQ(bmp.height, 50);
}

// Nothing pressed since StartHook: the selection is all zero, the grab has no
// width or height, and the platform's one-pixel bitmap is written and announced.
TEST_F(RectCopyTest, RightClickBeforeAnyPressWritesOnePixel) {
  ArmFullScreen(RectCopy);
  BmpFile bmp = Captured();
  ASSERT_TRUE(bmp.ok);
  EXPECT_EQ(bmp.width, 1);
  EXPECT_EQ(bmp.height, 1);
  EXPECT_EQ(bmp.fileSize, bmp.pixelOffset + bmp.RowBytes());
  EXPECT_EQ(bmp.bytes.size(), (size_t)bmp.fileSize);
  EXPECT_EQ(Copies(), 1);
}
