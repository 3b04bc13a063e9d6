// What the benchmark driver's figures are built from: a clock, waiting for a
// condition with a deadline, finished files. Real input, processes and windows come
// from the end-to-end tests' support.
#pragma once
#include <windows.h>
#include <string>
#include "tests/e2e/e2e_support.h"

// Says on the standard error why a run failed; returns 0.
int Fail(const char* why);

// Milliseconds on the performance counter.
double NowMs();

// Polls cond about every millisecond, dispatching this thread's messages, until it
// holds or timeoutMs pass. Returns whether it held.
template <class Cond>
bool WaitFor(Cond cond, DWORD timeoutMs) {
  double deadline = NowMs() + timeoutMs;
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    if (cond()) return true;
    if (NowMs() > deadline) return false;
    Sleep(1);
  }
}

// A file another program has finished: it can be opened (its writer, who denies
// sharing, has closed it) and its content is whole. A BMP file is whole when its
// size field matches its length, a JPEG file when it ends with the end-of-image marker.
bool BmpFileComplete(const std::string& path);
bool JpegFileComplete(const std::string& path);
// The first file matching pattern (a path with wildcards) in its folder, or "".
std::string FirstMatch(const std::string& folder, const char* pattern);
// Removes the files matching pattern in folder.
void RemoveMatches(const std::string& folder, const char* pattern);
// Width and height of a BMP file's picture; 0 when it cannot be read.
bool BmpSize(const std::string& path, int* width, int* height);

// Sends a message and waits for the answer, with a time limit; returns the result.
LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs);
// The colour of a screen pixel.
COLORREF ScreenPixel(int x, int y);
bool ColoursClose(COLORREF a, COLORREF b, int tolerance);
