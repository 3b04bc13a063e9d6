// The one definition of the shared record and of the per-process state.
#include "capture/shared_state.h"

// Shared, readable, writable, initialised data: the section the system keeps
// once for every process that maps the library.
__attribute__((section("CaptureD"), shared, aligned(4))) SharedCaptureState glShared = {
    NULL, NULL, NULL, NULL, NULL, NULL, NULL,
    ControlCopy,  // glCaptureMode
    0, 0, 0, 0, NULL, NULL, NULL, NULL,
    1,            // glCurDrawTool: line
    0x0000FF,     // glCurColor: red
    NULL, NULL};

OwnCaptureState glOwn;

void SetCurDrawObj(DrawObj* obj) {
  glOwn.curDrawObj = obj;
  glShared.glCurDrawObj = obj;
}

void SetDrawObjList(DrawObjList* list) {
  glOwn.drawObjList = list;
  glShared.glDrawObjList = list;
}

SelectionRect glSelection;
RECT TipsHotRect;
RECT TipsPosRect;
RECT TipsColorRect;
BITMAP PaletteBmpInfo;
BITMAP TipsBmpInfo;
