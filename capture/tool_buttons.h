// The drawing palette's button table and its hit test (pure, no windows).
#pragma once
#include <windows.h>

// What an entry does.
enum {
  ToolHitNone = 0,
  ToolHitSwatch = 1,
  ToolHitLine = 2,
  ToolHitRectangle = 3,
  ToolHitEllipse = 4,
  ToolHitSelect = 5
};

struct ToolButton {
  int id;           // ToolHit*
  COLORREF colour;  // read for swatches only
  RECT rect;        // palette client coordinates; an empty one ends the table
};

const int ToolButtonCount = 32;
extern ToolButton glToolButtons[ToolButtonCount];

// Fills the 32 entries: the four tool buttons, then 28 swatches row by row.
void InitToolButtons(void);

// The id of the first entry containing (x, y), or 0. A swatch hit writes its
// colour to *colour when colour is not null.
int HitTestToolButton(int x, int y, COLORREF* colour);
