// The area one drag step of a draw object repaints: both extents normalised, their
// union as UnionRect forms it, moved by (-1, -1) and grown by 2.
#include <gtest/gtest.h>
#include "capture/repaint_geometry.h"

static void ExpectRect(RECT r, LONG l, LONG t, LONG rr, LONG b) {
  EXPECT_EQ(r.left, l);
  EXPECT_EQ(r.top, t);
  EXPECT_EQ(r.right, rr);
  EXPECT_EQ(r.bottom, b);
}

TEST(RepaintGeometry, NormalisingSwapsOnlyTheReversedAxis) {
  ExpectRect(NormalisedRect(RECT{10, 20, 110, 70}), 10, 20, 110, 70);
  ExpectRect(NormalisedRect(RECT{110, 20, 10, 70}), 10, 20, 110, 70);
  ExpectRect(NormalisedRect(RECT{10, 70, 110, 20}), 10, 20, 110, 70);
  ExpectRect(NormalisedRect(RECT{110, 70, 10, 20}), 10, 20, 110, 70);
  ExpectRect(NormalisedRect(RECT{50, 40, 50, 90}), 50, 40, 50, 90);
}

TEST(RepaintGeometry, UnionIgnoresRectanglesWithoutWidthOrHeight) {
  ExpectRect(UnionOfRects(RECT{10, 20, 30, 40}, RECT{25, 5, 60, 35}), 10, 5, 60, 40);
  ExpectRect(UnionOfRects(RECT{10, 20, 30, 40}, RECT{100, 100, 100, 300}), 10, 20, 30, 40);
  ExpectRect(UnionOfRects(RECT{100, 100, 300, 100}, RECT{10, 20, 30, 40}), 10, 20, 30, 40);
  ExpectRect(UnionOfRects(RECT{100, 100, 300, 100}, RECT{5, 5, 5, 9}), 0, 0, 0, 0);
  // A reversed rectangle is empty to UnionRect too.
  ExpectRect(UnionOfRects(RECT{30, 40, 10, 20}, RECT{1, 2, 3, 4}), 1, 2, 3, 4);

  // The system's own rule, for the same cases.
  RECT cases[][2] = {{{10, 20, 30, 40}, {25, 5, 60, 35}},
                     {{10, 20, 30, 40}, {100, 100, 100, 300}},
                     {{100, 100, 300, 100}, {5, 5, 5, 9}},
                     {{30, 40, 10, 20}, {1, 2, 3, 4}},
                     {{0, 0, 0, 0}, {0, 0, 0, 0}}};
  for (auto& c : cases) {
    RECT system;
    UnionRect(&system, &c[0], &c[1]);
    RECT ours = UnionOfRects(c[0], c[1]);
    EXPECT_TRUE(EqualRect(&system, &ours)) << c[0].left << "," << c[0].top << " " << c[1].left;
  }
}

TEST(RepaintGeometry, FirstDragStepRepaintsFromTheClientOrigin) {
  // Pressed at (200, 150), end point still (0, 0): the old extent is (0, 0)-(200, 150).
  ExpectRect(DragRepaintRect(RECT{200, 150, 0, 0}, RECT{200, 150, 260, 190}), -3, -3, 261, 191);
}

TEST(RepaintGeometry, LaterStepsCoverTheOldAndNewExtentsWithTheThickPen) {
  ExpectRect(DragRepaintRect(RECT{200, 150, 260, 190}, RECT{200, 150, 240, 230}), 197, 147, 261, 231);
  // Dragged up and to the left of the start point.
  ExpectRect(DragRepaintRect(RECT{200, 150, 180, 140}, RECT{200, 150, 120, 100}), 117, 97, 201, 151);
}

TEST(RepaintGeometry, StraightLinesAddNothingToTheUnion) {
  // Horizontal after a slanted step: only the slanted extent is repainted.
  ExpectRect(DragRepaintRect(RECT{100, 300, 400, 310}, RECT{100, 300, 450, 300}), 97, 297, 401, 311);
  // Horizontal to vertical: both empty, only the corner at the origin.
  ExpectRect(DragRepaintRect(RECT{100, 300, 400, 300}, RECT{100, 300, 100, 500}), -3, -3, 1, 1);
  ExpectRect(DragRepaintRect(RECT{100, 300, 400, 300}, RECT{100, 300, 420, 300}), -3, -3, 1, 1);
}
