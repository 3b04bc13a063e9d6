// Start-up, exit and memory of Vistrel.exe and of the trivial program.
#include "bench/bench_shared.h"
#include "bench/driver_runs.h"
#include <psapi.h>
#include "capture/shared_state.h"

static const DWORD kDeadline = 30000;
// A layered window may be blended with what lies below it.
static const int kBlendTolerance = 40;

void WriteAppProfile(const BenchSetup& s, const char* format) {
  std::string folder = s.outputDir.substr(0, s.outputDir.size() - 1);  // without the trailing backslash
  WriteProfileStringA("VISTREL", "SavePath", folder.c_str());
  WriteProfileStringA("VISTREL", "FileFormat", format);
  WriteProfileStringA("VISTREL", "Clipboard", "False");
  WriteProfileStringA("VISTREL", "AutoMinimize", "False");
}

int SetNavyWindowColour(int on) {
  static COLORREF original = CLR_INVALID;
  if (original == CLR_INVALID) original = GetSysColor(COLOR_WINDOW);
  int element = COLOR_WINDOW;
  COLORREF colour = on ? RGB(0, 0, 128) : original;
  return SetSysColors(1, &element, &colour) ? 1 : Fail("SetSysColors failed");
}

// The skin's colour at a point of its client area, read from the program's own resource.
static COLORREF SkinColour(const BenchSetup& s, int x, int y) {
  HMODULE exe = LoadLibraryExA((s.binDir + "Vistrel.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
  HBITMAP skin = exe ? LoadBitmapA(exe, MAKEINTRESOURCEA(132)) : NULL;
  COLORREF colour = CLR_INVALID;
  if (skin != NULL) {
    HDC mem = CreateCompatibleDC(NULL);
    HGDIOBJ old = SelectObject(mem, skin);
    colour = GetPixel(mem, x, y);
    SelectObject(mem, old);
    DeleteDC(mem);
    DeleteObject(skin);
  }
  if (exe != NULL) FreeLibrary(exe);
  return colour;
}

// Shown, nothing left to paint, and the screen shows the expected colour at the
// client point: the user sees the window.
static bool Painted(HWND window, POINT probe, COLORREF expected) {
  if (window == NULL || !IsWindowVisible(window) || GetUpdateRect(window, NULL, FALSE)) return false;
  ClientToScreen(window, &probe);
  return ColoursClose(ScreenPixel(probe.x, probe.y), expected, kBlendTolerance);
}

// Launches exe and waits until its window of that class is painted.
static int StartAndWaitPainted(const std::string& exe, const char* className, POINT probe, COLORREF expected,
                               Process* process, HWND* window, double* ms) {
  *window = NULL;
  double start = NowMs();
  *process = Launch(exe, "");
  if (process->handle == NULL) return 0;
  bool shown = WaitFor([&] {
    if (*window == NULL) *window = FindProcessWindow(className, NULL, process->pid);
    return Painted(*window, probe, expected);
  }, kDeadline);
  *ms = NowMs() - start;
  return shown ? 1 : 0;
}

int StartApp(BenchSetup& s, double* ms) {
  // A point of the title band, away from the title's letters.
  static const POINT probe = {300, 28};
  static COLORREF expected = CLR_INVALID;
  if (expected == CLR_INVALID) expected = SkinColour(s, probe.x, probe.y);
  if (!StartAndWaitPainted(s.binDir + "Vistrel.exe", "VISTREL", probe, expected, &s.app, &s.appWindow, ms))
    return 0;
  if (s.library == NULL) {
    s.library = LoadLibraryA((s.binDir + "Vistrel.dll").c_str());
    s.shared = s.library ? SharedRecordOf(s.library) : NULL;
  }
  // InitHook has run before the window was shown.
  return s.shared != NULL && s.shared->glhMainWnd == s.appWindow ? 1 : 0;
}

int ExitApp(BenchSetup& s) {
  if (s.appWindow != NULL) PostMessageA(s.appWindow, WM_COMMAND, IDM_EXIT, 0);
  int ended = WaitForExit(s.app, kDeadline, NULL) ? 1 : 0;
  Kill(s.app);
  s.appWindow = NULL;
  return ended;
}

int StartTrivial(BenchSetup& s, double* ms) {
  static const POINT probe = {100, 60};
  return StartAndWaitPainted(s.benchDir + "trivial_window.exe", BenchTrivialClass, probe, BenchTrivialColour,
                             &s.trivial, &s.trivialWindow, ms);
}

int ExitTrivial(BenchSetup& s) {
  if (s.trivialWindow != NULL) PostMessageA(s.trivialWindow, WM_CLOSE, 0, 0);
  int ended = WaitForExit(s.trivial, kDeadline, NULL) ? 1 : 0;
  Kill(s.trivial);
  s.trivialWindow = NULL;
  return ended;
}

int ProcessMemory(const Process& process, double* privateKb, double* workingSetKb) {
  PROCESS_MEMORY_COUNTERS_EX counters;
  ZeroMemory(&counters, sizeof(counters));
  counters.cb = sizeof(counters);
  if (process.handle == NULL ||
      !GetProcessMemoryInfo(process.handle, (PROCESS_MEMORY_COUNTERS*)&counters, sizeof(counters)))
    return 0;
  // Wine leaves PrivateUsage at 0 for other processes; its PagefileUsage is the
  // process's private (anonymous) memory, which is what private bytes count.
  SIZE_T privateBytes = counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
  *privateKb = (double)privateBytes / 1024.0;
  *workingSetKb = (double)counters.WorkingSetSize / 1024.0;
  return 1;
}
