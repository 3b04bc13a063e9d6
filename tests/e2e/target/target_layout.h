// The test target's layout, shared by Target.exe and the tests that look at it.
#pragma once
#include <windows.h>

static const char TargetClass[] = "VistrelTarget";
static const char TargetTitle[] = "Vistrel Test Target";
static const char TargetSwatchClass[] = "VistrelTargetSwatch";
static const UINT WM_APP_COUNT = WM_APP + 1;
// From now on the capture library loaded in the target is refused ShowWindowAsync,
// as Windows refuses it for a window of higher integrity; returns how often it was
// refused so far, or -1 when the library is not loaded.
static const UINT WM_APP_REFUSE_HIDE = WM_APP + 2;

static const COLORREF TargetClientColour = RGB(40, 90, 160);
static const int TargetSwatchCount = 3;
// Child controls in client coordinates.
static const RECT TargetSwatchRects[TargetSwatchCount] = {
    {20, 20, 140, 100}, {160, 20, 280, 100}, {20, 130, 280, 230}};
static const COLORREF TargetSwatchColours[TargetSwatchCount] = {
    RGB(200, 30, 30), RGB(30, 170, 60), RGB(230, 200, 20)};
// A panel right of the first row, and a control inside it: two levels below the
// window. The panel in client coordinates, the nested control in the panel's.
static const RECT TargetPanelRect = {300, 20, 380, 100};
static const RECT TargetNestedRect = {10, 10, 70, 60};
static const COLORREF TargetPanelColour = RGB(110, 60, 150), TargetNestedColour = RGB(250, 140, 0);
