// CompleteCapture: the capturing right-click. Runs inside the hooked program in
// WindowCopy and ControlCopy, in the application in RectCopy and DrawCopy.
#include "capture/capture_internal.h"
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

static BOOL IsWindowOfThisProcess(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid == GetCurrentProcessId();
}

// From here every hook call passes on: set before anything that takes time.
static void MarkCaptureTaken(void) { glShared.glCaptured = 1; }

// The mode of this capture, read once: the application may arm another one while a
// hooked program is still capturing. The selection and the draw objects belong to
// the process that owns the mask, the application's; anywhere else the capture is
// one of the target window as it stands, whatever the record says.
static CaptureMode ModeOfThisCapture(BOOL ownMask) {
  CaptureMode mode = glShared.glCaptureMode;
  if ((mode == RectCopy || mode == DrawCopy) && !ownMask) return ControlCopy;
  return mode;
}

void CompleteCapture(void) {
  HWND mask = glShared.glhMaskWnd;
  BOOL ownMask = mask != NULL && IsWindowOfThisProcess(mask);
  CaptureMode mode = ModeOfThisCapture(ownMask);
  if (mask == NULL) {
    MarkCaptureTaken();
  } else {
    TraceLog("WM_LBUTTONDOWN:ShowWindow SW_HIDE");
    if (mode == RectCopy || mode == DrawCopy) {
      // These read the screen itself: the mask must be off it first.
      HideMaskAndWaitForScreen(mask, MarkCaptureTaken);
    } else {
      // Window and control captures read the target window's own pixels, in which
      // the mask over it has no part, so the hide need not be waited for: there, in
      // the target's input thread, the mask is another program's window, and a
      // synchronous hide would stall the target until the application has taken it.
      if (ownMask)
        ShowWindow(mask, SW_HIDE);
      else
        ShowWindowAsync(mask, SW_HIDE);
      MarkCaptureTaken();
    }
  }
  if (!SaveToFile(glShared.glhTargetWnd, mode)) {
    TraceLog("WM_LBUTTONDOWN:SaveToFile Failed");
    RemoveStaleTempFile();
  }
  // The drawings end with the capture that burned them in.
  if (mode == DrawCopy) FreeDrawObjList();
  if (glShared.glhMainWnd != NULL) PostMessageA(glShared.glhMainWnd, WM_USER_COPIED, 0, 0);
}
