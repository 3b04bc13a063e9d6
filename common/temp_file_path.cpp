// GetCaptureTempPath: the temporary folder plus "CaptureTemp.bmp", never truncated.
#include "common/temp_file_path.h"
#include <windows.h>

int GetCaptureTempPath(char path[100]) {
  static const char FileName[] = "CaptureTemp.bmp";
  ZeroMemory(path, 100);
  DWORD length = GetTempPathA(100, path);
  // GetTempPathA returns the size it needs, which is more than the buffer when it does not fit.
  if (length == 0 || length + sizeof(FileName) - 1 > 99) {
    ZeroMemory(path, 100);
    return 0;
  }
  lstrcpynA(path + length, FileName, 100 - length);
  return 1;
}
