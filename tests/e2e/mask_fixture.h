// RectCopy and DrawCopy on the full-screen mask of the stand-in application, over
// the foreign target, driven by real mouse and keyboard input. This process maps
// the same library to read the shared record, and reads the host's draw object
// list through the host's process handle.
#pragma once
#include <vector>
#include "tests/e2e/capture_fixture.h"
#include "capture/draw_objects.h"

inline void TapKey(WORD key) {
  KeyEvent(key, 0);
  KeyEvent(key, KEYEVENTF_KEYUP);
}

// A rectangle of the screen as 0x00BBGGRR values, top row first.
struct ScreenPixels {
  LONG left = 0, top = 0, width = 0, height = 0;
  std::vector<COLORREF> pixels;
  COLORREF At(int x, int y) const { return pixels[(size_t)(y - top) * width + (x - left)]; }
};

// Copies a rectangle of dc (the screen when dc is null) through a 32-bit DIB.
inline ScreenPixels GrabPixels(HDC dc, RECT r) {
  ScreenPixels shot;
  shot.left = r.left;
  shot.top = r.top;
  shot.width = r.right - r.left;
  shot.height = r.bottom - r.top;
  BITMAPINFO info;
  ZeroMemory(&info, sizeof(info));
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = NULL;
  HDC screen = dc != NULL ? dc : GetDC(NULL);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const BYTE* p = (const BYTE*)bits;
  for (LONG i = 0; i < shot.width * shot.height; i++, p += 4) shot.pixels.push_back(RGB(p[2], p[1], p[0]));
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  if (dc == NULL) ReleaseDC(NULL, screen);
  return shot;
}

// The palette's buttons and swatches, in palette client coordinates.
static const POINT LineButton = {273, 25}, RectangleButton = {293, 25}, EllipseButton = {314, 25},
                   SelectButton = {334, 25};
// The centre of swatch k (0 to 13) of row r (0 or 1).
inline POINT SwatchButton(int k, int r) { return POINT{40 + 16 * k, 16 + 16 * r}; }

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
    CaptureFixture::SetUp();
  }
  void TearDown() override {
    // Leave no key or button down for the next test.
    KeyEvent(VK_SHIFT, KEYEVENTF_KEYUP);
    KeyEvent(VK_CONTROL, KEYEVENTF_KEYUP);
    MouseEvent(MOUSEEVENTF_LEFTUP);
    CaptureFixture::TearDown();
    if (lib) FreeLibrary(lib);
  }

  // Arms the mode and waits for the full-screen mask.
  void ArmFullScreen(CaptureMode mode) {
    Arm(mode);
    mask = HostMask();
    ASSERT_TRUE(mask != NULL);
    palette = rec->glhDrawToolsWnd;
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(mask) != 0; }, Timeout));
  }
  // Mask client coordinates on the screen, and back.
  POINT OnScreen(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(mask, &p);
    return p;
  }
  POINT ClientOrigin() { return OnScreen(0, 0); }
  // Moves the cursor to p and lets the host take the move in. Wine answers every
  // injected move with a pointer event of the X server, which the host turns into
  // a move of its own; sent in a burst, those echoes come late and replay old
  // positions. One move at a time, each followed by a round trip to the host,
  // keeps them in step.
  void Step(POINT p) {
    MoveMouseTo(p.x, p.y);
    WaitUntil([&] {
      POINT c;
      GetCursorPos(&c);
      return c.x == p.x && c.y == p.y;
    }, Timeout);
    Ask(WM_APP_COUNT_OF, WM_USER_COPIED);
  }
  void Button(DWORD flag) {
    MouseEvent(flag);
    Ask(WM_APP_COUNT_OF, WM_USER_COPIED);
  }
  // Drags with the left button from a to b (screen points) through two steps
  // between them; before releasing, waits until arrived() says the mask has taken
  // in the move to b, repeating that move now and then.
  template <class Arrived>
  bool DragWith(POINT a, POINT b, Arrived arrived) {
    Step(a);
    Button(MOUSEEVENTF_LEFTDOWN);
    Step(POINT{a.x + (b.x - a.x) / 3, a.y + (b.y - a.y) / 3});
    Step(POINT{a.x + (b.x - a.x) * 2 / 3, a.y + (b.y - a.y) * 2 / 3});
    Step(b);
    int polls = 0;
    bool ok = WaitUntil([&] {
      if (++polls % 25 == 0) {
        Step(POINT{b.x + 1, b.y + 1});
        Step(b);
      }
      return arrived();
    }, Timeout);
    Button(MOUSEEVENTF_LEFTUP);
    return ok;
  }
  void ClickOnScreen(POINT p) {
    Step(p);
    Button(MOUSEEVENTF_LEFTDOWN);
    Button(MOUSEEVENTF_LEFTUP);
  }

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
  POINT ToClient(POINT screen) {
    ScreenToClient(mask, &screen);
    return screen;
  }
  // Draws one object with the current tool from a to b (screen points) and waits
  // until the list holds it as the newest object, spanning exactly a to b.
  bool DrawObject(POINT a, POINT b) {
    POINT ca = ToClient(a), cb = ToClient(b);
    int before = ObjectCount();
    bool dragged = DragWith(a, b, [&] {
      DrawObj obj;
      return CurrentObject(&obj) && obj.rect.left == ca.x && obj.rect.top == ca.y && obj.rect.right == cb.x &&
             obj.rect.bottom == cb.y;
    });
    DrawObj newest;
    return dragged && WaitForObjects(before + 1) && NewestObject(&newest) && newest.rect.left == ca.x &&
           newest.rect.top == ca.y && newest.rect.right == cb.x && newest.rect.bottom == cb.y;
  }

  // The number of finished objects in the host's list (0 when it has none).
  int ObjectCount() {
    if (rec->glDrawObjList == NULL) return 0;
    DrawObjList list;
    return ReadHost(rec->glDrawObjList, &list, sizeof(list)) ? list.count : -1;
  }
  bool WaitForObjects(int count) {
    return WaitUntil([&] { return ObjectCount() == count; }, Timeout);
  }

  // Touches the tips panel until the palette shows, clicks at p on it, and moves
  // back onto the mask until the palette hides again.
  bool ClickPalette(POINT p) {
    int nudge = 0;
    if (!WaitUntil([&] {
          Step(OnScreen(10 + nudge++ % 5, 20));
          return IsWindowVisible(palette) != 0;
        }, Timeout))
      return false;
    POINT s = p;
    ClientToScreen(palette, &s);
    ClickOnScreen(s);
    nudge = 0;
    return WaitUntil([&] {
      Step(OnScreen(640 + nudge++ % 5, 700));
      return IsWindowVisible(palette) == 0;
    }, Timeout);
  }
  // A click Wine hands over with a late move echo can land where the cursor was
  // before: the palette is clicked again until the choice is taken (a second click
  // on the same button or swatch changes nothing).
  template <class Chosen>
  bool ChooseOnPalette(POINT p, Chosen chosen) {
    return WaitUntil([&] { return ClickPalette(p) && WaitUntil(chosen, 2000); }, Timeout);
  }
  bool ChooseTool(POINT button, DrawTool tool) {
    return ChooseOnPalette(button, [&] { return rec->glCurDrawTool == tool; });
  }
  bool ChooseColour(POINT swatch, COLORREF colour) {
    return ChooseOnPalette(swatch, [&] { return rec->glCurColor == colour; });
  }
};
