// The notification-area icon and the capture menu shown from it.
#include "app/app_state.h"
#include "common/command_ids.h"
#include "res/app_resource.h"
#include <shellapi.h>

// The record layout with the balloon fields and the item GUID but no balloon
// icon handle: what the shell has accepted since its balloon tips came in.
static const DWORD kIconRecordSize = NOTIFYICONDATAA_V3_SIZE;
#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V3_SIZE == 504, "the 32-bit icon record is 504 bytes");
#endif

static int gTrayAdded;
static HICON ghTrayIcon;

static void FillIconRecord(NOTIFYICONDATAA* record, HWND window) {
  ZeroMemory(record, sizeof(*record));
  record->cbSize = kIconRecordSize;
  record->hWnd = window;
  record->uID = IDI_VISTREL;
}

int AddTrayIcon(HWND window) {
  if (gTrayAdded) return 1;
  gTrayAdded = 1;
  ghTrayIcon = LoadIconA(ghInstance, MAKEINTRESOURCEA(IDI_VISTREL));

  NOTIFYICONDATAA record;
  FillIconRecord(&record, window);
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = WM_USER_TRAYNOTIFY;
  record.hIcon = LoadIconA(ghInstance, MAKEINTRESOURCEA(IDI_VISTREL));
  lstrcpynA(record.szTip, "Vistrel", sizeof(record.szTip));
  Shell_NotifyIconA(NIM_ADD, &record);
  return 1;
}

// A restarted shell has no icons: an icon added before is added again, once for
// each broadcast; one never added is added now, the window shown or not.
int RestoreTrayIcon(HWND window) {
  gTrayAdded = 0;
  return AddTrayIcon(window);
}

int DeleteTrayIcon(HWND window) {
  NOTIFYICONDATAA record;
  FillIconRecord(&record, window);
  Shell_NotifyIconA(NIM_DELETE, &record);
  ghTrayIcon = NULL;
  return 1;
}

void ShowCaptureMenu(HWND window, int x, int y) {
  HMENU menu = LoadMenuA(ghInstance, MAKEINTRESOURCEA(IDR_CAPTUREMENU));
  if (menu == NULL) return;
  // The owner must be the foreground window, and get a message after the menu,
  // or the menu stays open when the user clicks elsewhere.
  SetForegroundWindow(window);
  TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON | TPM_RIGHTALIGN | TPM_BOTTOMALIGN, x, y, 0,
                 window, NULL);
  PostMessageA(window, WM_NULL, 0, 0);
  DestroyMenu(menu);
}
