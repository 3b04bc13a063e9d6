// Helpers of the end-to-end tests of the application's two dialogs: finding a
// dialog of the program by its caption, keyboard input, the tray as Wine shows
// it, and the dressing both dialogs share.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include "tests/e2e/e2e_support.h"

// The dialog tests run, with the programs they start, in a Chinese locale
// (tests/e2e/CMakeLists.txt): the dialogs are made from their templates through
// the ANSI entry points, and Wine passes their captions through the ANSI code
// page, which must be 936 to hold them.
inline bool ChineseCodePage() { return GetACP() == 936; }

struct DialogRequest {
  DWORD pid;
  const wchar_t* caption;
  HWND found;
};

inline BOOL CALLBACK MatchDialog(HWND window, LPARAM param) {
  DialogRequest* r = (DialogRequest*)param;
  char name[64] = {0};
  wchar_t title[64] = {0};
  GetClassNameA(window, name, sizeof(name));
  GetWindowTextW(window, title, 64);
  if (lstrcmpA(name, "#32770") != 0 || (r->caption && lstrcmpW(title, r->caption) != 0)) return TRUE;
  if (WindowProcess(window) != r->pid) return TRUE;
  r->found = window;
  return FALSE;
}

// The program's dialog (class "#32770") with this caption, or with any caption
// when it is null, shown or not yet; null when there is none.
inline HWND FindDialog(DWORD pid, const wchar_t* caption) {
  DialogRequest request = {pid, caption, NULL};
  EnumWindows(MatchDialog, (LPARAM)&request);
  return request.found;
}

// Waits for the dialog to be shown; null when it was not within the time.
inline HWND WaitForDialog(DWORD pid, const wchar_t* caption, DWORD timeoutMs) {
  HWND found = NULL;
  WaitUntil([&] {
    found = FindDialog(pid, caption);
    return found != NULL && IsWindowVisible(found);
  }, timeoutMs);
  return (found != NULL && IsWindowVisible(found)) ? found : NULL;
}

// Types the character with Alt held, with Shift too when the layout needs it.
inline void TypeWithAlt(char c) {
  SHORT scan = VkKeyScanA(c);
  WORD key = LOBYTE(scan);
  bool shift = (HIBYTE(scan) & 1) != 0;
  KeyEvent(VK_MENU, 0);
  if (shift) KeyEvent(VK_SHIFT, 0);
  KeyEvent(key, 0);
  KeyEvent(key, KEYEVENTF_KEYUP);
  if (shift) KeyEvent(VK_SHIFT, KEYEVENTF_KEYUP);
  KeyEvent(VK_MENU, KEYEVENTF_KEYUP);
}

// Makes the window the one that gets the keyboard; returns whether it is.
inline bool BringToFront(HWND window, DWORD timeoutMs) {
  if (WaitUntil([&] { return GetForegroundWindow() == window; }, 1000)) return true;
  SetForegroundWindow(window);
  return WaitUntil([&] { return GetForegroundWindow() == window; }, timeoutMs);
}

inline POINT CentreOf(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  return p;
}

// A real left click in the middle of the window (a dialog's button).
inline void ClickOn(HWND window) {
  POINT p = CentreOf(window);
  MoveMouseTo(p.x, p.y);
  ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}

// Wine, with no system tray on the display, shows the icons in a window of its
// own, one child window per icon.
inline int TrayIconCount() {
  HWND tray = FindWindowA("__winex11_standalone_tray", NULL);
  if (tray == NULL || !IsWindowVisible(tray)) return 0;
  int count = 0;
  for (HWND icon = GetWindow(tray, GW_CHILD); icon != NULL; icon = GetWindow(icon, GW_HWNDNEXT))
    if (IsWindowVisible(icon)) count++;
  return count;
}

// The dressing of both dialogs: layered with alpha 242, a region
// that is the client area with rounded corners, centred on the screen.
inline void ExpectDressed(HWND dialog) {
  // WS_EX_TOPMOST is asked for too, but the system takes that style only from
  // SetWindowPos: the settings dialog has it from its template, the About box not.
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_LAYERED);
  COLORREF key = 1;
  BYTE alpha = 0;
  DWORD flags = 0;
  EXPECT_TRUE(GetLayeredWindowAttributes(dialog, &key, &alpha, &flags));
  EXPECT_EQ(alpha, 242);
  EXPECT_EQ(flags, (DWORD)LWA_ALPHA);

  RECT window, client;
  POINT origin = {0, 0};
  GetWindowRect(dialog, &window);
  GetClientRect(dialog, &client);
  ClientToScreen(dialog, &origin);
  int width = window.right - window.left, height = window.bottom - window.top;
  EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);

  int dx = origin.x - window.left, dy = origin.y - window.top;
  EXPECT_GT(dy, 0) << "the caption lies above the client area";
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(GetWindowRgn(dialog, region), COMPLEXREGION);
  RECT box;
  GetRgnBox(region, &box);
  EXPECT_EQ(box.left, dx);
  EXPECT_EQ(box.top, dy);
  // A rounded region leaves out its last column and row, as GDI's ellipses do.
  EXPECT_GE(box.right, dx + client.right - 1);
  EXPECT_LE(box.right, dx + client.right);
  EXPECT_GE(box.bottom, dy + client.bottom - 1);
  EXPECT_LE(box.bottom, dy + client.bottom);
  // Rounded corners; the caption and the frame are cut away.
  EXPECT_FALSE(PtInRegion(region, dx, dy));
  EXPECT_FALSE(PtInRegion(region, dx + client.right - 1, dy + client.bottom - 1));
  EXPECT_TRUE(PtInRegion(region, dx + 5, dy + 5));
  EXPECT_TRUE(PtInRegion(region, dx + client.right / 2, dy + client.bottom / 2));
  EXPECT_FALSE(PtInRegion(region, dx + client.right / 2, dy - 1));
  EXPECT_FALSE(PtInRegion(region, dx - 1, dy + client.bottom / 2));
  DeleteObject(region);
}
