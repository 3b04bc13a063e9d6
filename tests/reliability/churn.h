// What the census control test asks of Churn.exe.
#pragma once
#include <windows.h>

static const char ChurnClass[] = "VistrelChurn";
static const UINT WM_APP_CHURN_MAKE = WM_APP + 20;  // wParam: a ChurnKind, lParam: how many
static const UINT WM_APP_CHURN_FREE = WM_APP + 21;

enum ChurnKind {
  ChurnBrushes,
  ChurnPens,
  ChurnBitmaps,
  ChurnRegions,
  ChurnFonts,
  ChurnMemoryDCs,
  ChurnEvents,
  ChurnWindows,
  ChurnMegabytes,
};
