// The capture runs: the raw floor, Vistrel's captures with real input, and the
// mouse moves over a foreign window with the hook armed or not.
#include "bench/bench_shared.h"
#include "bench/driver_runs.h"
#include <stdlib.h>
#include <string.h>
#include "tests/support/bmp_file.h"
#include "tests/support/screen_pixels.h"

static const DWORD kDeadline = 30000;
// For a file after its click: a lost click fails the run rather than stalling the suite.
static const DWORD kFileDeadline = 10000;
// Where the 800 x 600 window lies: clear of the screen's centre, where the
// application's window is, as far as the screen allows.
static const int kWindowX = 1100, kWindowY = 40;


static BenchFloorRecord* FloorRecord(const char* mode) {
  char name[64];
  wsprintfA(name, "%s%s", BenchFloorMapping, mode);
  HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
  return mapping ? (BenchFloorRecord*)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : NULL;
}

static std::string FloorFile(const BenchSetup& s, int screen) {
  return s.workDir + (screen ? "floor_screen.bmp" : "floor_window.bmp");
}

int StartFloors(BenchSetup& s) {
  s.backdrop = Launch(s.benchDir + "raw_floor.exe", "screen \"" + FloorFile(s, 1) + "\"");
  bool up = WaitFor([&] {
    s.backdropWindow = FindProcessWindow(BenchFloorClass, BenchBackdropTitle, s.backdrop.pid);
    return s.backdropWindow != NULL && IsWindowVisible(s.backdropWindow);
  }, kDeadline);
  if (!up) return Fail("the backdrop did not show");
  return StartFloorWindow(s, s.benchDir + "raw_floor.exe");
}

int StartFloorWindow(BenchSetup& s, const std::string& exe) {
  Kill(s.window);
  s.benchWindow = NULL;
  char args[400];
  wsprintfA(args, "window %d %d \"%s\"", kWindowX, kWindowY, FloorFile(s, 0).c_str());
  s.window = Launch(exe, args);
  bool up = WaitFor([&] {
    s.benchWindow = FindProcessWindow(BenchFloorClass, BenchWindowTitle, s.window.pid);
    return s.benchWindow != NULL && IsWindowVisible(s.benchWindow);
  }, kDeadline);
  return up ? 1 : Fail("the 800 x 600 window did not show");
}

int ShowBackdrop(const BenchSetup& s, int on) {
  ShowWindow(s.backdropWindow, on ? SW_SHOWNOACTIVATE : SW_HIDE);
  bool done = WaitFor([&] {
    return on ? IsWindowVisible(s.backdropWindow) && !GetUpdateRect(s.backdropWindow, NULL, FALSE)
              : !IsWindowVisible(s.backdropWindow);
  }, kDeadline);
  // One round trip more: the backdrop's program is back at its queue, its picture drawn.
  SendWithin(s.backdropWindow, WM_NULL, 0, 0, kDeadline);
  return done ? 1 : Fail("the backdrop did not change");
}

// Moves the cursor to p and waits until it is there.
static bool PlaceCursor(POINT p) {
  MoveMouseTo(p.x, p.y);
  return WaitFor([&] {
    POINT at;
    GetCursorPos(&at);
    return abs(at.x - p.x) <= 1 && abs(at.y - p.y) <= 1;
  }, kDeadline);
}

// Wine answers an injected move by warping the X pointer, and the echo of an
// earlier move can put the cursor back where it was: place it, let the program
// under it take two sent messages (which come after the input already queued),
// and place it again until it stays.
static bool PlaceCursorSettled(POINT p) {
  return WaitFor([&] {
    if (!PlaceCursor(p)) return false;
    HWND under = WindowFromPoint(p);
    SendWithin(under, WM_NULL, 0, 0, kDeadline);
    SendWithin(under, WM_NULL, 0, 0, kDeadline);
    POINT at;
    GetCursorPos(&at);
    return abs(at.x - p.x) <= 1 && abs(at.y - p.y) <= 1;
  }, kDeadline);
}

static POINT WindowCentre(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  return p;
}

static bool MaskShown(const BenchSetup& s) {
  return s.shared != NULL && s.shared->glhMaskWnd != NULL && IsWindowVisible(s.shared->glhMaskWnd);
}

int RunFloor(BenchSetup& s, int screen, double* ms, double steps[3]) {
  static BenchFloorRecord* records[2];
  BenchFloorRecord*& record = records[screen ? 1 : 0];
  if (record == NULL) record = FloorRecord(screen ? "screen" : "window");
  if (record == NULL) return Fail("no floor record");
  if (MaskShown(s)) return Fail("the mask is shown");
  std::string file = FloorFile(s, screen);
  DeleteFileA(file.c_str());
  // On the backdrop: a corner clear of every other window.
  POINT at = {100, GetSystemMetrics(SM_CYSCREEN) - 80};
  if (!screen) at = WindowCentre(s.benchWindow);
  if (!PlaceCursorSettled(at)) return Fail("the cursor did not arrive");
  LONG before = record->captures;
  double start = NowMs();
  RightClick();
  bool done = WaitFor([&] { return BmpFileComplete(file); }, kFileDeadline);
  *ms = NowMs() - start;
  if (!done) {
    char why[200], name[64] = "";
    HWND under = WindowFromPoint(at);
    GetClassNameA(under, name, sizeof(name));
    GUITHREADINFO gui;
    ZeroMemory(&gui, sizeof(gui));
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(0, &gui);
    char captureName[64] = "";
    if (gui.hwndCapture) GetClassNameA(gui.hwndCapture, captureName, sizeof(captureName));
    wsprintfA(why, "no floor file: the window under the cursor is a %s, the capture is with %s", name,
              gui.hwndCapture ? captureName : "nobody");
    return Fail(why);
  }
  if (!WaitFor([&] { return record->captures != before; }, kDeadline)) return Fail("no floor record update");
  steps[0] = record->grabMs;
  steps[1] = record->convertMs;
  steps[2] = record->writeMs;
  return 1;
}

static int SendCommand(BenchSetup& s, WPARAM command) {
  return SendWithin(s.appWindow, WM_COMMAND, command, 0, kDeadline) == 0 ? 1 : 0;
}

// Waits until the mask has painted what the last input changed and its thread has
// answered a message, so that a click comes to an idle application.
static bool SettleMask(const BenchSetup& s) {
  HWND mask = s.shared->glhMaskWnd;
  if (!WaitFor([&] { return !GetUpdateRect(mask, NULL, FALSE); }, kDeadline)) return false;
  SendWithin(mask, WM_NULL, 0, 0, kDeadline);
  return true;
}

// A left-button drag from one screen point to another over the mask.
static bool Drag(POINT from, POINT to) {
  if (!PlaceCursorSettled(from)) return false;
  MouseEvent(MOUSEEVENTF_LEFTDOWN);
  POINT middle = {(from.x + to.x) / 2, (from.y + to.y) / 2};
  if (!PlaceCursorSettled(middle) || !PlaceCursorSettled(to)) return false;
  MouseEvent(MOUSEEVENTF_LEFTUP);
  return true;
}

// A drag whose corner lies on no monitor, where the cursor cannot go (the corner of
// a virtual screen that the monitors do not fill): the mask is sent the messages
// the system would send it for that drag.
static bool DragByMessages(HWND mask, POINT from, POINT to) {
  ScreenToClient(mask, &from);
  ScreenToClient(mask, &to);
  SendWithin(mask, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y), kDeadline);
  SendWithin(mask, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2), kDeadline);
  SendWithin(mask, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y), kDeadline);
  SendWithin(mask, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y), kDeadline);
  return true;
}

static bool OnMonitor(POINT p) { return MonitorFromPoint(p, MONITOR_DEFAULTTONULL) != NULL; }

int ArmOverWindow(BenchSetup& s, double* reached) {
  static BenchFloorRecord* record;
  if (record == NULL) record = FloorRecord("window");
  if (record == NULL) return Fail("no floor record");
  if (!SendCommand(s, IDM_WINDOWCOPY)) return Fail("WindowCopy not answered");
  // The window's thread has finished whatever message it was in: every move it
  // counts from here was retrieved through the armed hook.
  SendWithin(s.benchWindow, WM_NULL, 0, 0, kDeadline);
  LONG movesAtArm = record->moves;
  POINT centre = WindowCentre(s.benchWindow);
  int nudge = 0;
  // The move that changes the target may be dropped: keep moving until the hook has
  // taken the window and the mask lies over it. The hook runs before the window
  // receives a move, so a window that has received two moves while the hook has not
  // taken it is one the hook does not reach (a 64-bit program where the system does
  // not call a 32-bit hook for it).
  bool taken = false;
  bool settled = WaitFor([&] {
    MoveMouseTo(centre.x + (nudge++ % 3), centre.y);
    taken = s.shared->glhTargetWnd == s.benchWindow && MaskShown(s);
    return taken || (record->moves - movesAtArm >= 2 && s.shared->glhTargetWnd != s.benchWindow);
  }, kDeadline);
  if (!settled) return Fail("the hook did not take the window");
  *reached = taken ? 1 : 0;
  if (!PlaceCursor(centre)) return Fail("the cursor did not arrive");
  return !taken || SettleMask(s) ? 1 : Fail("the mask did not settle");
}

// The largest RectCopy selection, on the screen: from the mask's client origin to
// the last pixel of its client area on the screen (its frame lies over the
// screen's outer pixels), which the drag ends on and the picture leaves out.
static RECT LargestSelection(const BenchSetup& s) {
  int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int w = x + GetSystemMetrics(SM_CXVIRTUALSCREEN), h = y + GetSystemMetrics(SM_CYVIRTUALSCREEN);
  RECT client;
  GetClientRect(s.shared->glhMaskWnd, &client);
  MapWindowPoints(s.shared->glhMaskWnd, NULL, (POINT*)&client, 2);
  RECT r = {client.left > x ? client.left : x, client.top > y ? client.top : y,
            (client.right < w ? client.right : w) - 1, (client.bottom < h ? client.bottom : h) - 1};
  return r;
}

// Arms the capture of that kind and brings it to the moment before the right-click.
static bool Prepare(BenchSetup& s, const char* kind) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  double reached = 0;
  if (lstrcmpA(kind, "window") == 0) return ArmOverWindow(s, &reached) != 0 && reached == 1;
  bool rect = lstrcmpA(kind, "rect") == 0;
  if (!rect && lstrcmpA(kind, "draw") != 0) return false;
  if (!SendCommand(s, rect ? IDM_RECTCOPY : IDM_DRAWCOPY)) return Fail("the command was not answered");
  if (!WaitFor([&] { return MaskShown(s); }, kDeadline)) return Fail("the mask did not show");
  // RectCopy: the largest selection the mask's client area takes on the screen
  // (its frame lies over the screen's outer pixels). DrawCopy: one line, away
  // from the tips panel in the top-left corner.
  RECT selection = LargestSelection(s);
  POINT from = {selection.left, selection.top}, to = {selection.right, selection.bottom};
  if (!rect) {
    from.x = w * 3 / 8, from.y = h / 2;
    to.x = w / 2, to.y = h * 2 / 3;
  }
  bool dragged = OnMonitor(from) && OnMonitor(to) ? Drag(from, to) : DragByMessages(s.shared->glhMaskWnd, from, to);
  if (!dragged) return Fail("the drag did not arrive");
  return SettleMask(s) ? true : Fail("the mask did not settle");
}

int RunCapture(BenchSetup& s, const char* kind, int jpeg, double* toTemp, double* toOutput, int* width,
               int* height) {
  const char* pattern = jpeg ? "PIC_*.jpg" : "PIC_*.bmp";
  RemoveMatches(s.outputDir, "PIC_*");
  if (!WaitFor([&] { return DeleteFileA(s.tempPath.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND; },
               kDeadline))
    return Fail("the temporary file cannot be removed");
  if (!Prepare(s, kind)) return Fail("the capture could not be prepared");

  double start = NowMs();
  RightClick();
  *toTemp = *toOutput = 0;
  std::string output;
  bool done = WaitFor([&] {
    if (*toTemp == 0 && BmpFileComplete(s.tempPath)) *toTemp = NowMs() - start;
    if (output.empty()) output = FirstMatch(s.outputDir, pattern);
    if (!output.empty() && (jpeg ? JpegFileComplete(output) : BmpFileComplete(output)))
      *toOutput = NowMs() - start;
    return *toTemp != 0 && *toOutput != 0;
  }, kFileDeadline);
  // The output stage runs after the temporary file is closed, so a very quick
  // output may be seen first; the temporary file was complete by then.
  if (*toTemp == 0 || *toTemp > *toOutput) *toTemp = *toOutput;
  BmpSize(s.tempPath, width, height);
  if (!done) return Fail(*toTemp == 0 ? "no temporary file" : "no output file");
  return 1;
}

int SetNullHook(const BenchSetup& s, int on) {
  static HHOOK hook;
  if (!on) {
    if (hook != NULL) UnhookWindowsHookEx(hook);
    hook = NULL;
    return 1;
  }
  HMODULE module = LoadLibraryA((s.benchDir + "null_hook.dll").c_str());
  HOOKPROC proc = module ? (HOOKPROC)(void*)GetProcAddress(module, "NullMouseHook") : NULL;
  if (proc == NULL) return Fail("no null_hook.dll");
  if (hook == NULL) hook = SetWindowsHookExA(WH_MOUSE, proc, module, 0);
  return hook != NULL ? 1 : Fail("SetWindowsHookEx failed");
}

int RunMoves(BenchSetup& s, int count, double* ms, double* received) {
  static HANDLE event;
  static BenchFloorRecord* record;
  if (event == NULL) event = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, BenchMoveEvent);
  if (record == NULL) record = FloorRecord("window");
  if (event == NULL || record == NULL) return Fail("no move event or record");
  POINT centre = WindowCentre(s.benchWindow);
  if (!PlaceCursorSettled(centre)) return Fail("the cursor did not arrive");
  LONG first = record->moves;
  double start = NowMs();
  for (int i = 0; i < count; i++) {
    // Every move goes somewhere else within the window's client area, and the next
    // is sent once the window has had a move message after it. Wine echoes moves
    // through the X pointer and may merge a move with its echo, so the message that
    // arrives is not always the one sent: any move that follows the send counts.
    LONG before = record->moves;
    MoveMouseTo(centre.x + (i % 2 ? 9 : -9) + i % 7, centre.y + i % 5);
    while (record->moves == before)
      if (WaitForSingleObject(event, 5000) != WAIT_OBJECT_0) return Fail("a move did not arrive");
  }
  *ms = NowMs() - start;
  *received = (double)(record->moves - first);
  return 1;
}

int CompareRectWithScreen(const BenchSetup& s, double* differing, double* total) {
  BmpFile bmp = ReadBmpFile(s.tempPath.c_str());
  RECT r = LargestSelection(s);
  if (!bmp.ok || bmp.width != r.right - r.left || bmp.height != r.bottom - r.top)
    return Fail("the picture is not the largest selection");
  ScreenPixels screen = GrabPixels(NULL, r);
  long off = 0;
  RECT where = {bmp.width, bmp.height, 0, 0};  // the differing pixels' bounds, in the picture
  for (int y = 0; y < bmp.height; y++)
    for (int x = 0; x < bmp.width; x++)
      if (bmp.Pixel(x, y) != screen.At(r.left + x, r.top + y)) {
        off++;
        RECT pixel = {x, y, x + 1, y + 1};
        UnionRect(&where, off == 1 ? &pixel : &where, &pixel);
      }
  if (off > 0) {
    char why[160];
    wsprintfA(why, "%ld pixels of the picture unlike the screen, within (%ld, %ld)-(%ld, %ld) on the screen", off,
              where.left + r.left, where.top + r.top, where.right + r.left, where.bottom + r.top);
    Fail(why);
  }
  *differing = (double)off;
  *total = (double)bmp.width * bmp.height;
  return 1;
}
