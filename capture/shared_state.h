// The record every process that maps Vistrel.dll shares, and the library's
// per-process state. Code that can run inside a hooked program (mouse_hook.cpp,
// screen_grab.cpp) reads only window handles and switches from the record.
// Any program that maps the library can write the record at any moment: it is
// input, never state. The application keeps what it made in OwnCaptureState and
// only publishes copies to the record.
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

// What the application's process made and works with. The record's fields of the
// same meaning are written alongside (for whoever reads the record) but never read
// back here. module is set by DllMain in every process; the rest only by InitHook
// and the routines it reaches, so in a hooked program all of it but module is zero.
struct OwnCaptureState {
  HINSTANCE module;           // this library, as its entry point was given it
  HWND mainWnd;               // the application's main window
  HWND maskWnd;               // the mask this process created
  HWND drawToolsWnd;          // its palette
  HHOOK hook;                 // the hook this process installed
  ATOM maskWndClass;          // class atoms this process registered
  ATOM drawToolsWndClass;
  HBITMAP paletteBmp;         // bitmaps and memory DCs this process made
  HDC paletteDC;
  HBITMAP tipsBmp;
  HDC tipsDC;
  CaptureMode captureMode;    // the mode this process armed last
  POINT screenOrigin;         // the virtual screen's top-left corner when the mask last covered it
  DrawObj* curDrawObj;        // the object under construction
  DrawObjList* drawObjList;   // the finished objects
};
extern OwnCaptureState glOwn;

// The draw-object pointers, kept here and published to the record.
void SetCurDrawObj(DrawObj* obj);
void SetDrawObjList(DrawObjList* list);

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
