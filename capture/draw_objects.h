// The annotations drawn on the mask: a doubly linked list of lines, rectangles and
// ellipses in the application's heap, and the GDI routines that paint them.
#pragma once
#include <windows.h>

// DrawObj::kind, the same numbers as the DrawTool that drew it.
enum {
  DrawObjLine = 1,
  DrawObjRectangle = 2,
  DrawObjEllipse = 3
};

// One annotation. rect holds the points as dragged, never normalised: left/top where
// the button went down, right/bottom the last drag position ((0,0) before the first).
struct DrawObj {
  int kind;         // DrawObjLine, DrawObjRectangle, DrawObjEllipse; anything else paints nothing
  RECT rect;
  COLORREF colour;
  int selected;     // 1: painted with the thicker pen, and the next deletion's candidate
  DrawObj* prev;    // next older, null for the oldest
  DrawObj* next;    // next newer, null for the newest
};

// The finished annotations, oldest first. Exists only while it holds an object;
// lives in glOwn.drawObjList (published to the record) and owns every object in it.
struct DrawObjList {
  int count;
  DrawObj* head;     // oldest
  DrawObj* current;  // last appended, or the one the last deletion selected
  DrawObj* tail;     // newest
};

// A zeroed object, or null when the heap is exhausted. The caller owns it until
// AddDrawObj takes it.
DrawObj* CreateDrawObj(void);

// Frees an object that is in no list (the one under construction); null is ignored.
void FreeDrawObj(DrawObj* obj);

// Appends obj as the newest and only selected object, creating the list if needed.
// 0 when obj is null or the list header cannot be allocated (obj stays the caller's).
int AddDrawObj(DrawObj* obj);

// Selects the newest object whose stored rect contains (x, y) and unselects all
// others. The hit object, or null (then nothing is selected).
DrawObj* SelectDrawObj(int x, int y);

// Removes and frees the oldest selected object and selects a neighbour; freeing the
// last object frees the list too. 0 when there is no list or nothing selected.
int DeleteSelectedDrawObj(void);

// Frees every object, the list header and the object under construction. With no
// list it changes nothing. Always 1.
int FreeDrawObjList(void);

// Paints one object with a hollow brush and a 2-pixel pen (3 when selected),
// leaving dc's pen, brush and background mode as they were. 0 for null arguments.
int PaintDrawObj(HDC dc, const DrawObj* obj);

// Paints the list oldest first, so newer objects lie on top. 0 for a null dc or no list.
int PaintDrawObjList(HDC dc);
