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

// The bits of a device-independent section laid out as the file's rows (see
// GrabTargetBitmap), or NULL.
static const BYTE* DirectBits(HBITMAP bitmap, const BmpLayout& layout) {
  DIBSECTION section;
  if (!HasDirectLayout(layout.depth) || GetObjectA(bitmap, sizeof(section), &section) != sizeof(section))
    return NULL;
  const BITMAPINFOHEADER& h = section.dsBmih;
  if (section.dsBm.bmBits == NULL || h.biBitCount != layout.depth || h.biCompression != BI_RGB ||
      h.biWidth != layout.width || h.biHeight != layout.height)
    return NULL;
  GdiFlush();  // drawing still batched for the section lands in its bits
  return (const BYTE*)section.dsBm.bmBits;
}

// Creates the file and writes the file header, then the parts; a short file (a full
// disk) would pass for a picture, so it is removed.
static int WriteFileParts(const BmpLayout& layout, const void* info, DWORD infoSize, const void* rows,
                          DWORD rowsSize) {
  char path[100];
  if (!GetCaptureTempPath(path)) {
    TraceLog("TempFileName too long, no file");
    return 0;
  }
  TraceLog("TempFileName:%s", path);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BYTE header[14];
  FillBmpFileHeader(layout, header);
  int result = WriteAll(file, header, sizeof(header)) && WriteAll(file, info, infoSize) &&
               (rowsSize == 0 || WriteAll(file, rows, rowsSize));
  CloseHandle(file);
  if (!result) {
    TraceLog("WriteFile Failed");
    DeleteFileA(path);
  }
  return result;
}

int WriteCaptureFile(HBITMAP bitmap, int depth, int copyToClipboard, int* onClipboard) {
  *onClipboard = 0;
  BITMAP info;
  ZeroMemory(&info, sizeof(info));
  GetObjectA(bitmap, sizeof(info), &info);
  BmpLayout layout = ComputeBmpLayout(info.bmWidth, info.bmHeight, depth);

  // The grab's own bits: written as they stand, before the clipboard takes the
  // bitmap (whose next owner may delete it at any moment). The header says the
  // image size, as the conversion below has it filled in.
  const BYTE* bits = DirectBits(bitmap, layout);
  if (bits != NULL) {
    BITMAPINFOHEADER header;
    FillBmpInfoHeader(layout, &header);
    header.biSizeImage = layout.imageBytes;
    int result = WriteFileParts(layout, &header, sizeof(header), bits, layout.imageBytes);
    if (copyToClipboard) *onClipboard = PutBitmapOnClipboard(bitmap);
    return result;
  }

  // Otherwise one block for header, colour table and rows.
  DWORD blockSize = sizeof(BITMAPINFOHEADER) + layout.paletteBytes + layout.imageBytes;
  int result = 0;
  HGLOBAL memory = GlobalAlloc(GHND, blockSize);
  BYTE* block = memory ? (BYTE*)GlobalLock(memory) : NULL;
  if (block != NULL) {
    FillBmpInfoHeader(layout, (BITMAPINFOHEADER*)block);
    ConvertBitmap(bitmap, layout, block);
    if (copyToClipboard) *onClipboard = PutBitmapOnClipboard(bitmap);
    result = WriteFileParts(layout, block, blockSize, NULL, 0);
  }
  if (block != NULL) GlobalUnlock(memory);
  if (memory != NULL) GlobalFree(memory);
  return result;
}

int SaveToFile(HWND window, CaptureMode mode, BOOL fromScreen) {
  int depth = BmpDepthForDisplay(DisplayBits(window));
  // Read once: the grab's kind and the clipboard step must agree, whatever a
  // SetConfig in the meantime says.
  int copyToClipboard = glShared.glCopyToClipboard != 0;
  // The clipboard takes a bitmap compatible with the display, which is what the
  // programs reading it expect; only then is the grab converted for the file.
  HBITMAP bitmap = GrabTargetBitmap(window, mode, copyToClipboard ? 0 : depth, fromScreen);
  if (bitmap == NULL) return 0;
  int onClipboard = 0;
  int result = WriteCaptureFile(bitmap, depth, copyToClipboard, &onClipboard);
  // Once the clipboard has taken the bitmap it belongs to the system.
  if (!onClipboard) DeleteObject(bitmap);
  return result;
}
