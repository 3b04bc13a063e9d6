// Names and records the benchmark programs share: the raw-floor program reports
// its steps and the mouse moves it saw through a named mapping the driver reads.
#pragma once
#include <windows.h>

// raw_floor.exe: the backdrop over the whole screen, and the 800 x 600 window.
static const char BenchFloorClass[] = "VistrelBenchFloor";
static const char BenchBackdropTitle[] = "Vistrel Bench Backdrop";
static const char BenchWindowTitle[] = "Vistrel Bench Window";
static const int BenchWindowWidth = 800;
static const int BenchWindowHeight = 600;

// trivial_window.exe: the smallest program with a painted window.
static const char BenchTrivialClass[] = "VistrelBenchTrivial";
static const char BenchTrivialTitle[] = "Vistrel Bench Trivial";
static const COLORREF BenchTrivialColour = RGB(30, 120, 200);

// What one raw-floor instance reports; the mapping is named BenchFloorMapping
// followed by the instance's mode ("screen" or "window").
static const char BenchFloorMapping[] = "VistrelBenchFloor_";
struct BenchFloorRecord {
  volatile LONG moves;     // WM_MOUSEMOVE messages its window received
  volatile LONG captures;  // captures written
  double grabMs;           // the last capture's BitBlt
  double convertMs;        // its GetDIBits
  double writeMs;          // its file: create, one write, close
};
// Set once for every WM_MOUSEMOVE the window instance receives.
static const char BenchMoveEvent[] = "VistrelBenchMove";

static inline double BenchMs(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return (double)(to.QuadPart - from.QuadPart) * 1000.0 / (double)frequency.QuadPart;
}
