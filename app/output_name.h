// The name of an output file: the save path, the time of day and, when that name
// is taken, a numbered suffix before the extension.
#pragma once
#include <windows.h>

// Highest suffix tried before a capture is given up as unnameable.
enum { kMaxOutputSuffix = 9999 };

// Writes into the zero-filled 100-byte buffer name
//   savePath "\PIC_" hour minute second "_" milliseconds [ "_" suffix ] ".bmp" or ".jpg"
// (".jpg" when jpgFlag is 1; the suffix only when it is above 0), every number plain
// decimal. Returns 1, or 0 with an empty buffer when the name would not fit in 99
// characters: a cut name would name some other file.
int FormatOutputName(char name[100], const char* savePath, const SYSTEMTIME* time, int jpgFlag, int suffix);

// Whether every first output name (no suffix, any time of day) fits after folder.
int FolderHasRoomForNames(const char* folder);
