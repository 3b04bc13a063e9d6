// The skin's window region: every pixel that is not the key colour of pixel (0, 0).
#include "app/app_state.h"

HRGN CreateSkinRegion(HWND window) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  HDC windowDC = GetDC(window);
  HDC memDC = CreateCompatibleDC(windowDC);
  ReleaseDC(window, windowDC);
  HGDIOBJ oldBitmap = SelectObject(memDC, ghSkinBmp);

  int width = gSkinInfo.bmWidth;
  int height = gSkinInfo.bmHeight;
  // Exact comparison: a colour one step off the key stays part of the window.
  COLORREF key = GetPixel(memDC, 0, 0);
  for (int y = 0; y < height; y++) {
    int x = 0;
    while (x < width) {
      while (x < width && GetPixel(memDC, x, y) == key) x++;
      int start = x;
      while (x < width && GetPixel(memDC, x, y) != key) x++;
      // A row ending in key colour leaves an empty run, which adds nothing.
      HRGN run = CreateRectRgn(start, y, x, y + 1);
      CombineRgn(region, region, run, RGN_OR);
      DeleteObject(run);
    }
  }

  SelectObject(memDC, oldBitmap);
  DeleteDC(memDC);
  return region;
}
