// ShotDriver.exe: steps the running Vistrel.exe into the states that
// scripts/screenshots.sh photographs. One step per run; exit code 0
// when the state was reached within the time, 1 otherwise.
//   ShotDriver.exe profile KEY VALUE   writes a value of the "VISTREL" section
//   ShotDriver.exe wait-main           waits for the main window to be shown
//   ShotDriver.exe hide                the hide command, until the window is hidden
//   ShotDriver.exe show                a tray icon left click, until the window is shown
//   ShotDriver.exe hide-tray           hides the window in which Wine shows the tray icons when
//                                      there is neither a desktop nor a tray to hold them
//   ShotDriver.exe capture-menu X Y    the tray's right-click menu with the cursor at X, Y
//   ShotDriver.exe close-menu          a click beside the menu, until it is closed
//   ShotDriver.exe dialog ID           command ID (104 About, 32791 settings) and its dialog shown
//   ShotDriver.exe cancel-dialog       Esc to the open dialog, until it is gone
//   ShotDriver.exe exit                the exit command, until the program has ended
//   ShotDriver.exe arm ID              capture command ID (32778 WindowCopy, 32779 ControlCopy,
//                                      32780 RectCopy, 32786 DrawCopy); for the last two, until
//                                      the mask is shown
//   ShotDriver.exe drag X1 Y1 X2 Y2 [hold]  a left drag on the screen; hold: the button stays down
//   ShotDriver.exe release             the left button up
//   ShotDriver.exe move X Y            the cursor to X, Y on the screen
//   ShotDriver.exe palette X Y         the cursor onto the tips panel until the palette shows,
//                                      a click at X, Y on it, and back onto the mask
//   ShotDriver.exe open-palette        the cursor onto the tips panel until the palette shows
//   ShotDriver.exe capture             a right-click where the cursor is, until the mask is hidden
//   ShotDriver.exe onto X Y window|control  the cursor to X, Y on the screen until the armed mask
//                                      lies over the top-level window (WindowCopy) or the child
//                                      control (ControlCopy) found there
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

// The shown mask of the capture library, or null.
static HWND ShownMask() {
  HWND mask = FindWindowA("MaskWindow", "MaskWindow");
  return (mask && IsWindowVisible(mask)) ? mask : NULL;
}

// The program takes in mouse input in its own time, and Wine drops or replays a move
// sent in a burst: one move at a time, each given a moment.
static void Pause(DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) MsgWaitForMultipleObjects(0, NULL, FALSE, ms, QS_ALLINPUT);
}

static void SendMouse(DWORD flags, int x, int y) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT input;
  ZeroMemory(&input, sizeof(input));
  input.type = INPUT_MOUSE;
  // Rounded up, the absolute position maps back to exactly that pixel.
  input.mi.dx = (x * 65536 + w - 1) / w;
  input.mi.dy = (y * 65536 + h - 1) / h;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
  Pause(60);
}
static void MoveTo(int x, int y) { SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y); }
static void Button(DWORD flag) { SendMouse(flag, 0, 0); }

static void Drag(int x1, int y1, int x2, int y2, int hold) {
  MoveTo(x1, y1);
  Button(MOUSEEVENTF_LEFTDOWN);
  for (int i = 1; i <= 6; i++) MoveTo(x1 + (x2 - x1) * i / 6, y1 + (y2 - y1) * i / 6);
  MoveTo(x2 + 1, y2);
  MoveTo(x2, y2);
  if (!hold) Button(MOUSEEVENTF_LEFTUP);
}

// The palette of the shown mask, or null.
static HWND Palette() {
  HWND mask = ShownMask();
  return mask ? FindWindowExA(mask, NULL, "DrawToolsWindow", NULL) : NULL;
}

// The cursor onto the tips panel until the palette shows.
static int OpenPalette() {
  HWND mask = ShownMask(), palette = Palette();
  if (palette == NULL) return 0;
  POINT tips = {12, 20};
  ClientToScreen(mask, &tips);
  int nudge = 0;
  return WaitFor([&] {
    MoveTo(tips.x + nudge++ % 3, tips.y);
    return IsWindowVisible(palette) != 0;
  });
}

static int ClickPalette(int x, int y) {
  HWND mask = ShownMask(), palette = Palette();
  if (!OpenPalette()) return 0;
  POINT p = {x, y};
  ClientToScreen(palette, &p);
  MoveTo(p.x, p.y);
  Button(MOUSEEVENTF_LEFTDOWN);
  Button(MOUSEEVENTF_LEFTUP);
  POINT away = {400, 200};
  ClientToScreen(mask, &away);
  int nudge = 0;
  return WaitFor([&] {
    MoveTo(away.x + nudge++ % 3, away.y);
    return !IsWindowVisible(palette);
  });
}

// The visible window at a screen point, the mask left out: the top-level one, or
// with `control` its deepest child there.
static HWND WindowAt(POINT p, int control) {
  HWND found = NULL;
  for (HWND w = GetTopWindow(NULL); w != NULL && found == NULL; w = GetWindow(w, GW_HWNDNEXT)) {
    RECT r;
    char name[16] = {0};
    GetClassNameA(w, name, sizeof(name));
    if (!IsWindowVisible(w) || lstrcmpA(name, "MaskWindow") == 0 || !GetWindowRect(w, &r)) continue;
    if (PtInRect(&r, p)) found = w;
  }
  while (control && found != NULL) {
    POINT c = p;
    ScreenToClient(found, &c);
    HWND child = ChildWindowFromPointEx(found, c, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (child == NULL || child == found) break;
    found = child;
  }
  return found;
}

// Whether the shown mask lies over that window: its translucent part, the
// region, covers the window's rectangle exactly.
static int MaskOver(HWND window) {
  HWND mask = ShownMask();
  RECT target, placed, box;
  if (mask == NULL || !GetWindowRect(window, &target) || !GetWindowRect(mask, &placed)) return 0;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  int kind = GetWindowRgn(mask, region);
  if (kind != ERROR) GetRgnBox(region, &box);
  DeleteObject(region);
  if (kind == ERROR) return 0;
  OffsetRect(&box, placed.left, placed.top);
  return EqualRect(&box, &target);
}

// The cursor to X, Y until the mask lies over what is found there.
static int MoveOnto(int x, int y, int control) {
  POINT p = {x, y};
  HWND window = WindowAt(p, control);
  if (window == NULL) return 0;
  int nudge = 0;
  return WaitFor([&] {
    MoveTo(x + nudge++ % 3, y);
    return MaskOver(window);
  });
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
  if (strcmp(step, "hide-tray") == 0) {
    // Wine opens it once the first icon is added, which the hide command does.
    HWND tray = NULL;
    if (!WaitFor([&] {
          tray = FindWindowA(NULL, "Wine System Tray");
          return tray != NULL && IsWindowVisible(tray);
        }))
      return 1;
    ShowWindow(tray, SW_HIDE);
    return WaitFor([&] { return !IsWindowVisible(tray); }) ? 0 : 1;
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
  if (strcmp(step, "arm") == 0 && argc == 3) {
    WPARAM command = (WPARAM)atoi(argv[2]);
    PostMessageA(MainWindow(), WM_COMMAND, command, 0);
    // The window modes show the mask only once the mouse moves over a window (onto).
    if (command == IDM_WINDOWCOPY || command == IDM_CONTROLCOPY) return 0;
    return WaitFor([] { return ShownMask() != NULL; }) ? 0 : 1;
  }
  if (strcmp(step, "drag") == 0 && argc >= 6) {
    Drag(atoi(argv[2]), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), argc == 7 && strcmp(argv[6], "hold") == 0);
    return 0;
  }
  if (strcmp(step, "release") == 0) {
    Button(MOUSEEVENTF_LEFTUP);
    return 0;
  }
  if (strcmp(step, "move") == 0 && argc == 4) {
    MoveTo(atoi(argv[2]), atoi(argv[3]));
    return 0;
  }
  if (strcmp(step, "capture") == 0) {
    Button(MOUSEEVENTF_RIGHTDOWN);
    Button(MOUSEEVENTF_RIGHTUP);
    return WaitFor([] { return ShownMask() == NULL; }) ? 0 : 1;
  }
  if (strcmp(step, "onto") == 0 && argc == 5) {
    return MoveOnto(atoi(argv[2]), atoi(argv[3]), strcmp(argv[4], "control") == 0) ? 0 : 1;
  }
  if (strcmp(step, "open-palette") == 0) {
    return OpenPalette() ? 0 : 1;
  }
  if (strcmp(step, "palette") == 0 && argc == 4) {
    return ClickPalette(atoi(argv[2]), atoi(argv[3])) ? 0 : 1;
  }
  return 1;
}
