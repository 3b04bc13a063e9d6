// Waiting, after the mask is hidden, until the screen shows what it covered.
#pragma once
#include <windows.h>

// The mask's constant opacity (SetLayeredWindowAttributes).
static const BYTE kMaskAlpha = 153;

// Whether a screen point that read `before` with the mask over it and reads `now`
// shows the screen without the mask. Either the mask was shown opaque (a display
// that does not blend: `before` is the mask's own colour) and the point changed, or
// it was blended over the screen and `now` is the colour that lay beneath it. A
// change to any other colour is the screen below changing under the mask (a film,
// a blinking caret), which says nothing about the mask being gone.
BOOL ShowsScreenWithoutMask(COLORREF before, COLORREF now, COLORREF mask, BYTE alpha);

// Hides the mask and returns once the screen shows what the mask covered: where the
// desktop is composed, after the compositor's next frame; elsewhere once the display
// has taken the hide and the windows below have drawn themselves again (those of
// this thread here and now), or once kScreenSettleMs have passed, whichever comes
// first. `onHidden` runs right after the hide. TRUE when the screen (or the
// compositor) showed the mask gone, FALSE when the wait ran into its limit, which
// the trace then tells.
BOOL HideMaskAndWaitForScreen(HWND mask, void (*onHidden)(void));

// Has the compositor take the mask off the screen at once when it is hidden, without
// the fade it may give a hidden window. Nothing where there is no compositor.
void KeepMaskHideImmediate(HWND mask);

// The longest a hooked program waits for the application to report its mask hidden
// and answer; the compositor's next frame comes on top, about 150 ms in all.
static const DWORD kMaskReportedHiddenMs = 135;

// In a program other than the mask's, after the mask was told to hide: waits until
// the mask is reported hidden and its thread has answered a message sent after,
// within kMaskReportedHiddenMs, and then for the compositor's next frame. TRUE when the screen no longer shows the mask; FALSE
// past the bound or where the desktop is not composed, and the program then takes
// the window's own pixels.
BOOL AwaitMaskOffComposedScreen(HWND mask);
