// The output stage: the captured picture into the user's folder, copied as a BMP
// file or converted to a JPEG file, under a name made from the time of day.
#include "app/app_state.h"
#include "app/output_copy.h"
#include "common/temp_file_path.h"
#include "common/trace_log.h"

// The temporary file as it was at the last output. A capture whose file could not be
// written (nor removed, when another program holds it open) leaves the earlier
// picture behind; that one must not be output again as the new capture.
static int gHaveLastTemp;
static FILETIME gLastTempWriteTime;
static DWORD gLastTempSizeHigh, gLastTempSizeLow;

static int IsLastTemp(const FILETIME* written, DWORD sizeHigh, DWORD sizeLow) {
  return gHaveLastTemp && CompareFileTime(written, &gLastTempWriteTime) == 0 && sizeHigh == gLastTempSizeHigh &&
         sizeLow == gLastTempSizeLow;
}

static void RememberLastTemp(const FILETIME* written, DWORD sizeHigh, DWORD sizeLow) {
  gHaveLastTemp = 1;
  gLastTempWriteTime = *written;
  gLastTempSizeHigh = sizeHigh;
  gLastTempSizeLow = sizeLow;
}

// A picture left in the temporary folder by an earlier run counts as already
// output: if the run's first capture can neither write nor remove the file, that
// old picture must not be saved as the new one. What copies killed in an earlier
// run left in the output folder goes.
void StartOutputStage(void) {
  char tempPath[100];
  WIN32_FILE_ATTRIBUTE_DATA info;
  // No earlier picture is the usual case at start-up, not a failure to trace.
  if (GetCaptureTempPath(tempPath) && GetFileAttributesExA(tempPath, GetFileExInfoStandard, &info))
    RememberLastTemp(&info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow);
  RemoveStrayCopies(gSettings.savePath);
  char pictures[kSettingSize];
  if (GetPicturesFolder(pictures) && lstrcmpiA(pictures, gSettings.savePath) != 0) RemoveStrayCopies(pictures);
}

// Copies the picture source holds into the output folder, when its name fits there
// (nameFits), and where that folder refuses it (no right to write, gone, full) into
// the user's Pictures folder. Returns 0 when reading source failed, else 1: the
// picture landed, or both folders refused it.
static int OutputPicture(HANDLE source, int nameFits, const SYSTEMTIME* time) {
  int sourceFailed = 0, jpgFlag = gSettings.jpgFlag;
  if (nameFits && CopyToFreeName(source, gSettings.savePath, time, jpgFlag, &sourceFailed, NULL)) return 1;
  if (sourceFailed) return 0;
  char pictures[kSettingSize];
  if (!GetPicturesFolder(pictures)) {
    TraceLog("SHGetFolderPath Failed");
    return 1;
  }
  // The output folder is the Pictures folder itself: it has refused already.
  if (lstrcmpiA(pictures, gSettings.savePath) == 0) return 1;
  TraceLog("Output folder refused the picture, saving it in the Pictures folder");
  if (TraceOutputName(pictures, time, jpgFlag)) CopyToFreeName(source, pictures, time, jpgFlag, &sourceFailed, NULL);
  return !sourceFailed;
}

// The encoder replaces whatever lies at its destination and fails on a file another
// program has open, so it writes next to the temporary file, under the same name
// with ".jpg", and the result is copied out like a BMP file. Returns 0 when the JPEG
// file could not be read for the copy. An encoder that fails has had the held
// picture as it stands: that counts as output tried, as both folders refusing it do.
static int ConvertToJpgFile(const char* tempPath, int nameFits, const SYSTEMTIME* time) {
  char jpgPath[100];
  lstrcpynA(jpgPath, tempPath, sizeof(jpgPath));
  lstrcpyA(jpgPath + lstrlenA(jpgPath) - 3, "jpg");
  int sourceFailed = 0;
  if (!pBmpToJpg(tempPath, jpgPath)) {
    TraceLog("BmpToJpg Failed");
  } else {
    HANDLE jpg = CreateFileA(jpgPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (jpg == INVALID_HANDLE_VALUE) {
      TraceLog("CreateFile Failed");
      sourceFailed = 1;
    } else {
      sourceFailed = !OutputPicture(jpg, nameFits, time);
      CloseHandle(jpg);
    }
  }
  DeleteFileA(jpgPath);
  return !sourceFailed;
}

void OutputCaptureFile(void) {
  char tempPath[100];
  if (!GetCaptureTempPath(tempPath)) {
    TraceLog("GetCaptureTempPath Failed");
    return;
  }
  TraceLog("TempFileName:%s", tempPath);
  // Held open, shared with readers only, until the output is done: what is copied or
  // converted is the very file whose write time and size are taken here, and nobody
  // can change it in between.
  HANDLE source = CreateFileA(tempPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
  if (source == INVALID_HANDLE_VALUE) {
    TraceLog("CreateFile Failed");
    return;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(source, &info)) {
    TraceLog("GetFileInformationByHandle Failed");
  } else if (IsLastTemp(&info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow)) {
    TraceLog("Temporary file unchanged since the last output");
  } else {
    SYSTEMTIME time;
    ZeroMemory(&time, sizeof(time));
    GetLocalTime(&time);
    int sourceRead;
    // The name goes to the trace before anything is written: where the copy fails,
    // it is the record of the picture that did not land.
    if (gSettings.jpgFlag == 0) {
      TraceLog("Copy bmp file");
      sourceRead = OutputPicture(source, TraceOutputName(gSettings.savePath, &time, 0), &time);
    } else {
      TraceLog("Convert bmp->jpg file");
      sourceRead = ConvertToJpgFile(tempPath, TraceOutputName(gSettings.savePath, &time, 1), &time);
    }
    // Output once it landed or both folders refused it; a picture whose reading
    // failed is left to a later WM_USER_COPIED.
    if (sourceRead) RememberLastTemp(&info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow);
  }
  CloseHandle(source);
}
