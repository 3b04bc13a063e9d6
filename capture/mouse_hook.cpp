// MouseHookProc: the global WH_MOUSE hook. It runs inside every program that
// retrieves mouse input, so it touches only the shared record's window handles
// and switches, the system's mouse record and, in the application's own process,
// the windows and mode that process keeps: no heap, no GDI handles, nothing
// allocated on the mouse-move path. Any program may write the record: each call
// reads a field once, and acts on a window the record names only once that window
// has proved to be the application's.
#include "capture/capture_internal.h"
#include "capture/shared_state.h"
#include "common/trace_log.h"

// The longest a hooked program waits for the application to take a new target.
static const DWORD kAnswerBoundMs = 250;
// How long a program that waited in vain sends without waiting. The system may take
// a thread that has not looked at its queue for five seconds for hung, and then lets
// SMTO_ABORTIFHUNG return at once; Wine never does for a suspended thread that was
// waiting for messages. Without the wait the mask still follows (the application
// handles the message when it runs), only after the move that brought it.
static const DWORD kUnansweredMemoryMs = 30000;

// This hooked program's own memory (not the record's): the tick, made odd so that
// it is never 0, at which the application last failed to answer in time; 0 while
// it answers. One aligned word, so threads of the program may race on it harmlessly.
static volatile LONG glUnansweredAt;

static LRESULT PassOn(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(hook, code, wParam, lParam);
}

// The window a move makes the target: its top-level window in WindowCopy (the
// last one before GetParent yields null), the window itself otherwise.
static HWND CandidateFor(HWND window, CaptureMode mode) {
  if (mode != WindowCopy) return window;
  HWND last = NULL;
  for (HWND w = window; w != NULL; w = GetParent(w)) last = w;
  return last;
}

// The hook also runs on the application's own thread: for its own windows, and on
// 64-bit Windows for every 64-bit program (the system calls a 32-bit hook there on
// the thread that set it). There the application is what this process made.
static BOOL InApplicationProcess(void) { return glOwn.mainWnd != NULL; }

// Whether main and mask are the application's windows: in its own process the very
// windows it made; elsewhere the mask a live "MaskWindow" owned by main, both of one
// process. A record naming anything else (another program's windows, windows of a
// run that is gone) names no application: nothing is sent to it, hidden or captured
// for it.
static BOOL IsApplication(HWND main, HWND mask) {
  if (InApplicationProcess()) return main == glOwn.mainWnd && mask == glOwn.maskWnd && mask != NULL;
  if (main == NULL || mask == NULL || !IsWindow(mask)) return FALSE;
  char name[16];
  if (GetClassNameA(mask, name, sizeof(name)) == 0 || lstrcmpA(name, "MaskWindow") != 0) return FALSE;
  if (GetWindow(mask, GW_OWNER) != main) return FALSE;
  DWORD maskProcess = 0, mainProcess = 0;
  GetWindowThreadProcessId(mask, &maskProcess);
  GetWindowThreadProcessId(main, &mainProcess);
  return maskProcess != 0 && maskProcess == mainProcess;
}

// Tells the application of a new target and waits for it to lay the mask over it,
// but never longer than kAnswerBoundMs. Once it has not answered in time, sends
// without waiting for a while (the message is handled when it answers again); a
// thread the system knows to be hung is not sent to at all.
static void NotifyApplication(HWND main) {
  LONG since = glUnansweredAt;
  if (since != 0 && GetTickCount() - (DWORD)since < kUnansweredMemoryMs) {
    SendNotifyMessageA(main, WM_USER_NEWWINDOW, 0, 0);
    return;
  }
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(main, WM_USER_NEWWINDOW, 0, 0, SMTO_ABORTIFHUNG, kAnswerBoundMs, &answer)) {
    glUnansweredAt = 0;
  } else {
    TraceLog("WM_MOUSEMOVE: application did not answer");
    glUnansweredAt = (LONG)(GetTickCount() | 1);
  }
}

static LRESULT OnRightButtonDown(HHOOK hook, CaptureMode mode, int code, WPARAM wParam, LPARAM lParam) {
  TraceLog("WM_RBUTTONDOWN");
  CaptureJob job;
  job.target = glShared.glhTargetWnd;
  job.mainWnd = glShared.glhMainWnd;
  job.maskWnd = glShared.glhMaskWnd;
  // The record may say anything by now; here only windows are captured.
  job.mode = mode == WindowCopy ? WindowCopy : ControlCopy;
  if (job.target == NULL || job.target == job.mainWnd || job.target == job.maskWnd ||
      !IsApplication(job.mainWnd, job.maskWnd)) {
    TraceLog("WM_RBUTTONDOWN:CallNextHookEx");
    return PassOn(hook, code, wParam, lParam);
  }
  CompleteCapture(job);
  TraceLog("WM_RBUTTONDOWN:End");
  return 1;  // swallowed: the program under the cursor never sees the press
}

static LRESULT OnMouseMove(HHOOK hook, CaptureMode mode, int code, WPARAM wParam, LPARAM lParam) {
  MOUSEHOOKSTRUCT* mouse = (MOUSEHOOKSTRUCT*)lParam;
  HWND candidate = CandidateFor(mouse->hwnd, mode);
  if (candidate == NULL) return PassOn(hook, code, wParam, lParam);
  HWND target = glShared.glhTargetWnd, main = glShared.glhMainWnd, mask = glShared.glhMaskWnd;
  if (candidate == mask && IsApplication(main, mask)) {
    // The mask is never a target: the move goes on as if over the target.
    mouse->hwnd = target;
  } else if (candidate != target) {
    glShared.glhTargetWnd = candidate;
    if (IsApplication(main, mask)) NotifyApplication(main);
  }
  return PassOn(hook, code, wParam, lParam);
}

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
  HHOOK hook = glShared.glhHook;
  if (hook == NULL) TraceLog("glhHook == NULL");
  if (glShared.glhInstance == NULL) TraceLog("glhInstance == NULL");
  if (glShared.glCaptured == 1) return PassOn(hook, code, wParam, lParam);
  // The application's own process knows the mode it armed, whatever the record says:
  // in RectCopy and DrawCopy its mask takes the right-click.
  CaptureMode mode = InApplicationProcess() ? glOwn.captureMode : glShared.glCaptureMode;
  if (mode == RectCopy || mode == DrawCopy) return PassOn(hook, code, wParam, lParam);
  if (code < 0) return PassOn(hook, code, wParam, lParam);
  switch (wParam) {
    case WM_RBUTTONDOWN:
      return OnRightButtonDown(hook, mode, code, wParam, lParam);
    case WM_MOUSEMOVE:
      return OnMouseMove(hook, mode, code, wParam, lParam);
  }
  return PassOn(hook, code, wParam, lParam);
}
