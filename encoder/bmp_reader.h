// Reading a BMP file held in memory: the header checks and the conversion of
// its rows to top-down 24-bit B,G,R pixels. Pure functions on byte buffers.
#pragma once
#include <stddef.h>

// What BmpReadLayout found in a file that passed every check.
struct BmpLayout {
  int width;             // pixels, 1..kBmpMaxSide
  int height;            // pixels, 1..kBmpMaxSide, whatever the row order on file
  int bitsPerPixel;      // 1, 4, 8, 24 or 32
  int topDown;           // 1 when the file stores the first row first (negative height)
  size_t paletteOffset;  // where the colour table starts, 4 bytes (B,G,R,0) an entry
  size_t pixelOffset;    // where the first row on file starts
  size_t rowBytes;       // bytes from one row on file to the next, padding included
};

// Larger sides than this are taken for a corrupt header, not for a screen.
const int kBmpMaxSide = 32768;
// ... and so is a larger pixel count (192 MB once converted to 24 bits).
const long long kBmpMaxPixels = 64LL * 1024 * 1024;

// Checks the file header, the info header, the colour table and the rows against
// the buffer's length; fills *layout and returns 1 when all of them fit, else 0.
int BmpReadLayout(const unsigned char* file, size_t fileSize, BmpLayout* layout);

// Bytes from one converted row to the next: 3 a pixel, rounded up to 4.
size_t BmpBgrStride(int width);

// Writes rows firstRow .. firstRow + rowCount - 1 (counted from the top of the
// picture) of a file accepted by BmpReadLayout to bgr as top-down rows of B,G,R,
// BmpBgrStride(width) bytes apart, padding zeroed; bgr holds stride * rowCount bytes.
void BmpConvertRows(const unsigned char* file, const BmpLayout* layout, int firstRow, int rowCount,
                    unsigned char* bgr);

// All rows: bgr holds stride * height bytes.
void BmpConvertToBgr(const unsigned char* file, const BmpLayout* layout, unsigned char* bgr);
