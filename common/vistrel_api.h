// The interface between Vistrel.exe and its two libraries: capture modes and
// the signatures of the exports, bound by name with GetProcAddress.
//
// Calling convention: every export of Vistrel.dll and Encoder.dll is WINAPI
// (__stdcall on 32-bit x86); the .def files export the undecorated names.
#pragma once
#include <windows.h>
#include "common/command_ids.h"

// What a capture takes (the argument of StartHook).
typedef int CaptureMode;
enum {
  WindowCopy = 0,   // the top-level window under the cursor
  ControlCopy = 1,  // the exact child window under the cursor
  RectCopy = 2,     // a rectangle dragged on the full-screen mask
  DrawCopy = 3      // the whole screen with the drawings burned in
};

// Vistrel.dll, ordinals 1 to 5.
typedef int(WINAPI* InitHookFn)(HINSTANCE libraryModule, HWND mainWindow, HINSTANCE appInstance);
typedef int(WINAPI* StartHookFn)(CaptureMode mode);
typedef int(WINAPI* StopHookFn)(void);
typedef void(WINAPI* MoveMaskWindowFn)(void);
typedef void(WINAPI* SetConfigFn)(int copyToClipboard);

// Encoder.dll: writes the JPEG file jpgPath from the BMP file bmpPath; 1 on success, 0 otherwise.
typedef int(WINAPI* BmpToJpgFn)(const char* bmpPath, const char* jpgPath);
