// The five settings in the profile section "VISTREL", and LoadConfig, which
// reads three of them into gSettings and hands the clipboard switch to the
// capture library.
#include "app/app_state.h"

AppSettings gSettings;

static const char kSection[] = "VISTREL";

void LoadConfig(void) {
  char value[100];

  ZeroMemory(gSettings.savePath, sizeof(gSettings.savePath));
  GetProfileStringA(kSection, "SavePath", NULL, gSettings.savePath, sizeof(gSettings.savePath));
  if (gSettings.savePath[0] == '\0') lstrcpynA(gSettings.savePath, "c:\\", sizeof(gSettings.savePath));

  // Any non-empty value other than exactly "BMP" means JPEG.
  ZeroMemory(value, sizeof(value));
  GetProfileStringA(kSection, "FileFormat", NULL, value, sizeof(value));
  gSettings.jpgFlag = (value[0] != '\0' && lstrcmpA(value, "BMP") != 0) ? 1 : 0;

  ZeroMemory(value, sizeof(value));
  GetProfileStringA(kSection, "AutoMinimize", NULL, value, sizeof(value));
  gSettings.autoMinimize = (value[0] != '\0' && lstrcmpA(value, "False") != 0) ? 1 : 0;

  ZeroMemory(value, sizeof(value));
  GetProfileStringA(kSection, "Clipboard", NULL, value, sizeof(value));
  pSetConfig(lstrcmpA(value, "True") == 0 ? 1 : 0);
}
