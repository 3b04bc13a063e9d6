// Encoding 24-bit pixels as a baseline JPEG in memory with the WIC JPEG encoder.
#pragma once
#include <windows.h>
#include <objidl.h>

// The quality asked of the encoder, 0.0 to 1.0.
const float kJpegQuality = 0.90f;

// Rows handed to the encoder at a time: the picture never needs a converted copy
// of its own, only one band of this many rows.
const int kJpegBandRows = 32;

// Writes rows firstRow .. firstRow + rowCount - 1 of the picture, counted from
// the top, into bgr as rows of B,G,R pixels, width * 3 bytes rounded up to a
// multiple of 4 apart.
typedef void (*JpegRowSource)(void* context, int firstRow, int rowCount, unsigned char* bgr);

// Encodes a width x height picture whose rows come from source, band by band, into
// a new memory stream (on an HGLOBAL); returns it, or NULL when any step fails.
// COM must be initialised on the calling thread; the caller releases the stream.
IStream* EncodeJpeg(JpegRowSource source, void* context, int width, int height);
