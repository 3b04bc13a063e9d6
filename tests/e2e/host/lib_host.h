// What the tests need to know of LibHost.exe.
#pragma once
#include <windows.h>

static const char LibHostClass[] = "VistrelLibHost";
static const UINT WM_APP_ARM = WM_APP + 2;        // wParam: the capture mode; returns StartHook's result
static const UINT WM_APP_COUNT_OF = WM_APP + 3;   // wParam: a message; returns how often it arrived
static const UINT WM_APP_CLIPBOARD = WM_APP + 4;  // wParam: SetConfig's argument
static const UINT WM_APP_SYSTEM_CURSOR = WM_APP + 5;  // wParam: an IDC_ id; returns this process's handle of it
// wParam: a window of the host's thread; lParam: a position. Sends the window
// WM_MOUSEMOVE there without buttons and returns the cursor the thread shows then.
static const UINT WM_APP_CURSOR_AFTER_MOVE = WM_APP + 6;
// dwData of a WM_COPYDATA whose data is an array of INPUT records: the host hands
// them to SendInput in one call and returns how many it took.
static const ULONG_PTR LibHostSendInput = 0x56494E50;
