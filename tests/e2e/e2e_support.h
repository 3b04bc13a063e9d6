// Helpers of the end-to-end tests: starting and ending processes, finding their
// windows, waiting for conditions with a deadline, real mouse input, and the
// capture library's shared record as a loaded module holds it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "capture/shared_state.h"

// The folder of the test program, where the built binaries lie, with a trailing backslash.
std::string BinDir();

struct Process {
  HANDLE handle = NULL;
  DWORD pid = 0;
};

// Starts exe (a full path) with arguments in the folder dir (the exe's folder when
// empty); with tempDir, the program's TEMP and TMP name that folder.
Process Launch(const std::string& exe, const std::string& args = "", const std::string& dir = "",
               const std::string& tempDir = "");
// Waits for the process to end; returns 1 and its exit code when it did within the time.
int WaitForExit(Process& process, DWORD timeoutMs, DWORD* exitCode);
// Ends a process the test started, if it still runs, and closes its handle.
void Kill(Process& process);

// Polls cond every few milliseconds, dispatching this thread's messages, until it
// holds or the deadline passes. Returns whether it held.
template <class Cond>
bool WaitUntil(Cond cond, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (cond()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
  }
}

// A top-level window of the class (and title, when not null) that belongs to pid
// (any process when pid is 0), or null.
HWND FindProcessWindow(const char* className, const char* title, DWORD pid);
HWND WaitForWindow(const char* className, const char* title, DWORD pid, DWORD timeoutMs);
DWORD WindowProcess(HWND window);

// A new empty folder under the temporary folder, with a trailing backslash.
std::string MakeTempDir(const char* name);
int CopyBinary(const std::string& from, const std::string& toDir, const char* asName = NULL);

// A mouse input record: with MOUSEEVENTF_MOVE an absolute move to the screen point
// (x, y), otherwise a button event where the cursor is.
INPUT MouseInput(DWORD flags, int x = 0, int y = 0);
// Moves the mouse to the screen point with SendInput.
void MoveMouseTo(int x, int y);
// One mouse button event (a press or a release) where the cursor is.
void MouseEvent(DWORD flag);
// One key event: flags 0 for the press, KEYEVENTF_KEYUP for the release.
void KeyEvent(WORD key, DWORD flags);

// Registers a window class of this program with that name and procedure (a second
// registration of the same name is refused and harmless); returns the name.
const char* RegisterTestClass(const char* name, WNDPROC proc);

// Whether the module of that name is loaded in the process.
int ProcessHasModule(DWORD pid, const char* moduleName);

// The shared record of a loaded Vistrel.dll, found by its section name.
SharedCaptureState* SharedRecordOf(HMODULE library);

// Region box of a window in window coordinates; returns the region type (ERROR when none).
int WindowRegionBox(HWND window, RECT* box);

// Presses and releases a mouse button where the cursor is, with SendInput.
void ClickButton(DWORD downFlag, DWORD upFlag);
inline void RightClick() { ClickButton(MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }

// The capture's temporary file as this process names it.
std::string CaptureTempPath();

// The names of the files (not folders) in folder, which has no trailing backslash,
// in order.
std::vector<std::string> FilesIn(const std::string& folder);

// A window class of this program whose windows show the colour in their
// GWLP_USERDATA.
const char* SolidWindowClass();

// Suspends or resumes every thread of the process.
void SetSuspended(DWORD pid, bool suspend);

// Whether the test runs as on a composed desktop (tests/e2e/composed_desktop.sh).
bool DesktopComposed();
// What the screen shows of a top-level window: there, as the stand-in compositor
// library has it, a sizable window without 7 pixels on the left, right and bottom;
// elsewhere its window rectangle.
RECT VisibleFrameOf(HWND window);
