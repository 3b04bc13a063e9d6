// After the mask is hidden the screen still shows it until the display has taken
// the hide: a compositor draws the screen without it in its next frame, and a
// display that does not compose waits for the windows below to draw themselves.
// RectCopy and DrawCopy read the screen itself, so they wait for that before the
// grab; a picture read at once holds the mask, its selection or its drawings.
#include "capture/screen_settle.h"

// The longest the screen is given to show what the mask covered.
static const DWORD kScreenSettleMs = 100;

// Points of the screen watched for the mask to go: a grid over its client area.
static const int kSampleGrid = 5;
static const int kSampleCount = kSampleGrid * kSampleGrid;

// The colour the mask shows over its client area, whatever the colour scheme:
// PaintFrame fills it with the device context's default brush, the white stock
// brush. Its class brush (the window colour) shows only until that paint.
static const COLORREF kMaskClientColour = RGB(255, 255, 255);

// The channel value beneath a blend of `mask` at `alpha` that reads `shown`.
static int ChannelBeneath(int shown, int mask, int alpha) {
  int visible = 255 - alpha;
  int scaled = 255 * shown - alpha * mask;
  return scaled >= 0 ? (scaled + visible / 2) / visible : -((-scaled + visible / 2) / visible);
}

// How far, per channel, the screen may read from the colour computed for it: the
// blend's rounding by one step, magnified by the division, and this division's own.
static BOOL ChannelMatches(int before, int now, int mask, int alpha) {
  int tolerance = 255 / (255 - alpha) + 2;
  int difference = now - ChannelBeneath(before, mask, alpha);
  return difference >= -tolerance && difference <= tolerance;
}

BOOL ShowsScreenWithoutMask(COLORREF before, COLORREF now, COLORREF mask, BYTE alpha) {
  if (now == before) return FALSE;
  if (before == mask) return TRUE;
  if (alpha == 255) return FALSE;
  return ChannelMatches(GetRValue(before), GetRValue(now), GetRValue(mask), alpha) &&
         ChannelMatches(GetGValue(before), GetGValue(now), GetGValue(mask), alpha) &&
         ChannelMatches(GetBValue(before), GetBValue(now), GetBValue(mask), alpha);
}

static void SamplePoints(HWND mask, POINT* points) {
  RECT client;
  GetClientRect(mask, &client);
  for (int row = 0; row < kSampleGrid; row++)
    for (int column = 0; column < kSampleGrid; column++) {
      POINT* p = &points[row * kSampleGrid + column];
      p->x = client.right * (2 * column + 1) / (2 * kSampleGrid);
      p->y = client.bottom * (2 * row + 1) / (2 * kSampleGrid);
      ClientToScreen(mask, p);
    }
}

static BOOL AnyPointShowsScreen(HDC screen, const POINT* points, const COLORREF* before,
                                COLORREF mask) {
  for (int i = 0; i < kSampleCount; i++)
    if (ShowsScreenWithoutMask(before[i], GetPixel(screen, points[i].x, points[i].y), mask,
                               kMaskAlpha))
      return TRUE;
  return FALSE;
}

typedef HRESULT(WINAPI* CompositionEnabledProc)(BOOL*);
typedef HRESULT(WINAPI* FlushProc)(void);

// Where the desktop is composed, waits for the compositor's next frame, which no
// longer holds the hidden mask; 1 when it did. Reading points of a composed screen
// is slow, and the frame is the answer they would give. The compositor's library
// is a system one and stays loaded once loaded here: loading it is the slow part.
static BOOL WaitForComposedFrame(void) {
  char path[MAX_PATH];
  static const char kName[] = "\\dwmapi.dll";
  UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length + sizeof kName > MAX_PATH) return FALSE;
  lstrcpyA(path + length, kName);
  HMODULE dwm = GetModuleHandleA(path);
  if (dwm == NULL) dwm = LoadLibraryA(path);  // not there before Vista
  if (dwm == NULL) return FALSE;
  CompositionEnabledProc enabled =
      (CompositionEnabledProc)(void*)GetProcAddress(dwm, "DwmIsCompositionEnabled");
  FlushProc flush = (FlushProc)(void*)GetProcAddress(dwm, "DwmFlush");
  BOOL composed = FALSE;
  return enabled != NULL && flush != NULL && SUCCEEDED(enabled(&composed)) && composed &&
         SUCCEEDED(flush());
}

// The threads asked in one round, at the most; windows of further threads are asked
// each on their own.
static const int kRoundThreads = 32;

// The windows below the mask, how long they may take to answer, and the threads
// that have answered: one answer stands for all the windows of its thread.
struct RepaintRound {
  RECT covered;
  DWORD deadline;
  DWORD threads[kRoundThreads];
  int threadCount;
};

static BOOL AlreadyAsked(RepaintRound* round, DWORD thread) {
  for (int i = 0; i < round->threadCount; i++)
    if (round->threads[i] == thread) return TRUE;
  if (round->threadCount < kRoundThreads) round->threads[round->threadCount++] = thread;
  return FALSE;
}

static DWORD TimeLeft(DWORD deadline) {
  LONG left = (LONG)(deadline - GetTickCount());
  return left > 0 ? (DWORD)left : 0;
}

// A display that does not compose has the windows below draw what the mask covered
// once they have taken the hide in. A window that has answered a message sent after
// that has done so; one of this thread is drawn here and now. A hung window is not
// waited for, a busy one only until the deadline.
static BOOL CALLBACK LetWindowRepaint(HWND window, LPARAM param) {
  RepaintRound* round = (RepaintRound*)param;
  RECT r, common;
  if (!IsWindowVisible(window) || !GetWindowRect(window, &r) || !IntersectRect(&common, &r, &round->covered))
    return TRUE;
  DWORD thread = GetWindowThreadProcessId(window, NULL);
  if (thread == GetCurrentThreadId()) {
    UpdateWindow(window);
    return TRUE;
  }
  if (AlreadyAsked(round, thread)) return TRUE;
  DWORD left = TimeLeft(round->deadline);
  if (left == 0) return FALSE;
  DWORD_PTR answer;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, left, &answer);
  return TRUE;
}

BOOL HideMaskAndWaitForScreen(HWND mask, void (*onHidden)(void)) {
  POINT points[kSampleCount];
  COLORREF before[kSampleCount];
  RepaintRound round;
  round.threadCount = 0;
  GetWindowRect(mask, &round.covered);
  HDC screen = GetDC(NULL);
  SamplePoints(mask, points);
  if (screen != NULL)
    for (int i = 0; i < kSampleCount; i++) before[i] = GetPixel(screen, points[i].x, points[i].y);
  ShowWindow(mask, SW_HIDE);
  onHidden();
  round.deadline = GetTickCount() + kScreenSettleMs;
  BOOL seen = WaitForComposedFrame();
  if (!seen && screen != NULL) {
    // First the display takes the hide: a watched point shows it. The wait takes
    // nothing from the queue, but lets the window system work on this thread
    // meanwhile. A screen on which no watched point can show the change (all of it
    // the mask's colour) runs into the limit.
    while (!(seen = AnyPointShowsScreen(screen, points, before, kMaskClientColour)) &&
           TimeLeft(round.deadline) > 0)
      MsgWaitForMultipleObjectsEx(0, NULL, 1, QS_ALLINPUT, 0);
    EnumWindows(LetWindowRepaint, (LPARAM)&round);
  }
  if (screen != NULL) ReleaseDC(NULL, screen);
  return seen;
}
