// The layout of the temporary BMP file: depth, colour table, rows and headers.
// Pure arithmetic, no GDI.
#pragma once
#include <windows.h>

struct BmpLayout {
  int width, height;
  int depth;           // bits per pixel of the file
  DWORD paletteBytes;  // P: 4 * 2^depth up to 8 bits, else 0
  DWORD rowBytes;      // each row padded to 4 bytes
  DWORD imageBytes;    // S: rowBytes * height
};

// The file's depth for a display of that many bits per pixel:
// 1, 4, 8, 24 (for 9 to 24 bits, so 15- and 16-bit displays give 24), 32, or 64.
int BmpDepthForDisplay(int displayBits);

BmpLayout ComputeBmpLayout(int width, int height, int depth);

// Whether a file of that depth is a device-independent section's bits as they
// stand: no colour table, BI_RGB rows bottom first.
inline bool HasDirectLayout(int depth) { return depth == 24 || depth == 32; }

// The 40-byte information header as the file carries it (image size 0).
void FillBmpInfoHeader(const BmpLayout& layout, BITMAPINFOHEADER* header);

// The 14-byte file header: "BM", file size 54 + P + S, reserved 0, pixel offset 54 + P.
void FillBmpFileHeader(const BmpLayout& layout, BYTE header[14]);
