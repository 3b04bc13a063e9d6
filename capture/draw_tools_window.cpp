// The DrawToolsWindow class: the drawing tool palette, a child of the mask. A click
// picks the current tool or colour; the palette shows both.
#include "capture/capture_internal.h"
#include "capture/shared_state.h"
#include "capture/tool_buttons.h"
#include "common/trace_log.h"

ATOM RegisterDrawToolsWndClass(HINSTANCE instance) {
  WNDCLASSEXA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = DrawToolsWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "DrawToolsWindow";
  return RegisterClassExA(&wc);
}

void SelectToolButton(HWND window, int x, int y) {
  // A swatch writes its colour straight into the current colour.
  int id = HitTestToolButton(x, y, &glShared.glCurColor);
  if (id == ToolHitNone) return;
  if (id != ToolHitSwatch) glShared.glCurDrawTool = DrawToolOfButton(id);
  InvalidateRect(window, NULL, TRUE);
}

// The hand says "this can be clicked"; moves never change the colour.
static void OnMouseMove(int x, int y) {
  int overButton = HitTestToolButton(x, y, NULL) != ToolHitNone;
  SetCursor(LoadCursorA(NULL, overButton ? (LPCSTR)IDC_HAND : (LPCSTR)IDC_ARROW));
}

static void OnPaint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  BitBlt(dc, 0, 0, PaletteBmpInfo.bmWidth, PaletteBmpInfo.bmHeight, glOwn.paletteDC, 0, 0, SRCCOPY);

  HBRUSH colour = CreateSolidBrush(glShared.glCurColor);
  FillRect(dc, &CurrentColourBox, colour);
  DeleteObject(colour);

  // A dotted frame in the default opaque mode: the gaps between the dots come out white.
  RECT frame;
  ToolFrameRect(glShared.glCurDrawTool, &frame);
  LOGBRUSH hollow = {BS_NULL, 0, 0};
  HBRUSH brush = CreateBrushIndirect(&hollow);
  HPEN pen = CreatePen(PS_DOT, 1, RGB(0, 0, 0));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
  EndPaint(window, &ps);
}

LRESULT CALLBACK DrawToolsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // Positions as unsigned 16-bit halves of lParam.
  int x = (int)LOWORD(lParam), y = (int)HIWORD(lParam);
  switch (message) {
    case WM_MOUSEMOVE:
      OnMouseMove(x, y);
      return 0;
    case WM_LBUTTONDOWN:
      SelectToolButton(window, x, y);
      return 0;
    case WM_LBUTTONUP:
      return 0;
    case WM_RBUTTONDOWN:
      // Swallowed: only a right-click on the mask takes the capture.
      return 0;
    case WM_PAINT:
      OnPaint(window);
      return 0;
    case WM_DESTROY:
      TraceLog("WM_DESTROY:DrawToolsWidnow");
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
