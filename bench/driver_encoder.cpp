// The output stage's steps timed in the driver's own process on a captured BMP:
// Encoder.dll's BmpToJpg, the platform's JPEG codec alone on the same pixels,
// and a plain copy of the file.
#include <objbase.h>
#include <string.h>
#include "bench/driver_runs.h"
#include "common/vistrel_api.h"
#include "encoder/bmp_reader.h"
#include "encoder/jpeg_encoder.h"

int RunBmpToJpg(const BenchSetup& s, const std::string& bmp, double* ms) {
  static BmpToJpgFn convert;
  if (convert == NULL) {
    HMODULE encoder = LoadLibraryA((s.binDir + "Encoder.dll").c_str());
    if (encoder != NULL) convert = (BmpToJpgFn)(void*)GetProcAddress(encoder, "BmpToJpg");
  }
  if (convert == NULL) return 0;
  std::string jpg = s.workDir + "encoder.jpg";
  DeleteFileA(jpg.c_str());
  double start = NowMs();
  int written = convert(bmp.c_str(), jpg.c_str());
  *ms = NowMs() - start;
  return written;
}

// The file's pixels as the encoder hands them to the codec.
static unsigned char* ReadPixels(const std::string& bmp, BmpLayout* layout) {
  HANDLE file = CreateFileA(bmp.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return NULL;
  DWORD size = GetFileSize(file, NULL), got = 0;
  unsigned char* bytes = (unsigned char*)HeapAlloc(GetProcessHeap(), 0, size);
  bool read = bytes && ReadFile(file, bytes, size, &got, NULL) && got == size;
  CloseHandle(file);
  unsigned char* bgr = NULL;
  if (read && BmpReadLayout(bytes, size, layout)) {
    bgr = (unsigned char*)HeapAlloc(GetProcessHeap(), 0, BmpBgrStride(layout->width) * (size_t)layout->height);
    if (bgr) BmpConvertToBgr(bytes, layout, bgr);
  }
  if (bytes) HeapFree(GetProcessHeap(), 0, bytes);
  return bgr;
}

struct Frame {
  const unsigned char* bgr;
  size_t stride;
};

// Hands the codec rows already converted: the codec's own cost alone.
static void CopyBand(void* context, int firstRow, int rowCount, unsigned char* band) {
  const Frame* frame = (const Frame*)context;
  memcpy(band, frame->bgr + (size_t)firstRow * frame->stride, frame->stride * (size_t)rowCount);
}

int RunCodecAlone(const std::string& bmp, double* ms) {
  BmpLayout layout;
  unsigned char* bgr = ReadPixels(bmp, &layout);
  if (bgr == NULL) return 0;
  CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
  Frame frame = {bgr, BmpBgrStride(layout.width)};
  double start = NowMs();
  IStream* jpeg = EncodeJpeg(CopyBand, &frame, layout.width, layout.height);
  *ms = NowMs() - start;
  if (jpeg) jpeg->Release();
  HeapFree(GetProcessHeap(), 0, bgr);
  return jpeg != NULL ? 1 : 0;
}

int RunCopy(const BenchSetup& s, const std::string& bmp, double* ms) {
  std::string copy = s.workDir + "copy.bmp";
  DeleteFileA(copy.c_str());
  double start = NowMs();
  BOOL copied = CopyFileA(bmp.c_str(), copy.c_str(), FALSE);
  *ms = NowMs() - start;
  return copied ? 1 : 0;
}
