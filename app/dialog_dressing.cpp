// The dressing both dialogs share: a translucent, topmost panel with rounded
// corners, caption and frame cut away, centred on the primary screen.
#include "app/app_state.h"

void DressDialog(HWND dialog) {
  LONG exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
  SetWindowLongA(dialog, GWL_EXSTYLE, exStyle | WS_EX_LAYERED | WS_EX_TOPMOST);
  SetLayeredWindowAttributes(dialog, 0, 242, LWA_ALPHA);

  RECT window;
  RECT client;
  POINT origin = {0, 0};
  GetWindowRect(dialog, &window);
  ClientToScreen(dialog, &origin);
  GetClientRect(dialog, &client);

  // The region is in window coordinates: the client area alone.
  int dx = origin.x - window.left;
  int dy = origin.y - window.top;
  HRGN region = CreateRoundRectRgn(dx, dy, dx + (client.right - client.left),
                                   dy + (client.bottom - client.top), 10, 10);

  int width = window.right - window.left;
  int height = window.bottom - window.top;
  MoveWindow(dialog, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
             (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, FALSE);
  // The window owns the region once SetWindowRgn has taken it.
  if (region != NULL && !SetWindowRgn(dialog, region, FALSE)) DeleteObject(region);
}
