// Routines shared between the files of Vistrel.dll, grouped by the file that holds them.
#pragma once
#include <windows.h>
#include "common/vistrel_api.h"

// mask_placement.cpp
extern "C" void WINAPI MoveMaskWindow(void);
// The window this process lays its mask over: the whole screen in RectCopy and
// DrawCopy, otherwise the target the hook last wrote into the record.
HWND MaskTarget(void);
// A rectangle laid out from the mask's client origin, moved so that over the whole
// screen it keeps that place from the primary monitor's corner (the tips panel).
RECT OnPrimaryMonitor(RECT r);

// mask_window.cpp
ATOM RegisterMaskWndClass(HINSTANCE instance);
LRESULT CALLBACK MaskWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// draw_tools_window.cpp
ATOM RegisterDrawToolsWndClass(HINSTANCE instance);
LRESULT CALLBACK DrawToolsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// A click on the palette at (x, y): picks the tool or the colour under it.
void SelectToolButton(HWND window, int x, int y);

// mouse_hook.cpp: runs inside every hooked program.
LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam);

// idle_hook.cpp: removes the hook once a capture is taken, on the application's
// thread; called elsewhere (in a hooked program), asks the mask's thread to.
void ReleaseIdleHook(HWND mask);
// Removes the hook this process set; UnhookWindowsHookEx's result. A hook whose
// removal was refused is kept (StartHook arms it again, the next removal retries),
// and the library stays loaded in this process for good.
BOOL RemoveOwnHook(void);
// Posted to the mask by a hooked program that has taken a capture.
static const UINT WM_USER_HOOKIDLE = WM_USER + 110;

// The armed state of the application's capture, with the Esc hot key on the mask
// that it holds. StartHook begins it; a capture (ReleaseIdleHook on this thread), a
// cancel and StopHook end it.
void BeginArmedCapture(void);
void EndArmedCapture(void);
int CaptureArmed(void);
static const int kCancelHotKey = 1;

// cancel_capture.cpp: hides the mask, drops the drawings and idles the hook as a
// capture would, without a picture; with nothing armed, does nothing.
void CancelCapture(void);

// capture_completion.cpp: the capturing right-click, in whichever process takes it.
// What one capture works on, read once where it began (the hook, or the mask in
// the application) and checked there: nothing of it is read from the record again.
struct CaptureJob {
  HWND target;   // the window grabbed
  HWND mainWnd;  // the application's main window, told of the capture; null: no one
  HWND maskWnd;  // the application's mask, hidden first; null: none
  CaptureMode mode;
};
void CompleteCapture(const CaptureJob& job);

// screen_grab.cpp: the target's pixels; the caller owns the bitmap. The mode is the
// capture's, read once as it began: RectCopy applies the selection, DrawCopy paints
// the drawings (both only in the process that owns the mask). With sectionDepth 24
// or 32, a device-independent section laid out as a file of that depth; otherwise a
// bitmap compatible with the window. fromScreen: a window or control is read from
// the screen over its visible frame (the mask must be off the screen), otherwise
// from its own DC.
HBITMAP GrabTargetBitmap(HWND window, CaptureMode mode, int sectionDepth, BOOL fromScreen);

// bmp_writer.cpp: writes "CaptureTemp.bmp" from a grab in that mode, read from the
// screen or not as GrabTargetBitmap reads; 1 when the whole file was written.
int SaveToFile(HWND window, CaptureMode mode, BOOL fromScreen);
// The bitmap as a file of that depth, put on the clipboard first when asked
// (*onClipboard: the clipboard took it).
int WriteCaptureFile(HBITMAP bitmap, int depth, int copyToClipboard, int* onClipboard);

// clipboard.cpp: 1 when the clipboard took the bitmap (it is the system's from then on).
int PutBitmapOnClipboard(HBITMAP bitmap);
