// The MaskWindow class: the translucent overlay laid over the capture target, and
// the procedure that hands each message to its handler by mode.
#include "capture/capture_internal.h"
#include "capture/mask_handlers.h"
#include "capture/shared_state.h"
#include "common/message_filter.h"
#include "common/trace_log.h"

ATOM RegisterMaskWndClass(HINSTANCE instance) {
  WNDCLASSEXA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MaskWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "MaskWindow";
  return RegisterClassExA(&wc);
}

// The system limits an overlapped window to about the screen's size, but over the
// desktop the mask is a caption and a border larger than the screen: without this
// it would stop short of the screen's bottom rows.
static void OnGetMinMaxInfo(MINMAXINFO* info) {
  info->ptMaxSize.x = info->ptMaxTrackSize.x = 0x7FFF;
  info->ptMaxSize.y = info->ptMaxTrackSize.y = 0x7FFF;
}

// The cursor follows the current tool alone, whatever the mode.
static void SetToolCursor(void) {
  LPCSTR shape = glShared.glCurDrawTool != 0 ? (LPCSTR)IDC_CROSS : (LPCSTR)IDC_ARROW;
  SetCursor(LoadCursorA(NULL, shape));
}

// Positions are the low and high words of lParam, each unsigned.
static int PositionX(LPARAM lParam) { return (int)LOWORD(lParam); }
static int PositionY(LPARAM lParam) { return (int)HIWORD(lParam); }

static void OnMouseMove(HWND window, WPARAM keys, LPARAM lParam) {
  SetToolCursor();
  if (glOwn.captureMode == RectCopy)
    DragSelection(window, keys, PositionX(lParam), PositionY(lParam));
  else if (glOwn.captureMode == DrawCopy)
    MoveOverDrawing(window, keys, PositionX(lParam), PositionY(lParam));
}

static void OnLButtonDown(HWND window, LPARAM lParam) {
  if (glOwn.captureMode == RectCopy)
    PressSelection(PositionX(lParam), PositionY(lParam));
  else if (glOwn.captureMode == DrawCopy)
    PressDrawing(window, PositionX(lParam), PositionY(lParam));
}

static void OnLButtonUp(void) {
  if (glOwn.captureMode == DrawCopy) ReleaseDrawing();
}

// The capture of the mode this process armed, with its own windows.
static void OnRButtonDown(void) {
  CaptureJob job;
  job.target = MaskTarget();
  job.mainWnd = glOwn.mainWnd;
  job.maskWnd = glOwn.maskWnd;
  job.mode = glOwn.captureMode;
  CompleteCapture(job);
  if (job.mode == DrawCopy) DiscardDrawingInProgress();
}

// The drawings are only shown in DrawCopy: a Delete in another mode must not remove
// an object the user cannot see (objects left from a DrawCopy without a capture).
// Esc reaches the mask itself only where the hot key could not be had.
static void OnKeyDown(HWND window, WPARAM key) {
  if ((key == VK_DELETE || key == VK_BACK) && glOwn.captureMode == DrawCopy)
    DeleteSelectedDrawing(window);
  else if (key == VK_ESCAPE)
    CancelCapture();
}

// A hooked program took the capture. Its own hide of the mask is refused where the
// mask's program runs with higher integrity (an elevated application), so the mask
// hides itself too, unless a capture was armed again meanwhile.
static void OnHookIdle(HWND window) {
  if (glShared.glCaptured == 1) ShowWindow(window, SW_HIDE);
  ReleaseIdleHook(NULL);
}

// InitHook lays the tips panel out at the client origin; the palette sits at (3, 3),
// so the panel moves there once, at the mask's first real activation.
static void OnActivate(WPARAM state) {
  if (LOWORD(state) != WA_ACTIVE || TipsHotRect.left != 0 || TipsHotRect.top != 0) return;
  TraceLog("//Adjust Tips area.");
  OffsetRect(&TipsHotRect, 3, 3);
  OffsetRect(&TipsPosRect, 3, 3);
  OffsetRect(&TipsColorRect, 3, 3);
}

LRESULT CALLBACK MaskWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // Posted by a hooked program that took a capture, and the null message such a
      // program sends after its hide, on a composed desktop, to see it taken.
      {
        static const UINT fromBelow[2] = {WM_USER_HOOKIDLE, WM_NULL};
        AllowMessagesFromLowerPrograms(window, fromBelow, 2);
      }
      return 0;
    case WM_MOUSEMOVE:
      OnMouseMove(window, wParam, lParam);
      return 0;
    case WM_LBUTTONDOWN:
      OnLButtonDown(window, lParam);
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp();
      return 0;
    case WM_RBUTTONDOWN:
      OnRButtonDown();
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(window, wParam);
      return 0;
    case WM_ACTIVATE:
      OnActivate(wParam);
      return 0;
    case WM_PAINT:
      PaintMask(window);
      return 0;
    case WM_GETMINMAXINFO:
      OnGetMinMaxInfo((MINMAXINFO*)lParam);
      return 0;
    case WM_USER_HOOKIDLE:
      OnHookIdle(window);
      return 0;
    case WM_HOTKEY:
      if (wParam == kCancelHotKey) CancelCapture();
      return 0;
    case WM_CLOSE:
      // Alt+F4 while the mask has the keyboard, or the application's cancel
      // command: the capture ends, the mask stays (it goes with the main window).
      CancelCapture();
      return 0;
    case WM_DESTROY:
      TraceLog("WM_DESTROY:MaskWidnow");
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
