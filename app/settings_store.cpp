// The five settings in the profile section "VISTREL", and LoadConfig, which
// reads three of them into gSettings and hands the clipboard switch to the
// capture library.
#include "app/app_state.h"
#include "app/output_name.h"
#include <shlobj.h>
#include <string.h>

AppSettings gSettings;

const char kKeySavePath[] = "SavePath";
const char kKeyFileFormat[] = "FileFormat";
const char kKeyClipboard[] = "Clipboard";
const char kKeyAutoStartup[] = "AutoStartup";
const char kKeyAutoMinimize[] = "AutoMinimize";
const char kDefaultSavePath[] = "c:\\";  // where the system names no Pictures folder

static const char kSection[] = "VISTREL";

void ReadSetting(const char* key, char value[kSettingSize]) {
  ZeroMemory(value, kSettingSize);
  // No default: a missing key reads as an empty string.
  GetProfileStringA(kSection, key, NULL, value, kSettingSize);
}

void WriteSetting(const char* key, const char* value) {
  WriteProfileStringA(kSection, key, value);
}

// Byte for byte, case and all, with no locale's collation rules in between.
int SettingEquals(const char* value, const char* expected) {
  return strcmp(value, expected) == 0;
}

int IsExistingFolder(const char* path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return 0;
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int GetPicturesFolder(char path[kSettingSize]) {
  char found[MAX_PATH];
  ZeroMemory(path, kSettingSize);
  ZeroMemory(found, sizeof(found));
  // Made when the user has none yet: an empty Pictures folder is still the right place.
  if (FAILED(SHGetFolderPathA(NULL, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT, found)) ||
      found[0] == '\0')
    return 0;
  // A long path (a folder synchronised to a company's cloud drive) may leave no room
  // for the pictures' names: its short name is the same folder.
  if (!FolderHasRoomForNames(found)) {
    char shortName[MAX_PATH];
    DWORD length = GetShortPathNameA(found, shortName, MAX_PATH);
    if (length > 0 && length < (DWORD)lstrlenA(found)) lstrcpynA(found, shortName, MAX_PATH);
  }
  if (lstrlenA(found) >= kSettingSize) return 0;
  lstrcpynA(path, found, kSettingSize);
  return 1;
}

void DefaultSavePath(char path[kSettingSize]) {
  if (!GetPicturesFolder(path)) lstrcpynA(path, kDefaultSavePath, kSettingSize);
}

// A stored folder that is missing now (a drive not plugged in, a share not yet
// connected) stays the output folder: the output stage saves into the Pictures
// folder while it is missing, and into it again once it is there.
void ReadSavePath(char path[kSettingSize]) {
  ReadSetting(kKeySavePath, path);
  if (path[0] == '\0') DefaultSavePath(path);
}

void LoadConfig(void) {
  char value[kSettingSize];

  ReadSavePath(gSettings.savePath);

  // Any non-empty value other than exactly "BMP" means JPEG.
  ReadSetting(kKeyFileFormat, value);
  gSettings.jpgFlag = (value[0] != '\0' && !SettingEquals(value, "BMP")) ? 1 : 0;

  ReadSetting(kKeyAutoMinimize, value);
  gSettings.autoMinimize = (value[0] != '\0' && !SettingEquals(value, "False")) ? 1 : 0;

  ReadSetting(kKeyClipboard, value);
  pSetConfig(SettingEquals(value, "True") ? 1 : 0);
}
