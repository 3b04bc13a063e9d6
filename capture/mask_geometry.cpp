// The mask's position, size and region for a target rectangle.
#include "capture/mask_geometry.h"

MaskPlacement ComputeMaskPlacement(RECT target, BOOL desktop, int border, int caption) {
  // Over the desktop, the visible part reaches one caption height below the screen.
  if (desktop) target.bottom += caption;
  int w = target.right - target.left;
  int h = target.bottom - target.top;
  MaskPlacement placement;
  SetRect(&placement.region, border, caption, border + w, caption + h);
  placement.x = target.left - border;
  placement.y = target.top - caption;
  placement.width = w + 2 * border;
  placement.height = h + caption + border;
  return placement;
}
