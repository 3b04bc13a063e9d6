// The record every process that maps Vistrel.dll shares, and the library's
// per-process state. Code that can run inside a hooked program (mouse_hook.cpp,
// screen_grab.cpp) reads only window handles and switches from the record.
#pragma once
#include <windows.h>
#include "common/vistrel_api.h"

struct DrawObj;
struct DrawObjList;

// 0 select, 1 line, 2 rectangle, 3 ellipse.
typedef int DrawTool;

// One copy for all processes, alone in the shared section "CaptureD".
// Fields 13 to 16 are GDI handles and 19 and 20 heap addresses of the
// application's process: meaningless anywhere else.
struct SharedCaptureState {
  HHOOK glhHook;               // 1  the global WH_MOUSE hook
  HWND glhMainWnd;             // 2  the application's main window
  HWND glhTargetWnd;           // 3  the current capture target
  HWND glhMaskWnd;             // 4  the translucent mask
  HWND glhDrawToolsWnd;        // 5  the drawing tool palette, a child of the mask
  HINSTANCE glhInstance;       // 6  this library in the application's process
  HINSTANCE glhAppInstance;    // 7  the application's instance; stored, never read
  CaptureMode glCaptureMode;   // 8  the armed mode
  LONG glCaptured;             // 9  1 from a capture until the next StartHook
  DWORD glMaskWndClass;        // 10 atom of the MaskWindow class
  DWORD glDrawToolsWndClass;   // 11 atom of the DrawToolsWindow class
  LONG glCopyToClipboard;      // 12 nonzero: captures also go to the clipboard
  HBITMAP glhPaletteBmp;       // 13 palette bitmap
  HDC glhPaletteDC;            // 14 memory DC holding the palette bitmap
  HBITMAP glhTipsBmp;          // 15 tips bitmap
  HDC glhTipsDC;               // 16 memory DC holding the tips bitmap
  DrawTool glCurDrawTool;      // 17 the current drawing tool
  COLORREF glCurColor;         // 18 the current drawing colour
  DrawObj* glCurDrawObj;       // 19 the object under construction
  DrawObjList* glDrawObjList;  // 20 the finished objects
};

#ifndef _WIN64
static_assert(sizeof(SharedCaptureState) == 80, "twenty 32-bit fields");
#endif

extern SharedCaptureState glShared;

// Per-process state: zero at load, filled only in the application's process.

// The RectCopy selection in mask client coordinates, as dragged.
struct SelectionRect {
  LONG x1, y1, x2, y2;
};
extern SelectionRect glSelection;

// The DrawCopy cursor readout panel (TipsArea), in mask client coordinates.
extern RECT TipsHotRect;
extern RECT TipsPosRect;
extern RECT TipsColorRect;

extern BITMAP PaletteBmpInfo;
extern BITMAP TipsBmpInfo;
