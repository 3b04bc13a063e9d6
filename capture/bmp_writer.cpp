// SaveToFile: the grab converted to a device-independent bitmap and written as
// "CaptureTemp.bmp" into the temporary folder.
#include "capture/bmp_layout.h"
#include "capture/capture_internal.h"
#include "capture/shared_state.h"
#include "common/temp_file_path.h"
#include "common/trace_log.h"

static int DisplayBits(HWND window) {
  HDC dc = GetDC(window);
  int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
  ReleaseDC(window, dc);
  return bits;
}

// Converts the bitmap into the block: header, colour table, rows.
static void ConvertBitmap(HBITMAP bitmap, const BmpLayout& layout, BYTE* block) {
  HDC screen = GetDC(NULL);
  HPALETTE previous = SelectPalette(screen, (HPALETTE)GetStockObject(DEFAULT_PALETTE), FALSE);
  RealizePalette(screen);
  GetDIBits(screen, bitmap, 0, (UINT)layout.height, block + sizeof(BITMAPINFOHEADER) + layout.paletteBytes,
            (BITMAPINFO*)block, DIB_RGB_COLORS);
  if (previous != NULL) {
    SelectPalette(screen, previous, TRUE);
    RealizePalette(screen);
  }
  ReleaseDC(NULL, screen);
}

// Writes all of it or reports failure.
static BOOL WriteAll(HANDLE file, const void* data, DWORD size) {
  DWORD written = 0;
  return WriteFile(file, data, size, &written, NULL) && written == size;
}

int WriteCaptureFile(HBITMAP bitmap, int depth, int copyToClipboard, int* onClipboard) {
  *onClipboard = 0;
  BITMAP info;
  ZeroMemory(&info, sizeof(info));
  GetObjectA(bitmap, sizeof(info), &info);
  BmpLayout layout = ComputeBmpLayout(info.bmWidth, info.bmHeight, depth);
  DWORD blockSize = sizeof(BITMAPINFOHEADER) + layout.paletteBytes + layout.imageBytes;

  // One block for header, colour table and rows.
  int result = 0;
  HGLOBAL memory = GlobalAlloc(GHND, blockSize);
  BYTE* block = memory ? (BYTE*)GlobalLock(memory) : NULL;
  char path[100];
  if (block != NULL) {
    FillBmpInfoHeader(layout, (BITMAPINFOHEADER*)block);
    ConvertBitmap(bitmap, layout, block);
    if (copyToClipboard) *onClipboard = PutBitmapOnClipboard(bitmap);

    if (!GetCaptureTempPath(path)) {
      TraceLog("TempFileName too long, no file");
    } else {
      TraceLog("TempFileName:%s", path);
      HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
      if (file != INVALID_HANDLE_VALUE) {
        BYTE header[14];
        FillBmpFileHeader(layout, header);
        result = WriteAll(file, header, sizeof(header)) && WriteAll(file, block, blockSize);
        CloseHandle(file);
        // A short file (a full disk) would pass for a picture: remove it.
        if (!result) {
          TraceLog("WriteFile Failed");
          DeleteFileA(path);
        }
      }
    }
  }
  if (block != NULL) GlobalUnlock(memory);
  if (memory != NULL) GlobalFree(memory);
  return result;
}

int SaveToFile(HWND window) {
  HBITMAP bitmap = GrabTargetBitmap(window);
  if (bitmap == NULL) return 0;
  int onClipboard = 0;
  int result = WriteCaptureFile(bitmap, BmpDepthForDisplay(DisplayBits(window)), glShared.glCopyToClipboard,
                                &onClipboard);
  // Once the clipboard has taken the bitmap it belongs to the system.
  if (!onClipboard) DeleteObject(bitmap);
  return result;
}
