// ShotDriver.exe: steps the running Vistrel.exe into the states that
// scripts/screenshots.sh photographs. One step per run; exit code 0
// when the state was reached within the time, 1 otherwise.
//   ShotDriver.exe profile KEY VALUE   writes a value of the "VISTREL" section
//   ShotDriver.exe wait-main           waits for the main window to be shown
//   ShotDriver.exe hide                the hide command, until the window is hidden
//   ShotDriver.exe show                a tray icon left click, until the window is shown
//   ShotDriver.exe capture-menu X Y    the tray's right-click menu with the cursor at X, Y
//   ShotDriver.exe close-menu          a click beside the menu, until it is closed
//   ShotDriver.exe dialog ID           command ID (104 About, 32791 settings) and its dialog shown
//   ShotDriver.exe cancel-dialog       Esc to the open dialog, until it is gone
//   ShotDriver.exe exit                the exit command, until the program has ended
#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include "common/command_ids.h"

static const DWORD kTimeoutMs = 30000;
// What the shell passes as wParam of the tray callback: the icon's id.
static const WPARAM kTrayIconId = 107;

static HWND MainWindow() { return FindWindowA("VISTREL", "Vistrel"); }

static HWND OpenMenu() {
  HWND menu = FindWindowA("#32768", NULL);
  return (menu && IsWindowVisible(menu)) ? menu : NULL;
}

// The program's visible dialog, or null.
static HWND OpenDialog() {
  HWND main = MainWindow();
  if (main == NULL) return NULL;
  for (HWND w = GetTopWindow(NULL); w != NULL; w = GetWindow(w, GW_HWNDNEXT)) {
    char name[16] = {0};
    GetClassNameA(w, name, sizeof(name));
    if (lstrcmpA(name, "#32770") == 0 && GetWindow(w, GW_OWNER) == main && IsWindowVisible(w)) return w;
  }
  return NULL;
}

// Polls until the condition holds, handling this thread's messages meanwhile.
template <class Cond>
static int WaitFor(Cond cond) {
  DWORD start = GetTickCount();
  while (!cond()) {
    if (GetTickCount() - start > kTimeoutMs) return 0;
    MsgWaitForMultipleObjects(0, NULL, FALSE, 20, QS_ALLINPUT);
  }
  return 1;
}

int main(int argc, char** argv) {
  if (argc < 2) return 1;
  const char* step = argv[1];
  if (strcmp(step, "profile") == 0 && argc == 4) {
    return WriteProfileStringA("VISTREL", argv[2], argv[3]) ? 0 : 1;
  }
  if (strcmp(step, "wait-main") == 0) {
    return WaitFor([] { return MainWindow() != NULL && IsWindowVisible(MainWindow()); }) ? 0 : 1;
  }
  if (strcmp(step, "hide") == 0) {
    PostMessageA(MainWindow(), WM_COMMAND, IDM_HIDE, 0);
    return WaitFor([] { return !IsWindowVisible(MainWindow()); }) ? 0 : 1;
  }
  if (strcmp(step, "show") == 0) {
    PostMessageA(MainWindow(), WM_USER_TRAYNOTIFY, kTrayIconId, WM_LBUTTONUP);
    return WaitFor([] { return IsWindowVisible(MainWindow()) != 0; }) ? 0 : 1;
  }
  if (strcmp(step, "capture-menu") == 0 && argc == 4) {
    SetCursorPos(atoi(argv[2]), atoi(argv[3]));
    PostMessageA(MainWindow(), WM_USER_TRAYNOTIFY, kTrayIconId, WM_RBUTTONUP);
    return WaitFor([] { return OpenMenu() != NULL; }) ? 0 : 1;
  }
  if (strcmp(step, "close-menu") == 0) {
    // A click beside the menu, as a person dismisses it.
    SetCursorPos(4, 4);
    INPUT click[2];
    ZeroMemory(click, sizeof(click));
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
    return WaitFor([] { return OpenMenu() == NULL; }) ? 0 : 1;
  }
  if (strcmp(step, "dialog") == 0 && argc == 3) {
    PostMessageA(MainWindow(), WM_COMMAND, (WPARAM)atoi(argv[2]), 0);
    return WaitFor([] { return OpenDialog() != NULL; }) ? 0 : 1;
  }
  if (strcmp(step, "cancel-dialog") == 0) {
    HWND dialog = OpenDialog();
    if (dialog) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return WaitFor([] { return OpenDialog() == NULL; }) ? 0 : 1;
  }
  if (strcmp(step, "exit") == 0) {
    HWND main = MainWindow();
    if (main) PostMessageA(main, WM_COMMAND, IDM_EXIT, 0);
    return WaitFor([] { return MainWindow() == NULL; }) ? 0 : 1;
  }
  return 1;
}
