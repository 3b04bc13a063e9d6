// The benchmark driver's clock, input, file checks, processes and windows.
#include "bench/driver_support.h"
#include <stdio.h>
#include <stdlib.h>

int Fail(const char* why) {
  fprintf(stderr, "bench_driver: %s\n", why);
  fflush(stderr);
  return 0;
}

double NowMs() {
  static LARGE_INTEGER frequency;
  if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

// Opens a file for reading without denying its writer anything; fails while a
// writer that denies sharing holds it.
static HANDLE OpenShared(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

static bool ReadAt(HANDLE file, LONG offset, DWORD method, void* buffer, DWORD size) {
  DWORD got = 0;
  return SetFilePointer(file, offset, NULL, method) != INVALID_SET_FILE_POINTER &&
         ReadFile(file, buffer, size, &got, NULL) && got == size;
}

bool BmpFileComplete(const std::string& path) {
  HANDLE file = OpenShared(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  BYTE header[6];
  DWORD length = GetFileSize(file, NULL);
  bool whole = length >= 54 && ReadAt(file, 0, FILE_BEGIN, header, sizeof(header)) && header[0] == 'B' &&
               header[1] == 'M' && *(DWORD*)(header + 2) == length;
  CloseHandle(file);
  return whole;
}

bool JpegFileComplete(const std::string& path) {
  HANDLE file = OpenShared(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  BYTE start[2], end[2];
  DWORD length = GetFileSize(file, NULL);
  bool whole = length >= 4 && ReadAt(file, 0, FILE_BEGIN, start, 2) && start[0] == 0xFF && start[1] == 0xD8 &&
               ReadAt(file, -2, FILE_END, end, 2) && end[0] == 0xFF && end[1] == 0xD9;
  CloseHandle(file);
  return whole;
}

std::string FirstMatch(const std::string& folder, const char* pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return "";
  FindClose(search);
  return folder + found.cFileName;
}

void RemoveMatches(const std::string& folder, const char* pattern) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    DeleteFileA((folder + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

bool BmpSize(const std::string& path, int* width, int* height) {
  *width = *height = 0;
  HANDLE file = OpenShared(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  LONG size[2];
  bool ok = ReadAt(file, 18, FILE_BEGIN, size, sizeof(size));
  CloseHandle(file);
  if (ok) {
    *width = size[0];
    *height = abs(size[1]);
  }
  return ok;
}

LRESULT SendWithin(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
  DWORD_PTR result = (DWORD_PTR)-2;
  SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &result);
  return (LRESULT)result;
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(NULL);
  COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(NULL, screen);
  return colour;
}

bool ColoursClose(COLORREF a, COLORREF b, int tolerance) {
  return abs((int)GetRValue(a) - (int)GetRValue(b)) <= tolerance &&
         abs((int)GetGValue(a) - (int)GetGValue(b)) <= tolerance &&
         abs((int)GetBValue(a) - (int)GetBValue(b)) <= tolerance;
}
