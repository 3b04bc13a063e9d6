// CompleteCapture: the capturing right-click. Runs inside the hooked program in
// WindowCopy and ControlCopy, in the application in RectCopy and DrawCopy.
#include "capture/capture_internal.h"
#include "capture/compositor.h"
#include "capture/draw_objects.h"
#include "capture/screen_settle.h"
#include "capture/shared_state.h"
#include "common/temp_file_path.h"
#include "common/trace_log.h"

// After a failed capture no earlier picture may pass for the new one.
static void RemoveStaleTempFile(void) {
  char path[100];
  if (GetCaptureTempPath(path)) DeleteFileA(path);
}

// From here every hook call passes on: set before anything that takes time.
static void MarkCaptureTaken(void) { glShared.glCaptured = 1; }

// The selection and the draw objects belong to the process that made the mask,
// the application's; anywhere else the capture is one of the target window as it
// stands, whatever mode it was asked for.
static CaptureMode ModeOfThisCapture(CaptureMode mode, BOOL ownMask) {
  if ((mode == RectCopy || mode == DrawCopy) && !ownMask) return ControlCopy;
  return mode;
}

void CompleteCapture(const CaptureJob& job) {
  HWND mask = job.maskWnd;
  BOOL ownMask = mask != NULL && mask == glOwn.maskWnd;
  CaptureMode mode = ModeOfThisCapture(job.mode, ownMask);
  // Where the desktop is composed a window's own DC need not hold what the screen
  // shows (a window drawn by the GPU, one without a redirection surface): window
  // and control captures read the screen once the mask is off it.
  BOOL fromScreen = FALSE;
  if (mask == NULL) {
    MarkCaptureTaken();
  } else {
    TraceLog("WM_LBUTTONDOWN:ShowWindow SW_HIDE");
    if (mode == RectCopy || mode == DrawCopy) {
      // These read the screen itself: the mask must be off it first.
      HideMaskAndWaitForScreen(mask, MarkCaptureTaken);
    } else if (ownMask && DesktopComposed()) {
      HideMaskAndWaitForScreen(mask, MarkCaptureTaken);
      fromScreen = TRUE;
    } else if (ownMask) {
      ShowWindow(mask, SW_HIDE);
      MarkCaptureTaken();
    } else {
      // Here, in the target's input thread, the mask is another program's window,
      // and a synchronous hide would stall the target until the application has
      // taken it. The window's own pixels hold nothing of the mask; the screen does
      // until the mask is reported hidden and the compositor has drawn a frame
      // without it, which is waited for within a bound.
      ShowWindowAsync(mask, SW_HIDE);
      MarkCaptureTaken();
      fromScreen = DesktopComposed() && AwaitMaskOffComposedScreen(mask);
    }
  }
  if (!SaveToFile(job.target, mode, fromScreen)) {
    TraceLog("WM_LBUTTONDOWN:SaveToFile Failed");
    RemoveStaleTempFile();
  }
  // The drawings end with the capture that burned them in.
  if (mode == DrawCopy) FreeDrawObjList();
  // The hook goes before the output stage begins: while the application's thread
  // saves the picture, 64-bit programs must not wait on it for their mouse input.
  ReleaseIdleHook(mask);
  if (job.mainWnd != NULL) PostMessageA(job.mainWnd, WM_USER_COPIED, 0, 0);
}
