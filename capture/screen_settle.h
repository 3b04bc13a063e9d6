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
