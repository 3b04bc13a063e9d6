// RectCopy and DrawCopy on the full-screen mask of the stand-in application, over
// the foreign target. The tests send the mask and the palette the mouse and key
// messages the system would send them, one at a time, and judge by the shared
// record (this process maps the same library), the host's draw object list (read
// through the host's process handle), the screen and the captured file. Where the
// system's routing is under test, the host injects real input (HostInput).
#pragma once
#include <initializer_list>
#include <vector>
#include "tests/e2e/capture_fixture.h"
#include "capture/draw_objects.h"
#include "tests/support/screen_pixels.h"

// The palette's buttons and swatches, in palette client coordinates.
static const POINT LineButton = {273, 25}, RectangleButton = {293, 25}, EllipseButton = {314, 25},
                   SelectButton = {334, 25};
// The centre of swatch k (0 to 13) of row r (0 or 1).
inline POINT SwatchButton(int k, int r) { return POINT{40 + 16 * k, 16 + 16 * r}; }
// The key states of moves that must not drag: Shift or Ctrl held, another button
// besides the left, or no left button.
static const WPARAM NotDragging[6] = {MK_LBUTTON | MK_SHIFT,  MK_LBUTTON | MK_CONTROL, MK_LBUTTON | MK_RBUTTON,
                                      MK_LBUTTON | MK_MBUTTON, MK_SHIFT,                0};

// Sends a mouse message with its keys and its position in the window's client
// coordinates; returns once the window has handled it.
inline LRESULT SendMouse(HWND window, UINT message, WPARAM keys, int x, int y) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, keys, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 10000, &result);
  return (LRESULT)result;
}
inline void ClickWindow(HWND window, int x, int y) {
  SendMouse(window, WM_LBUTTONDOWN, MK_LBUTTON, x, y);
  SendMouse(window, WM_LBUTTONUP, 0, x, y);
}

// Moves the pointer to the screen point and waits until the system has it there.
inline bool RestPointerAt(POINT rest) {
  MoveMouseTo(rest.x, rest.y);
  return WaitUntil([&] {
    POINT p;
    return GetCursorPos(&p) && p.x == rest.x && p.y == rest.y;
  }, Timeout);
}
// Where the pointer rests: on the full-screen mask's frame above its client area,
// where the moves Wine makes up when a window appears under the pointer reach no
// handler of the mask.
static const POINT PointerRest = {0, 0};

// The virtual screen's top-left corner, where a full-screen picture starts.
inline POINT VirtualOrigin() { return POINT{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN)}; }

// A point of the mask's client area as laid out over one monitor (the tips area,
// the palette) where it lies over every monitor: the same place from the primary
// monitor's corner.
inline POINT OnPrimary(int x, int y) {
  POINT o = VirtualOrigin();
  return POINT{x - o.x, y - o.y};
}

class MaskFixture : public CaptureFixture {
 protected:
  HMODULE lib = NULL;
  SharedCaptureState* rec = NULL;
  HWND mask = NULL, palette = NULL;

  void SetUp() override {
    lib = LoadLibraryA((BinDir() + "Vistrel.dll").c_str());
    ASSERT_TRUE(lib != NULL);
    rec = SharedRecordOf(lib);
    ASSERT_TRUE(rec != NULL);
    // The tool and colour outlive a run while anything maps the library: start
    // from the values of a fresh load.
    rec->glCurDrawTool = 1;
    rec->glCurColor = RGB(255, 0, 0);
    CaptureFixture::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(RestPointerAt(PointerRest));
  }
  void TearDown() override {
    CaptureFixture::TearDown();
    if (lib) FreeLibrary(lib);
  }

  // Arms the mode and waits until the mask covers the screen, painted.
  void ArmFullScreen(CaptureMode mode) {
    Arm(mode);
    mask = rec->glhMaskWnd;
    palette = rec->glhDrawToolsWnd;
    ASSERT_EQ(WindowProcess(mask), host.pid);
    POINT o = OnScreen(0, 0);
    ASSERT_TRUE(PointerRest.x < o.x || PointerRest.y < o.y);
    // The top-left corner mark; where that corner lies on no monitor, the dotted
    // frame along the top of the primary one.
    if (CornerOnMonitor())
      ASSERT_TRUE(WaitUntil([&] { return GrabPixels(NULL, RECT{o.x + 4, o.y, o.x + 5, o.y + 1}).At(o.x + 4, o.y) ==
                                         RGB(255, 0, 255); }, Timeout));
    else
      ASSERT_TRUE(WaitUntil([&] { return GrabPixels(NULL, RECT{20, o.y, 200, o.y + 1}).Count(RGB(255, 0, 0)) > 20; },
                            Timeout));
  }
  // Whether the mask's top-left corner, with its mark, is on a monitor.
  bool CornerOnMonitor() { return MonitorFromPoint(OnScreen(0, 0), MONITOR_DEFAULTTONULL) != NULL; }
  // Mask client coordinates on the screen, and back.
  POINT OnScreen(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(mask, &p);
    return p;
  }
  POINT ToClient(POINT screen) {
    ScreenToClient(mask, &screen);
    return screen;
  }

  // A mouse message to the mask at a screen point.
  void ToMask(UINT message, WPARAM keys, POINT screen) {
    POINT c = ToClient(screen);
    SendMouse(mask, message, keys, c.x, c.y);
  }
  // Presses at a, drags with the left button alone through two steps to b, releases.
  void Drag(POINT a, POINT b) {
    ToMask(WM_LBUTTONDOWN, MK_LBUTTON, a);
    ToMask(WM_MOUSEMOVE, MK_LBUTTON, POINT{a.x + (b.x - a.x) / 3, a.y + (b.y - a.y) / 3});
    ToMask(WM_MOUSEMOVE, MK_LBUTTON, b);
    ToMask(WM_LBUTTONUP, 0, b);
  }
  // The right-click that captures, posted: the capture's wait for the screen sends
  // messages of its own. Waits until the host is told of the capture.
  bool CaptureByMessage() {
    LRESULT before = Copies();
    PostMessageA(mask, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(600, 400));
    return WaitUntil([&] { return Copies() > before; }, Timeout);
  }

  // Real input, injected by the host's own thread in one SendInput. Wine answers an
  // injected move by warping the X pointer, and the X server reports the warp to the
  // program under the pointer, whose X driver makes a move of it: an echo, late and
  // at an older position when another program injected. The host reads its X events
  // only when it waits for messages, so the echoes of its own moves all come after
  // the whole sequence, when no button is held any more.
  bool HostInput(std::initializer_list<INPUT> inputs) {
    std::vector<INPUT> list(inputs);
    COPYDATASTRUCT data = {LibHostSendInput, (DWORD)(list.size() * sizeof(INPUT)), list.data()};
    DWORD_PTR taken = 0;
    SendMessageTimeoutA(hostWindow, WM_COPYDATA, 0, (LPARAM)&data, SMTO_ABORTIFHUNG, 10000, &taken);
    return taken == list.size();
  }
  static INPUT MoveTo(POINT p) { return MouseInput(MOUSEEVENTF_MOVE, p.x, p.y); }

  // Reads a block of the host's memory.
  bool ReadHost(const void* address, void* out, size_t size) {
    SIZE_T got = 0;
    return address != NULL && ReadProcessMemory(host.handle, address, out, size, &got) && got == size;
  }
  // The object under construction in the host, when there is one.
  bool CurrentObject(DrawObj* obj) { return ReadHost(rec->glCurDrawObj, obj, sizeof(*obj)); }
  // The newest finished object.
  bool NewestObject(DrawObj* obj) {
    DrawObjList list;
    return ReadHost(rec->glDrawObjList, &list, sizeof(list)) && ReadHost(list.tail, obj, sizeof(*obj));
  }
  // The number of finished objects in the host's list (0 when it has none).
  int ObjectCount() {
    DrawObjList list;
    if (rec->glDrawObjList == NULL) return 0;
    return ReadHost(rec->glDrawObjList, &list, sizeof(list)) ? list.count : -1;
  }
  // Whether obj was dragged from a to b (screen points).
  bool Spans(const DrawObj& obj, POINT a, POINT b) {
    POINT ca = ToClient(a), cb = ToClient(b);
    return obj.rect.left == ca.x && obj.rect.top == ca.y && obj.rect.right == cb.x && obj.rect.bottom == cb.y;
  }
  // Draws one object from a to b with the current tool: while it is dragged it is
  // the object under construction, then the newest in the list.
  bool DrawObject(POINT a, POINT b) {
    int before = ObjectCount();
    ToMask(WM_LBUTTONDOWN, MK_LBUTTON, a);
    ToMask(WM_MOUSEMOVE, MK_LBUTTON, POINT{(a.x + b.x) / 2, (a.y + b.y) / 2});
    ToMask(WM_MOUSEMOVE, MK_LBUTTON, b);
    DrawObj live, newest;
    bool dragged = CurrentObject(&live) && Spans(live, a, b);
    ToMask(WM_LBUTTONUP, 0, b);
    return dragged && rec->glCurDrawObj == NULL && ObjectCount() == before + 1 && NewestObject(&newest) &&
           Spans(newest, a, b);
  }
  // Picks a tool or a colour with a click on the palette.
  void Pick(POINT p) { ClickWindow(palette, p.x, p.y); }
};
