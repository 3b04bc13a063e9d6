// The output stage: the captured picture into the user's folder, copied as a BMP
// file or converted to a JPEG file, under a name made from the time of day.
#include "app/app_state.h"
#include "app/output_copy.h"
#include "common/temp_file_path.h"
#include "common/trace_log.h"

// The temporary file as it was at the last WM_USER_COPIED. A capture whose file
// could not be written (nor removed, when another program holds it open) leaves the
// earlier picture behind; that one must not be output again as the new capture.
static int gHaveLastTemp;
static FILETIME gLastTempWriteTime;
static DWORD gLastTempSizeHigh, gLastTempSizeLow;

// Returns 1 when the temporary file exists and was rewritten since the last call that
// returned 1, and remembers it as the last one.
static int TakeNewTempFile(const char* tempPath) {
  WIN32_FILE_ATTRIBUTE_DATA info;
  if (!GetFileAttributesExA(tempPath, GetFileExInfoStandard, &info)) {
    TraceLog("GetFileAttributesEx Failed");
    return 0;
  }
  if (gHaveLastTemp && CompareFileTime(&info.ftLastWriteTime, &gLastTempWriteTime) == 0 &&
      info.nFileSizeHigh == gLastTempSizeHigh && info.nFileSizeLow == gLastTempSizeLow) {
    TraceLog("Temporary file unchanged since the last output");
    return 0;
  }
  gHaveLastTemp = 1;
  gLastTempWriteTime = info.ftLastWriteTime;
  gLastTempSizeHigh = info.nFileSizeHigh;
  gLastTempSizeLow = info.nFileSizeLow;
  return 1;
}

// A picture left in the temporary folder by an earlier run counts as already
// output: if the run's first capture can neither write nor remove the file, that
// old picture must not be saved as the new one.
void RememberEarlierTempFile(void) {
  char tempPath[100];
  // No earlier picture is the usual case at start-up, not a failure to trace.
  if (GetCaptureTempPath(tempPath) && GetFileAttributesA(tempPath) != INVALID_FILE_ATTRIBUTES)
    TakeNewTempFile(tempPath);
}

// The encoder replaces whatever lies at its destination and fails on a file another
// program has open, so it writes next to the temporary file, under the same name
// with ".jpg", and the result is copied out like a BMP file.
static void ConvertToJpgFile(const char* tempPath, const SYSTEMTIME* time) {
  char jpgPath[100];
  lstrcpynA(jpgPath, tempPath, sizeof(jpgPath));
  lstrcpyA(jpgPath + lstrlenA(jpgPath) - 3, "jpg");
  if (pBmpToJpg(tempPath, jpgPath))
    CopyToFreeName(jpgPath, gSettings.savePath, time, 1);
  else
    TraceLog("BmpToJpg Failed");
  DeleteFileA(jpgPath);
}

void OutputCaptureFile(void) {
  char tempPath[100];
  if (!GetCaptureTempPath(tempPath)) {
    TraceLog("GetCaptureTempPath Failed");
    return;
  }
  TraceLog("TempFileName:%s", tempPath);
  if (!TakeNewTempFile(tempPath)) return;

  SYSTEMTIME time;
  ZeroMemory(&time, sizeof(time));
  GetLocalTime(&time);
  if (gSettings.jpgFlag == 0) {
    TraceLog("Copy bmp file");
    CopyToFreeName(tempPath, gSettings.savePath, &time, 0);
  } else {
    TraceLog("Convert bmp->jpg file");
    ConvertToJpgFile(tempPath, &time);
  }
}
