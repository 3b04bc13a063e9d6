// PutBitmapOnClipboard: the capture replaces the clipboard's content.
#include "capture/capture_internal.h"

int PutBitmapOnClipboard(HBITMAP bitmap) {
  if (!OpenClipboard(NULL)) return 0;  // held by another program: left alone
  EmptyClipboard();
  int taken = SetClipboardData(CF_BITMAP, bitmap) != NULL;
  CloseClipboard();
  return taken;
}
