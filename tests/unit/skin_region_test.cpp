// The skin's region built from small made-up bitmaps, and the hot buttons' edges.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "app/app_state.h"
#include "common/command_ids.h"

// The two globals CreateSkinRegion reads; start-up fills them in the program.
HBITMAP ghSkinBmp;
BITMAP gSkinInfo;

static const COLORREF Key = RGB(0, 174, 239);

// A 24-bit bitmap from rows of characters: 'k' the key colour, 'a' a colour one
// step off the key, any other character a plain colour.
static HBITMAP MakeSkin(const std::vector<std::string>& rows, COLORREF key = Key, COLORREF other = RGB(40, 80, 120)) {
  int h = (int)rows.size(), w = (int)rows[0].size();
  BITMAPINFO info;
  ZeroMemory(&info, sizeof(info));
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top-down, so row 0 comes first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = NULL;
  HBITMAP bitmap = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  if (bitmap == NULL) return NULL;
  int stride = (w * 3 + 3) & ~3;
  for (int y = 0; y < h; y++) {
    for (int x = 0; x < w; x++) {
      COLORREF c = other;
      if (rows[y][x] == 'k') c = key;
      if (rows[y][x] == 'a') c = RGB(GetRValue(key), GetGValue(key), GetBValue(key) - 1);
      BYTE* p = (BYTE*)bits + y * stride + 3 * x;
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  }
  return bitmap;
}

class SkinRegionTest : public ::testing::Test {
 protected:
  HWND window = NULL;
  HRGN region = NULL;
  void SetUp() override {
    window = CreateWindowExA(0, "STATIC", "skin", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(window != NULL);
  }
  void TearDown() override {
    if (region) DeleteObject(region);
    if (ghSkinBmp) DeleteObject(ghSkinBmp);
    ghSkinBmp = NULL;
    DestroyWindow(window);
  }
  // Builds the region of the rows and returns, row by row, '#' for the pixels in it.
  std::vector<std::string> Region(const std::vector<std::string>& rows, COLORREF key = Key) {
    ghSkinBmp = MakeSkin(rows, key);
    EXPECT_TRUE(ghSkinBmp != NULL);
    GetObjectA(ghSkinBmp, sizeof(BITMAP), &gSkinInfo);
    region = CreateSkinRegion(window);
    std::vector<std::string> out;
    EXPECT_TRUE(region != NULL);
    if (region == NULL) return out;
    // One row and one column beyond the bitmap: nothing may lie there.
    for (int y = -1; y <= (int)rows.size(); y++) {
      std::string line;
      for (int x = -1; x <= (int)rows[0].size(); x++) line += PtInRegion(region, x, y) ? '#' : '.';
      out.push_back(line);
    }
    return out;
  }
  std::vector<RECT> Rects() {
    std::vector<RECT> rects;
    DWORD size = GetRegionData(region, 0, NULL);
    std::vector<BYTE> data(size);
    RGNDATA* rd = (RGNDATA*)data.data();
    if (size == 0 || GetRegionData(region, size, rd) != size) return rects;
    RECT* r = (RECT*)rd->Buffer;
    rects.assign(r, r + rd->rdh.nCount);
    return rects;
  }
};

TEST_F(SkinRegionTest, AllKeyColourGivesAnEmptyRegion) {
  std::vector<std::string> rows(3, "kkkkk");
  std::vector<std::string> got = Region(rows);
  for (const std::string& line : got) EXPECT_EQ(line, ".......");
  RECT box;
  EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
}

TEST_F(SkinRegionTest, ARowWithoutKeyPixelsIsOneFullRectangle) {
  Region({"kxxxx", "xxxxx", "kkkkk"});
  std::vector<RECT> rects = Rects();
  ASSERT_EQ(rects.size(), 2u);
  RECT first = {1, 0, 5, 1}, second = {0, 1, 5, 2};
  EXPECT_TRUE(EqualRect(&rects[0], &first));
  EXPECT_TRUE(EqualRect(&rects[1], &second));
}

TEST_F(SkinRegionTest, RunsAtTheRowsEdgesAndInTheMiddle) {
  std::vector<std::string> got = Region({
      "kxxkkxk",   // a run right after the key pixel, one alone before the last pixel
      "xkkkkkx",   // one pixel at each edge
      "xxkxkxx",   // three runs
      "kkkkkkx",   // only the last pixel
      "xkkkkkk",   // only the first pixel
  });
  std::vector<std::string> want = {
      ".........",
      "..##..#..",
      ".#.....#.",
      ".##.#.##.",
      ".......#.",
      ".#.......",
      ".........",
  };
  EXPECT_EQ(got, want);
}

TEST_F(SkinRegionTest, KeyIsWhateverPixelZeroZeroHoldsComparedExactly) {
  // A colour one blue step off the key is not cut away.
  std::vector<std::string> got = Region({"kaxk", "akka"});
  std::vector<std::string> want = {"......", "..##..", ".#..#.", "......"};
  EXPECT_EQ(got, want);

  // The same shape with another key colour: (0, 0) rules, not a fixed colour.
  DeleteObject(region);
  region = NULL;
  DeleteObject(ghSkinBmp);
  got = Region({"kxxk", "xkkx"}, RGB(255, 0, 255));
  want = {"......", "..##..", ".#..#.", "......"};
  EXPECT_EQ(got, want);
}

TEST_F(SkinRegionTest, OneColumnAndOneRowBitmaps) {
  EXPECT_EQ(Region({"k", "x", "k", "x"}), std::vector<std::string>({"...", "...", ".#.", "...", ".#.", "..."}));
  DeleteObject(region);
  region = NULL;
  DeleteObject(ghSkinBmp);
  EXPECT_EQ(Region({"kxkxx"}), std::vector<std::string>({".......", "..#.##.", "......."}));
}

// ---- hot buttons

struct HitCase {
  int x, y;
  int hot;
};

TEST(SkinButtonTest, HotRectanglesIncludeLeftTopAndExcludeRightBottom) {
  const HitCase cases[] = {
      {350, 15, 1}, {364, 29, 1}, {357, 22, 1}, {349, 20, 0}, {365, 20, 0}, {366, 20, 0},
      {367, 20, 2}, {381, 29, 2}, {382, 20, 0}, {383, 20, 0}, {384, 15, 3}, {398, 20, 3},
      {398, 29, 3}, {399, 20, 0}, {360, 14, 0}, {360, 30, 0}, {390, 30, 0}, {0, 0, 0},
      {65535, 65535, 0},
  };
  for (const HitCase& c : cases)
    EXPECT_EQ(HitTestSkinButton(NULL, c.x, c.y), c.hot) << "(" << c.x << ", " << c.y << ")";
}

TEST(SkinButtonTest, EachButtonPostsItsCommandAndNoneNothing) {
  EXPECT_EQ(SkinButtonCommand(1), (UINT)IDM_SETTINGS);
  EXPECT_EQ(SkinButtonCommand(2), (UINT)IDM_ABOUT);
  EXPECT_EQ(SkinButtonCommand(3), (UINT)IDM_HIDE);
  EXPECT_EQ(SkinButtonCommand(0), 0u);
}
