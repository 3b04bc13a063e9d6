// Where the mask goes for a target: pure arithmetic, no windows.
#pragma once
#include <windows.h>

struct MaskPlacement {
  RECT region;  // the window region, in mask window coordinates
  int x, y;     // the mask window's position on the screen
  int width, height;
};

// target: the target's window rectangle (all zero when it could not be read);
// desktop: the target is the desktop window; border, caption: SM_CYBORDER, SM_CYCAPTION.
// The mask is larger than the target by a caption above and a border on the other
// three sides, and its region shows exactly the target's rectangle.
MaskPlacement ComputeMaskPlacement(RECT target, BOOL desktop, int border, int caption);
