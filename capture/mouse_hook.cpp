// MouseHookProc: the global WH_MOUSE hook. It runs inside every program that
// retrieves mouse input, so it touches only the shared record's window handles
// and switches and the system's mouse record: no heap, no GDI handles, nothing
// allocated on the mouse-move path.
#include "capture/capture_internal.h"
#include "capture/shared_state.h"
#include "common/trace_log.h"

static LRESULT PassOn(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(glShared.glhHook, code, wParam, lParam);
}

// The window a move makes the target: its top-level window in WindowCopy (the
// last one before GetParent yields null), the window itself otherwise.
static HWND CandidateFor(HWND window) {
  if (glShared.glCaptureMode != WindowCopy) return window;
  HWND last = NULL;
  for (HWND w = window; w != NULL; w = GetParent(w)) last = w;
  return last;
}

// A hook whose application has died takes nothing. The system removes a hook with
// the thread that set it, but Wine keeps calling it in the programs that had already
// loaded the library: each right-click there would be swallowed and captured for no one.
static BOOL ApplicationGone(void) {
  HWND main = glShared.glhMainWnd;
  return main != NULL && !IsWindow(main);
}

static LRESULT OnRightButtonDown(int code, WPARAM wParam, LPARAM lParam) {
  TraceLog("WM_RBUTTONDOWN");
  HWND target = glShared.glhTargetWnd;
  if (target == NULL || target == glShared.glhMainWnd || target == glShared.glhMaskWnd || ApplicationGone()) {
    TraceLog("WM_RBUTTONDOWN:CallNextHookEx");
    return PassOn(code, wParam, lParam);
  }
  CompleteCapture();
  TraceLog("WM_RBUTTONDOWN:End");
  return 1;  // swallowed: the program under the cursor never sees the press
}

static LRESULT OnMouseMove(int code, WPARAM wParam, LPARAM lParam) {
  MOUSEHOOKSTRUCT* mouse = (MOUSEHOOKSTRUCT*)lParam;
  HWND candidate = CandidateFor(mouse->hwnd);
  if (candidate == NULL) return PassOn(code, wParam, lParam);
  if (candidate == glShared.glhMaskWnd) {
    // The mask is never a target: the move goes on as if over the target.
    mouse->hwnd = glShared.glhTargetWnd;
  } else if (candidate != glShared.glhTargetWnd) {
    glShared.glhTargetWnd = candidate;
    // Returns once the application has laid the mask over the new target.
    if (glShared.glhMainWnd != NULL) SendMessageA(glShared.glhMainWnd, WM_USER_NEWWINDOW, 0, 0);
  }
  return PassOn(code, wParam, lParam);
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (glShared.glhHook == NULL) TraceLog("glhHook == NULL");
  if (glShared.glhInstance == NULL) TraceLog("glhInstance == NULL");
  if (glShared.glCaptured == 1) return PassOn(code, wParam, lParam);
  if (glShared.glCaptureMode == RectCopy || glShared.glCaptureMode == DrawCopy) return PassOn(code, wParam, lParam);
  if (code < 0) return PassOn(code, wParam, lParam);
  switch (wParam) {
    case WM_RBUTTONDOWN:
      return OnRightButtonDown(code, wParam, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(code, wParam, lParam);
  }
  return PassOn(code, wParam, lParam);
}
