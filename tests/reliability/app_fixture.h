// The real Vistrel.exe with its real library, foreign Target.exe programs and real
// mouse input, for the tests of load, faults and bad input. The profile section
// "VISTREL" is set for each test and restored after it; output lands in a folder
// of the test's own. This process maps the same Vistrel.dll to read the shared
// record (the mask, the target, the capture-taken flag).
#pragma once
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>
#include "common/command_ids.h"
#include "tests/e2e/e2e_support.h"
#include "tests/e2e/target/target_layout.h"
#include "tests/reliability/process_census.h"
#include "tests/reliability/trial_log.h"
#include "tests/support/bmp_file.h"

static const DWORD Timeout = 30000;
// A program that does not answer a message within this time counts as hung.
static const DWORD AnswerTime = 10000;

// A whole number from the environment (the soak's larger counts), or the fallback.
int CountFromEnvironment(const char* name, int fallback);

bool FileExists(const std::string& path);
// The user's Pictures folder: where pictures go that the output folder refuses.
std::string PicturesFolder();
// Deletes the files in folder and the folder.
void RemoveFolder(const std::string& folder);
// Runs a command of the Unix host (Wine starts Unix programs) and returns its exit code.
int RunHostCommand(const std::string& commandLine);
// A Unix path (from the build) as a Windows path on drive Z:, no trailing backslash.
std::string HostPathToWindows(const std::string& unixPath);

// What a test found wrong; it goes into the row of the table.
struct Tally {
  long crashes = 0, hangs = 0, leaks = 0, badFiles = 0;
};

struct Target {
  Process process;
  HWND window = NULL;
};

// A helper that answers false (or -1) has already recorded why as a failure of the
// test, and counted it in the tally where it is a crash, a hang or a bad file.
class AppFixture : public ::testing::Test {
 protected:
  static const char* const ProfileKeys[5];
  std::string savedProfile[5];
  bool profileSaved = false;

  Process app;
  HWND main = NULL;
  std::string appDir;   // the folder Vistrel.exe runs from, with a trailing backslash
  std::string libPath;  // the Vistrel.dll the application loads
  HMODULE lib = NULL;
  SharedCaptureState* rec = NULL;
  std::string outDir;    // the output folder, without a trailing backslash
  std::string tempPath;  // "CaptureTemp.bmp" in the temporary folder of every program here
  std::vector<Target> targets;
  std::set<std::string> seenOutput;  // output files already accounted for
  bool expectShown = true;           // false: the main window may hide itself at start
  Tally tally;
  const char* area = "";  // the table's area for this suite's rows

  void SetUp() override;

  // A row of the table in this suite's area, with what the tally counted so far.
  Trial Row(const std::string& tried, long times, const std::string& checked, const std::string& figures) {
    Trial t;
    t.area = area;
    t.tried = tried;
    t.times = times;
    t.checked = checked;
    t.figures = figures;
    t.crashes = tally.crashes;
    t.hangs = tally.hangs;
    t.leaks = tally.leaks;
    t.badFiles = tally.badFiles;
    return t;
  }
  void TearDown() override;

  // The profile: a null value removes the key.
  void SetProfile(const char* key, const char* value);
  std::string Profile(const char* key);
  // SavePath = outDir, BMP, no clipboard, no auto-minimise.
  void UsualProfile();

  // Starts Vistrel.exe from appDir and waits for its window and its InitHook.
  void StartApp(const std::string& tempDir = "");
  // Sends the exit command and waits for the exit code 0.
  void ExitApp();
  // Starts a Target.exe of that window rectangle and waits for it to show.
  Target& StartTarget(int x, int y, int width, int height, const std::string& tempDir = "");

  // Sends a command to the main window; false when the application did not answer.
  bool Command(UINT id);
  // Whether the process answers a message in time (counts a hang when not).
  bool Answers(HWND window);
  // How often t's windows received the mouse message (-1, and a hang, when it does not answer).
  LRESULT TargetSaw(const Target& t, UINT message);
  // Whether the process still runs (counts a crash when not).
  bool Alive(const Process& process);

  // The target's layout on the screen.
  POINT ClientPoint(const Target& t, int x, int y);
  RECT SwatchScreenRect(const Target& t, int i);
  POINT SwatchCentre(const Target& t, int i);
  RECT WindowRect(HWND window);

  // Whether the mask lies exactly over that screen rectangle and shows.
  bool MaskOver(RECT visible);
  // Moves the mouse to p (nudging it) until the mask lies over visible.
  bool MoveOnto(POINT p, RECT visible);
  bool MaskCoversScreen();

  // The output files that came since the last call that took them.
  std::vector<std::string> NewOutputFiles();
  // Waits for exactly one new output file, byte for byte the temporary file, and
  // reads it; counts a bad file when it does not come or differs.
  bool TakeOneOutput(BmpFile* bmp, std::string* name = NULL);
  // Waits until the application has handled whatever the last capture posted:
  // twice the window is hidden, a tray click is posted, and the window shows again.
  bool OutputStageDone();
  // Waits for the capture-taken flag and for the process that took it to be free.
  bool CaptureTaken(HWND takerWindow);

  // Arms a capture (a command), waits until the library is armed in that mode.
  bool Arm(UINT command, CaptureMode mode);
  // Arms RectCopy or DrawCopy with the pointer at end, where the drag to come ends,
  // and waits for the mask over the screen.
  bool ArmOverScreen(UINT command, CaptureMode mode, POINT end);

  // Whole captures with real input, each expecting one new output file, checked:
  // control k of t in ControlCopy, the whole window of t in WindowCopy, and a
  // 140 x 100 rectangle of t's client area (from (10, 10)) in RectCopy.
  bool CaptureControl(const Target& t, int k);
  bool CaptureWindow(const Target& t);
  bool CaptureRect(const Target& t);
  // Arms RectCopy, drags that rectangle of t and right-clicks on it; what comes of
  // the capture is the caller's to check.
  bool TakeRect(const Target& t);
  // Whether bmp is control k, or the whole window, of t.
  bool IsControlPicture(const BmpFile& bmp, int k);
  bool IsWindowPicture(const BmpFile& bmp, const Target& t);
  // After a capture that must not give a file: waits for the output stage and
  // checks that no new output file came (counts a bad file when one did).
  bool NoNewOutput();
};

// A rectangle of the screen as 0x00BBGGRR values, top row first.
struct ScreenShot {
  RECT area = {0, 0, 0, 0};
  std::vector<COLORREF> pixels;
  // 0xFFFFFFFF, which matches no colour, for a point outside the area.
  COLORREF At(int x, int y) const {
    if (x < area.left || y < area.top || x >= area.right || y >= area.bottom) return 0xFFFFFFFF;
    size_t i = (size_t)(y - area.top) * (area.right - area.left) + (x - area.left);
    return i < pixels.size() ? pixels[i] : 0xFFFFFFFF;
  }
};
ScreenShot GrabScreen(RECT area);

// Drags with the left button from a to b (screen points) in steps. Wine answers
// each move of the pointer with a motion event of its own that reaches the program
// under it later, and folds a move into the one that program is reading at that
// moment, so a move can be lost. The press carries its position, and the last move
// is sent three times, each time after owner's thread has read its input; even so
// the program may be left with an earlier step as the drag's end.
void DragOnScreen(POINT a, POINT b, HWND owner, int steps = 8);
// Two round trips to the thread of window: the input sent before has been read.
void SyncInput(HWND window);
// One mouse input at the screen point p: a move there, with the flags (buttons,
// wheel) and their data (wheel distance, X button) in the same input.
void MouseInputAt(POINT p, DWORD flags, DWORD data = 0);
// A button press and release (flags) at the screen point p, each with the position.
void ClickAt(POINT p, DWORD downFlag, DWORD upFlag);
inline void RightClickAt(POINT p) { ClickAt(p, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }
