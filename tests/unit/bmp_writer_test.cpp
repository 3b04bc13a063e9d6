// The temporary BMP file: its layout at every depth, and the real writer's bytes
// for a bitmap of known pixels.
#include <gtest/gtest.h>
#include <string.h>
#include "capture/bmp_layout.h"
#include "capture/capture_internal.h"
#include "capture/draw_objects.h"
#include "capture/shared_state.h"
#include "common/temp_file_path.h"
#include "tests/support/bmp_file.h"

TEST(BmpLayout, DepthFollowsTheDisplay) {
  const int cases[][2] = {{1, 1}, {2, 4}, {4, 4}, {8, 8}, {15, 24}, {16, 24}, {24, 24}, {32, 32}, {48, 64}};
  for (auto& c : cases) EXPECT_EQ(BmpDepthForDisplay(c[0]), c[1]) << c[0];
}

TEST(BmpLayout, SizesOffsetsAndPadding) {
  struct Case { int w, h, depth; DWORD palette, row, fileSize, offset; } cases[] = {
      {400, 300, 32, 0, 1600, 480054, 54},  // a 400 x 300 window on a 32-bit display
      {401, 10, 24, 0, 1204, 54 + 12040, 54},
      {3, 2, 24, 0, 12, 54 + 24, 54},
      {5, 3, 8, 1024, 8, 54 + 1024 + 24, 1078},
      {9, 2, 4, 64, 8, 54 + 64 + 16, 118},
      {33, 4, 1, 8, 8, 54 + 8 + 32, 62},
      {1, 1, 32, 0, 4, 58, 54},
  };
  for (auto& c : cases) {
    BmpLayout layout = ComputeBmpLayout(c.w, c.h, c.depth);
    EXPECT_EQ(layout.paletteBytes, c.palette) << c.w << "x" << c.h << "x" << c.depth;
    EXPECT_EQ(layout.rowBytes, c.row) << c.w << "x" << c.h << "x" << c.depth;
    EXPECT_EQ(layout.imageBytes, c.row * c.h);
    BYTE header[14];
    FillBmpFileHeader(layout, header);
    EXPECT_EQ(memcmp(header, "BM", 2), 0);
    DWORD size, reserved, offset;
    memcpy(&size, header + 2, 4);
    memcpy(&reserved, header + 6, 4);
    memcpy(&offset, header + 10, 4);
    EXPECT_EQ(size, c.fileSize);
    EXPECT_EQ(reserved, 0u);
    EXPECT_EQ(offset, c.offset);
    BITMAPINFOHEADER info;
    FillBmpInfoHeader(layout, &info);
    EXPECT_EQ(info.biSize, 40u);
    EXPECT_EQ(info.biWidth, c.w);
    EXPECT_EQ(info.biHeight, c.h);
    EXPECT_EQ(info.biPlanes, 1);
    EXPECT_EQ(info.biBitCount, c.depth);
    EXPECT_EQ(info.biCompression, (DWORD)BI_RGB);
    EXPECT_EQ(info.biSizeImage | info.biXPelsPerMeter | info.biYPelsPerMeter | info.biClrUsed | info.biClrImportant, 0u);
  }
}

class BmpWriterTest : public ::testing::Test {
 protected:
  HBITMAP bitmap = NULL;
  char path[100];
  // A 7 x 3 bitmap: a black left column, a white right column, red between, and
  // a blue top row between them.
  void SetUp() override {
    ASSERT_TRUE(GetCaptureTempPath(path));
    DeleteFileA(path);
    HDC screen = GetDC(NULL);
    bitmap = CreateCompatibleBitmap(screen, 7, 3);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < 3; y++)
      for (int x = 0; x < 7; x++)
        SetPixel(dc, x, y, x == 0 ? RGB(0, 0, 0) : x == 6 ? RGB(255, 255, 255) : y == 0 ? RGB(0, 0, 255) : RGB(255, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
  }
  void TearDown() override {
    DeleteObject(bitmap);
    DeleteFileA(path);
  }
  BmpFile Write(int depth) {
    int onClipboard = 1;
    EXPECT_EQ(WriteCaptureFile(bitmap, depth, 0, &onClipboard), 1);
    EXPECT_EQ(onClipboard, 0);
    return ReadBmpFile(path);
  }
  // The header fields against the layout of that depth.
  static void ExpectHeader(const BmpFile& bmp, int depth) {
    BmpLayout layout = ComputeBmpLayout(7, 3, depth);
    ASSERT_TRUE(bmp.ok);
    EXPECT_EQ(bmp.bitCount, depth);
    EXPECT_EQ(bmp.width, 7);
    EXPECT_EQ(bmp.height, 3);
    EXPECT_EQ(bmp.pixelOffset, 54 + layout.paletteBytes);
    EXPECT_EQ(bmp.fileSize, 54 + layout.paletteBytes + layout.imageBytes);
    EXPECT_EQ(bmp.bytes.size(), (size_t)bmp.fileSize);
  }
  // Palette index of the pixel (x, y), top row 0, of a bottom-up file of depth up to
  // 8; -1 for a point or a byte the file does not hold.
  static int Index(const BmpFile& bmp, int x, int y) {
    if (x < 0 || y < 0 || x >= bmp.width || y >= bmp.height || bmp.bitCount == 0 || bmp.bitCount > 8) return -1;
    int bit = x * bmp.bitCount;
    size_t at = bmp.pixelOffset + (size_t)(bmp.height - 1 - y) * bmp.RowBytes() + bit / 8;
    if (at >= bmp.bytes.size()) return -1;
    return ((BYTE)bmp.bytes[at] >> (8 - bmp.bitCount - bit % 8)) & ((1 << bmp.bitCount) - 1);
  }
  static COLORREF TableColour(const BmpFile& bmp, int index) {
    if (index < 0 || 54 + 4 * (size_t)index + 4 > bmp.bytes.size()) {
      ADD_FAILURE() << "no colour table entry " << index;
      return BmpFile::NoPixel;
    }
    const BYTE* entry = (const BYTE*)bmp.bytes.data() + 54 + 4 * index;
    EXPECT_EQ(entry[3], 0) << "reserved byte of entry " << index;
    return RGB(entry[2], entry[1], entry[0]);
  }
};

TEST_F(BmpWriterTest, TrueColourFiles) {
  for (int depth : {24, 32}) {
    BmpFile bmp = Write(depth);
    ExpectHeader(bmp, depth);
    if (!bmp.ok) continue;
    EXPECT_EQ(bmp.Pixel(0, 0), RGB(0, 0, 0)) << depth;
    EXPECT_EQ(bmp.Pixel(6, 2), RGB(255, 255, 255)) << depth;
    EXPECT_EQ(bmp.Pixel(3, 0), RGB(0, 0, 255)) << depth;
    EXPECT_EQ(bmp.Pixel(3, 2), RGB(255, 0, 0)) << depth;  // bottom row, stored first
    if (depth == 24) {
      // 21 bytes of pixels and 3 of fill per row.
      EXPECT_EQ(bmp.RowBytes(), 24u);
      const BYTE* firstRow = (const BYTE*)bmp.bytes.data() + 54;
      EXPECT_EQ(firstRow[21] | firstRow[22] | firstRow[23], 0);
    }
  }
}

TEST_F(BmpWriterTest, PalettedFilesCarryTheirColourTable) {
  for (int depth : {1, 4, 8}) {
    BmpFile bmp = Write(depth);
    ExpectHeader(bmp, depth);
    if (!bmp.ok) continue;
    // Every pixel's index names a colour of its table close to the source.
    EXPECT_EQ(TableColour(bmp, Index(bmp, 0, 1)), RGB(0, 0, 0)) << depth;
    EXPECT_EQ(TableColour(bmp, Index(bmp, 6, 1)), RGB(255, 255, 255)) << depth;
    if (depth >= 4) {
      COLORREF red = TableColour(bmp, Index(bmp, 3, 2)), blue = TableColour(bmp, Index(bmp, 3, 0));
      EXPECT_GT(GetRValue(red), 100) << depth;
      EXPECT_EQ(GetBValue(red), 0) << depth;
      EXPECT_GT(GetBValue(blue), 100) << depth;
      EXPECT_EQ(GetRValue(blue), 0) << depth;
    }
  }
}

TEST_F(BmpWriterTest, ReplacesAnEarlierFile) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  std::string junk(200000, 'x');
  DWORD written = 0;
  WriteFile(file, junk.data(), (DWORD)junk.size(), &written, NULL);
  CloseHandle(file);
  BmpFile bmp = Write(32);
  ExpectHeader(bmp, 32);
}

TEST_F(BmpWriterTest, FileHeldOpenByAnotherProgramIsAFailure) {
  HANDLE holder = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS, 0, NULL);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  int onClipboard = 1;
  EXPECT_EQ(WriteCaptureFile(bitmap, 32, 0, &onClipboard), 0);
  EXPECT_EQ(GetFileSize(holder, NULL), 0u);
  CloseHandle(holder);
}

// A window of this process painted in bands of known colours, 37 x 23 (odd, so
// that 24-bit rows carry fill).
static LRESULT CALLBACK BandsWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    const COLORREF bands[] = {RGB(1, 2, 3), RGB(250, 128, 7), RGB(0, 200, 255), RGB(255, 255, 255)};
    for (int i = 0; i < 4; i++) {
      HBRUSH brush = CreateSolidBrush(bands[i]);
      RECT r = {i * 10, 0, i * 10 + 10, 23};
      FillRect(dc, &r, brush);
      DeleteObject(brush);
    }
    SetPixel(dc, 5, 0, RGB(9, 99, 199));  // the top row, stored last
    EndPaint(window, &ps);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static std::string ReadAll(const char* path) {
  BmpFile bmp = ReadBmpFile(path);
  return bmp.ok ? bmp.bytes : std::string();
}

static void RegisterTestClass(const char* name, WNDPROC procedure) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
}

// Shows the bands window at (40, 40), topmost.
static HWND ShowBandsWindow(void) {
  RegisterTestClass("VistrelTestBands", BandsWndProc);
  HWND window = CreateWindowExA(WS_EX_TOPMOST, "VistrelTestBands", "", WS_POPUP | WS_VISIBLE, 40, 40, 37, 23,
                                NULL, NULL, GetModuleHandleA(NULL), NULL);
  if (window != NULL) UpdateWindow(window);
  return window;
}

// The grab at 24 and 32 bits lands in a section of the file's layout and is written
// from its bits as they stand; the file is byte for byte the one the conversion of
// the same pixels from a compatible bitmap gives.
TEST_F(BmpWriterTest, GrabWrittenAsItStandsEqualsTheConvertedGrab) {
  HWND window = ShowBandsWindow();
  ASSERT_TRUE(window != NULL);
  for (int depth : {24, 32}) {
    HBITMAP grab = GrabTargetBitmap(window, WindowCopy, depth, FALSE);
    ASSERT_TRUE(grab != NULL);
    DIBSECTION section;
    ASSERT_EQ(GetObjectA(grab, sizeof(section), &section), (int)sizeof(section)) << depth;
    EXPECT_EQ(section.dsBmih.biBitCount, depth);

    // The same pixels in a compatible bitmap, which the writer converts.
    HDC screen = GetDC(NULL);
    HBITMAP compatible = CreateCompatibleBitmap(screen, 37, 23);
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HGDIOBJ oldFrom = SelectObject(from, grab), oldTo = SelectObject(to, compatible);
    BitBlt(to, 0, 0, 37, 23, from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    ReleaseDC(NULL, screen);

    int onClipboard = 1;
    ASSERT_EQ(WriteCaptureFile(grab, depth, 0, &onClipboard), 1);
    std::string direct = ReadAll(path);
    ASSERT_EQ(WriteCaptureFile(compatible, depth, 0, &onClipboard), 1);
    std::string converted = ReadAll(path);
    ASSERT_FALSE(direct.empty());
    EXPECT_TRUE(direct == converted) << depth;
    BmpFile bmp = ReadBmpFile(path);
    EXPECT_EQ(bmp.Pixel(0, 10), RGB(1, 2, 3)) << depth;
    EXPECT_EQ(bmp.Pixel(15, 22), RGB(250, 128, 7)) << depth;
    EXPECT_EQ(bmp.Pixel(25, 3), RGB(0, 200, 255)) << depth;
    EXPECT_EQ(bmp.Pixel(36, 22), RGB(255, 255, 255)) << depth;
    EXPECT_EQ(bmp.Pixel(5, 0), RGB(9, 99, 199)) << depth;
    DeleteObject(grab);
    DeleteObject(compatible);
  }
  DestroyWindow(window);
}

// The stand-in application LibHost.exe beside this test, with its mask (a real
// MaskWindow of another process, owned by LibHost's window); ended with the test.
struct ForeignApplication {
  PROCESS_INFORMATION pi = {};
  HWND main = NULL, mask = NULL;
  ~ForeignApplication() {
    if (pi.hProcess != NULL) {
      TerminateProcess(pi.hProcess, 0);
      WaitForSingleObject(pi.hProcess, 10000);
      CloseHandle(pi.hProcess);
      CloseHandle(pi.hThread);
    }
  }
  static BOOL CALLBACK FindMask(HWND window, LPARAM param) {
    ForeignApplication* app = (ForeignApplication*)param;
    DWORD pid = 0;
    char name[16] = {0};
    GetWindowThreadProcessId(window, &pid);
    GetClassNameA(window, name, sizeof(name));
    if (pid == app->pi.dwProcessId && lstrcmpA(name, "MaskWindow") == 0) {
      app->mask = window;
      app->main = GetWindow(window, GW_OWNER);
    }
    return TRUE;
  }
  bool Start() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    while (length > 0 && path[length - 1] != '\\') length--;
    lstrcpyA(path + length, "LibHost.exe");
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    if (!CreateProcessA(path, NULL, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) return false;
    for (DWORD start = GetTickCount(); mask == NULL && GetTickCount() - start < 30000; Sleep(10))
      EnumWindows(FindMask, (LPARAM)this);
    return mask != NULL && main != NULL;
  }
};

// A capture told of a mask of another process (a hooked program's view) in DrawCopy:
// the draw objects are this process's, but the mask is not, so nothing is painted
// from them and they are not freed; the target is taken as it stands.
TEST_F(BmpWriterTest, CaptureForAnotherProcesssMaskLeavesTheDrawObjectsAlone) {
  ForeignApplication foreign;
  ASSERT_TRUE(foreign.Start());
  HWND window = ShowBandsWindow();
  ASSERT_TRUE(window != NULL);
  DrawObj* obj = CreateDrawObj();
  ASSERT_TRUE(obj != NULL);
  obj->kind = DrawObjRectangle;
  SetRect(&obj->rect, 42, 42, 70, 60);  // over the window, in screen coordinates
  obj->colour = RGB(0, 255, 0);
  ASSERT_TRUE(AddDrawObj(obj));
  DrawObjList* list = glOwn.drawObjList;
  CaptureJob job = {window, NULL, foreign.mask, DrawCopy};
  CompleteCapture(job);
  BmpFile bmp = ReadBmpFile(path);
  EXPECT_TRUE(bmp.ok && bmp.width == 37 && bmp.Pixel(2, 10) == RGB(1, 2, 3));  // the rectangle's left edge
  ASSERT_EQ(glOwn.drawObjList, list);
  EXPECT_EQ(list->count, 1);
  FreeDrawObjList();
  DestroyWindow(window);
}

// A mask of the test's own that records its hide: the last step before the grab.
static HWND gRetargetTo;
static LRESULT CALLBACK RetargetingMaskProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SHOWWINDOW && !wParam && gRetargetTo != NULL) glShared.glhTargetWnd = gRetargetTo;
  return DefWindowProcA(window, message, wParam, lParam);
}

// The hook's capturing right-click, with the record as a hooked program finds it.
// It acts only for an application it can prove: a MaskWindow owned by the main
// window, both of one process. It captures the target it checked, though the record
// names another by the time the grab runs.
TEST_F(BmpWriterTest, HookCapturesTheTargetItCheckedForTheApplicationItProved) {
  ForeignApplication foreign;
  ASSERT_TRUE(foreign.Start());
  HWND window = ShowBandsWindow();
  ASSERT_TRUE(window != NULL);
  RegisterTestClass("MaskWindow", RetargetingMaskProc);
  HWND main = CreateWindowExA(0, "STATIC", "main", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
  HWND mask = CreateWindowExA(WS_EX_TOOLWINDOW, "MaskWindow", "MaskWindow", WS_POPUP | WS_VISIBLE, 300, 300, 20, 20,
                              main, NULL, GetModuleHandleA(NULL), NULL);
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 400, 40, 50, 60, NULL, NULL, NULL, NULL);
  ASSERT_TRUE(main && mask && other);
  SharedCaptureState saved = glShared;
  MOUSEHOOKSTRUCT mouse = {{45, 50}, window, HTCLIENT, 0};
  MSG msg;

  // Windows that are no application's: junk, another program's main window with this
  // mask, this main window with another program's mask. Nothing is captured, hidden
  // or posted.
  const struct {
    HWND main, mask;
  } strangers[] = {{(HWND)&glShared, (HWND)&glShared.glhMaskWnd},
                   {foreign.main, mask},
                   {main, foreign.mask},
                   {main, other}};
  for (const auto& s : strangers) {
    glShared.glCaptured = 0;
    glShared.glCaptureMode = ControlCopy;
    glShared.glhTargetWnd = window;
    glShared.glhMainWnd = s.main;
    glShared.glhMaskWnd = s.mask;
    EXPECT_EQ(MouseHookProc(HC_ACTION, WM_RBUTTONDOWN, (LPARAM)&mouse), 0);
    EXPECT_EQ(glShared.glCaptured, 0);
    EXPECT_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(IsWindowVisible(mask));
    EXPECT_FALSE(PeekMessageA(&msg, main, WM_USER_COPIED, WM_USER_COPIED, PM_REMOVE));
  }

  // This process's pair: the capture is taken of the window checked.
  glShared.glhMainWnd = main;
  glShared.glhMaskWnd = mask;
  gRetargetTo = other;
  EXPECT_EQ(MouseHookProc(HC_ACTION, WM_RBUTTONDOWN, (LPARAM)&mouse), 1);
  gRetargetTo = NULL;
  EXPECT_EQ(glShared.glhTargetWnd, other);  // the change came before the grab
  EXPECT_EQ(glShared.glCaptured, 1);
  EXPECT_FALSE(IsWindowVisible(mask));
  BmpFile bmp = ReadBmpFile(path);
  EXPECT_TRUE(bmp.ok && bmp.width == 37 && bmp.height == 23 && bmp.Pixel(0, 10) == RGB(1, 2, 3));
  EXPECT_TRUE(PeekMessageA(&msg, main, WM_USER_COPIED, WM_USER_COPIED, PM_REMOVE));

  glShared = saved;
  DestroyWindow(other);
  DestroyWindow(mask);
  DestroyWindow(main);
  UnregisterClassA("MaskWindow", GetModuleHandleA(NULL));
  DestroyWindow(window);
}
