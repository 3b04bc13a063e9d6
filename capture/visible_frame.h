// The rectangle the screen shows as a window.
#pragma once
#include <windows.h>

// The window's visible frame in screen coordinates; FALSE when the window's
// rectangle cannot be had. Where the desktop is composed, a top-level window's
// extended frame bounds (DWMWA_EXTENDED_FRAME_BOUNDS): the window rectangle holds
// invisible resize borders there. Its window rectangle for a child window, where
// the desktop is not composed, and where the bounds cannot be had or do not lie
// within the window rectangle (on a monitor of another scaling they are in
// physical pixels).
BOOL VisibleFrameRect(HWND window, RECT* frame);
