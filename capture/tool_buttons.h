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

// Where the palette paints the current colour, in palette client coordinates.
const RECT CurrentColourBox = {4, 11, 30, 38};

// The drawing tool a tool button's id selects: 1 line, 2 rectangle, 3 ellipse,
// 0 select for any other id.
int DrawToolOfButton(int id);

// The dotted frame around the button of a drawing tool: the button's rectangle
// less one pixel left and right and two at the top, one lower. Any tool value
// but 1, 2 and 3 frames the select button.
void ToolFrameRect(int tool, RECT* frame);
