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

void CompleteCapture(void) {
  if (glShared.glhMaskWnd != NULL) {
    TraceLog("WM_LBUTTONDOWN:ShowWindow SW_HIDE");
    ShowWindow(glShared.glhMaskWnd, SW_HIDE);  // keep the mask out of the picture
  }
  // Before anything that takes time: from here every hook call passes on.
  glShared.glCaptured = 1;
  if (!SaveToFile(glShared.glhTargetWnd)) {
    TraceLog("WM_LBUTTONDOWN:SaveToFile Failed");
    RemoveStaleTempFile();
  }
  // The drawings end with the capture that burned them in. DrawCopy captures are
  // taken by the mask in the application's process, the only one whose heap holds them.
  if (glShared.glCaptureMode == DrawCopy) FreeDrawObjList();
  if (glShared.glhMainWnd != NULL) PostMessageA(glShared.glhMainWnd, WM_USER_COPIED, 0, 0);
}
