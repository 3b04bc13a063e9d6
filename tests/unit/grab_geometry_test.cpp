// The clamp of a window to the screen and the ordering of a dragged selection.
#include <gtest/gtest.h>
#include "capture/grab_geometry.h"

static void ExpectRect(RECT r, LONG l, LONG t, LONG rr, LONG b) {
  EXPECT_EQ(r.left, l);
  EXPECT_EQ(r.top, t);
  EXPECT_EQ(r.right, rr);
  EXPECT_EQ(r.bottom, b);
}

TEST(GrabGeometry, ClampCutsToTheScreenSizeFromTheWindowsOwnCorner) {
  ExpectRect(ClampToScreen(RECT{0, 0, 400, 300}, 1280, 1024), 0, 0, 400, 300);
  // Larger than the screen: the screen's size, wherever the window lies.
  ExpectRect(ClampToScreen(RECT{0, 0, 2000, 1500}, 1280, 1024), 0, 0, 1280, 1024);
  ExpectRect(ClampToScreen(RECT{0, 0, 1280, 1025}, 1280, 1024), 0, 0, 1280, 1024);
  ExpectRect(ClampToScreen(RECT{-5, -7, 10, 10}, 1280, 1024), 0, 0, 10, 10);
  ExpectRect(ClampToScreen(RECT{0, 0, 0, 0}, 1280, 1024), 0, 0, 0, 0);
}

TEST(GrabGeometry, SelectionDraggedEitherWayGivesTheSameRectangle) {
  RECT forward = OrderedRect(POINT{10, 20}, POINT{110, 70});
  ExpectRect(forward, 10, 20, 110, 70);
  RECT backward = OrderedRect(POINT{110, 70}, POINT{10, 20});
  EXPECT_TRUE(EqualRect(&forward, &backward));
  ExpectRect(OrderedRect(POINT{110, 20}, POINT{10, 70}), 10, 20, 110, 70);
  ExpectRect(OrderedRect(POINT{10, 70}, POINT{110, 20}), 10, 20, 110, 70);
  // Nothing dragged yet: an empty selection at the origin.
  ExpectRect(OrderedRect(POINT{0, 0}, POINT{0, 0}), 0, 0, 0, 0);
  ExpectRect(OrderedRect(POINT{-3, 5}, POINT{-9, -1}), -9, -1, -3, 5);
}

TEST(GrabGeometry, FrameIsTheCompositorsBoundsOnlyWithinTheWindow) {
  RECT window = {100, 200, 500, 500};
  ExpectRect(FrameWithinWindow(window, RECT{107, 200, 493, 493}), 107, 200, 493, 493);
  ExpectRect(FrameWithinWindow(window, window), 100, 200, 500, 500);
  // Physical pixels of a monitor of another scaling, or nothing of the window.
  ExpectRect(FrameWithinWindow(window, RECT{150, 300, 750, 750}), 100, 200, 500, 500);
  ExpectRect(FrameWithinWindow(window, RECT{99, 200, 493, 493}), 100, 200, 500, 500);
  ExpectRect(FrameWithinWindow(window, RECT{107, 200, 107, 493}), 100, 200, 500, 500);
}
