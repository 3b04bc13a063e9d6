// The measured runs of the benchmark driver. Each returns its figures in
// milliseconds (or kilobytes) through out-parameters and 1, or 0 when the run
// did not finish within its deadline.
#pragma once
#include <windows.h>
#include <string>
#include "bench/driver_support.h"
#include "capture/shared_state.h"

struct BenchSetup {
  std::string binDir;     // Vistrel.exe, Vistrel.dll, Encoder.dll
  std::string benchDir;   // raw_floor.exe, trivial_window.exe
  std::string workDir;    // the floor's files, the encoder's files
  std::string outputDir;  // the application's SavePath
  std::string tempPath;   // the capture's temporary file
  Process app, trivial, backdrop, window;
  HWND appWindow = NULL, trivialWindow = NULL, backdropWindow = NULL, benchWindow = NULL;
  HMODULE library = NULL;  // the same Vistrel.dll, so the same shared record
  SharedCaptureState* shared = NULL;
};

// The raw floor: a backdrop over the screen and the 800 x 600 window.
int StartFloors(BenchSetup& s);
// Starts exe, a build of raw_floor.exe (the 64-bit one, say), as the 800 x 600
// window in place of the one running.
int StartFloorWindow(BenchSetup& s, const std::string& exe);
// Shows (on) or hides (off) the backdrop: hidden, the screen is the desktop with the
// windows on it.
int ShowBackdrop(const BenchSetup& s, int on);
// Right-click on the backdrop (screen) or the window, to the floor's file complete;
// steps[3] receives the floor's own grab, conversion and write times.
int RunFloor(BenchSetup& s, int screen, double* ms, double steps[3]);

// Writes the application's settings into the profile: output format and folder.
void WriteAppProfile(const BenchSetup& s, const char* format);
// The colour scheme's window colour: navy (on) or the one the session began with
// (off). Programs started afterwards take it.
int SetNavyWindowColour(int on);
// Vistrel.exe from process start to its main window shown and the skin painted.
int StartApp(BenchSetup& s, double* ms);
int ExitApp(BenchSetup& s);
// The trivial program from process start to its window shown and painted.
int StartTrivial(BenchSetup& s, double* ms);
int ExitTrivial(BenchSetup& s);
// Private bytes and working set of the application or the trivial program, in KB.
int ProcessMemory(const Process& process, double* privateKb, double* workingSetKb);

// One capture with real input: RectCopy over the whole screen ("rect"), DrawCopy
// with one line drawn ("draw") or WindowCopy of the 800 x 600 window ("window").
// toTemp: right-click to "CaptureTemp.bmp" complete; toOutput: to the output file
// complete (BMP or JPEG by the application's settings); width and height of the picture.
int RunCapture(BenchSetup& s, const char* kind, int jpeg, double* toTemp, double* toOutput, int* width,
               int* height);
// The pixels of the last RectCopy picture (the largest selection) that differ from
// the screen read now at the same place, and the pixels compared.
int CompareRectWithScreen(const BenchSetup& s, double* differing, double* total);
// Arms WindowCopy and moves over the 800 x 600 window until the hook has made it
// its target (reached 1) or the window has had moves the hook never saw (reached 0).
int ArmOverWindow(BenchSetup& s, double* reached);
// Installs (on) or removes (off) null_hook.dll's do-nothing global mouse hook.
int SetNullHook(const BenchSetup& s, int on);
// Shows (on) or removes (off) a translucent click-through window of the driver's own
// over the 800 x 600 window, made like the mask but with no hook.
int SetVeil(const BenchSetup& s, int on);
// count real mouse moves over the 800 x 600 window, each waited for until the window
// has had a move message after it; received: the move messages the window had.
int RunMoves(BenchSetup& s, int count, double* ms, double* received);

// The encoder's steps on a BMP file, in this process: Encoder.dll's BmpToJpg whole,
// and the platform's JPEG codec alone on the same pixels; a plain file copy.
int RunBmpToJpg(const BenchSetup& s, const std::string& bmp, double* ms);
int RunCodecAlone(const std::string& bmp, double* ms);
int RunCopy(const BenchSetup& s, const std::string& bmp, double* ms);
