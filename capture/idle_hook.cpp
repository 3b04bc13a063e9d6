// The global hook is installed only while a capture is armed. Idle it does nothing,
// yet every program that retrieves mouse input pays for it on each mouse message: a
// call into the library in a program that can load it, and in a 64-bit program,
// which cannot, a round trip into the application's main thread on 64-bit Windows
// (under Wine, a failed load of the library). Once a capture is taken the
// application's thread removes the hook; StartHook installs it again. So with Esc,
// the cancel's hot key: held only while a capture is armed, Esc is the programs' own
// the rest of the time.
#include "capture/capture_internal.h"
#include "capture/shared_state.h"
#include "common/trace_log.h"

// Armed by StartHook, until a capture is taken, the capture is cancelled or StopHook.
static int gArmed;
// The window the Esc hot key is registered on, while it is.
static HWND gCancelKeyWindow;

void BeginArmedCapture(void) {
  gArmed = 1;
  if (gCancelKeyWindow != NULL || glOwn.maskWnd == NULL) return;
  // Refused when another program holds Esc as its hot key: Esc on the mask still cancels.
  if (RegisterHotKey(glOwn.maskWnd, kCancelHotKey, 0, VK_ESCAPE))
    gCancelKeyWindow = glOwn.maskWnd;
  else
    TraceLog("RegisterHotKey Failed");
}

// With nothing armed, Esc belongs to the programs again.
void EndArmedCapture(void) {
  gArmed = 0;
  if (gCancelKeyWindow == NULL) return;
  UnregisterHotKey(gCancelKeyWindow, kCancelHotKey);
  gCancelKeyWindow = NULL;
}

int CaptureArmed(void) { return gArmed; }

// The application's GUI thread made the mask and set the hook.
static BOOL OnApplicationThread(void) {
  return glOwn.maskWnd != NULL && GetWindowThreadProcessId(glOwn.maskWnd, NULL) == GetCurrentThreadId();
}

void ReleaseIdleHook(HWND mask) {
  if (!OnApplicationThread()) {
    // A hooked program took the capture: the application's thread removes the hook
    // when it comes to this message, after the capture.
    if (mask != NULL) PostMessageA(mask, WM_USER_HOOKIDLE, 0, 0);
    return;
  }
  // Armed again in the meantime: the hook has work to do.
  if (glShared.glCaptured != 1) return;
  EndArmedCapture();
  if (glOwn.hook == NULL) return;
  TraceLog("Capture taken, UnhookWindowsHookEx");
  RemoveOwnHook();
}

// The system may call a hook that is still set at any time in this process, also
// after the application has let the library go: its code must stay.
static void KeepLibraryLoaded(void) {
  HMODULE self;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                          (LPCSTR)(void*)KeepLibraryLoaded, &self))
    TraceLog("GetModuleHandleEx Failed");
}

BOOL RemoveOwnHook(void) {
  if (glOwn.hook == NULL) return FALSE;
  BOOL removed = UnhookWindowsHookEx(glOwn.hook);
  if (!removed) {
    DWORD error = GetLastError();
    TraceLog("UnhookWindowsHookEx Failed");
    // Refused, the hook stays installed: forgotten, it would go on beside the one
    // the next StartHook sets, and nothing could remove it. A handle that names no
    // hook any more (removed behind this process's back) is all that is let go.
    if (error != ERROR_INVALID_HOOK_HANDLE) {
      KeepLibraryLoaded();
      return FALSE;
    }
  }
  glOwn.hook = NULL;
  glShared.glhHook = NULL;
  return removed;
}
