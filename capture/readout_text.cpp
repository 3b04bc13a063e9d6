// The texts of the DrawCopy cursor readout.
#include "capture/readout_text.h"
#include <stdio.h>
#include <string.h>

// _snprintf leaves the buffer unterminated when the text fills it: clear it first
// and let the formatter have all but the last byte.
int FormatPositionReadout(char* buffer, int size, int x, int y) {
  memset(buffer, 0, (size_t)size);
  _snprintf(buffer, (size_t)size - 1, "%4d,%4d", x, y);
  return (int)strlen(buffer);
}

int FormatColourReadout(char* buffer, int size, COLORREF colour) {
  memset(buffer, 0, (size_t)size);
  _snprintf(buffer, (size_t)size - 1, "%3d,%3d,%3d", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  return (int)strlen(buffer);
}
