// Reading the fields and pixels of a BMP file the capture library wrote.
#pragma once
#include <windows.h>
#include <string.h>
#include <string>
#include "tests/support/file_text.h"

struct BmpFile {
  std::string bytes;
  bool ok = false;  // "BM" with a 40-byte information header
  DWORD fileSize = 0, pixelOffset = 0, headerSize = 0, compression = 0, imageSize = 0;
  LONG width = 0, height = 0;
  WORD planes = 0, bitCount = 0;

  DWORD RowBytes() const { return (DWORD)((bitCount * width + 31) / 32) * 4; }
  // The colour at (x, y), top row 0, for 24- and 32-bit files, bottom-up or top-down
  // (negative height). NoPixel, which matches no colour, for a point outside the
  // picture, another depth, or pixels the file does not hold.
  static constexpr COLORREF NoPixel = 0xFFFFFFFF;
  COLORREF Pixel(int x, int y) const {
    LONG rows = height < 0 ? -height : height;
    if (!ok || (bitCount != 24 && bitCount != 32) || x < 0 || y < 0 || x >= width || y >= rows) return NoPixel;
    size_t at = pixelOffset + (size_t)(height < 0 ? y : rows - 1 - y) * RowBytes() + (size_t)x * (bitCount / 8);
    if (at + 3 > bytes.size()) return NoPixel;
    const BYTE* p = (const BYTE*)bytes.data() + at;
    return RGB(p[2], p[1], p[0]);
  }
};

template <class T>
static T ReadLittle(const std::string& bytes, size_t at) {
  T value = 0;
  if (at + sizeof(T) <= bytes.size()) memcpy(&value, bytes.data() + at, sizeof(T));
  return value;
}

inline BmpFile ReadBmpFile(const char* path) {
  BmpFile bmp;
  bmp.bytes = ReadFileText(path);
  const std::string& b = bmp.bytes;
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return bmp;
  bmp.fileSize = ReadLittle<DWORD>(b, 2);
  bmp.pixelOffset = ReadLittle<DWORD>(b, 10);
  bmp.headerSize = ReadLittle<DWORD>(b, 14);
  bmp.width = ReadLittle<LONG>(b, 18);
  bmp.height = ReadLittle<LONG>(b, 22);
  bmp.planes = ReadLittle<WORD>(b, 26);
  bmp.bitCount = ReadLittle<WORD>(b, 28);
  bmp.compression = ReadLittle<DWORD>(b, 30);
  bmp.imageSize = ReadLittle<DWORD>(b, 34);
  bmp.ok = bmp.headerSize == 40;
  return bmp;
}
