// The output stage: the captured picture into the user's folder, copied as a BMP
// file or converted to a JPEG file, under a name made from the time of day.
#include "app/app_state.h"
#include "app/output_name.h"
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

static int NameIsTaken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// Formats the name with the suffix into name and traces it; 0 when it does not fit.
static int NextOutputName(char name[100], const SYSTEMTIME* time, int suffix) {
  if (!FormatOutputName(name, gSettings.savePath, time, gSettings.jpgFlag, suffix)) {
    TraceLog("Output file name too long");
    return 0;
  }
  TraceLog("%s", name);
  return 1;
}

// Copies source under the first free output name. The copy itself refuses an
// existing file, so nothing written there in the meantime can be replaced.
static void CopyToFreeName(const char* source, const SYSTEMTIME* time) {
  char name[100];
  for (int suffix = 0; suffix <= kMaxOutputSuffix; suffix++) {
    if (!NextOutputName(name, time, suffix)) return;
    if (CopyFileA(source, name, TRUE)) return;
    if (!NameIsTaken(GetLastError())) {
      // The name was free, so whatever lies there now is this copy's remains (a
      // full disk stops it part-way): never leave a cut picture behind.
      DeleteFileA(name);
      TraceLog("CopyFile Failed");
      return;
    }
  }
  TraceLog("No free output file name");
}

// The encoder replaces whatever lies at its destination and fails on a file another
// program has open, so it writes next to the temporary file, under the same name
// with ".jpg", and the result is copied out like a BMP file.
static void ConvertToJpgFile(const char* tempPath, const SYSTEMTIME* time) {
  char jpgPath[100];
  lstrcpynA(jpgPath, tempPath, sizeof(jpgPath));
  lstrcpyA(jpgPath + lstrlenA(jpgPath) - 3, "jpg");
  if (pBmpToJpg(tempPath, jpgPath))
    CopyToFreeName(jpgPath, time);
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
    CopyToFreeName(tempPath, &time);
  } else {
    TraceLog("Convert bmp->jpg file");
    ConvertToJpgFile(tempPath, &time);
  }
}
