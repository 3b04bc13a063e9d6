// DrawCopy on the mask: starting, dragging, finishing and deleting draw objects,
// and showing the palette when the cursor touches the tips panel.
#include "capture/draw_objects.h"
#include "capture/capture_internal.h"
#include "capture/mask_handlers.h"
#include "capture/repaint_geometry.h"
#include "capture/shared_state.h"
#include "common/trace_log.h"

static void ShowPalette(int command) {
  if (glOwn.drawToolsWnd != NULL) ShowWindow(glOwn.drawToolsWnd, command);
}

// Repaints only what the object covered before and after the step, at once, from
// the finished objects, then draws the live object on top with its thick pen.
static void DragLiveObject(HWND window, HDC dc, int x, int y) {
  DrawObj* obj = glOwn.curDrawObj;
  RECT before = obj->rect;
  obj->rect.right = x;
  obj->rect.bottom = y;
  TraceLog("WM_MOUSEMOVE: InvalidateRect");
  RECT damaged = DragRepaintRect(before, obj->rect);
  InvalidateRect(window, &damaged, TRUE);
  UpdateWindow(window);
  TraceLog("WM_MOUSEMOVE: Draw glCurDrawObj");
  PaintDrawObj(dc, obj);
}

void MoveOverDrawing(HWND window, WPARAM keys, int x, int y) {
  POINT p = {x, y};
  // The palette lies over the hot rectangle, so the next moves go to it.
  RECT hot = OnPrimaryMonitor(TipsHotRect);
  if (PtInRect(&hot, p)) {
    ShowPalette(SW_SHOW);
    return;
  }
  ShowPalette(SW_HIDE);
  HDC dc = GetDC(window);
  DrawCursorReadout(dc, x, y);
  if (keys == MK_LBUTTON && glOwn.curDrawObj != NULL && glShared.glCurDrawTool != 0)
    DragLiveObject(window, dc, x, y);
  ReleaseDC(window, dc);
}

void PressDrawing(HWND window, int x, int y) {
  DrawTool tool = glShared.glCurDrawTool;
  if (tool == 0) {
    // An empty hit unselects everything but repaints nothing.
    if (SelectDrawObj(x, y) != NULL) InvalidateRect(window, NULL, TRUE);
    return;
  }
  // Left over from a press whose release never reached the mask.
  if (glOwn.curDrawObj != NULL) {
    TraceLog("WM_LBUTTONDOWN: Create glCurDrawObj");
    FreeDrawObj(glOwn.curDrawObj);
    SetCurDrawObj(NULL);
  }
  DrawObj* obj = CreateDrawObj();
  if (obj == NULL) return;
  obj->selected = 1;
  obj->kind = tool;
  obj->colour = glShared.glCurColor;
  obj->rect.left = x;
  obj->rect.top = y;
  SetCurDrawObj(obj);
}

// An end point still at (0, 0) means the mouse never moved with the button held.
void ReleaseDrawing(void) {
  DrawObj* obj = glOwn.curDrawObj;
  if (obj == NULL || glShared.glCurDrawTool == 0) return;
  if (obj->rect.right == 0 && obj->rect.bottom == 0) {
    TraceLog("WM_LBUTTONUP: delete glCurDrawObj");
    FreeDrawObj(obj);
  } else {
    TraceLog("WM_LBUTTONUP: AddDrawObj glCurDrawObj");
    if (!AddDrawObj(obj)) FreeDrawObj(obj);
  }
  SetCurDrawObj(NULL);
}

void DeleteSelectedDrawing(HWND window) {
  if (DeleteSelectedDrawObj()) InvalidateRect(window, NULL, TRUE);
}

void DiscardDrawingInProgress(void) {
  FreeDrawObj(glOwn.curDrawObj);
  SetCurDrawObj(NULL);
}
