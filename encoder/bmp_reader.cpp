// Reading a BMP file held in memory: the header checks and the conversion of
// its rows to top-down 24-bit B,G,R pixels.
#include "encoder/bmp_reader.h"

#include <string.h>

// Offsets of the fields used, from the start of the file. The file header is
// 14 bytes, the info header (BITMAPINFOHEADER) 40; all fields little-endian.
enum {
  kFileHeaderSize = 14,
  kInfoHeaderSize = 40,
  kOffFileSize = 2,
  kOffPixelOffset = 10,
  kOffInfoSize = 14,
  kOffWidth = 18,
  kOffHeight = 22,
  kOffPlanes = 26,
  kOffBitCount = 28,
  kOffCompression = 30,
  kOffColoursUsed = 46,
  kCompressionRgb = 0
};

static unsigned ReadU16(const unsigned char* p) { return p[0] | (p[1] << 8); }

static unsigned long ReadU32(const unsigned char* p) {
  return (unsigned long)p[0] | ((unsigned long)p[1] << 8) | ((unsigned long)p[2] << 16) |
         ((unsigned long)p[3] << 24);
}

static long long ReadS32(const unsigned char* p) {
  unsigned long u = ReadU32(p);
  return u >= 0x80000000UL ? (long long)u - 0x100000000LL : (long long)u;
}

size_t BmpBgrStride(int width) { return ((size_t)width * 3 + 3) & ~(size_t)3; }

int BmpReadLayout(const unsigned char* file, size_t fileSize, BmpLayout* layout) {
  if (!file || fileSize < kFileHeaderSize + kInfoHeaderSize) return 0;
  if (file[0] != 'B' || file[1] != 'M') return 0;
  if (ReadU32(file + kOffInfoSize) != kInfoHeaderSize) return 0;
  if (ReadU16(file + kOffPlanes) != 1) return 0;
  if (ReadU32(file + kOffCompression) != kCompressionRgb) return 0;

  int bits = (int)ReadU16(file + kOffBitCount);
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return 0;

  // Every size below is computed in 64 bits, so no header value can wrap it.
  long long width = ReadS32(file + kOffWidth);
  long long height = ReadS32(file + kOffHeight);
  int topDown = height < 0;
  if (topDown) height = -height;
  if (width < 1 || width > kBmpMaxSide || height < 1 || height > kBmpMaxSide) return 0;
  if (width * height > kBmpMaxPixels) return 0;

  // Indexed depths carry a full table of 2^bits entries, or say how many they use.
  long long paletteEntries = 0;
  if (bits <= 8) {
    long long fullTable = 1LL << bits;
    long long used = (long long)ReadU32(file + kOffColoursUsed);
    if (used != 0 && used != fullTable) return 0;
    paletteEntries = fullTable;
  }
  long long paletteOffset = kFileHeaderSize + kInfoHeaderSize;
  long long paletteEnd = paletteOffset + 4 * paletteEntries;

  long long rowBytes = ((width * bits + 31) / 32) * 4;
  long long pixelOffset = (long long)ReadU32(file + kOffPixelOffset);
  long long pixelEnd = pixelOffset + rowBytes * height;
  if (pixelOffset < paletteEnd) return 0;
  if (pixelEnd > (long long)fileSize) return 0;
  if ((long long)ReadU32(file + kOffFileSize) < pixelEnd) return 0;

  layout->width = (int)width;
  layout->height = (int)height;
  layout->bitsPerPixel = bits;
  layout->topDown = topDown;
  layout->paletteOffset = (size_t)paletteOffset;
  layout->pixelOffset = (size_t)pixelOffset;
  layout->rowBytes = (size_t)rowBytes;
  return 1;
}

// Index of pixel x in a packed row of 1, 4 or 8 bits a pixel, leftmost pixel in the high bits.
static unsigned PaletteIndex(const unsigned char* row, int x, int bits) {
  if (bits == 8) return row[x];
  if (bits == 4) return (row[x / 2] >> ((x % 2) ? 0 : 4)) & 0x0F;
  return (row[x / 8] >> (7 - x % 8)) & 0x01;
}

void BmpConvertRows(const unsigned char* file, const BmpLayout* layout, int firstRow, int rowCount,
                    unsigned char* bgr) {
  const unsigned char* palette = file + layout->paletteOffset;
  size_t stride = BmpBgrStride(layout->width);
  int bits = layout->bitsPerPixel;
  for (int y = firstRow; y < firstRow + rowCount; ++y) {
    int fileRow = layout->topDown ? y : layout->height - 1 - y;
    const unsigned char* src = file + layout->pixelOffset + (size_t)fileRow * layout->rowBytes;
    unsigned char* dst = bgr + (size_t)(y - firstRow) * stride;
    if (bits == 24) {
      memcpy(dst, src, (size_t)layout->width * 3);
    } else if (bits == 32) {
      for (int x = 0; x < layout->width; ++x) memcpy(dst + 3 * x, src + 4 * x, 3);
    } else {
      for (int x = 0; x < layout->width; ++x)
        memcpy(dst + 3 * x, palette + 4 * PaletteIndex(src, x, bits), 3);
    }
    // The padding of each converted row is zeroed, so the output depends on the file alone.
    memset(dst + (size_t)layout->width * 3, 0, stride - (size_t)layout->width * 3);
  }
}

void BmpConvertToBgr(const unsigned char* file, const BmpLayout* layout, unsigned char* bgr) {
  BmpConvertRows(file, layout, 0, layout->height, bgr);
}
