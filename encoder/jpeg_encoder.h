// Encoding 24-bit pixels as a baseline JPEG in memory with the WIC JPEG encoder.
#pragma once
#include <windows.h>
#include <objidl.h>

// The quality asked of the encoder, 0.0 to 1.0.
const float kJpegQuality = 0.90f;

// Encodes height top-down rows of B,G,R pixels, stride bytes apart, into a new
// memory stream (on an HGLOBAL); returns it, or NULL when any step fails.
// COM must be initialised on the calling thread; the caller releases the stream.
IStream* EncodeJpeg(const unsigned char* bgr, int width, int height, size_t stride);
