// Reading back a rectangle of the screen, or of a device context, as colours.
#pragma once
#include <windows.h>
#include <vector>

// A rectangle of the screen or of a device context as 0x00BBGGRR values, top row
// first. At gives NoColour outside it.
static const COLORREF NoColour = 0xFFFFFFFF;
struct ScreenPixels {
  LONG left = 0, top = 0, width = 0, height = 0;
  std::vector<COLORREF> pixels;
  COLORREF At(int x, int y) const {
    if (x < left || y < top || x >= left + width || y >= top + height) return NoColour;
    return pixels[(size_t)(y - top) * width + (x - left)];
  }
  int Count(COLORREF colour) const {
    int n = 0;
    for (COLORREF c : pixels) n += c == colour;
    return n;
  }
};

// Copies a rectangle of dc (the screen when dc is null) through a 32-bit DIB.
inline ScreenPixels GrabPixels(HDC dc, RECT r) {
  ScreenPixels shot;
  shot.left = r.left;
  shot.top = r.top;
  shot.width = r.right - r.left;
  shot.height = r.bottom - r.top;
  BITMAPINFO info;
  ZeroMemory(&info, sizeof(info));
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = NULL;
  HDC source = dc != NULL ? dc : GetDC(NULL);
  HDC mem = CreateCompatibleDC(source);
  HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, shot.width, shot.height, source, r.left, r.top, SRCCOPY);
  GdiFlush();
  const BYTE* p = (const BYTE*)bits;
  for (LONG i = 0; bits != NULL && i < shot.width * shot.height; i++, p += 4)
    shot.pixels.push_back(RGB(p[2], p[1], p[0]));
  shot.pixels.resize((size_t)shot.width * shot.height, NoColour);
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  if (dc == NULL) ReleaseDC(NULL, source);
  return shot;
}
