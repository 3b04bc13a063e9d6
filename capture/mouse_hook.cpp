// MouseHookProc: the global WH_MOUSE hook. It runs inside every program that
// retrieves mouse input, so it touches only the shared record's window handles
// and switches and the system's mouse record: no heap, no GDI handles.
#include "capture/capture_internal.h"
#include "capture/shared_state.h"

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(glShared.glhHook, code, wParam, lParam);
}
