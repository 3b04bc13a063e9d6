// Churn.exe: creates and deletes known numbers of GDI objects, kernel handles,
// windows and memory on request, so that the census can be checked against known
// changes. SendMessage(window, WM_APP_CHURN_MAKE, kind, n) creates n of a kind and
// returns how many it made; WM_APP_CHURN_FREE deletes everything it made.
#include <windows.h>
#include <vector>
#include "tests/reliability/churn.h"

static std::vector<HGDIOBJ> gObjects;
static std::vector<HDC> gDCs;
static std::vector<HANDLE> gEvents;
static std::vector<HWND> gWindows;
static std::vector<void*> gBlocks;
static HWND gMain;

static LRESULT Make(WPARAM kind, LPARAM n) {
  LRESULT made = 0;
  for (LPARAM i = 0; i < n; i++) {
    switch (kind) {
      case ChurnBrushes: gObjects.push_back(CreateSolidBrush(RGB(i, 0, 0))); break;
      case ChurnPens: gObjects.push_back(CreatePen(PS_SOLID, 1 + (int)(i % 3), RGB(0, i, 0))); break;
      case ChurnBitmaps: gObjects.push_back(CreateBitmap(8, 8, 1, 32, NULL)); break;
      case ChurnRegions: gObjects.push_back(CreateRectRgn(0, 0, 10 + (int)i, 10)); break;
      case ChurnFonts: gObjects.push_back(CreateFontA(12 + (int)i, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, "Arial")); break;
      case ChurnMemoryDCs: gDCs.push_back(CreateCompatibleDC(NULL)); break;
      case ChurnEvents: gEvents.push_back(CreateEventA(NULL, FALSE, FALSE, NULL)); break;
      case ChurnWindows:
        gWindows.push_back(CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 10, 10, gMain, NULL, NULL, NULL));
        break;
      case ChurnMegabytes: {
        // Committed and touched, like a heap that grew.
        BYTE* block = (BYTE*)VirtualAlloc(NULL, 1 << 20, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        if (block) {
          for (int at = 0; at < (1 << 20); at += 4096) block[at] = 1;
          gBlocks.push_back(block);
        }
        break;
      }
      default: return made;
    }
    made++;
  }
  return made;
}

static void FreeAll(void) {
  for (HGDIOBJ object : gObjects) DeleteObject(object);
  for (HDC dc : gDCs) DeleteDC(dc);
  for (HANDLE event : gEvents) CloseHandle(event);
  for (HWND window : gWindows) DestroyWindow(window);
  for (void* block : gBlocks) VirtualFree(block, 0, MEM_RELEASE);
  gObjects.clear();
  gDCs.clear();
  gEvents.clear();
  gWindows.clear();
  gBlocks.clear();
}

static LRESULT CALLBACK ChurnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_APP_CHURN_MAKE:
      return Make(wParam, lParam);
    case WM_APP_CHURN_FREE:
      FreeAll();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = ChurnProc;
  wc.hInstance = instance;
  wc.lpszClassName = ChurnClass;
  RegisterClassA(&wc);
  gMain = CreateWindowExA(0, ChurnClass, "Churn", WS_OVERLAPPED, 0, 0, 50, 50, NULL, NULL, instance, NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
