// raw_floor.exe: the least a capture can cost on this display, in a plain Win32
// program: on a right-click, one BitBlt, one GetDIBits and one file write.
//   raw_floor.exe screen FILE           a backdrop over the whole screen; captures the screen
//   raw_floor.exe window X Y FILE       an 800 x 600 window; captures itself, counts mouse moves
// The backdrop paints a busy picture once, so that the screen the captures and the
// JPEG steps see is not a flat colour. Each step's time goes to a named mapping.
#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include "bench/bench_shared.h"

static int gScreenMode;
static char gOutPath[MAX_PATH];
static HBITMAP gPicture;
static BenchFloorRecord* gRecord;
static HANDLE gMoveEvent;

// A deterministic picture: a gradient, overlapping shapes and lines of text.
static HBITMAP DrawPicture(HDC reference, int width, int height) {
  HDC dc = CreateCompatibleDC(reference);
  HBITMAP picture = CreateCompatibleBitmap(reference, width, height);
  HGDIOBJ oldBitmap = SelectObject(dc, picture);
  for (int y = 0; y < height; y += 4) {
    RECT band = {0, y, width, y + 4};
    HBRUSH brush = CreateSolidBrush(RGB(40 + y * 150 / height, 80, 200 - y * 150 / height));
    FillRect(dc, &band, brush);
    DeleteObject(brush);
  }
  unsigned seed = 12345;
  for (int i = 0; i < 400; i++) {
    seed = seed * 1103515245u + 12345u;
    int x = (int)(seed >> 8) % width, y = (int)(seed >> 4) % height;
    seed = seed * 1103515245u + 12345u;
    int w = 20 + (int)(seed >> 9) % 220, h = 20 + (int)(seed >> 5) % 160;
    HBRUSH brush = CreateSolidBrush(RGB(seed & 0xFF, (seed >> 11) & 0xFF, (seed >> 19) & 0xFF));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    if (i % 2) Ellipse(dc, x, y, x + w, y + h);
    else Rectangle(dc, x, y, x + w, y + h);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
  }
  SetBkMode(dc, TRANSPARENT);
  for (int y = 10; y < height; y += 24) {
    static const char line[] = "The quick brown fox jumps over the lazy dog 0123456789 ";
    TextOutA(dc, (y * 7) % 200, y, line, (int)sizeof(line) - 1);
  }
  SelectObject(dc, oldBitmap);
  DeleteDC(dc);
  return picture;
}

static void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, gPicture);
  RECT client;
  GetClientRect(window, &client);
  BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  EndPaint(window, &ps);
}

typedef HRESULT(WINAPI* CompositionEnabledProc)(BOOL*);
typedef HRESULT(WINAPI* GetAttributeProc)(HWND, DWORD, PVOID, DWORD);

// Where the desktop is composed, the window's visible frame (its extended frame
// bounds), which is read from the screen; 0 where it is not.
static int ComposedFrame(HWND window, RECT* frame) {
  char path[MAX_PATH];
  UINT length = GetSystemDirectoryA(path, MAX_PATH);
  lstrcpyA(path + length, "\\dwmapi.dll");
  HMODULE dwm = LoadLibraryA(path);
  if (dwm == NULL) return 0;
  CompositionEnabledProc enabled = (CompositionEnabledProc)(void*)GetProcAddress(dwm, "DwmIsCompositionEnabled");
  GetAttributeProc get = (GetAttributeProc)(void*)GetProcAddress(dwm, "DwmGetWindowAttribute");
  BOOL composed = FALSE;
  return enabled != NULL && get != NULL && SUCCEEDED(enabled(&composed)) && composed &&
         SUCCEEDED(get(window, 9 /* DWMWA_EXTENDED_FRAME_BOUNDS */, frame, sizeof *frame));
}

// The floor: the source's pixels as a bottom-up DIB of the display's depth, written
// with its headers in one call. On a composed desktop the window is read from the
// screen over its visible frame.
static void Capture(HWND window) {
  HWND source = gScreenMode ? GetDesktopWindow() : window;
  LARGE_INTEGER t0, t1, t2, t3;
  QueryPerformanceCounter(&t0);
  RECT r;
  int composed = !gScreenMode && ComposedFrame(window, &r);
  if (composed) source = GetDesktopWindow();
  HDC src = GetWindowDC(source);
  if (gScreenMode) {
    // The screen is every monitor: the virtual screen, from its own corner.
    int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    SetRect(&r, x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN));
  } else if (!composed) {
    GetWindowRect(source, &r);
    OffsetRect(&r, -r.left, -r.top);
  }
  int w = r.right - r.left, h = r.bottom - r.top;
  int depth = GetDeviceCaps(src, BITSPIXEL) * GetDeviceCaps(src, PLANES);
  if (depth > 24) depth = 32;
  else if (depth > 8) depth = 24;
  HDC mem = CreateCompatibleDC(src);
  HBITMAP bitmap = CreateCompatibleBitmap(src, w, h);
  HGDIOBJ old = SelectObject(mem, bitmap);
  BitBlt(mem, 0, 0, w, h, src, r.left, r.top, composed ? SRCCOPY | CAPTUREBLT : SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  QueryPerformanceCounter(&t1);

  DWORD rowBytes = (DWORD)((depth * w + 31) / 32) * 4;
  DWORD imageBytes = rowBytes * (DWORD)h;
  DWORD fileBytes = 14 + 40 + imageBytes;
  BYTE* file = (BYTE*)HeapAlloc(GetProcessHeap(), 0, fileBytes);
  BITMAPINFOHEADER* info = (BITMAPINFOHEADER*)(file + 14);
  ZeroMemory(file, 54);
  file[0] = 'B';
  file[1] = 'M';
  *(DWORD*)(file + 2) = fileBytes;
  *(DWORD*)(file + 10) = 54;
  info->biSize = 40;
  info->biWidth = w;
  info->biHeight = h;
  info->biPlanes = 1;
  info->biBitCount = (WORD)depth;
  GetDIBits(src, bitmap, 0, (UINT)h, file + 54, (BITMAPINFO*)info, DIB_RGB_COLORS);
  info->biSizeImage = 0;
  ReleaseDC(source, src);
  DeleteObject(bitmap);
  QueryPerformanceCounter(&t2);

  HANDLE out = CreateFileA(gOutPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
  if (out != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(out, file, fileBytes, &written, NULL);
    CloseHandle(out);
  }
  QueryPerformanceCounter(&t3);
  HeapFree(GetProcessHeap(), 0, file);
  if (gRecord != NULL) {
    gRecord->grabMs = BenchMs(t0, t1);
    gRecord->convertMs = BenchMs(t1, t2);
    gRecord->writeMs = BenchMs(t2, t3);
    InterlockedIncrement(&gRecord->captures);
  }
}

static LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (gRecord != NULL) InterlockedIncrement(&gRecord->moves);
      if (gMoveEvent != NULL) SetEvent(gMoveEvent);
      return 0;
    case WM_RBUTTONDOWN:
      Capture(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (__argc < 3) return 2;
  gScreenMode = strcmp(__argv[1], "screen") == 0;
  if (!gScreenMode && (strcmp(__argv[1], "window") != 0 || __argc < 5)) return 2;
  lstrcpynA(gOutPath, __argv[gScreenMode ? 2 : 4], sizeof(gOutPath));

  char mappingName[64];
  wsprintfA(mappingName, "%s%s", BenchFloorMapping, __argv[1]);
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(BenchFloorRecord),
                                     mappingName);
  if (mapping != NULL) gRecord = (BenchFloorRecord*)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0);
  if (!gScreenMode) gMoveEvent = CreateEventA(NULL, FALSE, FALSE, BenchMoveEvent);

  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = FloorProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  wc.lpszClassName = BenchFloorClass;
  RegisterClassA(&wc);

  int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(NULL);
  gPicture = DrawPicture(screen, sw, sh);
  ReleaseDC(NULL, screen);
  HWND window;
  if (gScreenMode) {
    window = CreateWindowExA(0, BenchFloorClass, BenchBackdropTitle, WS_POPUP, 0, 0, sw, sh, NULL, NULL,
                             instance, NULL);
  } else {
    window = CreateWindowExA(WS_EX_TOPMOST, BenchFloorClass, BenchWindowTitle, WS_OVERLAPPEDWINDOW,
                             atoi(__argv[2]), atoi(__argv[3]), BenchWindowWidth, BenchWindowHeight, NULL, NULL,
                             instance, NULL);
  }
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DeleteObject(gPicture);
  return 0;
}
