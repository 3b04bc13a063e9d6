// Many captures in a row in each mode with real input: every capture gives exactly
// one correct output file equal to the temporary file, and once the first ten are
// done the GDI objects, handles and private memory of the application (and of the
// target, where window and control captures run) stay flat.
//   VISTREL_SOAK_CAPTURES: captures per mode (make soak: 300).
#include <stdio.h>
#include <algorithm>
#include "tests/reliability/app_fixture.h"

static const int Warmup = 10;
static const COLORREF LineColour = RGB(255, 0, 0);
// The point the drag from a to b reached after step s of steps (b at the last).
static POINT DragStep(POINT a, POINT b, int s, int steps) {
  return s == steps ? b : POINT{a.x + (b.x - a.x) * s / steps, a.y + (b.y - a.y) * s / steps};
}

// Pixels of the picture (whose top-left lies at the screen point origin) that differ
// from the screen now, outside skip.
static long DifferencesFromScreen(const BmpFile& bmp, POINT origin, RECT skip, RECT skip2 = RECT{0, 0, 0, 0}) {
  RECT area = {origin.x, origin.y, origin.x + bmp.width, origin.y + bmp.height};
  ScreenShot shot = GrabScreen(area);
  long differ = 0;
  RECT box = {bmp.width, bmp.height, 0, 0};
  for (int y = 0; y < bmp.height; y++)
    for (int x = 0; x < bmp.width; x++) {
      POINT p = {origin.x + x, origin.y + y};
      if (!PtInRect(&skip, p) && !PtInRect(&skip2, p) && bmp.Pixel(x, y) != shot.At(p.x, p.y)) {
        if (differ < 3) printf("  differ at %d,%d: file %06lx screen %06lx\n", x, y, bmp.Pixel(x, y), shot.At(p.x, p.y));
        differ++;
        box.left = std::min(box.left, (LONG)x), box.top = std::min(box.top, (LONG)y);
        box.right = std::max(box.right, (LONG)x + 1), box.bottom = std::max(box.bottom, (LONG)y + 1);
      }
    }
  if (differ) printf("  differing pixels within (%ld,%ld)-(%ld,%ld)\n", box.left, box.top, box.right, box.bottom);
  return differ;
}

// How much a count may rise between capture Warmup and the last one without being
// a leak. A leak of one object, one handle or 100 KB per capture exceeds these
// over the ten captures after the warm-up that even `make test` takes.
static const long GdiSlack = 2;
static const long HandleSlack = 4;
static const long long MemorySlack = 1 << 20;

struct Growth {
  Census first, last;
  long Leaks() const {
    return (last.gdiObjects - first.gdiObjects > GdiSlack) + (last.handles - first.handles > HandleSlack) +
           (last.privateBytes - first.privateBytes > MemorySlack) + (last.windows != first.windows);
  }
};

class SoakTest : public AppFixture {
 protected:
  Target* target = NULL;
  long good = 0;
  long shortDrags = 0;  // drags whose end the program got short of b (Wine's input)

  void Begin() {
    StartApp();
    ASSERT_FALSE(HasFatalFailure());
    target = &StartTarget(100, 200, 400, 300);
    ASSERT_TRUE(target->window != NULL);
  }

  // One capture of the mode; i varies where and what. Returns whether the file was right.
  bool CaptureOnce(CaptureMode mode, int i) {
    switch (mode) {
      case WindowCopy: return WindowOnce(i);
      case ControlCopy: return ControlOnce(i);
      case RectCopy: return RectOnce(i);
      default: return DrawOnce(i);
    }
  }

  bool Check(bool ok, const char* what, int i) {
    if (!ok) {
      tally.badFiles++;
      ADD_FAILURE() << what << " at capture " << i;
    }
    return ok;
  }

  bool WindowOnce(int i) {
    if (!Arm(IDM_WINDOWCOPY, WindowCopy)) return Check(false, "arming", i);
    // Over a different part of the window each time: client, or one of the controls.
    POINT at = i % 4 == 3 ? ClientPoint(*target, 300, 250) : SwatchCentre(*target, i % 4);
    RECT window = WindowRect(target->window);
    if (!MoveOnto(at, window)) return Check(false, "mask over the window", i);
    RightClickAt(at);
    BmpFile bmp;
    if (!TakeOneOutput(&bmp)) return false;
    POINT client = ClientPoint(*target, 0, 0);
    int dx = client.x - window.left, dy = client.y - window.top;
    return Check(bmp.width == window.right - window.left && bmp.height == window.bottom - window.top &&
                     bmp.Pixel(dx + 5, dy + 5) == TargetClientColour &&
                     bmp.Pixel(dx + 30, dy + 30) == TargetSwatchColours[0] &&
                     bmp.Pixel(dx + 270, dy + 90) == TargetSwatchColours[1] &&
                     bmp.Pixel(dx + 270, dy + 220) == TargetSwatchColours[2],
                 "window picture", i);
  }

  bool ControlOnce(int i) {
    if (!Arm(IDM_CONTROLCOPY, ControlCopy)) return Check(false, "arming", i);
    int k = i % 3;
    POINT at = SwatchCentre(*target, k);
    if (!MoveOnto(at, SwatchScreenRect(*target, k))) return Check(false, "mask over the control", i);
    RightClickAt(at);
    BmpFile bmp;
    if (!TakeOneOutput(&bmp)) return false;
    const RECT& r = TargetSwatchRects[k];
    int w = r.right - r.left, h = r.bottom - r.top;
    return Check(bmp.width == w && bmp.height == h && bmp.Pixel(0, 0) == TargetSwatchColours[k] &&
                     bmp.Pixel(w - 1, h - 1) == TargetSwatchColours[k] &&
                     bmp.Pixel(w / 2, h / 2) == TargetSwatchColours[k],
                 "control picture", i);
  }

  // The file is the screen (as it shows once the mask is gone) within the rectangle
  // from the press to where the drag ended: b, or an earlier step where Wine lost
  // the last moves (counted).
  bool RectOnce(int i) {
    int d = i % 7;
    POINT a = ClientPoint(*target, 10 + d, 10 + d), b = ClientPoint(*target, 150 + d, 110 + d);
    // Either direction of drag.
    if (i % 2) std::swap(a, b);
    if (!ArmOverScreen(IDM_RECTCOPY, RectCopy, b)) return Check(false, "arming over the screen", i);
    // What of the drag reached the target below the mask instead, for the report.
    LRESULT down = TargetSaw(*target, WM_LBUTTONDOWN), moves = TargetSaw(*target, WM_MOUSEMOVE);
    DragOnScreen(a, b, main);
    down = TargetSaw(*target, WM_LBUTTONDOWN) - down;
    moves = TargetSaw(*target, WM_MOUSEMOVE) - moves;
    RightClickAt(b);
    BmpFile bmp;
    if (!TakeOneOutput(&bmp)) return false;
    int reached = 0;
    for (int s = 1; s <= 8 && !reached; s++) {
      POINT p = DragStep(a, b, s, 8);
      if (labs(p.x - a.x) == bmp.width && labs(p.y - a.y) == bmp.height) reached = s;
    }
    if (reached > 0 && reached < 8) shortDrags++;
    if (!reached)
      printf("RectCopy %d: %ldx%ld from (%ld,%ld) to (%ld,%ld); the target saw %ld presses, %ld moves\n", i, bmp.width,
             bmp.height, a.x, a.y, b.x, b.y, (long)down, (long)moves);
    if (!Check(reached > 0, "rectangle size", i)) return false;
    POINT end = DragStep(a, b, reached, 8);
    POINT origin = {std::min(a.x, end.x), std::min(a.y, end.y)};
    long differ = DifferencesFromScreen(bmp, origin, RECT{0, 0, 0, 0});
    // The rectangle lies within the target's client area, on its colour and its first control.
    long foreign = 0;
    for (int y = 0; y < bmp.height; y++)
      for (int x = 0; x < bmp.width; x++) {
        COLORREF c = bmp.Pixel(x, y);
        foreign += c != TargetClientColour && c != TargetSwatchColours[0];
      }
    if (differ || foreign) printf("RectCopy %d: %ld pixels differ from the screen, %ld foreign\n", i, differ, foreign);
    return Check(differ == 0 && foreign == 0, "rectangle picture", i);
  }

  bool DrawOnce(int i) {
    // The line tool in red, as the palette would leave them.
    rec->glCurDrawTool = 1;
    rec->glCurColor = LineColour;
    // Between the rows of controls, where the client colour lies; alternate rows
    // show that the last capture's line is gone.
    int y = i % 2 ? 110 : 120, other = i % 2 ? 120 : 110;
    POINT a = ClientPoint(*target, 40, y), b = ClientPoint(*target, 240, y);
    if (!ArmOverScreen(IDM_DRAWCOPY, DrawCopy, b)) return Check(false, "arming over the screen", i);
    DragOnScreen(a, b, main, 4);
    RightClickAt(b);
    BmpFile bmp;
    if (!TakeOneOutput(&bmp)) return false;
    if (!Check(bmp.width == GetSystemMetrics(SM_CXSCREEN) && bmp.height == GetSystemMetrics(SM_CYSCREEN),
               "screen size", i))
      return false;
    // The line: at least its first step, in the line colour, and nothing of the last one.
    RECT band = {a.x - 3, a.y - 3, b.x + 4, a.y + 4};
    POINT o = ClientPoint(*target, 0, 0);
    int red = 0, stale = 0;
    for (int yy = band.top; yy < band.bottom; yy++)
      for (int xx = band.left; xx < band.right; xx++) {
        red += bmp.Pixel(xx, yy) == LineColour;
        stale += bmp.Pixel(xx, yy + other - y) == LineColour;
      }
    if (red < (b.x - a.x) / 4 * 2) shortDrags++;
    if (red < (b.x - a.x) / 4 || stale) printf("DrawCopy %d: %d pixels of the line, %d of the last one\n", i, red, stale);
    // Under Wine the target becomes the active window once the mask is hidden; its
    // caption is repainted in the active colours, before the picture is taken or
    // after it, so the screen read afterwards may differ there.
    RECT caption;
    GetWindowRect(target->window, &caption);
    caption.bottom = o.y;
    long differ = DifferencesFromScreen(bmp, POINT{0, 0}, band, caption);
    if (differ) printf("DrawCopy %d: %ld pixels differ from the screen\n", i, differ);
    return Check(red >= (b.x - a.x) / 4 && stale == 0 && differ == 0 &&
                     bmp.Pixel(o.x + 5, o.y + 5) == TargetClientColour &&
                     bmp.Pixel(o.x + 30, o.y + 30) == TargetSwatchColours[0],
                 "screen picture with the line", i);
  }

  void Run(CaptureMode mode, const char* name) {
    int captures = CountFromEnvironment("VISTREL_SOAK_CAPTURES", 20);
    ASSERT_GT(captures, Warmup);
    Begin();
    ASSERT_FALSE(HasFatalFailure());
    Growth app1, target1;
    for (int i = 0; i < captures; i++) {
      if (i == Warmup) {
        app1.first = TakeCensus(app.handle, app.pid);
        target1.first = TakeCensus(target->process.handle, target->process.pid);
      }
      if (CaptureOnce(mode, i)) good++;
      // Only the newest output is kept: a full-screen picture is 5 MB.
      for (const std::string& f : seenOutput) DeleteFileA((outDir + "\\" + f).c_str());
      if (!Alive(app) || !Alive(target->process)) break;
      if (i % 50 == 49) printf("%s: %d captures, application %s\n", name, i + 1,
                               DescribeCensus(TakeCensus(app.handle, app.pid)).c_str());
    }
    app1.last = TakeCensus(app.handle, app.pid);
    target1.last = TakeCensus(target->process.handle, target->process.pid);
    Answers(main);
    Answers(target->window);
    tally.leaks += app1.Leaks() + target1.Leaks();
    std::string appChange = DescribeCensusChange(app1.first, app1.last);
    std::string targetChange = DescribeCensusChange(target1.first, target1.last);
    printf("%s application: %s\n%s target: %s\n", name, appChange.c_str(), name, targetChange.c_str());
    EXPECT_EQ(good, captures);
    EXPECT_EQ(app1.Leaks(), 0) << appChange;
    EXPECT_EQ(target1.Leaks(), 0) << targetChange;

    Trial trial;
    trial.area = "Load";
    trial.tried = std::string(name) + " captures in a row with real input over a foreign Target.exe";
    trial.times = captures;
    trial.checked = "one new output file per capture, byte for byte the temporary file, of the right size and "
                    "colours; counts of both processes from capture " + std::to_string(Warmup) + " to the last";
    trial.figures = std::to_string(good) + " right files" +
                    (shortDrags ? " (" + std::to_string(shortDrags) + " drags ended short of the last move)" : "") +
                    "; application " + appChange + "; target " + targetChange;
    trial.crashes = tally.crashes;
    trial.hangs = tally.hangs;
    trial.leaks = tally.leaks;
    trial.badFiles = tally.badFiles;
    RecordTrial(trial);
  }
};

TEST_F(SoakTest, WindowCopy) { Run(WindowCopy, "WindowCopy"); }
TEST_F(SoakTest, ControlCopy) { Run(ControlCopy, "ControlCopy"); }
TEST_F(SoakTest, RectCopy) { Run(RectCopy, "RectCopy"); }
TEST_F(SoakTest, DrawCopy) { Run(DrawCopy, "DrawCopy"); }
