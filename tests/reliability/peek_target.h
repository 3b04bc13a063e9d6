// What the tests need to know of PeekTarget.exe.
#pragma once
#include <windows.h>

static const char PeekTargetClass[] = "VistrelPeekTarget";
static const UINT WM_APP_RECEIVED = WM_APP + 1;
static const UINT WM_APP_HOOK_COUNT = WM_APP + 30;
static const UINT WM_APP_FOREGROUND = WM_APP + 31;
static const UINT WM_APP_SNAPSHOT = WM_APP + 32;
static const LPARAM PeekSnapshotFlag = 0x100;
// The window on the screen and its one control in client coordinates.
static const RECT PeekTargetRect = {600, 200, 1000, 500};
static const RECT PeekControlRect = {20, 20, 140, 100};
static const COLORREF PeekControlColour = RGB(20, 140, 200);
