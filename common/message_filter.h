// Lets the messages that hooked programs send and post reach a window of this
// system even where the application runs with higher integrity than they do (an
// elevated Vistrel): the system drops them otherwise.
#pragma once
#include <windows.h>
#include "common/trace_log.h"

// Allows each of the count messages through the window's own message filter. The
// per-window filter came with Windows 7; where user32 has none nothing is done.
inline void AllowMessagesFromLowerPrograms(HWND window, const UINT* messages, int count) {
  typedef BOOL(WINAPI * ChangeFilterProc)(HWND, UINT, DWORD, PCHANGEFILTERSTRUCT);
  HMODULE user32 = GetModuleHandleA("user32.dll");
  ChangeFilterProc change =
      user32 ? (ChangeFilterProc)(void*)GetProcAddress(user32, "ChangeWindowMessageFilterEx") : NULL;
  if (change == NULL) return;
  for (int i = 0; i < count; i++)
    if (!change(window, messages[i], MSGFLT_ALLOW, NULL)) TraceLog("ChangeWindowMessageFilterEx Failed");
}
