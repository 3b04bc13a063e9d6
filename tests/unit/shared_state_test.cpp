// The shared record: field order, size and the values a fresh image starts with.
#include <gtest/gtest.h>
#include <stddef.h>
#include "capture/shared_state.h"

TEST(SharedRecord, FieldsInOrder) {
  const size_t offsets[20] = {
      offsetof(SharedCaptureState, glhHook),           offsetof(SharedCaptureState, glhMainWnd),
      offsetof(SharedCaptureState, glhTargetWnd),      offsetof(SharedCaptureState, glhMaskWnd),
      offsetof(SharedCaptureState, glhDrawToolsWnd),   offsetof(SharedCaptureState, glhInstance),
      offsetof(SharedCaptureState, glhAppInstance),    offsetof(SharedCaptureState, glCaptureMode),
      offsetof(SharedCaptureState, glCaptured),        offsetof(SharedCaptureState, glMaskWndClass),
      offsetof(SharedCaptureState, glDrawToolsWndClass), offsetof(SharedCaptureState, glCopyToClipboard),
      offsetof(SharedCaptureState, glhPaletteBmp),     offsetof(SharedCaptureState, glhPaletteDC),
      offsetof(SharedCaptureState, glhTipsBmp),        offsetof(SharedCaptureState, glhTipsDC),
      offsetof(SharedCaptureState, glCurDrawTool),     offsetof(SharedCaptureState, glCurColor),
      offsetof(SharedCaptureState, glCurDrawObj),      offsetof(SharedCaptureState, glDrawObjList)};
#ifdef _WIN64
  // Same order; handles and pointers take 8 bytes.
  for (int i = 1; i < 20; i++) EXPECT_GT(offsets[i], offsets[i - 1]) << "field " << i + 1;
#else
  for (int i = 0; i < 20; i++) EXPECT_EQ(offsets[i], size_t(4 * i)) << "field " << i + 1;
  EXPECT_EQ(sizeof(SharedCaptureState), 80u);
#endif
}

TEST(SharedRecord, InitialValues) {
  EXPECT_EQ(glShared.glCaptureMode, ControlCopy);
  EXPECT_EQ(glShared.glCurDrawTool, 1);
  EXPECT_EQ(glShared.glCurColor, COLORREF(0x0000FF));
  EXPECT_EQ(glShared.glhHook, (HHOOK)NULL);
  EXPECT_EQ(glShared.glhMainWnd, (HWND)NULL);
  EXPECT_EQ(glShared.glCaptured, 0);
  EXPECT_EQ(glShared.glCopyToClipboard, 0);
  EXPECT_EQ(glShared.glCurDrawObj, (DrawObj*)NULL);
  EXPECT_EQ(glShared.glDrawObjList, (DrawObjList*)NULL);
}
