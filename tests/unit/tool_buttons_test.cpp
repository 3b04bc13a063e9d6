// The palette's button table and its hit test.
#include <gtest/gtest.h>
#include "capture/tool_buttons.h"

class ToolButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override { InitToolButtons(); }
};

TEST_F(ToolButtonsTest, TableAsLaidOut) {
  const RECT tools[4] = {{263, 9, 283, 40}, {283, 9, 304, 40}, {304, 9, 325, 40}, {325, 9, 344, 40}};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(glToolButtons[i].id, ToolHitLine + i);
    EXPECT_TRUE(EqualRect(&glToolButtons[i].rect, &tools[i])) << "tool " << i;
  }
  // A few swatches checked by value, not by the formula that fills them.
  EXPECT_EQ(glToolButtons[4].colour, COLORREF(0x000000));
  EXPECT_EQ(glToolButtons[14].colour, COLORREF(0xFF8000));
  EXPECT_EQ(glToolButtons[17].colour, COLORREF(0x004080));
  EXPECT_EQ(glToolButtons[18].colour, COLORREF(0xFFFFFF));
  EXPECT_EQ(glToolButtons[31].colour, COLORREF(0x4080FF));
  RECT first = {35, 11, 46, 22}, lastOfRow = {243, 11, 254, 22}, last = {243, 27, 254, 38};
  EXPECT_TRUE(EqualRect(&glToolButtons[4].rect, &first));
  EXPECT_TRUE(EqualRect(&glToolButtons[17].rect, &lastOfRow));
  EXPECT_TRUE(EqualRect(&glToolButtons[31].rect, &last));
  for (int i = 4; i < 32; i++) {
    EXPECT_EQ(glToolButtons[i].id, ToolHitSwatch);
    EXPECT_EQ(glToolButtons[i].rect.right - glToolButtons[i].rect.left, 11);
    EXPECT_EQ(glToolButtons[i].rect.bottom - glToolButtons[i].rect.top, 11);
  }
}

TEST_F(ToolButtonsTest, HitTestEdges) {
  struct Case { int x, y, id; } cases[] = {
      {283, 9, ToolHitRectangle}, {282, 39, ToolHitLine}, {283, 39, ToolHitRectangle},
      {263, 9, ToolHitLine},      {262, 20, ToolHitNone}, {263, 8, ToolHitNone},
      {263, 40, ToolHitNone},     {343, 20, ToolHitSelect}, {344, 20, ToolHitNone},
      {325, 20, ToolHitSelect},   {324, 20, ToolHitEllipse}, {35, 11, ToolHitSwatch},
      {45, 21, ToolHitSwatch},    {46, 15, ToolHitNone},  {48, 15, ToolHitNone},
      {10, 20, ToolHitNone},      {50, 22, ToolHitNone},  {40, 26, ToolHitNone}};
  for (const Case& c : cases) EXPECT_EQ(HitTestToolButton(c.x, c.y, NULL), c.id) << c.x << "," << c.y;
}

TEST_F(ToolButtonsTest, HitTestWritesSwatchColourOnly) {
  COLORREF colour = 0x123456;
  EXPECT_EQ(HitTestToolButton(270, 20, &colour), ToolHitLine);
  EXPECT_EQ(colour, COLORREF(0x123456));
  EXPECT_EQ(HitTestToolButton(48, 15, &colour), ToolHitNone);
  EXPECT_EQ(colour, COLORREF(0x123456));
  EXPECT_EQ(HitTestToolButton(200, 30, &colour), ToolHitSwatch);  // row 1, swatch 10
  EXPECT_EQ(colour, COLORREF(0xFFFF80));
  EXPECT_EQ(HitTestToolButton(253, 21, &colour), ToolHitSwatch);  // row 0, last swatch
  EXPECT_EQ(colour, COLORREF(0x004080));
}
