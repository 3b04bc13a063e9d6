// PeekTarget.exe: a foreign program that looks at every message with
// PeekMessage(PM_NOREMOVE) before it takes it, so that mouse hooks see each mouse
// message first with HC_NOREMOVE and then with HC_ACTION. It counts what its windows
// receive and what a mouse hook of its own thread sees (that hook is called before
// global ones, so it sees what a global hook swallows too). It handles the
// non-client button messages itself, so that no move loop or system menu starts.
//   SendMessage(window, WM_APP_RECEIVED, message, 0): how often its windows received it
//   SendMessage(window, WM_APP_HOOK_COUNT, message, code): how often its hook saw it with that code
//   SendMessage(window, WM_APP_FOREGROUND, 0, 0): brings its window to the foreground
//   PostMessage(window, WM_APP_SNAPSHOT, 0, 0): copies the counts, which the two
//     questions above then answer with lParam | SnapshotFlag; SendMessage of it tells
//     how many copies were taken. A mouse message is counted by the hook before the
//     window receives it, and in between the thread answers sent messages (a global
//     hook sending to its application waits there), so counts read one by one may
//     catch a message half counted; a posted copy is taken between two messages.
#include <windows.h>
#include "tests/reliability/peek_target.h"

static LONG gReceived[0x300];
static LONG gHooked[0x300][4];  // by hook code: HC_ACTION 0, HC_NOREMOVE 3
static LONG gSnapReceived[0x300], gSnapHooked[0x300][4], gSnapshots;

static void Count(UINT message) {
  if (message < 0x300) gReceived[message]++;
}

static LRESULT CALLBACK OwnMouseHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code >= 0 && code < 4 && wParam < 0x300) gHooked[wParam][code]++;
  return CallNextHookEx(NULL, code, wParam, lParam);
}

static bool NonClientButton(UINT message) {
  return message >= WM_NCLBUTTONDOWN && message <= WM_NCXBUTTONDBLCLK && message != WM_NCMOUSEMOVE;
}

static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Count(message);
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH brush = CreateSolidBrush(PeekControlColour);
    FillRect(dc, &ps.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(window, &ps);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static LRESULT CALLBACK PeekProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Count(message);
  if (NonClientButton(message) || message == WM_CONTEXTMENU) return 0;
  switch (message) {
    case WM_APP_RECEIVED:
      if (wParam >= 0x300) return -1;
      return (lParam & PeekSnapshotFlag) ? gSnapReceived[wParam] : gReceived[wParam];
    case WM_APP_HOOK_COUNT: {
      LPARAM code = lParam & ~PeekSnapshotFlag;
      if (wParam >= 0x300 || code < 0 || code >= 4) return -1;
      return (lParam & PeekSnapshotFlag) ? gSnapHooked[wParam][code] : gHooked[wParam][code];
    }
    case WM_APP_SNAPSHOT:
      if (!InSendMessage()) {
        CopyMemory(gSnapReceived, gReceived, sizeof(gReceived));
        CopyMemory(gSnapHooked, gHooked, sizeof(gHooked));
        gSnapshots++;
      }
      return gSnapshots;
    case WM_APP_FOREGROUND:
      SetForegroundWindow(window);
      SetFocus(window);
      return GetForegroundWindow() == window;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = PeekProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
  wc.lpszClassName = PeekTargetClass;
  RegisterClassA(&wc);
  wc.lpfnWndProc = ControlProc;
  wc.lpszClassName = "VistrelPeekControl";
  RegisterClassA(&wc);

  HWND window = CreateWindowExA(0, PeekTargetClass, "Vistrel Peek Target", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                PeekTargetRect.left, PeekTargetRect.top, PeekTargetRect.right - PeekTargetRect.left,
                                PeekTargetRect.bottom - PeekTargetRect.top, NULL, NULL, instance, NULL);
  CreateWindowExA(0, "VistrelPeekControl", "", WS_CHILD | WS_VISIBLE, PeekControlRect.left, PeekControlRect.top,
                  PeekControlRect.right - PeekControlRect.left, PeekControlRect.bottom - PeekControlRect.top, window,
                  (HMENU)(INT_PTR)100, instance, NULL);
  SetWindowsHookExA(WH_MOUSE, OwnMouseHook, NULL, GetCurrentThreadId());
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);

  MSG msg;
  for (;;) {
    // A look first, so that the hooks see the message with HC_NOREMOVE; then take it.
    if (!PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) WaitMessage();
    if (!PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE)) continue;
    if (GetMessageA(&msg, NULL, 0, 0) <= 0) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
