// Fast mouse movement across six foreign programs while a capture is armed: no
// target crashes or hangs, every change of window is tracked (the hook's target and
// the mask follow), and after the exit command the targets go on with the hook gone.
//   VISTREL_STORM_SECONDS: how long the storm lasts (make soak: 300).
#include "tests/reliability/app_fixture.h"

static const int TargetCount = 6;

// A small generator of its own, so that every run moves the same way.
static unsigned NextRandom(unsigned* state) {
  *state = *state * 1103515245u + 12345u;
  return (*state >> 16) & 0x7FFF;
}

class StormTest : public AppFixture {
 protected:
  unsigned seed = 20240601;
  long moves = 0, changes = 0, untracked = 0;

  void StartTargets() {
    // Three above and three below the main window, which sits in the middle.
    const POINT at[TargetCount] = {{20, 40}, {440, 40}, {860, 40}, {20, 620}, {440, 620}, {860, 620}};
    for (const POINT& p : at) {
      StartTarget(p.x, p.y, 400, 300);
      ASSERT_FALSE(HasFailure());
    }
  }

  // A random point of a random target: on one of its controls or on its client colour.
  POINT RandomPoint(int* targetIndex, int* part) {
    *targetIndex = NextRandom(&seed) % TargetCount;
    *part = NextRandom(&seed) % 4;  // 0..2 a control, 3 the client area
    const Target& t = targets[*targetIndex];
    if (*part < 3) {
      const RECT& r = TargetSwatchRects[*part];
      return ClientPoint(t, r.left + 5 + NextRandom(&seed) % (r.right - r.left - 10),
                         r.top + 5 + NextRandom(&seed) % (r.bottom - r.top - 10));
    }
    return ClientPoint(t, 300 + NextRandom(&seed) % 60, 240 + NextRandom(&seed) % 20);
  }

  // The window a point of (target, part) makes the target in the mode, and where the mask lies then.
  HWND Expected(CaptureMode mode, int targetIndex, int part, RECT* visible) {
    const Target& t = targets[targetIndex];
    if (mode == ControlCopy && part < 3) {
      *visible = SwatchScreenRect(t, part);
      return GetDlgItem(t.window, 100 + part);
    }
    *visible = WindowRect(t.window);
    return t.window;
  }

  // Bursts of fast moves, each ending on a window other than the last one, for
  // seconds; after each burst the target and the mask must follow to that window.
  void Storm(CaptureMode mode, UINT command, DWORD seconds) {
    ASSERT_TRUE(Arm(command, mode));
    DWORD start = GetTickCount();
    HWND last = NULL;
    int bursts = 0;
    while (GetTickCount() - start < seconds * 1000) {
      int index = 0, part = 0;
      for (int i = 0; i < 12; i++) {
        POINT p = RandomPoint(&index, &part);
        MoveMouseTo(p.x, p.y);
        moves++;
      }
      RECT visible;
      POINT p;
      HWND want;
      do {
        p = RandomPoint(&index, &part);
        want = Expected(mode, index, part, &visible);
      } while (want == last);
      MoveMouseTo(p.x, p.y);
      moves++;
      int nudge = 0;
      bool tracked = WaitUntil([&] {
        if (rec->glhTargetWnd == want && MaskOver(visible)) return true;
        MoveMouseTo(p.x + (++nudge % 3), p.y);  // the move that changes target may be dropped
        moves++;
        return false;
      }, Timeout);
      changes++;
      if (!tracked) {
        untracked++;
        ADD_FAILURE() << "change " << changes << " to window " << want << " not tracked";
      }
      last = want;
      // Now and then: everybody still runs and answers.
      if (++bursts % 20 == 0) {
        for (const Target& t : targets)
          if (!Alive(t.process) || TargetSaw(t, WM_MOUSEMOVE) < 0) return;
        if (!Alive(app) || !Answers(main)) return;
      }
    }
  }
};

TEST_F(StormTest, SixTargetsKeepRunningAndEveryChangeIsTracked) {
  DWORD seconds = (DWORD)CountFromEnvironment("VISTREL_STORM_SECONDS", 60);
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  StartTargets();
  ASSERT_FALSE(HasFatalFailure());
  Census appBefore = TakeCensus(app.handle, app.pid);

  Storm(WindowCopy, IDM_WINDOWCOPY, seconds / 2);
  Storm(ControlCopy, IDM_CONTROLCOPY, seconds - seconds / 2);
  Census appAfter = TakeCensus(app.handle, app.pid);
  int alive = 0;
  for (const Target& t : targets) alive += Alive(t.process) && TargetSaw(t, WM_MOUSEMOVE) > 0;
  EXPECT_EQ(alive, TargetCount);
  EXPECT_EQ(untracked, 0);
  EXPECT_TRUE(Answers(main));

  Trial storm;
  storm.area = "Load";
  storm.tried = "Fast mouse movement across six Target.exe processes, half the time armed in WindowCopy, half in "
                "ControlCopy, for " + std::to_string(seconds) + " s (" + std::to_string(moves) + " moves)";
  storm.times = changes;
  storm.checked = "after each burst of moves the hook's target and the mask lie on the window the burst ended "
                  "on; every target and the application answer messages throughout";
  storm.figures = std::to_string(changes - untracked) + " of " + std::to_string(changes) +
                  " changes of window tracked; " + std::to_string(alive) + " of 6 targets running and answering; "
                  "application " + DescribeCensusChange(appBefore, appAfter);
  storm.crashes = tally.crashes;
  storm.hangs = tally.hangs;
  storm.badFiles = 0;
  RecordTrial(storm);

  // The exit command: the application ends with 0, the hook goes with it.
  Tally before = tally;
  ExitApp();
  EXPECT_TRUE(rec->glhHook == NULL);
  long moved = 0, clicked = 0;
  for (const Target& t : targets) {
    if (!Alive(t.process)) continue;
    LRESULT movesBefore = TargetSaw(t, WM_MOUSEMOVE), pressesBefore = TargetSaw(t, WM_RBUTTONDOWN);
    POINT p = SwatchCentre(t, 1);
    // Moves and a right-click reach the target itself, and nothing is captured.
    bool reached = WaitUntil([&] {
      MoveMouseTo(p.x + (int)(moved % 3), p.y);
      return TargetSaw(t, WM_MOUSEMOVE) > movesBefore;
    }, Timeout);
    moved += reached;
    RightClickAt(p);
    clicked += WaitUntil([&] { return TargetSaw(t, WM_RBUTTONDOWN) == pressesBefore + 1; }, Timeout);
  }
  EXPECT_EQ(moved, TargetCount);
  EXPECT_EQ(clicked, TargetCount);
  bool noCapture = !FileExists(tempPath);
  EXPECT_TRUE(noCapture);

  Trial exit;
  exit.area = "Load";
  exit.tried = "Exit command after the storm, then moves and a right-click on each of the six targets";
  exit.times = TargetCount;
  exit.checked = "the application ends with code 0 and unhooks; every target runs on and receives the moves and the "
                 "right-click itself; no capture is taken";
  exit.figures = std::to_string(moved) + " targets saw the moves, " + std::to_string(clicked) +
                 " saw the right-click; temporary file " + (noCapture ? "absent" : "written");
  exit.crashes = tally.crashes - before.crashes;
  exit.hangs = tally.hangs - before.hangs;
  exit.badFiles = noCapture ? 0 : 1;
  RecordTrial(exit);
}
