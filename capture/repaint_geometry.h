// The area a live draw-object drag repaints: pure arithmetic, no windows.
#pragma once
#include <windows.h>

// The rectangle with its corners swapped where it was dragged leftwards or upwards.
RECT NormalisedRect(RECT r);

// The smallest rectangle holding both, as UnionRect forms it: a rectangle with no
// width or no height adds nothing, and two such give the all-zero rectangle.
RECT UnionOfRects(RECT a, RECT b);

// What one drag step of an object repaints: the union of its extents before and
// after the step, moved by (-1, -1) and grown by 2 on every side, so that the
// thicker pen of the object under construction is covered.
RECT DragRepaintRect(RECT before, RECT after);
