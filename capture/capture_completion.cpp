// CompleteCapture: the capturing right-click. Runs inside the hooked program in
// WindowCopy and ControlCopy, in the application in RectCopy and DrawCopy.
#include "capture/capture_internal.h"
#include "capture/draw_objects.h"
#include "capture/shared_state.h"
#include "common/temp_file_path.h"
#include "common/trace_log.h"

// After a failed capture no earlier picture may pass for the new one.
static void RemoveStaleTempFile(void) {
  char path[100];
  if (GetCaptureTempPath(path)) DeleteFileA(path);
}

// The longest the screen is given to show what the mask covered.
static const DWORD kScreenSettleMs = 100;

// Points of the screen sampled to see the mask go: a grid over the mask's client area.
static const int kSampleGrid = 5;
static const int kSampleCount = kSampleGrid * kSampleGrid;

static void SamplePoints(HWND mask, POINT* points) {
  RECT client;
  GetClientRect(mask, &client);
  for (int row = 0; row < kSampleGrid; row++)
    for (int column = 0; column < kSampleGrid; column++) {
      POINT* p = &points[row * kSampleGrid + column];
      p->x = client.right * (2 * column + 1) / (2 * kSampleGrid);
      p->y = client.bottom * (2 * row + 1) / (2 * kSampleGrid);
      ClientToScreen(mask, p);
    }
}

static void ReadSamples(HDC screen, const POINT* points, COLORREF* colours) {
  for (int i = 0; i < kSampleCount; i++) colours[i] = GetPixel(screen, points[i].x, points[i].y);
}

static BOOL AnySampleChanged(HDC screen, const POINT* points, const COLORREF* before) {
  for (int i = 0; i < kSampleCount; i++)
    if (GetPixel(screen, points[i].x, points[i].y) != before[i]) return TRUE;
  return FALSE;
}

// RectCopy and DrawCopy read the screen itself, and a hidden mask stays on it until
// the display has taken the hide and the windows below have drawn themselves again
// (a compositor shows it until its next frame): read at once, the picture holds the
// mask, its selection rectangle or its drawings. The mask is translucent over the
// whole screen, so the screen changes at the sampled points in the frame that drops
// it: wait for that, up to kScreenSettleMs (a screen that looks the same without the
// mask, or one whose reads never showed it, runs into the limit). The wait takes
// nothing from the queue, but lets the window system work on this thread meanwhile.
// Window and control captures read the target's own window and need no wait; they
// run inside a foreign program's input thread, which must not stall.
static void HideMaskAndLetScreenShowWhatItCovered(HWND mask) {
  POINT points[kSampleCount];
  COLORREF before[kSampleCount];
  HDC screen = GetDC(NULL);
  SamplePoints(mask, points);
  if (screen != NULL) ReadSamples(screen, points, before);
  TraceLog("WM_LBUTTONDOWN:ShowWindow SW_HIDE");
  ShowWindow(mask, SW_HIDE);
  glShared.glCaptured = 1;
  DWORD start = GetTickCount();
  DWORD waited;
  while ((waited = GetTickCount() - start) < kScreenSettleMs) {
    if (screen != NULL && AnySampleChanged(screen, points, before)) break;
    MsgWaitForMultipleObjectsEx(0, NULL, 1, QS_ALLINPUT, 0);
  }
  if (screen != NULL) ReleaseDC(NULL, screen);
}

static BOOL IsWindowOfThisProcess(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid == GetCurrentProcessId();
}

void CompleteCapture(void) {
  HWND mask = glShared.glhMaskWnd;
  if (mask != NULL && (glShared.glCaptureMode == RectCopy || glShared.glCaptureMode == DrawCopy)) {
    HideMaskAndLetScreenShowWhatItCovered(mask);
  } else {
    if (mask != NULL) {
      TraceLog("WM_LBUTTONDOWN:ShowWindow SW_HIDE");
      // Window and control captures read the target window's own pixels, in which
      // the mask over it has no part, so the hide need not be waited for: here, in
      // the target's input thread, the mask is another program's window, and a
      // synchronous hide would stall the target until the application has taken it.
      if (IsWindowOfThisProcess(mask))
        ShowWindow(mask, SW_HIDE);
      else
        ShowWindowAsync(mask, SW_HIDE);
    }
    // Before anything that takes time: from here every hook call passes on.
    glShared.glCaptured = 1;
  }
  if (!SaveToFile(glShared.glhTargetWnd)) {
    TraceLog("WM_LBUTTONDOWN:SaveToFile Failed");
    RemoveStaleTempFile();
  }
  // The drawings end with the capture that burned them in. DrawCopy captures are
  // taken by the mask in the application's process, the only one whose heap holds them.
  if (glShared.glCaptureMode == DrawCopy) FreeDrawObjList();
  if (glShared.glhMainWnd != NULL) PostMessageA(glShared.glhMainWnd, WM_USER_COPIED, 0, 0);
}
