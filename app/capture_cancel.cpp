// The cancel command. The library exports no cancel of its own: its mask, found
// among this thread's windows (InitHook made it on this thread), is sent the
// WM_CLOSE that Alt+F4 on it sends, on which it ends an armed capture.
#include "app/app_state.h"

static BOOL CALLBACK CloseMask(HWND window, LPARAM) {
  char name[16];
  if (GetClassNameA(window, name, sizeof(name)) == 0 || lstrcmpA(name, "MaskWindow") != 0) return TRUE;
  SendMessageA(window, WM_CLOSE, 0, 0);
  return FALSE;
}

void CancelArmedCapture(void) {
  EnumThreadWindows(GetCurrentThreadId(), CloseMask, 0);
}
