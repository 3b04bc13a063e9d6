// The main window dressed as the skin: shape, translucency, painting, dragging
// and the hot buttons.
#include "app/app_state.h"
#include "common/trace_log.h"

// Created at the first WM_PAINT with the skin selected into it, kept for the
// whole run and deleted at WM_DESTROY.
HDC ghSkinMemDC;

// Set by a press in the window, cleared by the release or by a move without the
// left button: only a drag begun here moves the window. A move with the left button
// may come with no press at all (posted by another program, or a drag begun
// elsewhere running onto the window), and the start rectangle would then be stale
// or empty.
static int gDragging;
static POINT gDragStartCursor;
static RECT gDragStartRect;
static int gHotButton;

static const BYTE SkinAlpha = 229;

void DressSkinWindow(HWND window) {
  SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  SetLayeredWindowAttributes(window, 0, SkinAlpha, LWA_ALPHA);

  RECT windowRect, clientRect;
  POINT clientOrigin = {0, 0};
  GetWindowRect(window, &windowRect);
  ClientToScreen(window, &clientOrigin);
  GetClientRect(window, &clientRect);

  // The region is made in skin coordinates; the window region is counted from
  // the window's corner, so shift it past the caption, menu bar and border.
  HRGN region = CreateSkinRegion(window);
  OffsetRgn(region, clientOrigin.x - windowRect.left, clientOrigin.y - windowRect.top);

  int width = (windowRect.right - windowRect.left) - clientRect.right + gSkinInfo.bmWidth;
  int height = (windowRect.bottom - windowRect.top) - clientRect.bottom + gSkinInfo.bmHeight;
  MoveWindow(window, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2,
             width, height, FALSE);
  // The system owns the region from here on.
  SetWindowRgn(window, region, FALSE);
}

void OnSkinPaint(HWND window) {
  TraceLog("WM_PAINT");
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  if (ghSkinMemDC == NULL) {
    ghSkinMemDC = CreateCompatibleDC(dc);
    // Stays selected for the whole run; the DC goes at WM_DESTROY.
    SelectObject(ghSkinMemDC, ghSkinBmp);
  }
  BitBlt(dc, 0, 0, gSkinInfo.bmWidth, gSkinInfo.bmHeight, ghSkinMemDC, 0, 0, SRCCOPY);
  EndPaint(window, &ps);
  TraceLog("WM_PAINT END");
}

void OnSkinLButtonDown(HWND window) {
  GetCursorPos(&gDragStartCursor);
  GetWindowRect(window, &gDragStartRect);
  gDragging = 1;
}

void OnSkinMouseMove(HWND window, WPARAM wParam, LPARAM lParam) {
  // The left button is up: any drag ended, its release perhaps outside the window.
  if (!(wParam & MK_LBUTTON)) gDragging = 0;
  if (wParam == MK_LBUTTON && gDragging) {
    // Without mouse capture the window follows only while the cursor stays over it.
    SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_SIZEALL));
    POINT cursor;
    GetCursorPos(&cursor);
    MoveWindow(window, gDragStartRect.left + cursor.x - gDragStartCursor.x,
               gDragStartRect.top + cursor.y - gDragStartCursor.y, gDragStartRect.right - gDragStartRect.left,
               gDragStartRect.bottom - gDragStartRect.top, FALSE);
    return;
  }
  // The left button alone, held from a press elsewhere: a drag running over the
  // window arms no button, and disarms one that a hover left armed (the pointer may
  // leave the window straight from a button), or its release here would post it.
  if (wParam == MK_LBUTTON)
    gHotButton = 0;
  else
    gHotButton = HitTestSkinButton(window, (int)LOWORD(lParam), (int)HIWORD(lParam));
  SetCursor(LoadCursorA(NULL, (LPCSTR)(gHotButton ? IDC_HAND : IDC_ARROW)));
}

void OnSkinLButtonUp(HWND window) {
  gDragging = 0;
  SetCursor(LoadCursorA(NULL, (LPCSTR)IDC_ARROW));
  // The hot button is left alone during a drag, so a press on a button that
  // drags the window still counts as that button.
  UINT command = SkinButtonCommand(gHotButton);
  if (command != 0) PostMessageA(window, WM_COMMAND, command, 0);
}
