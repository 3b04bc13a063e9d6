// After the mask is hidden the screen still shows it until the display has taken
// the hide: a compositor draws the screen without it in its next frame, and a
// display that does not compose waits for the windows below to draw themselves.
// RectCopy and DrawCopy read the screen itself, so they wait for that before the
// grab; a picture read at once holds the mask, its selection or its drawings.
#include "capture/screen_settle.h"
#include <dwmapi.h>
#include "capture/compositor.h"
#include "common/trace_log.h"

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

static DWORD TimeLeft(DWORD deadline) {
  LONG left = (LONG)(deadline - GetTickCount());
  return left > 0 ? (DWORD)left : 0;
}

typedef HRESULT(WINAPI* FlushProc)(void);
typedef HRESULT(WINAPI* SetAttributeProc)(HWND, DWORD, LPCVOID, DWORD);

// Where the desktop is composed, the call that waits for the compositor's next frame,
// which no longer holds a window hidden before it; NULL where it is not.
static FlushProc ComposedFrameWait(void) {
  FlushProc flush = (FlushProc)(void*)CompositorProc("DwmFlush");
  return flush != NULL && DesktopComposed() ? flush : NULL;
}

void KeepMaskHideImmediate(HWND mask) {
  SetAttributeProc set = (SetAttributeProc)(void*)CompositorProc("DwmSetWindowAttribute");
  BOOL disabled = TRUE;
  if (set != NULL) set(mask, DWMWA_TRANSITIONS_FORCEDISABLED, &disabled, sizeof disabled);
}

BOOL AwaitMaskOffComposedScreen(HWND mask) {
  DWORD deadline = GetTickCount() + kMaskReportedHiddenMs;
  while (IsWindowVisible(mask)) {
    if (TimeLeft(deadline) == 0) return FALSE;
    Sleep(1);
  }
  // The mask's thread has taken the hide. Once it answers, it has also come back to
  // its queue, where a window system that hands a thread's window changes on to the
  // display when the thread next looks for messages (Wine) has handed the hide on.
  // A zero timeout would wait without limit under Wine.
  DWORD left = TimeLeft(deadline);
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutA(mask, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, left > 0 ? left : 1, &answer)) return FALSE;
  FlushProc composedFrame = ComposedFrameWait();
  return composedFrame != NULL && SUCCEEDED(composedFrame());
}

// The longest the pixel phase is given to see the display take the hide, and the
// longest the whole wait may take. A window that has not drawn by then (busy, or
// hung) is not waited for.
static const DWORD kHideSeenMs = 100;
static const DWORD kScreenSettleMs = 400;

// The threads and windows awaited in one round, at the most: a desktop has far fewer
// under the mask. Where there are more, the round is held as soon as its table is
// full, and the next one starts afresh: a thread met again after its round is asked
// again in the next.
static const int kRoundThreads = 32;
static const int kRoundWindows = 128;
static const int kOwnWindows = 16;

// The windows of this thread below the mask; those of other threads, the threads
// that own them, and which of those threads answered the last round trip.
struct SettleRound {
  RECT covered;
  DWORD deadline;
  BOOL inTime;  // every round so far was done in time
  DWORD threads[kRoundThreads];
  HWND asked[kRoundThreads];  // one window of each thread, the one a round trip goes to
  int threadCount;
  DWORD answering;  // bit i: threads[i] has answered every round trip so far
  HWND windows[kRoundWindows];
  int windowThread[kRoundWindows];
  int windowCount;
  HWND own[kOwnWindows];
  int ownCount;
};

static BOOL IsUnderMask(HWND window, const RECT* covered) {
  RECT r, common;
  return IsWindowVisible(window) && GetWindowRect(window, &r) && IntersectRect(&common, &r, covered);
}

static void HoldRound(SettleRound* round);

// A window of another thread below the mask: its thread is asked, and its update
// region awaited. A hung window is left as it stands.
static void AddForeignWindow(SettleRound* round, HWND window, DWORD thread) {
  if (IsHungAppWindow(window)) return;
  int index = 0;
  while (index < round->threadCount && round->threads[index] != thread) index++;
  if (index == kRoundThreads || round->windowCount == kRoundWindows) {
    HoldRound(round);
    index = 0;
  }
  if (index == round->threadCount) {
    round->threads[index] = thread;
    round->asked[index] = window;
    round->threadCount++;
  }
  round->windows[round->windowCount] = window;
  round->windowThread[round->windowCount++] = index;
}

static BOOL CALLBACK AddChildUnderMask(HWND child, LPARAM param) {
  SettleRound* round = (SettleRound*)param;
  DWORD thread = GetWindowThreadProcessId(child, NULL);
  if (thread != GetCurrentThreadId() && IsUnderMask(child, &round->covered)) AddForeignWindow(round, child, thread);
  return TRUE;
}

// A window of this thread is drawn here; one of another thread is awaited, with its
// child windows, whichever thread owns them.
static BOOL CALLBACK AddWindowUnderMask(HWND window, LPARAM param) {
  SettleRound* round = (SettleRound*)param;
  if (!IsUnderMask(window, &round->covered)) return TRUE;
  DWORD thread = GetWindowThreadProcessId(window, NULL);
  if (thread == GetCurrentThreadId()) {
    if (round->ownCount < kOwnWindows) round->own[round->ownCount++] = window;
    return TRUE;
  }
  AddForeignWindow(round, window, thread);
  EnumChildWindows(window, AddChildUnderMask, param);
  return TRUE;
}

// Answers to the round trip under way. An answer that comes after its wait gave up
// carries an older round's number and counts for nothing.
static DWORD gRoundNumber;
static DWORD gAnswered;

static void CALLBACK CountAnswer(HWND, UINT, ULONG_PTR data, LRESULT) {
  if ((data >> 5) == (gRoundNumber & 0x07FFFFFF)) gAnswered |= 1u << (data & 31);
}

// Sends every answering thread a message at once; each that answers has taken in
// what it was sent before. The answers come in as this thread takes in the messages
// sent to it (AwaitAnswers).
static DWORD AskThreads(SettleRound* round) {
  gRoundNumber++;
  gAnswered = 0;
  DWORD asked = 0;
  for (int i = 0; i < round->threadCount; i++)
    if ((round->answering & (1u << i)) &&
        SendMessageCallbackA(round->asked[i], WM_NULL, 0, 0, CountAnswer, ((gRoundNumber & 0x07FFFFFF) << 5) | i))
      asked |= 1u << i;
  return asked;
}

// A thread that does not answer in time drops out; the others are not held up by
// it. 1 when all answered.
static BOOL AwaitAnswers(SettleRound* round, DWORD asked) {
  MSG msg;
  while ((gAnswered & asked) != asked && TimeLeft(round->deadline) > 0) {
    DWORD left = TimeLeft(round->deadline);
    MsgWaitForMultipleObjectsEx(0, NULL, left < 5 ? left : 5, QS_SENDMESSAGE, 0);
    PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  round->answering = gAnswered & asked;
  return round->answering == asked;
}

static BOOL AnyWindowToDraw(const SettleRound* round) {
  for (int i = 0; i < round->windowCount; i++)
    if ((round->answering & (1u << round->windowThread[i])) && GetUpdateRect(round->windows[i], NULL, FALSE))
      return TRUE;
  return FALSE;
}

// A display that does not compose shows what the mask covered once the windows
// below have drawn it. Those of this thread draw here; every other thread in the
// round is asked to take the hide in, then its windows' update regions are awaited
// (cleared when it paints them), and then it is asked once more: it has come back to
// its queue after painting, and a window system that puts a thread's drawing on the
// display when the thread next waits for messages (Wine) has put it there. The round
// then starts afresh.
static void HoldRound(SettleRound* round) {
  round->answering = round->threadCount == kRoundThreads ? 0xFFFFFFFFu : (1u << round->threadCount) - 1;
  DWORD asked = AskThreads(round);
  // This thread draws while the others answer. What it drew reaches the display
  // when it next waits for messages.
  while (round->ownCount > 0)
    RedrawWindow(round->own[--round->ownCount], NULL, NULL,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  MsgWaitForMultipleObjectsEx(0, NULL, 0, QS_ALLINPUT, 0);
  BOOL inTime = AwaitAnswers(round, asked);
  while (AnyWindowToDraw(round) && TimeLeft(round->deadline) > 0)
    MsgWaitForMultipleObjectsEx(0, NULL, 1, QS_ALLINPUT, 0);
  inTime = !AnyWindowToDraw(round) && inTime;
  asked = AskThreads(round);
  round->inTime = AwaitAnswers(round, asked) && inTime && round->inTime;
  round->threadCount = round->windowCount = 0;
}

// Every window below the mask, with the desktop, in as many rounds as the tables
// need. 1 when all was done in time.
static BOOL LetScreenRedraw(const RECT* covered, DWORD deadline) {
  SettleRound round;
  round.covered = *covered;
  round.deadline = deadline;
  round.inTime = TRUE;
  round.threadCount = round.windowCount = round.ownCount = 0;
  EnumWindows(AddWindowUnderMask, (LPARAM)&round);
  HWND desktop = GetDesktopWindow();
  DWORD desktopThread = GetWindowThreadProcessId(desktop, NULL);
  if (desktopThread != GetCurrentThreadId()) AddForeignWindow(&round, desktop, desktopThread);
  HoldRound(&round);
  return round.inTime;
}

BOOL HideMaskAndWaitForScreen(HWND mask, void (*onHidden)(void)) {
  // On a composed desktop reading a screen point waits for the compositor: none is
  // read there, and the compositor's next frame is the answer they would give.
  FlushProc composedFrame = ComposedFrameWait();
  POINT points[kSampleCount];
  COLORREF before[kSampleCount];
  RECT covered;
  GetWindowRect(mask, &covered);
  if (composedFrame != NULL) KeepMaskHideImmediate(mask);
  HDC screen = composedFrame == NULL ? GetDC(NULL) : NULL;
  if (screen != NULL) {
    SamplePoints(mask, points);
    for (int i = 0; i < kSampleCount; i++) before[i] = GetPixel(screen, points[i].x, points[i].y);
  }
  ShowWindow(mask, SW_HIDE);
  onHidden();
  DWORD start = GetTickCount();
  if (composedFrame != NULL && SUCCEEDED(composedFrame())) return TRUE;
  // First the display takes the hide: a watched point shows it, and the windows
  // below have been told what to draw. The wait takes nothing from the queue, but
  // lets the window system work on this thread meanwhile. A screen on which no
  // watched point can show the change (all of it the mask's colour) runs into the
  // limit of this phase. A desktop that stopped composing after it was asked has
  // no watched points: its windows are awaited all the same.
  BOOL seen = composedFrame != NULL;
  while (screen != NULL && !(seen = AnyPointShowsScreen(screen, points, before, kMaskClientColour)) &&
         TimeLeft(start + kHideSeenMs) > 0)
    MsgWaitForMultipleObjectsEx(0, NULL, 1, QS_ALLINPUT, 0);
  BOOL settled = LetScreenRedraw(&covered, start + kScreenSettleMs) && seen;
  if (!settled) TraceLog("HideMaskAndWaitForScreen() Time limit reached");
  if (screen != NULL) ReleaseDC(NULL, screen);
  return settled;
}
