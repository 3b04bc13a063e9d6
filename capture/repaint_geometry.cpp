// The repaint rectangle of a live draw-object drag.
#include "capture/repaint_geometry.h"

static BOOL IsEmptyExtent(const RECT& r) {
  return r.right <= r.left || r.bottom <= r.top;
}

RECT NormalisedRect(RECT r) {
  if (r.right < r.left) {
    LONG t = r.left;
    r.left = r.right;
    r.right = t;
  }
  if (r.bottom < r.top) {
    LONG t = r.top;
    r.top = r.bottom;
    r.bottom = t;
  }
  return r;
}

RECT UnionOfRects(RECT a, RECT b) {
  RECT none = {0, 0, 0, 0};
  if (IsEmptyExtent(a)) return IsEmptyExtent(b) ? none : b;
  if (IsEmptyExtent(b)) return a;
  RECT u;
  u.left = a.left < b.left ? a.left : b.left;
  u.top = a.top < b.top ? a.top : b.top;
  u.right = a.right > b.right ? a.right : b.right;
  u.bottom = a.bottom > b.bottom ? a.bottom : b.bottom;
  return u;
}

RECT DragRepaintRect(RECT before, RECT after) {
  RECT u = UnionOfRects(NormalisedRect(before), NormalisedRect(after));
  // Offset (-1, -1), then inflate by 2.
  u.left -= 3;
  u.top -= 3;
  u.right += 1;
  u.bottom += 1;
  return u;
}
