// FormatOutputName: the output file's name, measured before it is written.
#include "app/output_name.h"

int FormatOutputName(char name[100], const char* savePath, const SYSTEMTIME* time, int jpgFlag, int suffix) {
  ZeroMemory(name, 100);
  // Everything after the save path: at most 41 characters, even with five-digit fields and a ten-digit suffix.
  char tail[48];
  const char* extension = jpgFlag ? ".jpg" : ".bmp";
  int tailLength;
  if (suffix > 0)
    tailLength = wsprintfA(tail, "\\PIC_%d%d%d_%d_%d%s", (int)time->wHour, (int)time->wMinute,
                           (int)time->wSecond, (int)time->wMilliseconds, suffix, extension);
  else
    tailLength = wsprintfA(tail, "\\PIC_%d%d%d_%d%s", (int)time->wHour, (int)time->wMinute,
                           (int)time->wSecond, (int)time->wMilliseconds, extension);
  int pathLength = lstrlenA(savePath);
  if (tailLength <= 0 || pathLength > 99 - tailLength) return 0;
  CopyMemory(name, savePath, pathLength);
  CopyMemory(name + pathLength, tail, tailLength);
  return 1;
}

int FolderHasRoomForNames(const char* folder) {
  // The longest time of day; ".bmp" and ".jpg" are as long.
  SYSTEMTIME latest;
  ZeroMemory(&latest, sizeof(latest));
  latest.wHour = 23;
  latest.wMinute = latest.wSecond = 59;
  latest.wMilliseconds = 999;
  char name[100];
  return FormatOutputName(name, folder, &latest, 0, 0);
}
