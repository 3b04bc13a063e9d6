// The export of Encoder.dll: a BMP file in, a baseline JPEG file out.
#include "common/vistrel_api.h"
#include "encoder/bmp_reader.h"
#include "encoder/jpeg_encoder.h"

// No accepted bitmap needs more: the largest pixel count at 32 bits plus headers.
static const LONGLONG kMaxBmpFileBytes = kBmpMaxPixels * 4 + 65536;

// Reads the whole file into a process-heap block; returns it (size in *size) or NULL.
static unsigned char* ReadWholeFile(const char* path, size_t* size) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
  if (file == INVALID_HANDLE_VALUE) return NULL;
  unsigned char* data = NULL;
  LARGE_INTEGER length;
  if (GetFileSizeEx(file, &length) && length.QuadPart > 0 && length.QuadPart <= kMaxBmpFileBytes) {
    DWORD wanted = (DWORD)length.QuadPart;
    DWORD got = 0;
    data = (unsigned char*)HeapAlloc(GetProcessHeap(), 0, wanted);
    if (data && (!ReadFile(file, data, wanted, &got, NULL) || got != wanted)) {
      HeapFree(GetProcessHeap(), 0, data);
      data = NULL;
    }
    *size = wanted;
  }
  CloseHandle(file);
  return data;
}

// Creates or replaces the file with the bytes of the stream; a failed write leaves no file.
static int WriteStreamToFile(IStream* stream, const char* path) {
  STATSTG stat;
  HGLOBAL memory = NULL;
  if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || FAILED(GetHGlobalFromStream(stream, &memory)))
    return 0;
  if (stat.cbSize.QuadPart == 0 || stat.cbSize.QuadPart > MAXDWORD) return 0;
  DWORD size = (DWORD)stat.cbSize.QuadPart;
  const void* bytes = GlobalLock(memory);
  if (!bytes) return 0;

  int written = 0;
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD done = 0;
    written = WriteFile(file, bytes, size, &done, NULL) && done == size;
    if (!CloseHandle(file)) written = 0;
    if (!written) DeleteFileA(path);
  }
  GlobalUnlock(memory);
  return written;
}

// Everything the file's pixels need once COM is up: encode, then write in one go.
static int EncodeToFile(const unsigned char* bgr, const BmpLayout* layout, const char* jpgPath) {
  IStream* jpeg = EncodeJpeg(bgr, layout->width, layout->height, BmpBgrStride(layout->width));
  if (!jpeg) return 0;
  int written = WriteStreamToFile(jpeg, jpgPath);
  jpeg->Release();
  return written;
}

extern "C" int WINAPI BmpToJpg(const char* bmpPath, const char* jpgPath) {
  if (!bmpPath || !jpgPath) return 0;
  size_t fileSize = 0;
  unsigned char* file = ReadWholeFile(bmpPath, &fileSize);
  if (!file) return 0;

  int written = 0;
  unsigned char* bgr = NULL;
  BmpLayout layout;
  if (BmpReadLayout(file, fileSize, &layout)) {
    bgr = (unsigned char*)HeapAlloc(GetProcessHeap(), 0, BmpBgrStride(layout.width) * (size_t)layout.height);
    if (bgr) BmpConvertToBgr(file, &layout, bgr);
  }
  HeapFree(GetProcessHeap(), 0, file);

  if (bgr) {
    // A thread already in the multithreaded apartment can still use WIC.
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(com) || com == RPC_E_CHANGED_MODE) written = EncodeToFile(bgr, &layout, jpgPath);
    if (SUCCEEDED(com)) CoUninitialize();
    HeapFree(GetProcessHeap(), 0, bgr);
  }
  return written;
}
