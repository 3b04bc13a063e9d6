// Ending an armed capture without a picture: Esc (a hot key held only while a
// capture is armed, whichever program has the keyboard), a WM_CLOSE to the mask
// (Alt+F4 on it, or the application's cancel command). Application thread only.
#include "capture/capture_internal.h"
#include "capture/draw_objects.h"
#include "capture/mask_handlers.h"
#include "capture/shared_state.h"
#include "common/trace_log.h"

void CancelCapture(void) {
  if (!CaptureArmed()) return;
  TraceLog("CancelCapture()");
  // As a capture does, first: from here every hook call passes on.
  glShared.glCaptured = 1;
  HWND mask = glOwn.maskWnd;
  if (mask != NULL) ShowWindow(mask, SW_HIDE);
  FreeDrawObjList();
  DiscardDrawingInProgress();
  glSelection.x1 = glSelection.y1 = glSelection.x2 = glSelection.y2 = 0;
  // Shown again, the mask paints afresh, without what this capture left on it.
  if (mask != NULL) InvalidateRect(mask, NULL, TRUE);
  // The hook is released, and the armed state ended, as after a capture.
  ReleaseIdleHook(mask);
}
