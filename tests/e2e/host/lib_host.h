// What the tests need to know of LibHost.exe.
#pragma once
#include <windows.h>

static const char LibHostClass[] = "VistrelLibHost";
static const UINT WM_APP_ARM = WM_APP + 2;  // wParam: the capture mode
