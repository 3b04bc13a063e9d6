// Decoding a JPEG file with the platform's codecs (WIC), for the tests that check
// what the encoder and the output stage wrote. COM must be initialised.
#pragma once
#include <windows.h>
#include <wincodec.h>
#include <string>
#include <vector>

// The width, height and pixels (0xRRGGBB, top row first) of a JPEG file; false when
// it is missing, no JPEG or unreadable.
inline bool DecodeJpeg(const std::string& path, int* width, int* height, std::vector<unsigned>* pixels) {
  IWICImagingFactory* factory = NULL;
  IWICBitmapDecoder* decoder = NULL;
  IWICBitmapFrameDecode* frame = NULL;
  IWICBitmapSource* bgr = NULL;
  std::wstring wide(path.begin(), path.end());
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                (void**)&factory);
  if (SUCCEEDED(hr))
    hr = factory->CreateDecoderFromFilename(wide.c_str(), NULL, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                            &decoder);
  GUID container = {};
  if (SUCCEEDED(hr)) hr = decoder->GetContainerFormat(&container);
  if (SUCCEEDED(hr) && !IsEqualGUID(container, GUID_ContainerFormatJpeg)) hr = E_FAIL;
  if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, &frame);
  if (SUCCEEDED(hr)) hr = WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, frame, &bgr);
  UINT w = 0, h = 0;
  if (SUCCEEDED(hr)) hr = bgr->GetSize(&w, &h);
  std::vector<BYTE> raw;
  UINT stride = (w * 3 + 3) & ~3u;
  if (SUCCEEDED(hr)) {
    raw.resize((size_t)stride * h);
    hr = bgr->CopyPixels(NULL, stride, (UINT)raw.size(), raw.data());
  }
  if (SUCCEEDED(hr)) {
    *width = (int)w;
    *height = (int)h;
    pixels->clear();
    for (UINT y = 0; y < h; ++y)
      for (UINT x = 0; x < w; ++x) {
        const BYTE* p = &raw[(size_t)stride * y + 3 * x];
        pixels->push_back((unsigned)p[2] << 16 | p[1] << 8 | p[0]);
      }
  }
  if (bgr) bgr->Release();
  if (frame) frame->Release();
  if (decoder) decoder->Release();
  if (factory) factory->Release();
  return SUCCEEDED(hr);
}
