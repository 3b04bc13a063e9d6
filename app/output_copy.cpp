// CopyToFreeName: the picture copied under the first output name that is free,
// without ever replacing or removing a file that lay there before.
#include "app/output_copy.h"
#include "app/output_name.h"
#include "common/trace_log.h"

static int NameIsTaken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

// Formats the name with the suffix into name and traces it; 0 when it does not fit.
static int NextOutputName(char name[100], const char* savePath, const SYSTEMTIME* time, int jpgFlag, int suffix) {
  if (!FormatOutputName(name, savePath, time, jpgFlag, suffix)) {
    TraceLog("Output file name too long");
    return 0;
  }
  TraceLog("%s", name);
  return 1;
}

int CopyToFreeName(const char* source, const char* savePath, const SYSTEMTIME* time, int jpgFlag) {
  // CopyFileA opens the source before it creates anything. Held open here, readable
  // by the copy and by nobody who would write or remove it, the source cannot make
  // a copy fail: any failure below comes at or after the copy's own file. A source
  // that cannot be read touches no name at all.
  HANDLE held = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (held == INVALID_HANDLE_VALUE) {
    TraceLog("CopyFile Failed: source unreadable");
    return 0;
  }
  int landed = 0, suffix;
  char name[100];
  for (suffix = 0; suffix <= kMaxOutputSuffix; suffix++) {
    if (!NextOutputName(name, savePath, time, jpgFlag, suffix)) break;
    // A file found under the name is someone else's: never a copy's to remove.
    if (GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES) continue;
    // The copy itself refuses an existing file, so nothing written there since the
    // look can be replaced.
    if (CopyFileA(source, name, TRUE)) {
      landed = 1;
      break;
    }
    if (NameIsTaken(GetLastError())) continue;
    // The name was free and the source readable: whatever lies there now is this
    // copy's remains (a full disk stops it part-way); never leave a cut picture.
    DeleteFileA(name);
    TraceLog("CopyFile Failed");
    break;
  }
  if (suffix > kMaxOutputSuffix) TraceLog("No free output file name");
  CloseHandle(held);
  return landed;
}
