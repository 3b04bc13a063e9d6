// The census counts for real: another process creates and deletes known numbers
// of GDI objects, kernel handles, windows and memory, and each count follows.
#include <gtest/gtest.h>
#include "tests/e2e/e2e_support.h"
#include "tests/reliability/churn.h"
#include "tests/reliability/process_census.h"
#include "tests/reliability/trial_log.h"

static const DWORD Timeout = 30000;

class CensusTest : public ::testing::Test {
 protected:
  Process churn;
  HWND window = NULL;

  void SetUp() override {
    churn = Launch(BinDir() + "Churn.exe");
    window = WaitForWindow(ChurnClass, NULL, churn.pid, Timeout);
    ASSERT_TRUE(window != NULL);
    // Each kind once, so that first-use allocations are not counted below.
    for (int kind = ChurnBrushes; kind <= ChurnMegabytes; kind++) Make((ChurnKind)kind, 1);
    Free();
  }
  void TearDown() override { Kill(churn); }

  LRESULT Make(ChurnKind kind, int n) {
    DWORD_PTR made = 0;
    SendMessageTimeoutA(window, WM_APP_CHURN_MAKE, kind, n, SMTO_ABORTIFHUNG, Timeout, &made);
    return (LRESULT)made;
  }
  void Free() {
    DWORD_PTR unused = 0;
    SendMessageTimeoutA(window, WM_APP_CHURN_FREE, 0, 0, SMTO_ABORTIFHUNG, Timeout, &unused);
  }
  Census Now() { return TakeCensus(churn.handle, churn.pid); }
};

TEST_F(CensusTest, EachCountFollowsKnownChangesInAnotherProcess) {
  Census base = Now();
  ASSERT_GT(base.gdiObjects, 0);
  ASSERT_GT(base.handles, 0);
  ASSERT_GT(base.privateBytes, 0);
  ASSERT_GT(base.windows, 0);

  // 140 GDI objects of six kinds.
  const struct {
    ChurnKind kind;
    int n;
  } gdi[] = {{ChurnBrushes, 40}, {ChurnPens, 30}, {ChurnBitmaps, 20},
             {ChurnRegions, 20}, {ChurnFonts, 10}, {ChurnMemoryDCs, 20}};
  int made = 0;
  for (auto& g : gdi) made += (int)Make(g.kind, g.n);
  ASSERT_EQ(made, 140);
  Census withGdi = Now();
  EXPECT_EQ(withGdi.gdiObjects, base.gdiObjects + 140);
  Free();
  Census afterGdi = Now();
  EXPECT_EQ(afterGdi.gdiObjects, base.gdiObjects);

  ASSERT_EQ(Make(ChurnEvents, 50), 50);
  Census withEvents = Now();
  EXPECT_EQ(withEvents.handles, base.handles + 50);
  EXPECT_EQ(withEvents.gdiObjects, base.gdiObjects);
  Free();
  Census afterEvents = Now();
  EXPECT_EQ(afterEvents.handles, base.handles);

  ASSERT_EQ(Make(ChurnWindows, 7), 7);
  Census withWindows = Now();
  EXPECT_EQ(withWindows.windows, base.windows + 7);
  Free();
  EXPECT_EQ(Now().windows, base.windows);

  ASSERT_EQ(Make(ChurnMegabytes, 24), 24);
  Census withMemory = Now();
  EXPECT_GE(withMemory.privateBytes - base.privateBytes, 24LL << 20);
  EXPECT_LT(withMemory.privateBytes - base.privateBytes, 25LL << 20);
  Free();
  Census afterMemory = Now();
  EXPECT_LT(llabs(afterMemory.privateBytes - base.privateBytes), 256LL << 10);

  Trial trial;
  trial.area = "Counting";
  trial.tried = "Another process creates and deletes 140 GDI objects (brushes, pens, bitmaps, regions, fonts, "
                "memory DCs), 50 events, 7 windows and 24 MB of memory";
  trial.times = 1;
  trial.checked = "each count rises by exactly what was created and returns to where it was";
  trial.figures = "GDI " + std::to_string(base.gdiObjects) + " -> " + std::to_string(withGdi.gdiObjects) + " -> " +
                  std::to_string(afterGdi.gdiObjects) + "; handles " + std::to_string(base.handles) + " -> " +
                  std::to_string(withEvents.handles) + " -> " + std::to_string(afterEvents.handles) +
                  "; windows " + std::to_string(base.windows) + " -> " + std::to_string(withWindows.windows) +
                  "; private +" + std::to_string((withMemory.privateBytes - base.privateBytes) >> 10) + " KB -> " +
                  std::to_string((afterMemory.privateBytes - base.privateBytes) >> 10) + " KB";
  RecordTrial(trial);
}

TEST(Census, CountsThisProcessToo) {
  HANDLE self = GetCurrentProcess();
  long before = GdiObjectCount(self);
  ASSERT_GT(before, 0);
  HBRUSH brushes[100];
  for (HBRUSH& b : brushes) b = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(GdiObjectCount(self), before + 100);
  for (HBRUSH b : brushes) DeleteObject(b);
  EXPECT_EQ(GdiObjectCount(self), before);
}
