// The rectangles of a grab: pure arithmetic, no windows.
#pragma once
#include <windows.h>

// A window's own rectangle at the origin, cut to the screen's size counted from
// the window's top-left corner.
RECT ClampToScreen(RECT r, int horz, int vert);

// The rectangle spanned by two corners dragged either way.
RECT OrderedRect(POINT start, POINT end);
