// CopyToFreeName: the picture copied under the first output name that is free,
// visible there only once whole, never replacing or removing a file that lay there
// before; and the removal of what a killed copy left behind.
#include "app/output_copy.h"
#include "app/output_name.h"
#include "common/trace_log.h"

// The copy's temporary files: the prefix, eight hexadecimal digits and the suffix.
static const char kTempPrefix[] = "~vistrel_copy_";
static const char kTempSuffix[] = ".tmp";
enum { kTempDigits = 8, kTempAttempts = 16, kCopyChunk = 65536 };
// How long a copy's temporary file is left alone after its last write.
enum { kStrayMinutes = 5 };

// What the move loop and the steps end in, besides 1 and 0: the step hook stopped the copy.
enum { kStopped = -1 };

static int NameIsTaken(DWORD error) { return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS; }

static int GoOn(CopyStepHook step, int at, const char* path) { return step == NULL || step(at, path); }

// Formats the name with the suffix into name and traces it; 0 when it does not fit.
static int NextOutputName(char name[100], const char* savePath, const SYSTEMTIME* time, int jpgFlag, int suffix) {
  if (!FormatOutputName(name, savePath, time, jpgFlag, suffix)) {
    TraceLog("Output file name too long");
    return 0;
  }
  TraceLog("%s", name);
  return 1;
}

int TraceOutputName(const char* savePath, const SYSTEMTIME* time, int jpgFlag) {
  char name[100];
  return NextOutputName(name, savePath, time, jpgFlag, 0);
}

// Creates a new temporary file in the folder, open to this copy alone, and writes its
// name into tempName; INVALID_HANDLE_VALUE when none could be made.
static HANDLE CreateCopyTemp(const char* savePath, char tempName[MAX_PATH]) {
  DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 12);
  for (DWORD attempt = 0; attempt < kTempAttempts; attempt++) {
    wsprintfA(tempName, "%s\\%s%08lX%s", savePath, kTempPrefix, (unsigned long)(seed + attempt), kTempSuffix);
    HANDLE file = CreateFileA(tempName, GENERIC_WRITE, 0, NULL, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file != INVALID_HANDLE_VALUE) return file;
    if (!NameIsTaken(GetLastError())) break;
  }
  TraceLog("CreateFile Failed");
  return INVALID_HANDLE_VALUE;
}

// Writes everything source holds, from its start, into dest and onto the disk, and
// closes dest: 1 when all of it is there, 0 when reading or writing failed, kStopped.
static int WriteWholeCopy(HANDLE source, HANDLE dest, const char* tempName, int* sourceFailed, CopyStepHook step) {
  char chunk[kCopyChunk];
  int whole = 0;
  DWORD got = 0, put = 0;
  if (SetFilePointer(source, 0, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER) *sourceFailed = 1;
  while (!*sourceFailed) {
    if (!ReadFile(source, chunk, sizeof(chunk), &got, NULL)) {
      *sourceFailed = 1;
    } else if (got == 0) {
      whole = 1;
      break;
    } else if (!WriteFile(dest, chunk, got, &put, NULL) || put != got) {
      break;
    } else if (!GoOn(step, kCopyTempWrote, tempName)) {
      CloseHandle(dest);
      return kStopped;
    }
  }
  // Flushed before it takes its name: a machine that stops after the move must not
  // find the name over data that never reached the disk. It keeps the time of its
  // writing until then, which tells a copy under way from one a kill left.
  if (whole && !FlushFileBuffers(dest)) whole = 0;
  if (!CloseHandle(dest)) whole = 0;
  return whole;
}

// Dates the picture as its source, as a plain file copy would; one that cannot be
// opened for it keeps the time of the copy.
static void DateAsSource(const char* name, HANDLE source) {
  FILETIME written;
  if (!GetFileTime(source, NULL, NULL, &written)) return;
  HANDLE file = CreateFileA(name, FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  SetFileTime(file, NULL, NULL, &written);
  CloseHandle(file);
}

// Gives the whole temporary file the first free output name: 1 when it took one, 0
// when there was none to take, kStopped.
static int MoveToFreeName(HANDLE source, const char* tempName, const char* savePath, const SYSTEMTIME* time,
                          int jpgFlag, CopyStepHook step) {
  char name[100];
  for (int suffix = 0; suffix <= kMaxOutputSuffix; suffix++) {
    // The first name is in the trace already, from before the copy.
    if (suffix == 0 ? !FormatOutputName(name, savePath, time, jpgFlag, 0)
                    : !NextOutputName(name, savePath, time, jpgFlag, suffix))
      return 0;
    if (!GoOn(step, kCopyNaming, name)) return kStopped;
    // A rename that never replaces: whatever lies under the name, there before or put
    // there a moment ago, stays as it is, and the picture takes the next suffix.
    if (MoveFileExA(tempName, name, 0)) {
      DateAsSource(name, source);
      return 1;
    }
    if (!NameIsTaken(GetLastError())) {
      TraceLog("MoveFileEx Failed");
      return 0;
    }
  }
  TraceLog("No free output file name");
  return 0;
}

int CopyToFreeName(HANDLE source, const char* savePath, const SYSTEMTIME* time, int jpgFlag, int* sourceFailed,
                   CopyStepHook step) {
  *sourceFailed = 0;
  // Names that would not fit get no temporary file either.
  char name[100];
  if (!FormatOutputName(name, savePath, time, jpgFlag, 0)) {
    TraceLog("Output file name too long");
    return 0;
  }
  char tempName[MAX_PATH];
  HANDLE dest = CreateCopyTemp(savePath, tempName);
  if (dest == INVALID_HANDLE_VALUE) return 0;
  if (!GoOn(step, kCopyTempCreated, tempName)) {
    CloseHandle(dest);
    return 0;
  }
  int result = WriteWholeCopy(source, dest, tempName, sourceFailed, step);
  if (result == 1) result = MoveToFreeName(source, tempName, savePath, time, jpgFlag, step);
  else if (result == 0) TraceLog("CopyFile Failed");
  if (result == kStopped) return 0;
  if (result == 0) DeleteFileA(tempName);
  return result;
}

// Whether the file name is one CreateCopyTemp makes.
static int IsCopyTempName(const char* name) {
  const int prefix = sizeof(kTempPrefix) - 1, suffix = sizeof(kTempSuffix) - 1;
  if (lstrlenA(name) != prefix + kTempDigits + suffix) return 0;
  char head[sizeof(kTempPrefix)];
  lstrcpynA(head, name, prefix + 1);
  if (lstrcmpiA(head, kTempPrefix) != 0 || lstrcmpiA(name + prefix + kTempDigits, kTempSuffix) != 0) return 0;
  for (int i = prefix; i < prefix + kTempDigits; i++) {
    char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))) return 0;
  }
  return 1;
}

// Whether the file was written less than kStrayMinutes ago (or dates from later than
// now): another Vistrel's copy may be between its close and its move.
static int IsRecent(const FILETIME* written) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULONGLONG at = (ULONGLONG)written->dwHighDateTime << 32 | written->dwLowDateTime;
  ULONGLONG limit = ((ULONGLONG)now.dwHighDateTime << 32 | now.dwLowDateTime) - kStrayMinutes * 60 * 10000000ULL;
  return at > limit;
}

void RemoveStrayCopies(const char* savePath) {
  char path[MAX_PATH];
  wsprintfA(path, "%s\\%s*%s", savePath, kTempPrefix, kTempSuffix);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path, &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    // The search also matches short names; only the whole name counts.
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsCopyTempName(found.cFileName) &&
        !IsRecent(&found.ftLastWriteTime)) {
      wsprintfA(path, "%s\\%s", savePath, found.cFileName);
      // Removed only once nobody else has it open: an open to this search alone,
      // deleting the file as it closes, is refused while any other handle is on it.
      HANDLE stray = CreateFileA(path, DELETE, 0, NULL, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, NULL);
      if (stray != INVALID_HANDLE_VALUE) CloseHandle(stray);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
