// The five settings in the profile section "VISTREL", and LoadConfig, which
// reads three of them into gSettings and hands the clipboard switch to the
// capture library.
#include "app/app_state.h"
#include <string.h>

AppSettings gSettings;

const char kKeySavePath[] = "SavePath";
const char kKeyFileFormat[] = "FileFormat";
const char kKeyClipboard[] = "Clipboard";
const char kKeyAutoStartup[] = "AutoStartup";
const char kKeyAutoMinimize[] = "AutoMinimize";
const char kDefaultSavePath[] = "c:\\";

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

void LoadConfig(void) {
  char value[kSettingSize];

  ReadSetting(kKeySavePath, gSettings.savePath);
  if (gSettings.savePath[0] == '\0') lstrcpynA(gSettings.savePath, kDefaultSavePath, sizeof(gSettings.savePath));

  // Any non-empty value other than exactly "BMP" means JPEG.
  ReadSetting(kKeyFileFormat, value);
  gSettings.jpgFlag = (value[0] != '\0' && !SettingEquals(value, "BMP")) ? 1 : 0;

  ReadSetting(kKeyAutoMinimize, value);
  gSettings.autoMinimize = (value[0] != '\0' && !SettingEquals(value, "False")) ? 1 : 0;

  ReadSetting(kKeyClipboard, value);
  pSetConfig(SettingEquals(value, "True") ? 1 : 0);
}
