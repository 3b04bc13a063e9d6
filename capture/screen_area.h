// The virtual screen: the rectangle that holds every monitor, and the parts of it
// that lie on none of them.
#pragma once
#include <windows.h>

// The virtual screen in screen coordinates: its origin is the top-left corner of the
// leftmost and topmost monitors, negative where a monitor lies left of or above the
// primary one. With one monitor, the desktop window's rectangle.
RECT VirtualScreenRect(void);

// mem holds the screen's rectangle `area` (screen coordinates) at its origin; what of
// it lies on no monitor is filled with black, so that a picture does not depend on
// whatever the display holds there.
void BlackenOffMonitorParts(HDC mem, const RECT* area);
