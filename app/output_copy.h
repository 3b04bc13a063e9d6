// Copying a finished picture into the output folder under the first free name.
#pragma once
#include <windows.h>

// Copies source under the first free output name for that time (output_name.h);
// 1 when a copy landed. An existing file is never replaced nor removed; a copy that
// stops part-way (a full disk) leaves nothing behind.
int CopyToFreeName(const char* source, const char* savePath, const SYSTEMTIME* time, int jpgFlag);
