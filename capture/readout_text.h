// The texts of the DrawCopy cursor readout: pure formatting, no windows.
#pragma once
#include <windows.h>

// Both write at most size - 1 characters and a terminating zero, and return the
// text's length; size must be at least 1.

// "%4d,%4d": the cursor position in mask client coordinates.
int FormatPositionReadout(char* buffer, int size, int x, int y);

// "%3d,%3d,%3d": red, green and blue of the pixel under the cursor.
int FormatColourReadout(char* buffer, int size, COLORREF colour);
