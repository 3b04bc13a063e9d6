// The About box: closes itself at the fourth one-second tick, or at the first
// mouse button release over it.
#include "app/app_state.h"
#include "res/app_resource.h"

static const UINT_PTR kAboutTimer = 2;
static int gAboutTicks;
// The product name's bold face, made from the dialog's own font while the box is open.
static HFONT ghBoldFont;

// The product name is the static that follows the icon in the template; a
// template cannot give one control a face of its own.
static void EmboldenProductName(HWND dialog) {
  HWND name = GetWindow(GetDlgItem(dialog, IDC_ABOUT_ICON), GW_HWNDNEXT);
  HFONT font = (HFONT)SendMessageA(dialog, WM_GETFONT, 0, 0);
  LOGFONTA face;
  if (name == NULL || font == NULL || GetObjectA(font, sizeof(face), &face) == 0) return;
  face.lfWeight = FW_BOLD;
  ghBoldFont = CreateFontIndirectA(&face);
  if (ghBoldFont != NULL) SendMessageA(name, WM_SETFONT, (WPARAM)ghBoldFont, FALSE);
}

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      DressDialog(dialog);
      EmboldenProductName(dialog);
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
    case WM_DESTROY:
      // The static goes with the dialog; the font it was lent is ours to delete.
      if (ghBoldFont != NULL) {
        DeleteObject(ghBoldFont);
        ghBoldFont = NULL;
      }
      return FALSE;
  }
  return FALSE;
}
