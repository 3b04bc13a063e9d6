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

// How long the screen is given to show what the mask covered.
static const DWORD kScreenSettleMs = 100;

// RectCopy and DrawCopy read the screen itself, and a hidden mask stays on it until
// the display has taken the hide and the windows below have drawn themselves again
// (a compositor shows it until its next frame): read at once, the picture holds the
// mask, its selection rectangle or its drawings. The wait takes nothing from the
// queue, but lets the window system work on this thread meanwhile.
static void LetScreenShowWhatMaskCovered(void) {
  DWORD start = GetTickCount();
  DWORD waited;
  while ((waited = GetTickCount() - start) < kScreenSettleMs)
    MsgWaitForMultipleObjectsEx(0, NULL, kScreenSettleMs - waited, QS_ALLINPUT, 0);
}

static BOOL IsWindowOfThisProcess(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid == GetCurrentProcessId();
}

void CompleteCapture(void) {
  HWND mask = glShared.glhMaskWnd;
  if (mask != NULL) {
    TraceLog("WM_LBUTTONDOWN:ShowWindow SW_HIDE");
    // Window and control captures read the target window's own pixels, in which
    // the mask over it has no part, so the hide need not be waited for: there, in
    // the target's input thread, the mask is another program's window, and a
    // synchronous hide would stall the target until the application has taken it.
    if (IsWindowOfThisProcess(mask))
      ShowWindow(mask, SW_HIDE);  // keep the mask out of the picture
    else
      ShowWindowAsync(mask, SW_HIDE);
  }
  // Before anything that takes time: from here every hook call passes on.
  glShared.glCaptured = 1;
  if (mask != NULL && (glShared.glCaptureMode == RectCopy || glShared.glCaptureMode == DrawCopy))
    LetScreenShowWhatMaskCovered();
  if (!SaveToFile(glShared.glhTargetWnd)) {
    TraceLog("WM_LBUTTONDOWN:SaveToFile Failed");
    RemoveStaleTempFile();
  }
  // The drawings end with the capture that burned them in. DrawCopy captures are
  // taken by the mask in the application's process, the only one whose heap holds them.
  if (glShared.glCaptureMode == DrawCopy) FreeDrawObjList();
  if (glShared.glhMainWnd != NULL) PostMessageA(glShared.glhMainWnd, WM_USER_COPIED, 0, 0);
}
