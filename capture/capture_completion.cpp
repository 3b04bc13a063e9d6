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

void CompleteCapture(void) {
  HWND mask = glShared.glhMaskWnd;
  if (mask == NULL) {
    MarkCaptureTaken();
  } else {
    TraceLog("WM_LBUTTONDOWN:ShowWindow SW_HIDE");
    if (glShared.glCaptureMode == RectCopy || glShared.glCaptureMode == DrawCopy) {
      // These read the screen itself: the mask must be off it first.
      HideMaskAndWaitForScreen(mask, MarkCaptureTaken);
    } else {
      // Window and control captures read the target window's own pixels, in which
      // the mask over it has no part, so the hide need not be waited for: there, in
      // the target's input thread, the mask is another program's window, and a
      // synchronous hide would stall the target until the application has taken it.
      if (IsWindowOfThisProcess(mask))
        ShowWindow(mask, SW_HIDE);
      else
        ShowWindowAsync(mask, SW_HIDE);
      MarkCaptureTaken();
    }
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
