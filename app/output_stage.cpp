// The output stage: the captured picture into the user's folder, copied as a BMP
// file or converted to a JPEG file, under a name made from the time of day.
#include "app/app_state.h"
#include "app/output_copy.h"
#include "common/temp_file_path.h"
#include "common/trace_log.h"
#include <string.h>

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

// Copies the picture under the first free output name into the folder; 1 when it
// landed. *sourceFailed: reading source failed.
static int CopyInto(HANDLE source, const char* folder, const SYSTEMTIME* time, int* sourceFailed) {
  return TraceOutputName(folder, time, gSettings.jpgFlag) &&
         CopyToFreeName(source, folder, time, gSettings.jpgFlag, sourceFailed, NULL);
}

// The temporary folder, without its trailing backslash; 0 when it has no usable path.
static int GetTempFolder(char folder[100]) {
  if (!GetCaptureTempPath(folder)) return 0;
  *strrchr(folder, '\\') = '\0';
  return 1;
}

// Copies the picture source holds into the output folder, when its name fits there
// (nameFits; a folder that leaves no room for it refuses it), and where that folder
// refuses it (no right to write, gone, full) into the user's Pictures folder; where
// that refuses it too, it is kept in the temporary folder under its output name.
// Returns 1 when the picture landed, 0 when reading source failed or no folder took
// it: a picture that landed nowhere is not output, and a later WM_USER_COPIED may
// still save it.
static int OutputPicture(HANDLE source, int nameFits, const SYSTEMTIME* time) {
  int sourceFailed = 0, jpgFlag = gSettings.jpgFlag;
  if (nameFits && CopyToFreeName(source, gSettings.savePath, time, jpgFlag, &sourceFailed, NULL)) return 1;
  if (sourceFailed) return 0;
  char folder[kSettingSize];
  if (!GetPicturesFolder(folder)) {
    TraceLog("SHGetFolderPath Failed");
  } else if (lstrcmpiA(folder, gSettings.savePath) != 0) {
    // Unless the output folder is the Pictures folder itself, which refused already.
    TraceLog("Output folder refused the picture, saving it in the Pictures folder");
    if (CopyInto(source, folder, time, &sourceFailed)) return 1;
    if (sourceFailed) return 0;
  }
  if (!GetTempFolder(folder)) return 0;
  TraceLog("Pictures folder refused the picture, keeping it in the temporary folder");
  if (CopyInto(source, folder, time, &sourceFailed)) return 1;
  if (!sourceFailed) TraceLog("No folder took the picture");
  return 0;
}

// The encoder replaces whatever lies at its destination and fails on a file another
// program has open, so it writes next to the temporary file, under the same name
// with ".jpg", and the result is copied out like a BMP file. Returns 0 when the JPEG
// file could not be read for the copy or landed nowhere. An encoder that fails has
// had the held picture as it stands: that counts as output tried.
static int ConvertToJpgFile(const char* tempPath, int nameFits, const SYSTEMTIME* time) {
  char jpgPath[100];
  lstrcpynA(jpgPath, tempPath, sizeof(jpgPath));
  lstrcpyA(jpgPath + lstrlenA(jpgPath) - 3, "jpg");
  int landed = 1;
  if (!pBmpToJpg(tempPath, jpgPath)) {
    TraceLog("BmpToJpg Failed");
  } else {
    HANDLE jpg = CreateFileA(jpgPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (jpg == INVALID_HANDLE_VALUE) {
      TraceLog("CreateFile Failed");
      landed = 0;
    } else {
      landed = OutputPicture(jpg, nameFits, time);
      CloseHandle(jpg);
    }
  }
  DeleteFileA(jpgPath);
  return landed;
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
    int landed;
    // The name goes to the trace before anything is written: where the copy fails,
    // it is the record of the picture that did not land.
    if (gSettings.jpgFlag == 0) {
      TraceLog("Copy bmp file");
      landed = OutputPicture(source, TraceOutputName(gSettings.savePath, &time, 0), &time);
    } else {
      TraceLog("Convert bmp->jpg file");
      landed = ConvertToJpgFile(tempPath, TraceOutputName(gSettings.savePath, &time, 1), &time);
    }
    // Output once it landed; a picture whose reading failed, or that no folder
    // took, is left to a later WM_USER_COPIED.
    if (landed) RememberLastTemp(&info.ftLastWriteTime, info.nFileSizeHigh, info.nFileSizeLow);
  }
  CloseHandle(source);
}
