// Encoder.dll: the BMP reader on made-up buffers, then BmpToJpg end to end through
// the built library, with the JPEG decoded back by WIC and compared to the source.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/vistrel_api.h"
#include "tests/support/jpeg_file.h"
#include "encoder/bmp_reader.h"
#include "encoder/jpeg_encoder.h"

namespace {

typedef std::vector<unsigned char> Bytes;

// A picture to store as a BMP: per pixel a palette index (1, 4, 8 bits) or 0xRRGGBB.
struct TestImage {
  int width;
  int height;
  int bits;
  bool topDown;
  std::vector<unsigned> palette;  // 0xRRGGBB, 2^bits entries for the indexed depths
  std::vector<unsigned> values;   // row-major, first row = top of the picture
};

void Put16(Bytes& b, size_t at, unsigned v) {
  b[at] = (unsigned char)v;
  b[at + 1] = (unsigned char)(v >> 8);
}

void Put32(Bytes& b, size_t at, unsigned v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

size_t RowBytes(int width, int bits) { return (((size_t)width * bits + 31) / 32) * 4; }

// The file as the capture library lays it out. Padding bytes and the fourth byte of
// 32-bit pixels are filled with junk, which the reader must ignore.
Bytes MakeBmp(const TestImage& img) {
  size_t paletteBytes = img.palette.size() * 4;
  size_t offset = 54 + paletteBytes;
  size_t row = RowBytes(img.width, img.bits);
  Bytes b(offset + row * img.height, 0xA5);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, (unsigned)b.size());
  Put32(b, 6, 0);
  Put32(b, 10, (unsigned)offset);
  Put32(b, 14, 40);
  Put32(b, 18, (unsigned)img.width);
  Put32(b, 22, (unsigned)(img.topDown ? -img.height : img.height));
  Put16(b, 26, 1);
  Put16(b, 28, (unsigned)img.bits);
  Put32(b, 30, 0);
  Put32(b, 34, (unsigned)(row * img.height));
  Put32(b, 38, 2835);
  Put32(b, 42, 2835);
  Put32(b, 46, 0);
  Put32(b, 50, 0);
  for (size_t i = 0; i < img.palette.size(); ++i) {
    unsigned c = img.palette[i];
    b[54 + 4 * i] = (unsigned char)c;              // blue
    b[54 + 4 * i + 1] = (unsigned char)(c >> 8);   // green
    b[54 + 4 * i + 2] = (unsigned char)(c >> 16);  // red
    b[54 + 4 * i + 3] = 0;
  }
  for (int y = 0; y < img.height; ++y) {
    unsigned char* dst = &b[offset + row * (img.topDown ? y : img.height - 1 - y)];
    if (img.bits < 8) memset(dst, 0, (img.width * img.bits + 7) / 8);
    for (int x = 0; x < img.width; ++x) {
      unsigned v = img.values[(size_t)y * img.width + x];
      switch (img.bits) {
        case 1: dst[x / 8] |= (unsigned char)(v << (7 - x % 8)); break;
        case 4: dst[x / 2] |= (unsigned char)(v << (x % 2 ? 0 : 4)); break;
        case 8: dst[x] = (unsigned char)v; break;
        default:
          dst[x * (img.bits / 8)] = (unsigned char)v;
          dst[x * (img.bits / 8) + 1] = (unsigned char)(v >> 8);
          dst[x * (img.bits / 8) + 2] = (unsigned char)(v >> 16);
          if (img.bits == 32) dst[x * 4 + 3] = (unsigned char)(0x3C + x);
      }
    }
  }
  return b;
}

// The colour each pixel should come out as, 0xRRGGBB, top row first.
std::vector<unsigned> ExpectedColours(const TestImage& img) {
  std::vector<unsigned> out;
  for (unsigned v : img.values) out.push_back(img.bits <= 8 ? img.palette[v] : v);
  return out;
}

// Spread-out colours, so that a swapped channel or a wrong entry shows.
unsigned MixedColour(unsigned n) {
  unsigned h = n * 2654435761u;
  return ((h >> 8) & 0xFFFFFF) ^ (n * 0x3F1D29u & 0xFFFFFF);
}

// Solid squares of `block` pixels; indexed depths cycle through their palette.
TestImage BlockImage(int width, int height, int bits, bool topDown, int block) {
  TestImage img = {width, height, bits, topDown, {}, {}};
  unsigned entries = bits <= 8 ? 1u << bits : 0;
  for (unsigned i = 0; i < entries; ++i) img.palette.push_back(MixedColour(i + 7));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned cell = (unsigned)(x / block) * 5 + (unsigned)(y / block) * 3;
      img.values.push_back(entries ? cell % entries : MixedColour(cell + 100));
    }
  }
  return img;
}

// Converts a file that must be accepted; the pixels come back as 0xRRGGBB.
std::vector<unsigned> ReadBack(const Bytes& file, BmpLayout* layout) {
  std::vector<unsigned> out;
  if (!BmpReadLayout(file.data(), file.size(), layout)) {
    ADD_FAILURE() << "rejected a valid file";
    return out;
  }
  size_t stride = BmpBgrStride(layout->width);
  Bytes bgr(stride * layout->height + 16, 0xEE);
  BmpConvertToBgr(file.data(), layout, bgr.data());
  for (int y = 0; y < layout->height; ++y) {
    const unsigned char* p = &bgr[stride * y];
    for (int x = 0; x < layout->width; ++x) out.push_back(p[3 * x + 2] << 16 | p[3 * x + 1] << 8 | p[3 * x]);
    for (size_t pad = (size_t)layout->width * 3; pad < stride; ++pad) EXPECT_EQ(0, p[pad]) << "padding of row " << y;
  }
  EXPECT_EQ(0xEE, bgr[stride * layout->height]) << "wrote past the buffer";
  return out;
}

// ---- The reader on made-up buffers ----

TEST(BmpReader, EveryDepthWithOddWidths) {
  const int depths[] = {1, 4, 8, 24, 32};
  const int widths[] = {1, 3, 5, 7, 9, 13, 17, 33};
  for (int bits : depths) {
    for (int width : widths) {
      SCOPED_TRACE(testing::Message() << bits << " bits, width " << width);
      TestImage img = BlockImage(width, 5, bits, false, 1);
      BmpLayout layout;
      std::vector<unsigned> got = ReadBack(MakeBmp(img), &layout);
      EXPECT_EQ(width, layout.width);
      EXPECT_EQ(5, layout.height);
      EXPECT_EQ(bits, layout.bitsPerPixel);
      EXPECT_EQ(RowBytes(width, bits), layout.rowBytes);
      EXPECT_EQ(ExpectedColours(img), got);
    }
  }
}

// Bytes written by hand, so the packing is checked against more than the test's own writer.
TEST(BmpReader, PackedRowsByHand) {
  // 1 bit, 10x1: pixels 1,0,1,1,0,0,0,1 | 1,1 -> 0xB1, 0xC0, two padding bytes.
  TestImage one = {10, 1, 1, false, {0x000000, 0xFFFFFF}, std::vector<unsigned>(10, 0)};
  Bytes file = MakeBmp(one);
  const unsigned char row1[] = {0xB1, 0xC0, 0x55, 0x55};
  memcpy(&file[62], row1, sizeof row1);
  BmpLayout layout;
  std::vector<unsigned> want = {0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF, 0, 0, 0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
  EXPECT_EQ(want, ReadBack(file, &layout));

  // 4 bits, 3x1: indices 2, 15, 9 -> 0x2F, 0x9x; the low half of the last byte is unused.
  TestImage four = {3, 1, 4, false, {}, std::vector<unsigned>(3, 0)};
  for (unsigned i = 0; i < 16; ++i) four.palette.push_back(i * 0x010203);
  file = MakeBmp(four);
  const unsigned char row4[] = {0x2F, 0x97, 0xAA, 0xAA};
  memcpy(&file[54 + 64], row4, sizeof row4);
  want = {2 * 0x010203u, 15 * 0x010203u, 9 * 0x010203u};
  EXPECT_EQ(want, ReadBack(file, &layout));
}

TEST(BmpReader, PaletteEntriesAreBlueGreenRed) {
  TestImage img = {4, 1, 8, false, std::vector<unsigned>(256, 0), {0, 1, 254, 255}};
  img.palette[0] = 0x123456;
  img.palette[1] = 0xFF0000;
  img.palette[254] = 0x0000FF;
  img.palette[255] = 0xABCDEF;
  Bytes file = MakeBmp(img);
  // Entry 255 sits last in the table, bytes B,G,R,0.
  EXPECT_EQ(0xEF, file[54 + 4 * 255]);
  EXPECT_EQ(0xAB, file[54 + 4 * 255 + 2]);
  BmpLayout layout;
  std::vector<unsigned> want = {0x123456, 0xFF0000, 0x0000FF, 0xABCDEF};
  EXPECT_EQ(want, ReadBack(file, &layout));
}

TEST(BmpReader, BottomUpAndTopDownGiveTheSamePicture) {
  const int depths[] = {1, 8, 24, 32};
  for (int bits : depths) {
    SCOPED_TRACE(bits);
    TestImage img = BlockImage(11, 7, bits, false, 2);
    Bytes bottomUp = MakeBmp(img);
    img.topDown = true;
    Bytes topDown = MakeBmp(img);
    ASSERT_NE(bottomUp, topDown);
    BmpLayout a, b;
    EXPECT_EQ(ExpectedColours(img), ReadBack(bottomUp, &a));
    EXPECT_EQ(ExpectedColours(img), ReadBack(topDown, &b));
    EXPECT_FALSE(a.topDown);
    EXPECT_TRUE(b.topDown);
    EXPECT_EQ(7, b.height);
  }
}

// The encoder converts a band of rows at a time: any split of the picture into
// bands gives the rows of the whole conversion, and nothing is written past a band.
TEST(BmpReader, RowsInBandsMatchTheWholePicture) {
  const int depths[] = {1, 4, 8, 24, 32};
  for (int bits : depths) {
    for (bool topDown : {false, true}) {
      SCOPED_TRACE(testing::Message() << bits << " bits, " << (topDown ? "top-down" : "bottom-up"));
      TestImage img = BlockImage(13, 11, bits, topDown, 1);
      Bytes file = MakeBmp(img);
      BmpLayout layout;
      ASSERT_TRUE(BmpReadLayout(file.data(), file.size(), &layout));
      size_t stride = BmpBgrStride(layout.width);
      Bytes whole(stride * layout.height);
      BmpConvertToBgr(file.data(), &layout, whole.data());
      for (int band : {1, 2, 3, 4, 11}) {
        for (int first = 0; first < layout.height; first += band) {
          int rows = layout.height - first < band ? layout.height - first : band;
          Bytes part(stride * rows + 1, 0xEE);
          BmpConvertRows(file.data(), &layout, first, rows, part.data());
          EXPECT_TRUE(std::equal(part.begin(), part.end() - 1, whole.begin() + stride * first))
              << "band of " << band << " rows from row " << first;
          EXPECT_EQ(0xEE, part.back()) << "wrote past the band";
        }
      }
    }
  }
}

// A 24-bit and an 8-bit file, each spoiled in one way.
TEST(BmpReader, RejectsBadFiles) {
  struct Case {
    const char* what;
    int bits;
    size_t at;      // offset of the spoiled field
    int size;       // bytes written at `at`: 2 or 4, or 0 for none
    long long value;
    long long cut;  // bytes removed from the end of the file
  };
  const Case cases[] = {
      {"magic", 24, 0, 2, 'B' | ('A' << 8), 0},
      {"info header size 12", 24, 14, 4, 12, 0},
      {"info header size 124", 24, 14, 4, 124, 0},
      {"planes 0", 24, 26, 2, 0, 0},
      {"planes 2", 24, 26, 2, 2, 0},
      {"16 bits", 24, 28, 2, 16, 0},
      {"0 bits", 24, 28, 2, 0, 0},
      {"2 bits", 24, 28, 2, 2, 0},
      {"RLE8", 8, 30, 4, 1, 0},
      {"bit fields", 24, 30, 4, 3, 0},
      {"width 0", 24, 18, 4, 0, 0},
      {"negative width", 24, 18, 4, -8, 0},
      {"width 40000", 24, 18, 4, 40000, 0},
      {"height 0", 24, 22, 4, 0, 0},
      {"height -40000", 24, 22, 4, -40000, 0},
      {"height INT_MIN", 24, 22, 4, -2147483647LL - 1, 0},
      {"pixels at the file end", 24, 10, 4, 54 + 16 * 8, 0},
      {"pixels past the file end", 24, 10, 4, 0x7FFFFFF0, 0},
      {"pixels inside the headers", 24, 10, 4, 50, 0},
      {"pixels inside the colour table", 8, 10, 4, 54 + 1020, 0},
      {"colour table of 3", 8, 46, 4, 3, 0},
      {"file size field one short", 24, 2, 4, 54 + 16 * 8 - 1, 0},
      {"last row cut short", 24, 0, 0, 0, 1},
      {"half the rows", 24, 0, 0, 0, 16 * 4},
      {"headers only", 24, 0, 0, 0, 16 * 8},
      {"info header cut", 24, 0, 0, 0, 16 * 8 + 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // 5x8 at 24 bits: rows of 16 bytes. At 8 bits: rows of 8 after 1024 bytes of table.
    Bytes file = MakeBmp(BlockImage(5, 8, c.bits, false, 1));
    BmpLayout layout;
    ASSERT_TRUE(BmpReadLayout(file.data(), file.size(), &layout)) << "the unspoiled file";
    if (c.size == 2) Put16(file, c.at, (unsigned)c.value);
    if (c.size == 4) Put32(file, c.at, (unsigned)c.value);
    file.resize(file.size() - (size_t)c.cut);
    EXPECT_FALSE(BmpReadLayout(file.data(), file.size(), &layout));
  }
  BmpLayout layout;
  EXPECT_FALSE(BmpReadLayout(nullptr, 100, &layout));
}

TEST(BmpReader, AcceptsTheEdges) {
  // Rows ending exactly at the file end, a size field larger than needed, trailing bytes,
  // a colour count that names the full table, the largest side.
  Bytes file = MakeBmp(BlockImage(5, 8, 24, false, 1));
  BmpLayout layout;
  EXPECT_TRUE(BmpReadLayout(file.data(), file.size(), &layout));
  Put32(file, 2, (unsigned)file.size() + 100);
  file.resize(file.size() + 3, 0);
  EXPECT_TRUE(BmpReadLayout(file.data(), file.size(), &layout));

  Bytes indexed = MakeBmp(BlockImage(5, 8, 4, false, 1));
  Put32(indexed, 46, 16);
  EXPECT_TRUE(BmpReadLayout(indexed.data(), indexed.size(), &layout));

  Bytes wide = MakeBmp(BlockImage(kBmpMaxSide, 1, 1, false, 64));
  EXPECT_TRUE(BmpReadLayout(wide.data(), wide.size(), &layout));
  EXPECT_EQ((size_t)kBmpMaxSide / 8, layout.rowBytes);
}

// A 1-bit file of the given size, pixels all 0: the rows are there, only the count differs.
Bytes BlankOneBit(int width, int height) {
  Bytes file = MakeBmp(BlockImage(1, 1, 1, false, 1));
  size_t size = 62 + RowBytes(width, 1) * height;
  Put32(file, 2, (unsigned)size);
  Put32(file, 18, (unsigned)width);
  Put32(file, 22, (unsigned)height);
  file.resize(size, 0);
  return file;
}

TEST(BmpReader, PixelCountLimit) {
  BmpLayout layout;
  Bytes atLimit = BlankOneBit(8192, 8192);  // 64 Mpixels, an 8 MB file
  ASSERT_EQ(kBmpMaxPixels, 8192LL * 8192);
  EXPECT_TRUE(BmpReadLayout(atLimit.data(), atLimit.size(), &layout));
  Bytes over = BlankOneBit(8192, 8193);
  EXPECT_FALSE(BmpReadLayout(over.data(), over.size(), &layout));
  Bytes tooWide = BlankOneBit(kBmpMaxSide + 1, 1);
  EXPECT_FALSE(BmpReadLayout(tooWide.data(), tooWide.size(), &layout));
}

// ---- BmpToJpg through the built Encoder.dll ----

std::string TempPath(const char* name) {
  static int counter = 0;
  char dir[MAX_PATH];
  GetTempPathA(MAX_PATH, dir);
  char path[MAX_PATH + 64];
  snprintf(path, sizeof path, "%svistrel_enc_%lu_%d_%s", dir, GetCurrentProcessId(), ++counter, name);
  return path;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  BOOL ok = WriteFile(f, bytes.data(), (DWORD)bytes.size(), &done, NULL);
  CloseHandle(f);
  return ok && done == bytes.size();
}

Bytes ReadBytes(const std::string& path) {
  Bytes out;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return out;
  out.resize(GetFileSize(f, NULL));
  DWORD done = 0;
  if (!out.empty() && (!ReadFile(f, out.data(), (DWORD)out.size(), &done, NULL) || done != out.size())) out.clear();
  CloseHandle(f);
  return out;
}

BmpToJpgFn LoadEncoder() {
  static BmpToJpgFn fn = nullptr;
  if (fn) return fn;
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
  std::string dir(path, n);
  dir.resize(dir.find_last_of('\\') + 1);
  HMODULE lib = LoadLibraryA((dir + "Encoder.dll").c_str());
  if (lib) fn = (BmpToJpgFn)(void*)GetProcAddress(lib, "BmpToJpg");
  return fn;
}

// What the marker segments before the scan say.
struct JpegHeader {
  int frameMarker;  // 0xC0 baseline, 0xC2 progressive, ...; 0 when none was found
  int width, height, components;
  bool endMarker;   // the file ends with FF D9
};

JpegHeader ReadJpegHeader(const Bytes& b) {
  JpegHeader h = {0, 0, 0, 0, false};
  h.endMarker = b.size() >= 4 && b[b.size() - 2] == 0xFF && b[b.size() - 1] == 0xD9;
  size_t i = 2;
  while (i + 4 <= b.size() && b[i] == 0xFF) {
    int marker = b[i + 1];
    size_t length = (size_t)b[i + 2] << 8 | b[i + 3];
    bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame && i + 10 <= b.size()) {
      h.frameMarker = marker;
      h.height = b[i + 5] << 8 | b[i + 6];
      h.width = b[i + 7] << 8 | b[i + 8];
      h.components = b[i + 9];
    }
    if (marker == 0xDA) break;  // the scan data follows
    i += 2 + length;
  }
  return h;
}

class EncoderDll : public testing::Test {
 protected:
  void SetUp() override {
    com_ = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    encode_ = LoadEncoder();
    ASSERT_TRUE(encode_ != nullptr) << "Encoder.dll beside the test, export BmpToJpg";
  }
  void TearDown() override {
    for (const std::string& p : files_) DeleteFileA(p.c_str());
    if (SUCCEEDED(com_)) CoUninitialize();
  }
  std::string Temp(const char* name) {
    files_.push_back(TempPath(name));
    return files_.back();
  }

  // Converts the image and compares the decoded JPEG with it, channel by channel.
  void RoundTrip(const TestImage& img, double meanBound, int maxBound) {
    std::string bmp = Temp("in.bmp"), jpg = Temp("out.jpg");
    ASSERT_TRUE(WriteBytes(bmp, MakeBmp(img)));
    ASSERT_FALSE(FileExists(jpg));
    ASSERT_EQ(1, encode_(bmp.c_str(), jpg.c_str()));

    Bytes file = ReadBytes(jpg);
    ASSERT_GT(file.size(), 4u);
    EXPECT_EQ(0xFF, file[0]);
    EXPECT_EQ(0xD8, file[1]);
    JpegHeader header = ReadJpegHeader(file);
    EXPECT_EQ(0xC0, header.frameMarker) << "baseline frame (SOF0)";
    EXPECT_EQ(img.width, header.width);
    EXPECT_EQ(img.height, header.height);
    EXPECT_EQ(3, header.components);
    EXPECT_TRUE(header.endMarker);

    int w = 0, h = 0;
    std::vector<unsigned> decoded;
    ASSERT_TRUE(DecodeJpeg(jpg, &w, &h, &decoded));
    ASSERT_EQ(img.width, w);
    ASSERT_EQ(img.height, h);
    std::vector<unsigned> want = ExpectedColours(img);
    double sum[3] = {0, 0, 0};
    int worst[3] = {0, 0, 0};
    for (size_t i = 0; i < want.size(); ++i)
      for (int c = 0; c < 3; ++c) {
        int d = abs((int)((want[i] >> (16 - 8 * c)) & 0xFF) - (int)((decoded[i] >> (16 - 8 * c)) & 0xFF));
        sum[c] += d;
        if (d > worst[c]) worst[c] = d;
      }
    printf("  %2d bits %3dx%-3d %s: %6u bytes, mean error R %.2f G %.2f B %.2f, max R %d G %d B %d\n", img.bits,
           img.width, img.height, img.topDown ? "top-down " : "bottom-up", (unsigned)file.size(), sum[0] / want.size(),
           sum[1] / want.size(), sum[2] / want.size(), worst[0], worst[1], worst[2]);
    for (int c = 0; c < 3; ++c) {
      EXPECT_LE(sum[c] / want.size(), meanBound) << "channel " << "RGB"[c];
      EXPECT_LE(worst[c], maxBound) << "channel " << "RGB"[c];
    }
  }

  // A bad source: 0 back, and no destination file made.
  void Rejects(const std::string& bmp) {
    std::string jpg = Temp("bad.jpg");
    ASSERT_FALSE(FileExists(jpg));
    EXPECT_EQ(0, encode_(bmp.c_str(), jpg.c_str()));
    EXPECT_FALSE(FileExists(jpg));
  }

  HRESULT com_ = E_FAIL;
  BmpToJpgFn encode_ = nullptr;
  std::vector<std::string> files_;
};

// Squares of 16 pixels match the encoder's colour blocks, so each block of the JPEG
// is one flat colour and only the quantisation of its average is lost; a shifted,
// flipped or channel-swapped picture puts whole blocks far off.
const int kBlock = 16;
const double kMeanBound = 3.0;
const int kMaxBound = 12;

TEST_F(EncoderDll, EveryDepthAlignedSize) {
  const int depths[] = {1, 4, 8, 24, 32};
  for (int bits : depths) {
    SCOPED_TRACE(bits);
    RoundTrip(BlockImage(128, 64, bits, false, kBlock), kMeanBound, kMaxBound);
  }
}

TEST_F(EncoderDll, EveryDepthOddSize) {
  const int depths[] = {1, 4, 8, 24, 32};
  for (int bits : depths) {
    SCOPED_TRACE(bits);
    RoundTrip(BlockImage(101, 37, bits, false, kBlock), kMeanBound, kMaxBound);
  }
}

TEST_F(EncoderDll, TopDownSource) {
  RoundTrip(BlockImage(101, 37, 24, true, kBlock), kMeanBound, kMaxBound);
  RoundTrip(BlockImage(101, 37, 8, true, kBlock), kMeanBound, kMaxBound);
}

// Taller than several of the encoder's bands, with a short last band: a band put
// at the wrong height or a row lost at a seam moves whole blocks.
TEST_F(EncoderDll, BandsMeetWithoutASeam) {
  RoundTrip(BlockImage(64, 3 * kJpegBandRows + 17, 32, false, kBlock), kMeanBound, kMaxBound);
  RoundTrip(BlockImage(48, 3 * kJpegBandRows + 1, 24, true, kBlock), kMeanBound, kMaxBound);
}

TEST_F(EncoderDll, ReplacesAnExistingDestination) {
  std::string bmp = Temp("in.bmp"), jpg = Temp("old.jpg");
  ASSERT_TRUE(WriteBytes(bmp, MakeBmp(BlockImage(33, 17, 24, false, kBlock))));
  ASSERT_TRUE(WriteBytes(jpg, Bytes(100000, 'x')));
  ASSERT_EQ(1, encode_(bmp.c_str(), jpg.c_str()));
  Bytes file = ReadBytes(jpg);
  ASSERT_GT(file.size(), 2u);
  EXPECT_LT(file.size(), 100000u);
  EXPECT_EQ(0xFF, file[0]);
  EXPECT_EQ(0xD8, file[1]);
}

TEST_F(EncoderDll, MissingSource) {
  std::string bmp = Temp("missing.bmp");
  ASSERT_FALSE(FileExists(bmp));
  Rejects(bmp);
  Rejects("");
  EXPECT_EQ(0, encode_(NULL, Temp("null.jpg").c_str()));
}

TEST_F(EncoderDll, TruncatedSource) {
  Bytes good = MakeBmp(BlockImage(101, 37, 24, false, kBlock));
  const size_t row = RowBytes(101, 24);
  const size_t cuts[] = {1, row / 2, row * 20, good.size() - 54, good.size() - 20, good.size()};
  for (size_t cut : cuts) {
    SCOPED_TRACE(cut);
    std::string bmp = Temp("cut.bmp");
    ASSERT_TRUE(WriteBytes(bmp, Bytes(good.begin(), good.end() - cut)));
    Rejects(bmp);
  }
}

TEST_F(EncoderDll, CorruptHeader) {
  struct Spoil {
    size_t at;
    unsigned value;
  };
  const Spoil spoils[] = {{0, 'P'}, {14, 108}, {26, 3}, {28, 16}, {30, 2}, {18, 0}, {22, 0}, {10, 0xFFFFFF00}};
  for (const Spoil& s : spoils) {
    SCOPED_TRACE(s.at);
    Bytes file = MakeBmp(BlockImage(40, 24, 8, false, kBlock));
    if (s.at == 0)
      file[0] = (unsigned char)s.value;
    else if (s.at == 26 || s.at == 28)
      Put16(file, s.at, s.value);
    else
      Put32(file, s.at, s.value);
    std::string bmp = Temp("corrupt.bmp");
    ASSERT_TRUE(WriteBytes(bmp, file));
    Rejects(bmp);
  }
}

TEST_F(EncoderDll, UnwritableDestination) {
  std::string bmp = Temp("in.bmp");
  ASSERT_TRUE(WriteBytes(bmp, MakeBmp(BlockImage(16, 16, 24, false, kBlock))));
  std::string jpg = TempPath("no_such_folder") + "\\out.jpg";
  EXPECT_EQ(0, encode_(bmp.c_str(), jpg.c_str()));
  EXPECT_FALSE(FileExists(jpg));
}

}  // namespace
