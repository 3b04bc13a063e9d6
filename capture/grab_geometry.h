// The rectangles of a grab: pure arithmetic, no windows.
#pragma once
#include <windows.h>

// A window's own rectangle at the origin, cut to the screen's size counted from
// the window's top-left corner.
RECT ClampToScreen(RECT r, int horz, int vert);

// The rectangle spanned by two corners dragged either way.
RECT OrderedRect(POINT start, POINT end);

// What the screen shows of a window with that window rectangle: the bounds the
// compositor gave, when they are a rectangle within the window rectangle (not
// empty), otherwise the window rectangle.
RECT FrameWithinWindow(RECT window, RECT bounds);
