// Layout of the temporary BMP file.
#include "capture/bmp_layout.h"

int BmpDepthForDisplay(int displayBits) {
  if (displayBits <= 1) return 1;
  if (displayBits <= 4) return 4;
  if (displayBits <= 8) return 8;
  if (displayBits <= 24) return 24;
  if (displayBits <= 32) return 32;
  return 64;
}

BmpLayout ComputeBmpLayout(int width, int height, int depth) {
  BmpLayout layout;
  layout.width = width;
  layout.height = height;
  layout.depth = depth;
  layout.paletteBytes = depth <= 8 ? 4u << depth : 0;
  layout.rowBytes = (DWORD)((depth * width + 31) / 32) * 4;
  layout.imageBytes = layout.rowBytes * (DWORD)height;
  return layout;
}

void FillBmpInfoHeader(const BmpLayout& layout, BITMAPINFOHEADER* header) {
  ZeroMemory(header, sizeof(*header));
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = layout.width;
  header->biHeight = layout.height;
  header->biPlanes = 1;
  header->biBitCount = (WORD)layout.depth;
  header->biCompression = BI_RGB;
}

static void PutDword(BYTE* at, DWORD value) {
  at[0] = (BYTE)value;
  at[1] = (BYTE)(value >> 8);
  at[2] = (BYTE)(value >> 16);
  at[3] = (BYTE)(value >> 24);
}

void FillBmpFileHeader(const BmpLayout& layout, BYTE header[14]) {
  DWORD offset = 14 + sizeof(BITMAPINFOHEADER) + layout.paletteBytes;
  header[0] = 'B';
  header[1] = 'M';
  PutDword(header + 2, offset + layout.imageBytes);
  PutDword(header + 6, 0);
  PutDword(header + 10, offset);
}
