// The rule that tells a screen point without the mask from one still under it, and
// the wait with the mask the library paints.
#include <gtest/gtest.h>

#include "capture/capture_internal.h"
#include "capture/screen_settle.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

// A channel of `mask` at `alpha` over `beneath`, rounded the way a compositor may.
int Blend(int mask, int beneath, int alpha, int rounding) {
  int sum = alpha * mask + (255 - alpha) * beneath;
  return rounding == 0 ? sum / 255 : rounding == 1 ? (sum + 127) / 255 : (sum + 254) / 255;
}

COLORREF BlendColour(COLORREF mask, COLORREF beneath, int alpha, int rounding) {
  return RGB(Blend(GetRValue(mask), GetRValue(beneath), alpha, rounding),
             Blend(GetGValue(mask), GetGValue(beneath), alpha, rounding),
             Blend(GetBValue(mask), GetBValue(beneath), alpha, rounding));
}

TEST(ScreenSettle, UnchangedPointShowsNothing) {
  EXPECT_FALSE(ShowsScreenWithoutMask(kWhite, kWhite, kWhite, kMaskAlpha));
  EXPECT_FALSE(ShowsScreenWithoutMask(RGB(200, 180, 160), RGB(200, 180, 160), kWhite, kMaskAlpha));
}

TEST(ScreenSettle, OpaqueMaskGoneWhenItsColourChanges) {
  EXPECT_TRUE(ShowsScreenWithoutMask(kWhite, RGB(160, 176, 208), kWhite, kMaskAlpha));
  EXPECT_TRUE(ShowsScreenWithoutMask(kWhite, RGB(254, 255, 255), kWhite, kMaskAlpha));
  EXPECT_TRUE(ShowsScreenWithoutMask(RGB(10, 20, 30), RGB(0, 0, 0), RGB(10, 20, 30), 255));
  // Fully opaque and not the mask's colour: one of its own lines; nothing to learn.
  EXPECT_FALSE(ShowsScreenWithoutMask(RGB(0, 0, 128), RGB(1, 2, 3), kWhite, 255));
}

// Every colour beneath, every rounding, several masks and opacities: the point that
// then shows the colour beneath counts as uncovered.
TEST(ScreenSettle, BlendedMaskGoneWhenTheColourBeneathShows) {
  const COLORREF masks[] = {kWhite, RGB(212, 208, 200), RGB(0, 0, 0), RGB(40, 90, 200)};
  const int alphas[] = {kMaskAlpha, 64, 200};
  for (COLORREF mask : masks)
    for (int alpha : alphas)
      for (int rounding = 0; rounding < 3; rounding++)
        for (int v = 0; v < 256; v += 3) {
          COLORREF beneath = RGB(v, 255 - v, (v * 7) % 256);
          COLORREF shown = BlendColour(mask, beneath, alpha, rounding);
          if (shown == beneath || shown == mask) continue;
          ASSERT_TRUE(ShowsScreenWithoutMask(shown, beneath, mask, (BYTE)alpha))
              << "mask " << std::hex << mask << " alpha " << std::dec << alpha << " beneath "
              << std::hex << beneath << " rounding " << rounding;
        }
}

// A screen that changes under the mask (a film playing) changes the blended point
// to the blend of the new colour, or, read mid-frame, to anything: neither is the
// colour that lay beneath, so the wait goes on.
TEST(ScreenSettle, ScreenChangingUnderBlendedMaskIsNotTheMaskGoing) {
  int taken = 0, cases = 0;
  for (int v = 0; v < 256; v += 5)
    for (int step = 20; step <= 120; step += 50) {
      COLORREF beneath = RGB(v, (v * 3) % 256, 255 - v);
      COLORREF changed = RGB((v + step) % 256, (v * 3 + step) % 256, (255 - v + 2 * step) % 256);
      COLORREF shown = BlendColour(kWhite, beneath, kMaskAlpha, 1);
      COLORREF shownChanged = BlendColour(kWhite, changed, kMaskAlpha, 1);
      if (shown == kWhite) continue;
      cases += 2;
      taken += ShowsScreenWithoutMask(shown, shownChanged, kWhite, kMaskAlpha);
      taken += ShowsScreenWithoutMask(shown, changed, kWhite, kMaskAlpha);
    }
  EXPECT_GT(cases, 200);
  EXPECT_EQ(0, taken);
}

void Nothing(void) {}

// Runs this thread's messages until the screen reads `colour` at (x, y), 10 s at most.
bool ScreenShows(int x, int y, COLORREF colour) {
  HDC screen = GetDC(NULL);
  DWORD start = GetTickCount();
  COLORREF now;
  MSG msg;
  while ((now = GetPixel(screen, x, y)) != colour && GetTickCount() - start < 10000)
    if (!PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    else DispatchMessageA(&msg);
  ReleaseDC(NULL, screen);
  return now == colour;
}

// A window over the backdrop on a thread of its own that takes no message from the
// start: in time the system counts it as hung.
struct Hanging {
  HWND window;
  HANDLE ready, release;
};

DWORD WINAPI HangingThread(void* param) {
  Hanging* h = (Hanging*)param;
  h->window = CreateWindowExA(WS_EX_NOACTIVATE, "VistrelTestBackdrop", "", WS_POPUP | WS_VISIBLE, 110, 110, 60, 60,
                              NULL, NULL, GetModuleHandleA(NULL), NULL);
  SetEvent(h->ready);
  WaitForSingleObject(h->release, INFINITE);
  DestroyWindow(h->window);
  return 0;
}

// The window colour of the scheme set to navy for one test, and the scheme's own put
// back afterwards, whatever the test's assertions did: later tests, and programs
// started later, see the scheme unchanged.
class NavySchemeTest : public ::testing::Test {
 protected:
  int element = COLOR_WINDOW;
  COLORREF scheme = GetSysColor(COLOR_WINDOW);
  HWND backdrop = NULL, mask = NULL;

  void SetUp() override {
    COLORREF navy = RGB(0, 0, 128);
    ASSERT_TRUE(SetSysColors(1, &element, &navy));
  }
  void TearDown() override {
    if (mask != NULL) DestroyWindow(mask);
    if (backdrop != NULL) DestroyWindow(backdrop);
    SetSysColors(1, &element, &scheme);
  }
};

// The mask as the library registers and paints it, shown over a black window while
// the window colour of the scheme is navy, and over a window the system counts as
// hung: its client area shows white, and the wait after the hide ends on the screen
// showing it gone, not at its limit, held up by neither.
TEST_F(NavySchemeTest, MaskIsSeenGoingWhateverTheWindowColour) {
  HINSTANCE instance = GetModuleHandleA(NULL);
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = instance;
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  wc.lpszClassName = "VistrelTestBackdrop";
  RegisterClassA(&wc);
  RegisterMaskWndClass(instance);
  backdrop = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, NULL, NULL,
                             instance, NULL);
  mask = CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOPMOST, "MaskWindow", "", WS_POPUP, 100, 100,
                         300, 200, NULL, NULL, instance, NULL);
  ASSERT_TRUE(backdrop != NULL && mask != NULL);
  Hanging hung = {NULL, CreateEventA(NULL, TRUE, FALSE, NULL), CreateEventA(NULL, TRUE, FALSE, NULL)};
  HANDLE thread = CreateThread(NULL, 0, HangingThread, &hung, 0, NULL);
  WaitForSingleObject(hung.ready, 30000);
  SetLayeredWindowAttributes(mask, 0, kMaskAlpha, LWA_ALPHA);
  ShowWindow(mask, SW_SHOWNOACTIVATE);
  UpdateWindow(mask);
  EXPECT_TRUE(ScreenShows(250, 200, RGB(255, 255, 255)));
  for (DWORD start = GetTickCount(); !IsHungAppWindow(hung.window) && GetTickCount() - start < 30000;) Sleep(10);
  EXPECT_TRUE(IsHungAppWindow(hung.window));
  EXPECT_TRUE(HideMaskAndWaitForScreen(mask, Nothing));
  SetEvent(hung.release);
  WaitForSingleObject(thread, 30000);
  CloseHandle(thread);
  CloseHandle(hung.ready);
  CloseHandle(hung.release);
}

}  // namespace
