// Other programs as the source of input: a program that maps Vistrel.dll (this
// test) fills the shared record with junk at chosen moments, and a suspended
// application while a hooked program looks for targets. The application neither
// crashes nor touches a window the record names; hooked programs never wait on it
// for long; drawings, captures and exit work.
#include "tests/reliability/app_fixture.h"
#include <tlhelp32.h>

// The state of a window that nothing of Vistrel may change.
struct WindowState {
  RECT rect = {0, 0, 0, 0};
  LONG style = 0, exStyle = 0;
  BOOL visible = FALSE;
  int regionType = ERROR;
  bool operator==(const WindowState& o) const {
    return EqualRect(&rect, &o.rect) && style == o.style && exStyle == o.exStyle && visible == o.visible &&
           regionType == o.regionType;
  }
};

static WindowState StateOf(HWND window) {
  WindowState s;
  GetWindowRect(window, &s.rect);
  s.style = GetWindowLongA(window, GWL_STYLE);
  s.exStyle = GetWindowLongA(window, GWL_EXSTYLE);
  s.visible = IsWindowVisible(window);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  s.regionType = GetWindowRgn(window, region);
  DeleteObject(region);
  return s;
}

// Where the module of that name lies in the process, or null.
static BYTE* ModuleBase(DWORD pid, const char* moduleName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return NULL;
  MODULEENTRY32 entry;
  entry.dwSize = sizeof(entry);
  BYTE* base = NULL;
  for (BOOL more = Module32First(snapshot, &entry); more && base == NULL; more = Module32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szModule, moduleName) == 0) base = entry.modBaseAddr;
  CloseHandle(snapshot);
  return base;
}

class HostileRecordTest : public AppFixture {
 protected:
  HostileRecordTest() { area = "Bad input"; }

  // Junk in every field but the mode, the flag and the current tool and colour:
  // another program's window as the main window, the target, the mask and the
  // palette; no instance; the hook, class atoms and GDI handles pointing into the
  // record; and the record's fields 12 to 20 laid out as a list whose header and
  // only object are field 12 and whose object is linked to itself (the library lies
  // at the same address in the application, so these are addresses there too).
  static void FillWithJunk(SharedCaptureState* r, HWND foreign) {
    void* self = &r->glCopyToClipboard;
    r->glhHook = (HHOOK)&r->glhHook;
    r->glhMainWnd = foreign;
    r->glhTargetWnd = foreign;
    r->glhMaskWnd = foreign;
    r->glhDrawToolsWnd = foreign;
    r->glhInstance = NULL;
    r->glhAppInstance = (HINSTANCE)&r->glhAppInstance;
    r->glMaskWndClass = 0xC0DE;
    r->glDrawToolsWndClass = 0xC0DF;
    r->glCopyToClipboard = 0;  // the list's count and the object's kind
    r->glhPaletteBmp = (HBITMAP)self;  // the list's head,
    r->glhPaletteDC = (HDC)self;       // current
    r->glhTipsBmp = (HBITMAP)self;     // and tail
    r->glhTipsDC = (HDC)self;
    r->glCurDrawObj = (DrawObj*)self;    // the object's prev
    r->glDrawObjList = (DrawObjList*)self;  // and next
  }
};

// Before arming, between drawing and the capture, before StopHook.
TEST_F(HostileRecordTest, JunkInTheRecordNeitherCrashesNorSteersTheApplication) {
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  Target& t = StartTarget(100, 200, 400, 300);
  Target& victim = StartTarget(600, 150, 300, 250);
  ASSERT_FALSE(HasFailure());
  ASSERT_EQ(ModuleBase(app.pid, "Vistrel.dll"), (BYTE*)lib) << "the record lies elsewhere in the application";
  const WindowState untouched = StateOf(victim.window);
  int moments = 0, steady = 0, worked = 0;
  std::string off;
  auto check = [&](const char* moment, bool capture) {
    moments++;
    bool same = StateOf(victim.window) == untouched, alive = Alive(app) && Answers(main) && Alive(victim.process);
    EXPECT_TRUE(same) << moment << ": the window the record named was changed";
    steady += same && alive;
    worked += capture;
    if (!same || !alive || !capture) off += std::string(off.empty() ? "" : ", ") + moment;
  };

  // Before arming: the next control and window captures are whole.
  FillWithJunk(rec, victim.window);
  bool control = CaptureControl(t, 1);
  EXPECT_TRUE(control);
  check("before ControlCopy", control);
  FillWithJunk(rec, victim.window);
  bool window = CaptureWindow(t);
  EXPECT_TRUE(window);
  check("before WindowCopy", window);

  // Between drawing and the capture: the line is in the picture of the whole screen.
  rec->glCurDrawTool = 1;
  rec->glCurColor = RGB(255, 0, 0);
  POINT a = ClientPoint(t, 40, 115), b = ClientPoint(t, 240, 115);
  ASSERT_TRUE(ArmOverScreen(IDM_DRAWCOPY, DrawCopy, b));
  DragOnScreen(a, b, main, 4);
  // The release has been taken once the object is in the list the record shows.
  ASSERT_TRUE(WaitUntil([&] { return rec->glDrawObjList != NULL && rec->glCurDrawObj == NULL; }, Timeout));
  FillWithJunk(rec, victim.window);
  RightClickAt(b);
  BmpFile bmp;
  int red = 0;
  if (TakeOneOutput(&bmp))
    for (int x = a.x; x < b.x; x++)
      for (int y = a.y - 3; y <= a.y + 3; y++) red += bmp.Pixel(x, y) == RGB(255, 0, 0);
  bool drawing = bmp.ok && bmp.width == GetSystemMetrics(SM_CXSCREEN) && red >= (b.x - a.x) / 4;
  EXPECT_TRUE(drawing) << bmp.width << " wide, " << red << " red pixels";
  check("between drawing and capture", drawing);

  // The mode written over while RectCopy and DrawCopy are armed: the hook on the
  // application's thread passes the right-click on to the mask, which takes the
  // selection, or the screen with the drawing.
  for (CaptureMode armed : {RectCopy, DrawCopy}) {
    POINT c = armed == RectCopy ? ClientPoint(t, 10, 10) : a, d = armed == RectCopy ? ClientPoint(t, 150, 110) : b;
    ASSERT_TRUE(ArmOverScreen(armed == RectCopy ? IDM_RECTCOPY : IDM_DRAWCOPY, armed, d));
    rec->glCaptureMode = armed == RectCopy ? ControlCopy : WindowCopy;
    DragOnScreen(c, d, main, 4);
    RightClickAt(d);
    red = 0;
    bool taken = TakeOneOutput(&bmp);
    for (int x = a.x; x < b.x && armed == DrawCopy; x++)
      for (int y = a.y - 3; y <= a.y + 3; y++) red += bmp.Pixel(x, y) == RGB(255, 0, 0);
    taken = taken && (armed == RectCopy ? bmp.width > 100 && bmp.width <= 140 && bmp.height > 70 && bmp.height <= 100
                                        : bmp.width == GetSystemMetrics(SM_CXSCREEN) && red >= (b.x - a.x) / 4);
    EXPECT_TRUE(taken) << "mode " << armed << ": " << bmp.width << " x " << bmp.height << ", " << red << " red";
    check(armed == RectCopy ? "mode written in RectCopy" : "mode written in DrawCopy", taken);
  }

  // Before StopHook: the exit command and WM_DESTROY release nothing the record names.
  FillWithJunk(rec, victim.window);
  DWORD code = 1;
  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, IDM_EXIT, 0));
  bool exited = WaitForExit(app, Timeout, &code) && code == 0;
  if (!exited) tally.crashes++;
  EXPECT_TRUE(exited) << "exit code " << code;
  moments++;
  bool same = StateOf(victim.window) == untouched && Alive(victim.process);
  EXPECT_TRUE(same);
  steady += same && exited;
  worked += exited;
  if (!same || !exited) off += std::string(off.empty() ? "" : ", ") + "before StopHook";
  main = NULL;

  RecordTrial(Row("Another program that maps Vistrel.dll fills the shared record with junk (another program's "
                  "window as main window, target, mask and palette; no instance; the hook, class atoms and GDI "
                  "handles pointing into the record; the draw-object list and object under construction a list in "
                  "the record whose object is linked to itself): before arming ControlCopy and WindowCopy, between "
                  "drawing and the DrawCopy capture, before the exit's StopHook; and another mode written alone "
                  "while RectCopy and DrawCopy are armed",
                  moments,
                  "the application neither crashes nor hangs; the named window keeps its place, size, styles, "
                  "region and visibility; the captures are whole (the drawing in the picture, the selection as "
                  "dragged); the exit gives 0",
                  std::to_string(steady) + " of " + std::to_string(moments) + " moments left the window and the "
                      "application as they were, " + std::to_string(worked) + " of " + std::to_string(moments) +
                      " captures or exits worked" + (off.empty() ? "" : " (off: " + off + ")")));
}

class SuspendedApplicationTest : public AppFixture {
 protected:
  bool suspended = false;
  SuspendedApplicationTest() { area = "Fault"; }
  void TearDown() override {
    if (suspended) SetSuspended(app.pid, false);
    AppFixture::TearDown();
  }
  // Posts the target a message only its message loop takes (a hook call holding the
  // thread holds it back) and waits for it to be taken; the time it took, or -1.
  long TakesPosted(const Target& t) {
    LRESULT before = TargetSaw(t, WM_QUEUESYNC);
    DWORD start = GetTickCount();
    PostMessageA(t.window, WM_QUEUESYNC, 0, 0);
    if (WaitUntil([&] { return TargetSaw(t, WM_QUEUESYNC) > before; }, 5000)) return (long)(GetTickCount() - start);
    tally.hangs++;
    return -1;
  }
};

// While the application is suspended, the mouse crosses controls of a target in
// ControlCopy; the hook in the target tells the application of each new one. The
// hook holds the target at most a quarter of a second once, then not at all: the
// time a message posted to the target after each new target waits is measured;
// resumed, the application takes the next capture.
// The application is suspended armed but before its mask was ever shown. Under Wine
// a window shown under the pointer gets an enter event, which its program turns
// into a move to that point when it reads it; suspended before it did, the resumed
// application would move the pointer back onto the control the mask was over.
TEST_F(SuspendedApplicationTest, HookedProgramKeepsRunningAndTheNextCaptureWorks) {
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  Target& t = StartTarget(100, 200, 400, 300);
  ASSERT_FALSE(HasFailure());
  ASSERT_TRUE(Arm(IDM_CONTROLCOPY, ControlCopy));
  ASSERT_FALSE(IsWindowVisible(rec->glhMaskWnd));

  SetSuspended(app.pid, true);
  suspended = true;
  const int order[] = {1, 2, 1, 2};
  int changes = 0, answered = 0;
  long first = -1, later = 0;
  for (int k : order) {
    POINT at = SwatchCentre(t, k);
    HWND control = ChildWindowFromPoint(t.window, POINT{TargetSwatchRects[k].left + 5, TargetSwatchRects[k].top + 5});
    int nudge = 0;
    bool taken = WaitUntil([&] {
      MoveMouseTo(at.x + (nudge++ % 3), at.y);
      return rec->glhTargetWnd == control;
    }, Timeout);
    EXPECT_TRUE(taken) << "the hook did not take control " << k << " for the target";
    changes += taken;
    long took = TakesPosted(t);
    EXPECT_GE(took, 0) << "the target stopped taking its queue at control " << k;
    answered += took >= 0;
    if (first < 0)
      first = took;
    else if (took > later)
      later = took;
  }
  // Held once, at most the bound (250 ms), then not at all while the application is silent.
  EXPECT_LE(first, 400) << "the first new target held the target too long";
  EXPECT_LE(later, 150) << "a new target held the target after the first";
  EXPECT_TRUE(Alive(t.process));
  EXPECT_TRUE(Alive(app));

  SetSuspended(app.pid, false);
  suspended = false;
  // Suspended for more than five seconds, the application counts as hung until it
  // next looks at its queue: SMTO_ABORTIFHUNG returns at once until then.
  bool answers = WaitUntil([&] {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, AnswerTime, &result) != 0;
  }, Timeout);
  EXPECT_TRUE(answers) << "the application did not answer after the resume";
  // What the hook sent meanwhile is handled: the mask follows the last new target.
  bool follows = WaitUntil([&] { return MaskOver(SwatchScreenRect(t, order[3])); }, Timeout);
  EXPECT_TRUE(follows) << "the mask did not follow the target after the resume";
  bool next = answers && follows && CaptureControl(t, 0);
  EXPECT_TRUE(next) << "the capture after the resume failed";
  RecordTrial(Row("Vistrel.exe suspended once ControlCopy is armed, before its mask is first shown; the mouse "
                  "crosses controls of a target, whose hook tells the application of each new one; then the "
                  "application is resumed",
                  changes,
                  "the target keeps taking its queue (a posted message is taken within 400 ms after the first new "
                  "target, within 150 ms after each later one); "
                  "after the resume the mask follows the last target and the next capture is the control",
                  std::to_string(answered) + " of " + std::to_string(changes) + " new targets left the target "
                      "answering, the first after " + std::to_string(first) + " ms, the others within " +
                      std::to_string(later) + " ms; after the resume the " +
                      (follows ? "mask followed, " : "mask did not follow, ") + "next capture " +
                      (next ? "whole" : "failed")));
}
