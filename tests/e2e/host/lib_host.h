// What the tests need to know of LibHost.exe.
#pragma once
#include <windows.h>

static const char LibHostClass[] = "VistrelLibHost";
static const UINT WM_APP_ARM = WM_APP + 2;        // wParam: the capture mode; returns StartHook's result
static const UINT WM_APP_COUNT_OF = WM_APP + 3;   // wParam: a message; returns how often it arrived
static const UINT WM_APP_CLIPBOARD = WM_APP + 4;  // wParam: SetConfig's argument
static const UINT WM_APP_SYSTEM_CURSOR = WM_APP + 5;  // wParam: an IDC_ id; returns this process's handle of it
static const UINT WM_APP_KEY_STATE = WM_APP + 6;  // wParam: a virtual key; returns GetKeyState's answer on this thread
