// Encoding 24-bit pixels as a baseline JPEG in memory with the WIC JPEG encoder.
#include "encoder/jpeg_encoder.h"

#include <wincodec.h>

// The quality goes through the frame's option bag before the frame is initialised.
static HRESULT SetQuality(IPropertyBag2* options) {
  wchar_t name[] = L"ImageQuality";
  PROPBAG2 option = {};
  option.pstrName = name;
  VARIANT value = {};
  value.vt = VT_R4;
  value.fltVal = kJpegQuality;
  return options->Write(1, &option, &value);
}

// The pixels go to the frame one band at a time through a single band buffer.
static HRESULT WritePixelBands(IWICBitmapFrameEncode* frame, JpegRowSource source, void* context, int width,
                               int height) {
  UINT stride = ((UINT)width * 3 + 3) & ~3u;
  int bandRows = height < kJpegBandRows ? height : kJpegBandRows;
  BYTE* band = (BYTE*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)stride * (SIZE_T)bandRows);
  if (band == NULL) return E_OUTOFMEMORY;
  HRESULT hr = S_OK;
  for (int row = 0; row < height && SUCCEEDED(hr); row += bandRows) {
    int rows = height - row < bandRows ? height - row : bandRows;
    source(context, row, rows, band);
    hr = frame->WritePixels((UINT)rows, stride, stride * (UINT)rows, band);
  }
  HeapFree(GetProcessHeap(), 0, band);
  return hr;
}

static HRESULT WriteFrame(IWICBitmapFrameEncode* frame, JpegRowSource source, void* context, int width,
                          int height) {
  HRESULT hr = frame->SetSize((UINT)width, (UINT)height);
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (SUCCEEDED(hr)) hr = frame->SetPixelFormat(&format);
  // The encoder may answer with a format it prefers; the pixels are only in this one.
  if (SUCCEEDED(hr) && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  if (SUCCEEDED(hr)) hr = WritePixelBands(frame, source, context, width, height);
  if (SUCCEEDED(hr)) hr = frame->Commit();
  return hr;
}

IStream* EncodeJpeg(JpegRowSource source, void* context, int width, int height) {
  IWICImagingFactory* factory = NULL;
  IStream* stream = NULL;
  IWICBitmapEncoder* encoder = NULL;
  IWICBitmapFrameEncode* frame = NULL;
  IPropertyBag2* options = NULL;

  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, (void**)&factory);
  if (SUCCEEDED(hr)) hr = CreateStreamOnHGlobal(NULL, TRUE, &stream);
  if (SUCCEEDED(hr)) hr = factory->CreateEncoder(GUID_ContainerFormatJpeg, NULL, &encoder);
  if (SUCCEEDED(hr)) hr = encoder->Initialize(stream, WICBitmapEncoderNoCache);
  if (SUCCEEDED(hr)) hr = encoder->CreateNewFrame(&frame, &options);
  if (SUCCEEDED(hr)) hr = SetQuality(options);
  if (SUCCEEDED(hr)) hr = frame->Initialize(options);
  if (SUCCEEDED(hr)) hr = WriteFrame(frame, source, context, width, height);
  if (SUCCEEDED(hr)) hr = encoder->Commit();

  if (options) options->Release();
  if (frame) frame->Release();
  if (encoder) encoder->Release();
  if (factory) factory->Release();
  if (FAILED(hr) && stream) {
    stream->Release();
    stream = NULL;
  }
  return stream;
}
