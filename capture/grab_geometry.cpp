// The rectangles of a grab.
#include "capture/grab_geometry.h"

RECT ClampToScreen(RECT r, int horz, int vert) {
  if (r.left < 0) r.left = 0;
  if (r.top < 0) r.top = 0;
  if (r.right > horz) r.right = horz;
  if (r.bottom > vert) r.bottom = vert;
  return r;
}

RECT OrderedRect(POINT start, POINT end) {
  RECT r = {start.x, start.y, end.x, end.y};
  if (r.left > r.right) {
    LONG swap = r.left;
    r.left = r.right;
    r.right = swap;
  }
  if (r.top > r.bottom) {
    LONG swap = r.top;
    r.top = r.bottom;
    r.bottom = swap;
  }
  return r;
}

RECT FrameWithinWindow(RECT window, RECT bounds) {
  if (bounds.left < window.left || bounds.top < window.top || bounds.right > window.right ||
      bounds.bottom > window.bottom || bounds.left >= bounds.right || bounds.top >= bounds.bottom)
    return window;
  return bounds;
}
