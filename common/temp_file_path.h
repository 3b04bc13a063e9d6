// The path of the capture's temporary file, as both deliverables compute it.
#pragma once

// Writes the temporary folder followed by "CaptureTemp.bmp" into the zero-filled
// 100-byte buffer path. Returns 1, or 0 (and an empty buffer) when the folder is
// unknown or the whole path would not fit in 99 characters: a truncated name
// would point at some other file.
int GetCaptureTempPath(char path[100]);
