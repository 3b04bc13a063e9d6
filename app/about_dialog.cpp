// The About box: closes itself at the fourth one-second tick, or at the first
// mouse button release over it.
#include "app/app_state.h"

static const UINT_PTR kAboutTimer = 2;
static int gAboutTicks;

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      DressDialog(dialog);
      gAboutTicks = 0;
      SetTimer(dialog, kAboutTimer, 1000, NULL);
      return TRUE;
    case WM_TIMER:
      if (gAboutTicks < 3) {
        gAboutTicks++;
      } else {
        KillTimer(dialog, kAboutTimer);
        EndDialog(dialog, LOWORD(wParam));
      }
      return FALSE;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      KillTimer(dialog, kAboutTimer);
      EndDialog(dialog, LOWORD(wParam));
      return FALSE;
  }
  return FALSE;
}
