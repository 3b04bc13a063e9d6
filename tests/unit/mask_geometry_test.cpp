// Where the mask goes: the two worked rows (a window, the desktop) and a failed read.
#include <gtest/gtest.h>
#include "capture/mask_geometry.h"

static void ExpectPlacement(const MaskPlacement& p, RECT region, int x, int y, int w, int h) {
  EXPECT_TRUE(EqualRect(&p.region, &region)) << p.region.left << "," << p.region.top << ","
                                             << p.region.right << "," << p.region.bottom;
  EXPECT_EQ(p.x, x);
  EXPECT_EQ(p.y, y);
  EXPECT_EQ(p.width, w);
  EXPECT_EQ(p.height, h);
}

TEST(MaskGeometry, OverAWindow) {
  RECT target = {100, 200, 500, 500};
  ExpectPlacement(ComputeMaskPlacement(target, FALSE, 1, 19), RECT{1, 19, 401, 319}, 99, 181, 402, 320);
}

TEST(MaskGeometry, OverTheDesktopReachesACaptionBelowTheScreen) {
  RECT screen = {0, 0, 1280, 1024};
  ExpectPlacement(ComputeMaskPlacement(screen, TRUE, 1, 19), RECT{1, 19, 1281, 1062}, -1, -19, 1282, 1063);
}

TEST(MaskGeometry, UnreadableTargetGivesAnEmptyRegion) {
  RECT none = {0, 0, 0, 0};
  MaskPlacement p = ComputeMaskPlacement(none, FALSE, 1, 19);
  EXPECT_TRUE(IsRectEmpty(&p.region));
  EXPECT_EQ(p.x, -1);
  EXPECT_EQ(p.y, -19);
}

TEST(MaskGeometry, OtherMetrics) {
  RECT target = {-50, 10, 30, 70};
  ExpectPlacement(ComputeMaskPlacement(target, FALSE, 2, 23), RECT{2, 23, 82, 83}, -52, -13, 84, 85);
}
