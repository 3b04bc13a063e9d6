// The RectCopy selection: a left press sets the start point, drags with the left
// button alone move the end point. The capture converts, orders and clears it.
#include "capture/mask_handlers.h"
#include "capture/shared_state.h"

void PressSelection(int x, int y) {
  glSelection.x1 = x;
  glSelection.y1 = y;
}

// Shift or Ctrl held, or another button, leaves the end point where it was.
void DragSelection(HWND window, WPARAM keys, int x, int y) {
  if (keys != MK_LBUTTON) return;
  glSelection.x2 = x;
  glSelection.y2 = y;
  InvalidateRect(window, NULL, TRUE);
}
