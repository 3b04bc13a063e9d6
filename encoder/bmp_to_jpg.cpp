#include "common/vistrel_api.h"
extern "C" int WINAPI BmpToJpg(const char* bmpPath, const char* jpgPath) { return 0; }
