// The readout texts: "%4d,%4d" for the position, "%3d,%3d,%3d" for the colour.
#include <gtest/gtest.h>
#include <string>
#include "capture/readout_text.h"

static std::string Position(int x, int y, int size = 50) {
  char buffer[50];
  int length = FormatPositionReadout(buffer, size, x, y);
  EXPECT_EQ(length, (int)strlen(buffer));
  return buffer;
}

static std::string Colour(COLORREF colour, int size = 50) {
  char buffer[50];
  int length = FormatColourReadout(buffer, size, colour);
  EXPECT_EQ(length, (int)strlen(buffer));
  return buffer;
}

TEST(ReadoutText, PositionIsTwoRightAlignedFieldsOfFour) {
  EXPECT_EQ(Position(5, 1234), "   5,1234");
  EXPECT_EQ(Position(0, 0), "   0,   0");
  EXPECT_EQ(Position(1279, 1023), "1279,1023");
  // Wider numbers are not cut.
  EXPECT_EQ(Position(65535, 12), "65535,  12");
}

TEST(ReadoutText, ColourIsRedGreenBlueFromTheLowByteUp) {
  EXPECT_EQ(Colour(RGB(0, 128, 255)), "  0,128,255");
  EXPECT_EQ(Colour(RGB(255, 255, 0)), "255,255,  0");
  EXPECT_EQ(Colour(RGB(7, 0, 42)), "  7,  0, 42");
}

TEST(ReadoutText, ShortBuffersAreCutAndTerminated) {
  EXPECT_EQ(Position(5, 1234, 6), "   5,");
  EXPECT_EQ(Colour(RGB(0, 128, 255), 4), "  0");
  EXPECT_EQ(Position(5, 1234, 1), "");
}
