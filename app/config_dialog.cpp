// The settings dialog: shows the five settings as the profile holds them and
// writes them back on Save.
#include "app/app_state.h"
#include "res/app_resource.h"

static void CheckBoxFromSetting(HWND dialog, int control, const char* key) {
  char value[kSettingSize];
  ReadSetting(key, value);
  CheckDlgButton(dialog, control, SettingEquals(value, "True") ? BST_CHECKED : BST_UNCHECKED);
}

static void WriteCheckBox(HWND dialog, int control, const char* key) {
  WriteSetting(key, IsDlgButtonChecked(dialog, control) == BST_CHECKED ? "True" : "False");
}

// Reads the profile itself rather than gSettings, so that values LoadConfig
// reads leniently (a lower-case "bmp", an "AutoMinimize" of "yes") show as what
// a save would write for them.
static void OnInitDialog(HWND dialog) {
  char value[kSettingSize];
  DressDialog(dialog);

  // The stored folder, there or not; the default where the profile names none.
  ReadSavePath(value);
  SetDlgItemTextA(dialog, IDC_SAVEPATH, value);

  ReadSetting(kKeyFileFormat, value);
  int bmp = value[0] == '\0' || SettingEquals(value, "BMP");
  SendDlgItemMessageA(dialog, bmp ? IDC_FORMAT_BMP : IDC_FORMAT_JPG, BM_SETCHECK, BST_CHECKED, 0);

  CheckBoxFromSetting(dialog, IDC_CLIPBOARD, kKeyClipboard);
  CheckBoxFromSetting(dialog, IDC_AUTOSTARTUP, kKeyAutoStartup);
  CheckBoxFromSetting(dialog, IDC_AUTOMINIMIZE, kKeyAutoMinimize);
}

static void OnSave(HWND dialog) {
  // One byte more than a setting holds, to tell a folder that fits from one
  // that would be cut: a cut path names some other folder, or none.
  char folder[kSettingSize + 1];
  ZeroMemory(folder, sizeof(folder));
  int length = GetDlgItemTextA(dialog, IDC_SAVEPATH, folder, sizeof(folder));
  if (folder[0] != '\0') {
    // The stored folder stays, missing or not (a drive not plugged in yet); another
    // only when it is an existing folder: a file of that name would make every copy fail.
    char stored[kSettingSize];
    ReadSetting(kKeySavePath, stored);
    if (!SettingEquals(folder, stored) && (length >= kSettingSize || !IsExistingFolder(folder)))
      DefaultSavePath(folder);
    WriteSetting(kKeySavePath, folder);
  }
  WriteSetting(kKeyFileFormat, IsDlgButtonChecked(dialog, IDC_FORMAT_BMP) == BST_CHECKED ? "BMP" : "JPG");
  WriteCheckBox(dialog, IDC_CLIPBOARD, kKeyClipboard);
  WriteCheckBox(dialog, IDC_AUTOSTARTUP, kKeyAutoStartup);
  WriteCheckBox(dialog, IDC_AUTOMINIMIZE, kKeyAutoMinimize);

  LoadConfig();
  EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK ConfigDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(dialog);
      return TRUE;
    case WM_PAINT: {
      // The controls draw themselves; the dialog adds nothing of its own.
      PAINTSTRUCT paint;
      BeginPaint(dialog, &paint);
      EndPaint(dialog, &paint);
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          OnSave(dialog);
          return TRUE;
        case IDCANCEL:
          // Also what Esc sends: nothing is written.
          EndDialog(dialog, IDCANCEL);
          return FALSE;
      }
      return FALSE;
  }
  return FALSE;
}
