// Target.exe: a foreign program of known geometry and colours for the capture tests.
//   Target.exe [x y width height]   (default 100 200 400 300)
// The top-level window "Vistrel Test Target" (class VistrelTarget) has a solid client
// colour, three solid child controls and a panel holding a control of its own. It
// counts the mouse messages its windows receive: SendMessage(window, WM_APP_COUNT,
// message, 0) returns the count, SendMessage(window, WM_APP_COUNT, message, id) the
// count of the control of that id alone (swatch i has id 100 + i).
#include <windows.h>
#include <stdlib.h>
#include "tests/e2e/patch_import.h"
#include "tests/e2e/target/target_layout.h"

// Mouse and non-client mouse messages all lie below 0x300. The window's counts,
// and each control's own (by control id, 100 to 111).
static LONG gCounts[0x300];
static LONG gControlCounts[12][0x300];

static void Count(UINT message) {
  if (message < 0x300) gCounts[message]++;
}

static void PaintSolid(HWND window, COLORREF colour) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
  EndPaint(window, &ps);
}

static LRESULT CALLBACK SwatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Count(message);
  int id = GetDlgCtrlID(window) - 100;
  if (id >= 0 && id < 12 && message < 0x300) gControlCounts[id][message]++;
  switch (message) {
    case WM_PAINT:
      PaintSolid(window, (COLORREF)GetWindowLongPtrA(window, GWLP_USERDATA));
      return 0;
    case WM_ERASEBKGND:
      return 1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static HWND MakeSolid(HWND parent, const RECT& r, COLORREF colour, DWORD style, int id, HINSTANCE instance) {
  HWND child = CreateWindowExA(0, TargetSwatchClass, "", WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                               r.right - r.left, r.bottom - r.top, parent, (HMENU)(INT_PTR)id, instance, NULL);
  SetWindowLongPtrA(child, GWLP_USERDATA, (LONG_PTR)colour);
  return child;
}

static LONG gRefusedHides;
static BOOL WINAPI RefusedShowWindowAsync(HWND, int) {
  gRefusedHides++;
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

static LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Count(message);
  switch (message) {
    case WM_PAINT:
      PaintSolid(window, TargetClientColour);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_APP_COUNT:
      if (wParam >= 0x300 || (lParam != 0 && (lParam < 100 || lParam >= 112))) return -1;
      return lParam == 0 ? gCounts[wParam] : gControlCounts[lParam - 100][wParam];
    case WM_APP_REFUSE_HIDE: {
      HMODULE library = GetModuleHandleA("Vistrel.dll");
      if (library == NULL) return -1;
      if (PatchImport(library, "ShowWindowAsync", (void*)RefusedShowWindowAsync) == NULL) return -1;
      return gRefusedHides;
    }
    case WM_NCRBUTTONDOWN:
    case WM_CONTEXTMENU:
      // A right press on the caption neither holds the mouse until its release
      // (moves meanwhile would come as the window's own) nor opens the system
      // menu (a window under the cursor): either would change the hook's target.
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  int x = 100, y = 200, width = 400, height = 300;
  if (__argc >= 5) {
    x = atoi(__argv[1]);
    y = atoi(__argv[2]);
    width = atoi(__argv[3]);
    height = atoi(__argv[4]);
  }
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = TargetProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.lpszClassName = TargetClass;
  RegisterClassA(&wc);
  wc.lpfnWndProc = SwatchProc;
  wc.lpszClassName = TargetSwatchClass;
  RegisterClassA(&wc);

  HWND window = CreateWindowExA(0, TargetClass, TargetTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y,
                                width, height, NULL, NULL, instance, NULL);
  for (int i = 0; i < TargetSwatchCount; i++)
    MakeSolid(window, TargetSwatchRects[i], TargetSwatchColours[i], 0, 100 + i, instance);
  HWND panel = MakeSolid(window, TargetPanelRect, TargetPanelColour, WS_CLIPCHILDREN, 110, instance);
  MakeSolid(panel, TargetNestedRect, TargetNestedColour, 0, 111, instance);
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
