// The palette's button table and its hit test.
#include <gtest/gtest.h>
#include "capture/tool_buttons.h"

class ToolButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitToolButtons(); }
};

// The 32 entries as the palette's layout documents them, index by index.
static const ToolButton Expected[32] = {
    {2, 0, {263, 9, 283, 40}},        {3, 0, {283, 9, 304, 40}},
    {4, 0, {304, 9, 325, 40}},        {5, 0, {325, 9, 344, 40}},
    {1, 0x000000, {35, 11, 46, 22}},  {1, 0x808080, {51, 11, 62, 22}},
    {1, 0x000080, {67, 11, 78, 22}},  {1, 0x008080, {83, 11, 94, 22}},
    {1, 0x008000, {99, 11, 110, 22}}, {1, 0x808000, {115, 11, 126, 22}},
    {1, 0x800000, {131, 11, 142, 22}}, {1, 0x800080, {147, 11, 158, 22}},
    {1, 0x408080, {163, 11, 174, 22}}, {1, 0x404000, {179, 11, 190, 22}},
    {1, 0xFF8000, {195, 11, 206, 22}}, {1, 0x804000, {211, 11, 222, 22}},
    {1, 0xFF0080, {227, 11, 238, 22}}, {1, 0x004080, {243, 11, 254, 22}},
    {1, 0xFFFFFF, {35, 27, 46, 38}},  {1, 0xC0C0C0, {51, 27, 62, 38}},
    {1, 0x0000FF, {67, 27, 78, 38}},  {1, 0x00FFFF, {83, 27, 94, 38}},
    {1, 0x00FF00, {99, 27, 110, 38}}, {1, 0xFFFF00, {115, 27, 126, 38}},
    {1, 0xFF0000, {131, 27, 142, 38}}, {1, 0xFF00FF, {147, 27, 158, 38}},
    {1, 0x80FFFF, {163, 27, 174, 38}}, {1, 0x80FF00, {179, 27, 190, 38}},
    {1, 0xFFFF80, {195, 27, 206, 38}}, {1, 0xFF8080, {211, 27, 222, 38}},
    {1, 0x8000FF, {227, 27, 238, 38}}, {1, 0x4080FF, {243, 27, 254, 38}}};

TEST_F(ToolButtonsTest, TableAsLaidOut) {
  for (int i = 0; i < ToolButtonCount; i++) {
    EXPECT_EQ(glToolButtons[i].id, Expected[i].id) << "entry " << i;
    EXPECT_TRUE(EqualRect(&glToolButtons[i].rect, &Expected[i].rect)) << "entry " << i;
    if (i >= 4) {
      EXPECT_EQ(glToolButtons[i].colour, Expected[i].colour) << "entry " << i;
    }
  }
  // Refilling changes nothing, and an entry spoilt in between is mended.
  glToolButtons[7].colour = 0x010203;
  SetRectEmpty(&glToolButtons[20].rect);
  InitToolButtons();
  EXPECT_EQ(glToolButtons[7].colour, Expected[7].colour);
  EXPECT_TRUE(EqualRect(&glToolButtons[20].rect, &Expected[20].rect));
}

// Every point of the palette and a margin round it, against a lookup written
// from the layout: buttons side by side on rows 9..39, swatches 11 pixels on a
// 16-pixel pitch from (35, 11). Swatches report their colour; nothing else writes.
TEST_F(ToolButtonsTest, HitTestOverTheWholePalette) {
  const int toolEdges[5] = {263, 283, 304, 325, 344};
  int counts[6] = {0};
  for (int y = -3; y < 55; y++) {
    for (int x = -3; x < 352; x++) {
      int expectedId = ToolHitNone;
      COLORREF expectedColour = 0xABCDEF;
      if (y >= 9 && y < 40)
        for (int t = 0; t < 4; t++)
          if (x >= toolEdges[t] && x < toolEdges[t + 1]) expectedId = ToolHitLine + t;
      int dx = x - 35, dy = y - 11;
      if (dx >= 0 && dy >= 0 && dx % 16 < 11 && dy % 16 < 11 && dx / 16 < 14 && dy / 16 < 2) {
        expectedId = ToolHitSwatch;
        expectedColour = Expected[4 + 14 * (dy / 16) + dx / 16].colour;
      }
      COLORREF colour = 0xABCDEF;
      int id = HitTestToolButton(x, y, &colour);
      ASSERT_EQ(id, expectedId) << x << "," << y;
      ASSERT_EQ(colour, expectedColour) << x << "," << y;
      ASSERT_EQ(HitTestToolButton(x, y, NULL), expectedId) << x << "," << y;
      counts[id]++;
    }
  }
  EXPECT_EQ(counts[ToolHitSwatch], 28 * 11 * 11);
  EXPECT_EQ(counts[ToolHitLine], 20 * 31);
  EXPECT_EQ(counts[ToolHitRectangle], 21 * 31);
  EXPECT_EQ(counts[ToolHitEllipse], 21 * 31);
  EXPECT_EQ(counts[ToolHitSelect], 19 * 31);
}

// The search ends at the first empty rectangle, as a table shorter than 32 would.
TEST_F(ToolButtonsTest, EmptyEntryEndsTheSearch) {
  RECT saved = glToolButtons[10].rect;
  SetRectEmpty(&glToolButtons[10].rect);
  EXPECT_EQ(HitTestToolButton(100, 15, NULL), ToolHitSwatch);  // entry 8, before the gap
  COLORREF colour = 0x111111;
  EXPECT_EQ(HitTestToolButton(136, 15, &colour), ToolHitNone);  // entry 10 itself
  EXPECT_EQ(HitTestToolButton(200, 30, &colour), ToolHitNone);  // entry 28, after it
  EXPECT_EQ(colour, COLORREF(0x111111));
  glToolButtons[10].rect = saved;
  EXPECT_EQ(HitTestToolButton(200, 30, &colour), ToolHitSwatch);
}

TEST_F(ToolButtonsTest, ButtonsPickTheirTools) {
  EXPECT_EQ(DrawToolOfButton(ToolHitLine), 1);
  EXPECT_EQ(DrawToolOfButton(ToolHitRectangle), 2);
  EXPECT_EQ(DrawToolOfButton(ToolHitEllipse), 3);
  EXPECT_EQ(DrawToolOfButton(ToolHitSelect), 0);
  EXPECT_EQ(DrawToolOfButton(9), 0);
}

TEST_F(ToolButtonsTest, FrameAroundTheCurrentTool) {
  struct Case { int tool; RECT frame; } cases[] = {
      {1, {264, 12, 282, 39}}, {2, {284, 12, 303, 39}}, {3, {305, 12, 324, 39}},
      {0, {326, 12, 343, 39}}, {4, {326, 12, 343, 39}}, {-1, {326, 12, 343, 39}},
      {0x7FFFFFFF, {326, 12, 343, 39}}};
  for (const Case& c : cases) {
    RECT frame;
    ToolFrameRect(c.tool, &frame);
    EXPECT_TRUE(EqualRect(&frame, &c.frame)) << "tool " << c.tool << ": " << frame.left << ","
                                             << frame.top << "," << frame.right << "," << frame.bottom;
  }
}
