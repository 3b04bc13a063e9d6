// The mask window's message handlers, grouped by the file that holds them. All of
// them run on the application's GUI thread, in the application's process.
#pragma once
#include <windows.h>

// mask_paint.cpp: frame, corner marks, then the selection (RectCopy) or the tips
// panel and the finished drawings (DrawCopy).
void PaintMask(HWND window);

// mask_selection.cpp: the RectCopy selection, in mask client coordinates.
void PressSelection(int x, int y);
void DragSelection(HWND window, WPARAM keys, int x, int y);

// mask_drawing.cpp: DrawCopy objects, the palette trigger and the readout.
void MoveOverDrawing(HWND window, WPARAM keys, int x, int y);
void PressDrawing(HWND window, int x, int y);
void ReleaseDrawing(void);
void DeleteSelectedDrawing(HWND window);
// The capture has burned the drawings in and freed the list; the object under
// construction goes too, so that the next DrawCopy starts empty.
void DiscardDrawingInProgress(void);

// mask_readout.cpp: the position and colour readouts on the tips panel. Leaves
// dc's background mode as it was.
void DrawCursorReadout(HDC dc, int x, int y);
