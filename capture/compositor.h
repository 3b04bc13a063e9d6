// The system's compositor library, looked up at run time: systems before Vista
// have none, and where the desktop is not composed its routines have no say.
#pragma once
#include <windows.h>

// The compositor's library from the system folder, NULL where there is none. It
// stays loaded once loaded: loading it is the slow part.
HMODULE CompositorLibrary(void);

// The compositor's routine of that name, NULL where there is none.
FARPROC CompositorProc(const char* name);

// Whether the desktop is composed (DwmIsCompositionEnabled says so).
BOOL DesktopComposed(void);
