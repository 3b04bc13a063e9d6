// The screen a full-screen capture reads once the mask is hidden: what the windows
// below have drawn, not the mask. Windows of the test's own, each on a thread of its
// own, answer sent messages at once but paint late, or stop answering altogether; the
// real application's skinned main window lies under its own mask. Run on the shared
// display and on one without a compositor, where a window's pixels come back only
// when its program draws them again.
#include "tests/e2e/mask_fixture.h"

static const UINT WM_APP_REPAINT_LATE = WM_APP + 40;  // wParam colour, lParam delay in ms
static const UINT WM_APP_BLOCK = WM_APP + 41;         // stop taking messages until released
static const COLORREF Blue = RGB(0, 0, 255), Green = RGB(0, 160, 0);

// A solid window on a thread of its own, top-level or a child of another thread's
// window. Told to change colour, it invalidates itself and paints only once the
// delay has passed; meanwhile it answers sent messages at once. Told to block, its
// thread takes no message until released. With showWhenAsked, a paint empties the
// update region but its pixels reach the display only when a message is next sent
// to the thread (as a window system that shows a thread's drawing when the thread
// next waits), before the thread answers it.
struct Painter {
  RECT rect = {0, 0, 0, 0};  // in the parent's client area for a child
  HWND parent = NULL;
  bool showWhenAsked = false;
  COLORREF colour = Blue;
  DWORD paintAt = 0;
  HWND window = NULL;
  HANDLE thread = NULL, ready = NULL, blocked = NULL, release = NULL;
};

static void Fill(HDC dc, HWND window, COLORREF colour) {
  RECT client;
  GetClientRect(window, &client);
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
}

static LRESULT CALLBACK PainterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Painter* p = (Painter*)GetWindowLongPtrA(window, GWLP_USERDATA);
  switch (message) {
    case WM_PAINT: {
      if ((LONG)(p->paintAt - GetTickCount()) > 0) return 0;  // not yet: the update region stays
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      if (!p->showWhenAsked) Fill(dc, window, p->colour);
      EndPaint(window, &ps);
      if (p->showWhenAsked) {
        MsgWaitForMultipleObjectsEx(0, NULL, 2000, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        dc = GetDC(window);
        Fill(dc, window, p->colour);
        ReleaseDC(window, dc);
        MsgWaitForMultipleObjectsEx(0, NULL, 0, QS_ALLINPUT, 0);  // puts the drawing on the display
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_APP_REPAINT_LATE:
      p->colour = (COLORREF)wParam;
      p->paintAt = GetTickCount() + (DWORD)lParam;
      InvalidateRect(window, NULL, FALSE);
      return 0;
    case WM_APP_BLOCK:
      SetEvent(p->blocked);
      WaitForSingleObject(p->release, INFINITE);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static DWORD WINAPI PainterThread(void* param) {
  Painter* p = (Painter*)param;
  p->window = CreateWindowExA(p->parent ? 0 : WS_EX_NOACTIVATE, RegisterTestClass("VistrelTestPainter", PainterProc), "",
                              p->parent ? WS_CHILD : WS_POPUP | WS_CLIPCHILDREN, p->rect.left, p->rect.top,
                              p->rect.right - p->rect.left, p->rect.bottom - p->rect.top, p->parent, NULL,
                              GetModuleHandleA(NULL), NULL);
  SetWindowLongPtrA(p->window, GWLP_USERDATA, (LONG_PTR)p);
  ShowWindow(p->window, SW_SHOWNOACTIVATE);
  UpdateWindow(p->window);
  SetEvent(p->ready);
  MSG msg;
  for (;;) {
    LONG early = (LONG)(p->paintAt - GetTickCount());
    if (early > 0) {
      // Before the paint is due, only sent messages are taken in.
      MsgWaitForMultipleObjectsEx(0, NULL, (DWORD)early, QS_SENDMESSAGE, 0);
      PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    } else if (GetMessageA(&msg, NULL, 0, 0) > 0) {
      DispatchMessageA(&msg);
    } else {
      return 0;
    }
  }
}

class SettleTest : public MaskFixture {
 protected:
  Painter painters[40];
  int painterCount = 0;

  // One more painter over the rectangle r, shown in blue.
  void StartPainter(RECT r, HWND parent = NULL) {
    Painter& p = painters[painterCount++];
    p.rect = r;
    p.parent = parent;
    p.ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    p.blocked = CreateEventA(NULL, TRUE, FALSE, NULL);
    p.release = CreateEventA(NULL, TRUE, FALSE, NULL);
    p.thread = CreateThread(NULL, 0, PainterThread, &p, 0, NULL);
    ASSERT_EQ(WaitForSingleObject(p.ready, Timeout), WAIT_OBJECT_0);
    RECT s = ScreenRect(p);
    POINT c = {(s.left + s.right) / 2, (s.top + s.bottom) / 2};
    ASSERT_TRUE(WaitUntil([&] { return GrabPixels(NULL, RECT{c.x, c.y, c.x + 1, c.y + 1}).At(c.x, c.y) == Blue; },
                          Timeout));
  }
  // Painter i of a grid of 40 small ones right of the target.
  static RECT Cell(int i) {
    int x = 560 + 70 * (i % 8), y = 300 + 70 * (i / 8);
    return RECT{x, y, x + 60, y + 60};
  }
  static RECT ScreenRect(const Painter& p) {
    RECT r;
    GetWindowRect(p.window, &r);
    return r;
  }
  void TearDown() override {
    // Children first: each window is closed by its own thread.
    while (painterCount > 0) {
      Painter& p = painters[--painterCount];
      SetEvent(p.release);
      PostMessageA(p.window, WM_CLOSE, 0, 0);
      WaitForSingleObject(p.thread, Timeout);
      CloseHandle(p.thread);
      CloseHandle(p.ready);
      CloseHandle(p.blocked);
      CloseHandle(p.release);
    }
    MaskFixture::TearDown();
  }
  BmpFile CaptureScreen() {
    EXPECT_TRUE(CaptureByMessage());
    BmpFile bmp = ReadBmpFile(tempPath.c_str());
    EXPECT_TRUE(bmp.ok);
    EXPECT_EQ(bmp.width, GetSystemMetrics(SM_CXSCREEN));
    return bmp;
  }
  // Pixels of the rectangle in the picture that are not `colour`.
  static int Off(const BmpFile& bmp, RECT r, COLORREF colour) {
    int off = 0;
    for (int y = r.top; y < r.bottom; y++)
      for (int x = r.left; x < r.right; x++) off += bmp.Pixel(x, y) != colour;
    return off;
  }
};

// Painters change colour under the mask and paint a while after the right-click,
// answering every message sent to them meanwhile: a child window inside another
// thread's window, and a window whose pixels show only once it is asked again. The
// picture holds the new colours, as do the target's swatches and client area.
TEST_F(SettleTest, PictureHoldsWhatWindowsPaintAfterTheHide) {
  StartPainter(RECT{700, 120, 900, 260});
  StartPainter(RECT{50, 40, 150, 100}, painters[0].window);
  StartPainter(RECT{950, 120, 1100, 260});
  painters[2].showWhenAsked = true;
  ArmFullScreen(DrawCopy);
  SendMessageA(painters[1].window, WM_APP_REPAINT_LATE, Green, 250);
  SendMessageA(painters[2].window, WM_APP_REPAINT_LATE, Green, 100);
  BmpFile bmp = CaptureScreen();
  EXPECT_EQ(Off(bmp, ScreenRect(painters[1]), Green), 0);
  EXPECT_EQ(Off(bmp, ScreenRect(painters[2]), Green), 0);
  EXPECT_EQ(Off(bmp, SwatchScreenRect(0), TargetSwatchColours[0]), 0);
  POINT client = ClientPoint(5, 5);
  EXPECT_EQ(bmp.Pixel(client.x, client.y), TargetClientColour);
}

// More threads hold windows under the mask than one round of the wait has room for,
// and each paints late, its pixels shown only once asked again: the picture holds
// every one, taken well within the bound.
TEST_F(SettleTest, PictureHoldsWhatFortyThreadsPaintAfterTheHide) {
  for (int i = 0; i < 40; i++) StartPainter(Cell(i));
  ArmFullScreen(DrawCopy);
  for (int i = 0; i < 40; i++) {
    painters[i].showWhenAsked = true;
    SendMessageA(painters[i].window, WM_APP_REPAINT_LATE, Green, 150);
  }
  DWORD start = GetTickCount();
  BmpFile bmp = CaptureScreen();
  EXPECT_LT(GetTickCount() - start, 5000u);
  for (int i = 0; i < 40; i++) EXPECT_EQ(Off(bmp, Cell(i), Green), 0) << "painter " << i;
}

// The painters' threads take no message at all, more of them than one round of the
// wait has room for: the capture does not wait for them beyond its limit (well under
// the generous bound here), and the picture holds the other windows as drawn.
TEST_F(SettleTest, WindowsThatStopAnsweringAreNotWaitedFor) {
  for (int i = 0; i < 40; i++) StartPainter(Cell(i));
  for (int i = 0; i < 40; i++) {
    PostMessageA(painters[i].window, WM_APP_BLOCK, 0, 0);
    ASSERT_EQ(WaitForSingleObject(painters[i].blocked, Timeout), WAIT_OBJECT_0);
  }
  ArmFullScreen(DrawCopy);
  DWORD start = GetTickCount();
  BmpFile bmp = CaptureScreen();
  EXPECT_LT(GetTickCount() - start, 5000u);
  EXPECT_EQ(Off(bmp, SwatchScreenRect(1), TargetSwatchColours[1]), 0);
  POINT client = ClientPoint(5, 5);
  EXPECT_EQ(bmp.Pixel(client.x, client.y), TargetClientColour);
}

// The application's own skinned main window, drawn by the thread that captures,
// lies under the full-screen mask: the picture shows every pixel of the skin.
TEST(SettleAppTest, PictureShowsTheApplicationsOwnWindowPixelForPixel) {
  std::string temp = CaptureTempPath();
  DeleteFileA(temp.c_str());
  MoveMouseTo(0, 0);
  Process app = Launch(BinDir() + "Vistrel.exe");
  HWND main = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
  ASSERT_TRUE(main != NULL);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout));
  HMODULE exe = LoadLibraryExA((BinDir() + "Vistrel.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
  HBITMAP skin = (HBITMAP)LoadImageA(exe, MAKEINTRESOURCEA(132), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  ASSERT_TRUE(skin != NULL);
  BITMAP size;
  GetObjectA(skin, sizeof(size), &size);
  HDC skinDC = CreateCompatibleDC(NULL);
  HGDIOBJ old = SelectObject(skinDC, skin);
  ScreenPixels want = GrabPixels(skinDC, RECT{0, 0, size.bmWidth, size.bmHeight});
  SelectObject(skinDC, old);
  DeleteDC(skinDC);
  DeleteObject(skin);
  FreeLibrary(exe);

  PostMessageA(main, WM_COMMAND, 32786, 0);  // DrawCopy
  HWND mask = NULL;
  // The mask's top-left corner mark: the mask covers the screen, painted.
  ASSERT_TRUE(WaitUntil([&] {
    mask = FindProcessWindow("MaskWindow", "MaskWindow", app.pid);
    POINT mark = {4, 0};
    return mask != NULL && IsWindowVisible(mask) && ClientToScreen(mask, &mark) &&
           GrabPixels(NULL, RECT{mark.x, mark.y, mark.x + 1, mark.y + 1}).At(mark.x, mark.y) == RGB(255, 0, 255);
  }, Timeout));
  PostMessageA(mask, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(600, 400));
  BmpFile bmp;
  ASSERT_TRUE(WaitUntil([&] {
    bmp = ReadBmpFile(temp.c_str());
    return bmp.ok && bmp.fileSize == bmp.bytes.size();
  }, Timeout));
  POINT origin = {0, 0};
  ClientToScreen(main, &origin);
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_EQ(GetWindowRgn(main, region), COMPLEXREGION);
  RECT frame;
  GetWindowRect(main, &frame);
  int off = 0, checked = 0;
  for (int y = 0; y < size.bmHeight; y++)
    for (int x = 0; x < size.bmWidth; x++) {
      if (!PtInRegion(region, origin.x - frame.left + x, origin.y - frame.top + y)) continue;
      checked++;
      off += bmp.Pixel(origin.x + x, origin.y + y) != want.At(x, y);
    }
  DeleteObject(region);
  EXPECT_GT(checked, 50000);
  EXPECT_EQ(off, 0) << "of " << checked << " pixels";
  Kill(app);
  DeleteFileA(temp.c_str());
}
