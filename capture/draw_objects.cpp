// The draw object list and its painting. Runs only in the application's process:
// the objects are addresses in its heap and the pens are its GDI objects. The list
// is followed from this process's own pointer, never from the record's copy.
#include "capture/draw_objects.h"
#include "capture/shared_state.h"

// The process heap rather than the C++ runtime's, so the library needs no allocator
// of its own.
static void* AllocZeroed(SIZE_T size) {
  return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size);
}

static void FreeBlock(void* block) {
  HeapFree(GetProcessHeap(), 0, block);
}

// Pen widths in pixels; the selected object stands out by one pixel.
static const int PenWidth = 2;
static const int SelectedPenWidth = 3;

DrawObj* CreateDrawObj(void) {
  return (DrawObj*)AllocZeroed(sizeof(DrawObj));
}

void FreeDrawObj(DrawObj* obj) {
  if (obj != NULL) FreeBlock(obj);
}

int AddDrawObj(DrawObj* obj) {
  if (obj == NULL) return 0;
  DrawObjList* list = glOwn.drawObjList;
  if (list == NULL) {
    list = (DrawObjList*)AllocZeroed(sizeof(DrawObjList));
    if (list == NULL) return 0;
    SetDrawObjList(list);
  }
  list->current = obj;
  obj->selected = 1;
  if (list->head == NULL) {
    list->count = 1;
    list->head = obj;
    list->tail = obj;
  } else {
    // Only the newest object is selected after drawing it.
    list->tail->selected = 0;
    list->count++;
    obj->prev = list->tail;
    list->tail->next = obj;
    list->tail = obj;
  }
  return 1;
}

DrawObj* SelectDrawObj(int x, int y) {
  DrawObjList* list = glOwn.drawObjList;
  if (list == NULL) return NULL;
  POINT point = {x, y};
  DrawObj* hit = NULL;
  // Newest first, because the newest is painted on top; every object is visited so
  // that all but the hit one end up unselected.
  for (DrawObj* obj = list->tail; obj != NULL; obj = obj->prev) {
    obj->selected = 0;
    // The rect as dragged: one drawn leftwards or upwards, or a straight horizontal
    // or vertical line, is empty to PtInRect and so cannot be picked.
    if (hit == NULL && PtInRect(&obj->rect, point)) {
      obj->selected = 1;
      hit = obj;
    }
  }
  return hit;
}

int DeleteSelectedDrawObj(void) {
  DrawObjList* list = glOwn.drawObjList;
  if (list == NULL) return 0;
  DrawObj* obj = list->head;
  while (obj != NULL && !obj->selected) obj = obj->next;
  if (obj == NULL) return 0;

  list->count--;
  if (obj->prev != NULL) {
    DrawObj* prev = obj->prev;
    prev->next = obj->next;
    if (obj->next != NULL) obj->next->prev = obj->prev;
    if (prev->next == NULL) {
      list->current = prev;
      list->tail = prev;
    } else {
      list->current = prev->next;
    }
    // Leave a selection behind so repeated deletes keep removing objects.
    list->current->selected = 1;
  } else {
    list->head = obj->next;
    if (list->head == NULL) {
      // The last object: the list goes, and with it any object under construction.
      FreeDrawObjList();
    } else {
      list->head->prev = NULL;
      list->head->selected = 1;
      list->current = list->head;
    }
  }
  FreeBlock(obj);
  return 1;
}

int FreeDrawObjList(void) {
  DrawObjList* list = glOwn.drawObjList;
  if (list == NULL) return 1;
  DrawObj* obj = list->head;
  while (obj != NULL) {
    DrawObj* next = obj->next;
    FreeBlock(obj);
    obj = next;
  }
  FreeBlock(list);
  SetDrawObjList(NULL);
  if (glOwn.curDrawObj != NULL) {
    FreeBlock(glOwn.curDrawObj);
    SetCurDrawObj(NULL);
  }
  return 1;
}

int PaintDrawObj(HDC dc, const DrawObj* obj) {
  if (dc == NULL || obj == NULL) return 0;
  int oldMode = SetBkMode(dc, TRANSPARENT);
  // A hollow brush, so rectangles and ellipses show only their outline.
  LOGBRUSH hollow = {BS_NULL, 0, 0};
  HBRUSH brush = CreateBrushIndirect(&hollow);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  HPEN pen = CreatePen(PS_SOLID, obj->selected ? SelectedPenWidth : PenWidth, obj->colour);
  HGDIOBJ oldPen = SelectObject(dc, pen);

  const RECT& r = obj->rect;
  switch (obj->kind) {
    case DrawObjLine:
      MoveToEx(dc, r.left, r.top, NULL);
      LineTo(dc, r.right, r.bottom);
      break;
    case DrawObjRectangle:
      Rectangle(dc, r.left, r.top, r.right, r.bottom);
      break;
    case DrawObjEllipse:
      Ellipse(dc, r.left, r.top, r.right, r.bottom);
      break;
  }

  SelectObject(dc, oldPen);
  DeleteObject(pen);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
  SetBkMode(dc, oldMode);
  return 1;
}

int PaintDrawObjList(HDC dc) {
  DrawObjList* list = glOwn.drawObjList;
  if (dc == NULL || list == NULL) return 0;
  for (DrawObj* obj = list->head; obj != NULL; obj = obj->next) PaintDrawObj(dc, obj);
  return 1;
}
