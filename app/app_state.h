// Module-level state of Vistrel.exe that more than one file needs, and the
// application's routines grouped by the file that holds them.
#pragma once
#include <windows.h>
#include "common/vistrel_api.h"

// Set once by start-up (main.cpp, library_binding.cpp) and kept for the whole run.
extern HINSTANCE ghInstance;
extern char gWindowTitle[100];
extern char gWindowClass[100];
extern HBITMAP ghSkinBmp;
extern BITMAP gSkinInfo;

extern HMODULE ghCaptureLib;
extern InitHookFn pInitHook;
extern StartHookFn pStartHook;
extern StopHookFn pStopHook;
extern MoveMaskWindowFn pMoveMaskWindow;
extern SetConfigFn pSetConfig;
extern HMODULE ghEncoderLib;
extern BmpToJpgFn pBmpToJpg;

// library_binding.cpp
int BindCaptureLibrary(void);
int BindEncoder(void);

// main_window.cpp
void RegisterMainWndClass(HINSTANCE instance);
int InitMainWindow(HINSTANCE instance, int showCommand);
LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
