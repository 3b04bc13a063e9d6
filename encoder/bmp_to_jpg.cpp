// The export of Encoder.dll: a BMP file in, a baseline JPEG file out.
#include "common/vistrel_api.h"
#include "encoder/bmp_reader.h"
#include "encoder/jpeg_encoder.h"

// No accepted bitmap needs more: the largest pixel count at 32 bits plus headers.
static const LONGLONG kMaxBmpFileBytes = kBmpMaxPixels * 4 + 65536;

// The source file, mapped: its pages are read where the system keeps them, with
// no copy of the file in this process's memory. The open handle denies writers.
struct MappedFile {
  HANDLE file;
  HANDLE mapping;
  const unsigned char* bytes;
  size_t size;
};

static int MapWholeFile(const char* path, MappedFile* mapped) {
  mapped->mapping = NULL;
  mapped->bytes = NULL;
  mapped->size = 0;
  mapped->file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
  if (mapped->file == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER length;
  if (GetFileSizeEx(mapped->file, &length) && length.QuadPart > 0 && length.QuadPart <= kMaxBmpFileBytes) {
    mapped->mapping = CreateFileMappingA(mapped->file, NULL, PAGE_READONLY, 0, 0, NULL);
    if (mapped->mapping != NULL) mapped->bytes = (const unsigned char*)MapViewOfFile(mapped->mapping, FILE_MAP_READ, 0, 0, 0);
    mapped->size = (size_t)length.QuadPart;
  }
  return mapped->bytes != NULL;
}

static void UnmapWholeFile(MappedFile* mapped) {
  if (mapped->bytes != NULL) UnmapViewOfFile(mapped->bytes);
  if (mapped->mapping != NULL) CloseHandle(mapped->mapping);
  if (mapped->file != INVALID_HANDLE_VALUE) CloseHandle(mapped->file);
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

struct BmpSource {
  const unsigned char* file;
  const BmpLayout* layout;
};

static void ConvertBand(void* context, int firstRow, int rowCount, unsigned char* bgr) {
  const BmpSource* source = (const BmpSource*)context;
  BmpConvertRows(source->file, source->layout, firstRow, rowCount, bgr);
}

// Everything the file's pixels need once COM is up: encode, then write in one go.
static int EncodeToFile(const unsigned char* file, const BmpLayout* layout, const char* jpgPath) {
  BmpSource source = {file, layout};
  IStream* jpeg = EncodeJpeg(ConvertBand, &source, layout->width, layout->height);
  if (!jpeg) return 0;
  int written = WriteStreamToFile(jpeg, jpgPath);
  jpeg->Release();
  return written;
}

extern "C" int WINAPI BmpToJpg(const char* bmpPath, const char* jpgPath) {
  if (!bmpPath || !jpgPath) return 0;
  MappedFile mapped;
  int written = 0;
  BmpLayout layout;
  if (MapWholeFile(bmpPath, &mapped) && BmpReadLayout(mapped.bytes, mapped.size, &layout)) {
    // A thread already in the multithreaded apartment can still use WIC.
    HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(com) || com == RPC_E_CHANGED_MODE) written = EncodeToFile(mapped.bytes, &layout, jpgPath);
    if (SUCCEEDED(com)) CoUninitialize();
  }
  UnmapWholeFile(&mapped);
  return written;
}
