// The draw object list: appending, selection, deletion, freeing, and the pixels
// that painting leaves on a 24-bit DIB.
#include <gtest/gtest.h>
#include "capture/draw_objects.h"
#include "capture/shared_state.h"

// Creates an object and appends it, as the mask does when a drag ends.
static DrawObj* AddObj(int kind, int left, int top, int right, int bottom, COLORREF colour = RGB(255, 0, 0)) {
  DrawObj* obj = CreateDrawObj();
  if (obj == NULL) return NULL;
  obj->kind = kind;
  SetRect(&obj->rect, left, top, right, bottom);
  obj->colour = colour;
  if (!AddDrawObj(obj)) {
    HeapFree(GetProcessHeap(), 0, obj);
    return NULL;
  }
  return obj;
}

static int ListCount(void) {
  return glOwn.drawObjList ? glOwn.drawObjList->count : -1;
}

class DrawObjListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FreeDrawObjList();
    ASSERT_EQ(glOwn.drawObjList, (DrawObjList*)NULL);
    ASSERT_EQ(glOwn.curDrawObj, (DrawObj*)NULL);
  }
  void TearDown() override {
    FreeDrawObjList();
    // FreeDrawObjList leaves the object under construction alone when there is no list.
    if (glOwn.curDrawObj != NULL) {
      HeapFree(GetProcessHeap(), 0, glOwn.curDrawObj);
      SetCurDrawObj(NULL);
    }
  }
};

// ---- appending

TEST_F(DrawObjListTest, CreateGivesZeroedObject) {
  DrawObj* obj = CreateDrawObj();
  ASSERT_NE(obj, (DrawObj*)NULL);
  EXPECT_EQ(obj->kind, 0);
  EXPECT_TRUE(IsRectEmpty(&obj->rect) && obj->rect.left == 0 && obj->rect.right == 0);
  EXPECT_EQ(obj->colour, COLORREF(0));
  EXPECT_EQ(obj->selected, 0);
  EXPECT_EQ(obj->prev, (DrawObj*)NULL);
  EXPECT_EQ(obj->next, (DrawObj*)NULL);
  EXPECT_EQ(glOwn.drawObjList, (DrawObjList*)NULL);  // not in any list yet
  HeapFree(GetProcessHeap(), 0, obj);
}

TEST_F(DrawObjListTest, AppendToEmptyList) {
  DrawObj* obj = AddObj(DrawObjLine, 1, 2, 3, 4);
  ASSERT_NE(obj, (DrawObj*)NULL);
  DrawObjList* list = glOwn.drawObjList;
  ASSERT_NE(list, (DrawObjList*)NULL);
  EXPECT_EQ(list->count, 1);
  EXPECT_EQ(list->head, obj);
  EXPECT_EQ(list->tail, obj);
  EXPECT_EQ(list->current, obj);
  EXPECT_EQ(obj->selected, 1);
  EXPECT_EQ(obj->prev, (DrawObj*)NULL);
  EXPECT_EQ(obj->next, (DrawObj*)NULL);
}

TEST_F(DrawObjListTest, SecondAppendUnselectsFirst) {
  DrawObj* first = AddObj(DrawObjLine, 1, 2, 3, 4);
  DrawObjList* list = glOwn.drawObjList;
  DrawObj* second = AddObj(DrawObjRectangle, 5, 6, 7, 8);
  ASSERT_NE(second, (DrawObj*)NULL);
  EXPECT_EQ(glOwn.drawObjList, list);  // one header for the list's lifetime
  EXPECT_EQ(list->count, 2);
  EXPECT_EQ(list->head, first);
  EXPECT_EQ(list->tail, second);
  EXPECT_EQ(list->current, second);
  EXPECT_EQ(first->selected, 0);
  EXPECT_EQ(second->selected, 1);
  EXPECT_EQ(first->next, second);
  EXPECT_EQ(second->prev, first);
  EXPECT_EQ(first->prev, (DrawObj*)NULL);
  EXPECT_EQ(second->next, (DrawObj*)NULL);
}

TEST_F(DrawObjListTest, AddNullFails) {
  EXPECT_EQ(AddDrawObj(NULL), 0);
  EXPECT_EQ(glOwn.drawObjList, (DrawObjList*)NULL);  // no header for nothing
  DrawObj* obj = AddObj(DrawObjLine, 1, 2, 3, 4);
  EXPECT_EQ(AddDrawObj(NULL), 0);
  EXPECT_EQ(ListCount(), 1);
  EXPECT_EQ(glOwn.drawObjList->tail, obj);
  EXPECT_EQ(obj->selected, 1);
}

// ---- deletion

class DrawObjDeleteTest : public DrawObjListTest {
 protected:
  DrawObj* a = NULL;  // oldest
  DrawObj* b = NULL;
  DrawObj* c = NULL;  // newest
  void SetUp() override {
    DrawObjListTest::SetUp();
    a = AddObj(DrawObjLine, 0, 0, 10, 10);
    b = AddObj(DrawObjLine, 20, 0, 30, 10);
    c = AddObj(DrawObjLine, 40, 0, 50, 10);
    ASSERT_TRUE(a && b && c);
  }
};

TEST_F(DrawObjDeleteTest, NoListOrNothingSelected) {
  SelectDrawObj(500, 500);  // unselects all
  EXPECT_EQ(DeleteSelectedDrawObj(), 0);
  EXPECT_EQ(ListCount(), 3);
  FreeDrawObjList();
  EXPECT_EQ(DeleteSelectedDrawObj(), 0);
  EXPECT_EQ(glOwn.drawObjList, (DrawObjList*)NULL);
}

TEST_F(DrawObjDeleteTest, DeletingNewestSelectsPrevious) {
  ASSERT_EQ(c->selected, 1);
  EXPECT_EQ(DeleteSelectedDrawObj(), 1);
  DrawObjList* list = glOwn.drawObjList;
  EXPECT_EQ(list->count, 2);
  EXPECT_EQ(list->tail, b);
  EXPECT_EQ(list->current, b);
  EXPECT_EQ(list->head, a);
  EXPECT_EQ(b->next, (DrawObj*)NULL);
  EXPECT_EQ(b->selected, 1);
  EXPECT_EQ(a->selected, 0);
}

TEST_F(DrawObjDeleteTest, DeletingOldestSelectsNewOldest) {
  ASSERT_EQ(SelectDrawObj(5, 5), a);
  EXPECT_EQ(DeleteSelectedDrawObj(), 1);
  DrawObjList* list = glOwn.drawObjList;
  EXPECT_EQ(list->count, 2);
  EXPECT_EQ(list->head, b);
  EXPECT_EQ(list->current, b);
  EXPECT_EQ(list->tail, c);
  EXPECT_EQ(b->prev, (DrawObj*)NULL);
  EXPECT_EQ(b->selected, 1);
  EXPECT_EQ(c->selected, 0);
}

TEST_F(DrawObjDeleteTest, DeletingMiddleSelectsNext) {
  ASSERT_EQ(SelectDrawObj(25, 5), b);
  EXPECT_EQ(DeleteSelectedDrawObj(), 1);
  DrawObjList* list = glOwn.drawObjList;
  EXPECT_EQ(list->count, 2);
  EXPECT_EQ(list->head, a);
  EXPECT_EQ(list->tail, c);
  EXPECT_EQ(list->current, c);
  EXPECT_EQ(a->next, c);
  EXPECT_EQ(c->prev, a);
  EXPECT_EQ(c->selected, 1);
  EXPECT_EQ(a->selected, 0);
}

TEST_F(DrawObjDeleteTest, TwoSelectedDeletesTheOlder) {
  a->selected = 1;  // c is selected too, as the newest
  EXPECT_EQ(DeleteSelectedDrawObj(), 1);
  DrawObjList* list = glOwn.drawObjList;
  EXPECT_EQ(list->count, 2);
  EXPECT_EQ(list->head, b);
  EXPECT_EQ(list->tail, c);
  EXPECT_EQ(c->selected, 1);
  // The next deletion takes the oldest selected again: b, just selected.
  EXPECT_EQ(DeleteSelectedDrawObj(), 1);
  EXPECT_EQ(list->count, 1);
  EXPECT_EQ(list->head, c);
  EXPECT_EQ(list->tail, c);
}

TEST_F(DrawObjDeleteTest, RepeatedDeletesEmptyTheList) {
  SetCurDrawObj(CreateDrawObj());
  ASSERT_NE(glOwn.curDrawObj, (DrawObj*)NULL);
  EXPECT_EQ(DeleteSelectedDrawObj(), 1);  // c
  EXPECT_EQ(ListCount(), 2);
  EXPECT_EQ(DeleteSelectedDrawObj(), 1);  // b
  EXPECT_EQ(ListCount(), 1);
  EXPECT_EQ(glOwn.drawObjList->head, a);
  EXPECT_EQ(glOwn.drawObjList->tail, a);
  EXPECT_EQ(glOwn.drawObjList->current, a);
  EXPECT_EQ(a->selected, 1);
  EXPECT_EQ(DeleteSelectedDrawObj(), 1);  // a: the header goes with it
  EXPECT_EQ(glOwn.drawObjList, (DrawObjList*)NULL);
  EXPECT_EQ(glOwn.curDrawObj, (DrawObj*)NULL);
  EXPECT_EQ(DeleteSelectedDrawObj(), 0);
  // A fresh append starts a new list.
  DrawObj* d = AddObj(DrawObjEllipse, 1, 1, 5, 5);
  EXPECT_EQ(ListCount(), 1);
  EXPECT_EQ(glOwn.drawObjList->head, d);
}

// Another program may write the record's copies of the list and the object under
// construction at any moment: a pointer into the record itself, an object linked to
// itself. The list is followed from this process's own pointers only, and the
// record's copies follow them again at the next change.
TEST_F(DrawObjDeleteTest, ListIgnoresWhatTheRecordSays) {
  DrawObj loop;
  ZeroMemory(&loop, sizeof(loop));
  loop.prev = loop.next = &loop;
  loop.selected = 1;
  SharedCaptureState before = glShared;
  glShared.glDrawObjList = (DrawObjList*)&glShared.glhTargetWnd;
  glShared.glCurDrawObj = &loop;
  DrawObjList* list = glOwn.drawObjList;
  ASSERT_NE(list, (DrawObjList*)NULL);
  DrawObj* d = AddObj(DrawObjEllipse, 1, 1, 5, 5);
  EXPECT_EQ(list->count, 4);
  EXPECT_EQ(list->tail, d);
  EXPECT_EQ(glShared.glhTargetWnd, before.glhTargetWnd);
  EXPECT_EQ(SelectDrawObj(2, 2), d);
  EXPECT_EQ(DeleteSelectedDrawObj(), 1);
  EXPECT_EQ(list->count, 3);
  EXPECT_EQ(loop.next, &loop);
  glShared.glDrawObjList = (DrawObjList*)&glShared.glhTargetWnd;
  EXPECT_EQ(FreeDrawObjList(), 1);
  EXPECT_EQ(glOwn.drawObjList, (DrawObjList*)NULL);
  EXPECT_EQ(glShared.glDrawObjList, (DrawObjList*)NULL);
  EXPECT_EQ(glShared.glhTargetWnd, before.glhTargetWnd);
  EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, NULL));
}

// ---- selection

class DrawObjSelectTest : public DrawObjListTest {};

TEST_F(DrawObjSelectTest, NoListGivesNull) {
  EXPECT_EQ(SelectDrawObj(0, 0), (DrawObj*)NULL);
}

TEST_F(DrawObjSelectTest, LeftAndTopEdgesHitRightAndBottomDoNot) {
  DrawObj* obj = AddObj(DrawObjRectangle, 10, 20, 50, 40);
  AddObj(DrawObjRectangle, 200, 200, 210, 210);  // leaves obj unselected
  ASSERT_EQ(obj->selected, 0);
  struct Case { int x, y; bool hit; } cases[] = {
      {10, 20, true},  {49, 39, true},  {10, 39, true},  {49, 20, true},  {30, 30, true},
      {50, 30, false}, {30, 40, false}, {9, 30, false},  {30, 19, false}, {50, 40, false}};
  for (const Case& c : cases) {
    DrawObj* hit = SelectDrawObj(c.x, c.y);
    EXPECT_EQ(hit, c.hit ? obj : (DrawObj*)NULL) << c.x << "," << c.y;
    EXPECT_EQ(obj->selected, c.hit ? 1 : 0) << c.x << "," << c.y;
  }
}

TEST_F(DrawObjSelectTest, OverlappingNewestWins) {
  DrawObj* older = AddObj(DrawObjRectangle, 0, 0, 100, 100);
  DrawObj* middle = AddObj(DrawObjEllipse, 20, 20, 80, 80);
  DrawObj* newest = AddObj(DrawObjLine, 40, 40, 60, 60);
  older->selected = middle->selected = 1;  // stale marks that selection must clear
  EXPECT_EQ(SelectDrawObj(50, 50), newest);
  EXPECT_EQ(newest->selected, 1);
  EXPECT_EQ(middle->selected, 0);
  EXPECT_EQ(older->selected, 0);
  EXPECT_EQ(SelectDrawObj(30, 30), middle);
  EXPECT_EQ(newest->selected, 0);
  EXPECT_EQ(middle->selected, 1);
  EXPECT_EQ(older->selected, 0);
  EXPECT_EQ(SelectDrawObj(5, 5), older);
  EXPECT_EQ(older->selected, 1);
  EXPECT_EQ(middle->selected + newest->selected, 0);
  EXPECT_EQ(glOwn.drawObjList->current, newest);  // selection leaves current alone
}

TEST_F(DrawObjSelectTest, ReversedObjectsAndStraightLinesNeverHit) {
  DrawObj* reversed = AddObj(DrawObjRectangle, 60, 60, 10, 10);  // dragged up and left
  DrawObj* leftwards = AddObj(DrawObjEllipse, 60, 10, 10, 60);   // dragged down and left
  DrawObj* horizontal = AddObj(DrawObjLine, 10, 30, 60, 30);
  DrawObj* vertical = AddObj(DrawObjLine, 30, 10, 30, 60);
  const POINT points[] = {{30, 30}, {10, 10}, {59, 59}, {60, 60}, {20, 30}, {30, 20}};
  for (const POINT& p : points) {
    EXPECT_EQ(SelectDrawObj(p.x, p.y), (DrawObj*)NULL) << p.x << "," << p.y;
  }
  EXPECT_EQ(reversed->selected + leftwards->selected + horizontal->selected + vertical->selected, 0);
  // The stored rect is left as dragged.
  EXPECT_EQ(reversed->rect.left, 60);
  EXPECT_EQ(reversed->rect.right, 10);
}

TEST_F(DrawObjSelectTest, EmptySpaceUnselectsAll) {
  DrawObj* a = AddObj(DrawObjRectangle, 0, 0, 10, 10);
  DrawObj* b = AddObj(DrawObjRectangle, 20, 20, 30, 30);
  a->selected = 1;
  ASSERT_EQ(b->selected, 1);
  EXPECT_EQ(SelectDrawObj(15, 15), (DrawObj*)NULL);
  EXPECT_EQ(a->selected, 0);
  EXPECT_EQ(b->selected, 0);
  EXPECT_EQ(DeleteSelectedDrawObj(), 0);
  EXPECT_EQ(ListCount(), 2);
}

// ---- freeing

class DrawObjFreeTest : public DrawObjListTest {};

TEST_F(DrawObjFreeTest, FreeWithNoListLeavesObjectUnderConstruction) {
  DrawObj* drawing = CreateDrawObj();
  ASSERT_NE(drawing, (DrawObj*)NULL);
  drawing->kind = DrawObjRectangle;
  SetCurDrawObj(drawing);
  EXPECT_EQ(FreeDrawObjList(), 1);
  EXPECT_EQ(glOwn.curDrawObj, drawing);
  EXPECT_EQ(drawing->kind, DrawObjRectangle);
  EXPECT_EQ(glOwn.drawObjList, (DrawObjList*)NULL);
}

TEST_F(DrawObjFreeTest, FreeWithListFreesObjectUnderConstruction) {
  AddObj(DrawObjLine, 0, 0, 5, 5);
  AddObj(DrawObjLine, 0, 0, 6, 6);
  SetCurDrawObj(CreateDrawObj());
  ASSERT_NE(glOwn.curDrawObj, (DrawObj*)NULL);
  EXPECT_EQ(FreeDrawObjList(), 1);
  EXPECT_EQ(glOwn.drawObjList, (DrawObjList*)NULL);
  EXPECT_EQ(glOwn.curDrawObj, (DrawObj*)NULL);
  EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, NULL));
  EXPECT_EQ(FreeDrawObjList(), 1);  // and again with nothing left
}

// ---- painting

const COLORREF White = RGB(255, 255, 255);
const int CanvasWidth = 100, CanvasHeight = 80;
const int CanvasStride = (CanvasWidth * 3 + 3) & ~3;  // DIB rows are padded to four bytes

// A white 24-bit top-down DIB section selected into a memory DC.
struct Canvas {
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ oldBitmap;
  BYTE* bits;
};

static void ClearCanvas(Canvas* canvas) {
  GdiFlush();
  memset(canvas->bits, 0xFF, CanvasStride * CanvasHeight);
}

static bool OpenCanvas(Canvas* canvas) {
  BITMAPINFO info;
  ZeroMemory(&info, sizeof(info));
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = CanvasWidth;
  info.bmiHeader.biHeight = -CanvasHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  canvas->dc = CreateCompatibleDC(NULL);
  void* bits = NULL;
  canvas->bitmap = CreateDIBSection(canvas->dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  if (canvas->dc == NULL || canvas->bitmap == NULL || bits == NULL) return false;
  canvas->bits = (BYTE*)bits;
  canvas->oldBitmap = SelectObject(canvas->dc, canvas->bitmap);
  ClearCanvas(canvas);
  return true;
}

static void CloseCanvas(Canvas* canvas) {
  if (canvas->dc && canvas->oldBitmap) SelectObject(canvas->dc, canvas->oldBitmap);
  if (canvas->bitmap) DeleteObject(canvas->bitmap);
  if (canvas->dc) DeleteDC(canvas->dc);
}

static COLORREF Pixel(const Canvas& canvas, int x, int y) {
  GdiFlush();
  const BYTE* p = canvas.bits + y * CanvasStride + x * 3;
  return RGB(p[2], p[1], p[0]);
}

static int CountInColumn(const Canvas& canvas, int x, COLORREF colour) {
  int n = 0;
  for (int y = 0; y < CanvasHeight; y++) n += Pixel(canvas, x, y) == colour;
  return n;
}

static int CountNotWhite(const Canvas& canvas) {
  int n = 0;
  for (int y = 0; y < CanvasHeight; y++)
    for (int x = 0; x < CanvasWidth; x++) n += Pixel(canvas, x, y) != White;
  return n;
}

static int CountNotWhiteOutside(const Canvas& canvas, RECT box) {
  int n = 0;
  for (int y = 0; y < CanvasHeight; y++)
    for (int x = 0; x < CanvasWidth; x++) {
      POINT p = {x, y};
      n += !PtInRect(&box, p) && Pixel(canvas, x, y) != White;
    }
  return n;
}

class DrawObjPaintTest : public DrawObjListTest {
 protected:
  Canvas canvas = {};
  void SetUp() override {
    DrawObjListTest::SetUp();
    ASSERT_TRUE(OpenCanvas(&canvas));
  }
  void TearDown() override {
    CloseCanvas(&canvas);
    DrawObjListTest::TearDown();
  }
};

TEST_F(DrawObjPaintTest, NullArgumentsPaintNothing) {
  DrawObj obj = {};
  obj.kind = DrawObjLine;
  SetRect(&obj.rect, 10, 20, 60, 20);
  EXPECT_EQ(PaintDrawObj(NULL, &obj), 0);
  EXPECT_EQ(PaintDrawObj(canvas.dc, NULL), 0);
  EXPECT_EQ(PaintDrawObjList(canvas.dc), 0);  // no list
  AddObj(DrawObjLine, 10, 20, 60, 20);
  EXPECT_EQ(PaintDrawObjList(NULL), 0);
  EXPECT_EQ(CountNotWhite(canvas), 0);
}

TEST_F(DrawObjPaintTest, LineThicknessFollowsSelection) {
  const COLORREF blue = RGB(0, 0, 255);
  DrawObj obj = {};
  obj.kind = DrawObjLine;
  SetRect(&obj.rect, 10, 20, 60, 20);
  obj.colour = blue;
  EXPECT_EQ(PaintDrawObj(canvas.dc, &obj), 1);
  EXPECT_EQ(CountInColumn(canvas, 30, blue), 2);
  EXPECT_EQ(Pixel(canvas, 30, 20), blue);
  EXPECT_EQ(CountInColumn(canvas, 80, blue), 0);  // well past the end point
  EXPECT_EQ(CountNotWhiteOutside(canvas, {7, 17, 64, 24}), 0);  // nothing strays from the line

  ClearCanvas(&canvas);
  obj.selected = 1;
  EXPECT_EQ(PaintDrawObj(canvas.dc, &obj), 1);
  EXPECT_EQ(CountInColumn(canvas, 30, blue), 3);
  EXPECT_EQ(Pixel(canvas, 30, 20), blue);
}

TEST_F(DrawObjPaintTest, RectangleIsHollow) {
  const COLORREF green = RGB(0, 128, 0);
  DrawObj obj = {};
  obj.kind = DrawObjRectangle;
  SetRect(&obj.rect, 10, 10, 60, 50);
  obj.colour = green;
  EXPECT_EQ(PaintDrawObj(canvas.dc, &obj), 1);
  EXPECT_EQ(Pixel(canvas, 10, 30), green);  // left edge
  EXPECT_EQ(Pixel(canvas, 35, 10), green);  // top edge
  EXPECT_EQ(Pixel(canvas, 35, 30), White);  // interior untouched
  EXPECT_EQ(Pixel(canvas, 20, 20), White);
  EXPECT_EQ(Pixel(canvas, 5, 5), White);    // outside
  EXPECT_EQ(Pixel(canvas, 70, 30), White);
  // The column through the middle crosses the top and bottom edges only.
  int column = CountInColumn(canvas, 35, green);
  EXPECT_GE(column, 4);
  EXPECT_LE(column, 6);
}

TEST_F(DrawObjPaintTest, EllipseIsHollow) {
  const COLORREF red = RGB(255, 0, 0);
  DrawObj obj = {};
  obj.kind = DrawObjEllipse;
  SetRect(&obj.rect, 10, 10, 70, 50);
  obj.colour = red;
  EXPECT_EQ(PaintDrawObj(canvas.dc, &obj), 1);
  EXPECT_EQ(Pixel(canvas, 40, 30), White);  // centre
  EXPECT_EQ(Pixel(canvas, 11, 11), White);  // the rect's corner lies outside the ellipse
  EXPECT_GT(CountInColumn(canvas, 40, red), 0);
  EXPECT_EQ(CountInColumn(canvas, 80, red), 0);
}

TEST_F(DrawObjPaintTest, UnknownKindsDrawNothing) {
  const int kinds[] = {0, 4};
  for (int kind : kinds) {
    DrawObj obj = {};
    obj.kind = kind;
    SetRect(&obj.rect, 10, 10, 60, 50);
    obj.colour = RGB(255, 0, 0);
    obj.selected = 1;
    EXPECT_EQ(PaintDrawObj(canvas.dc, &obj), 1) << kind;
    EXPECT_EQ(CountNotWhite(canvas), 0) << kind;
  }
}

TEST_F(DrawObjPaintTest, ListPaintsNewestLast) {
  const COLORREF red = RGB(255, 0, 0), blue = RGB(0, 0, 255);
  AddObj(DrawObjLine, 10, 20, 60, 20, red);
  AddObj(DrawObjLine, 30, 5, 30, 40, blue);  // crosses the red line at (30, 20)
  EXPECT_EQ(PaintDrawObjList(canvas.dc), 1);
  EXPECT_EQ(Pixel(canvas, 30, 20), blue);
  EXPECT_EQ(Pixel(canvas, 50, 20), red);   // the older one is painted too
  EXPECT_EQ(Pixel(canvas, 30, 35), blue);

  // Same two lines in the other order: the crossing takes the other colour.
  FreeDrawObjList();
  ClearCanvas(&canvas);
  AddObj(DrawObjLine, 30, 5, 30, 40, blue);
  AddObj(DrawObjLine, 10, 20, 60, 20, red);
  EXPECT_EQ(PaintDrawObjList(canvas.dc), 1);
  EXPECT_EQ(Pixel(canvas, 30, 20), red);
  EXPECT_EQ(Pixel(canvas, 30, 35), blue);
}

TEST_F(DrawObjPaintTest, DeviceContextRestored) {
  HPEN pen = CreatePen(PS_DOT, 1, RGB(1, 2, 3));
  HBRUSH brush = CreateSolidBrush(RGB(4, 5, 6));
  ASSERT_TRUE(pen && brush);
  HGDIOBJ oldPen = SelectObject(canvas.dc, pen);
  HGDIOBJ oldBrush = SelectObject(canvas.dc, brush);
  SetBkMode(canvas.dc, OPAQUE);

  DrawObj obj = {};
  obj.kind = DrawObjRectangle;
  SetRect(&obj.rect, 10, 10, 60, 50);
  EXPECT_EQ(PaintDrawObj(canvas.dc, &obj), 1);
  EXPECT_EQ(GetBkMode(canvas.dc), OPAQUE);
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PEN), (HGDIOBJ)pen);
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), (HGDIOBJ)brush);
  EXPECT_EQ(Pixel(canvas, 35, 30), White);  // our solid brush was not used

  AddObj(DrawObjEllipse, 5, 5, 40, 40);
  AddObj(DrawObjLine, 0, 0, 90, 70);
  EXPECT_EQ(PaintDrawObjList(canvas.dc), 1);
  EXPECT_EQ(GetBkMode(canvas.dc), OPAQUE);
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_PEN), (HGDIOBJ)pen);
  EXPECT_EQ(GetCurrentObject(canvas.dc, OBJ_BRUSH), (HGDIOBJ)brush);

  SelectObject(canvas.dc, oldPen);
  SelectObject(canvas.dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}
