// The three hot buttons in the skin's top right corner: where they lie and what they post.
#include "app/app_state.h"
#include "common/command_ids.h"

static const int SkinButtonCount = 3;

void SkinButtonRect(int index, RECT* rect) {
  SetRect(rect, 350 + 17 * index, 15, 365 + 17 * index, 30);
}

int HitTestSkinButton(HWND, int x, int y) {
  POINT point = {x, y};
  for (int i = 0; i < SkinButtonCount; i++) {
    RECT rect;
    SkinButtonRect(i, &rect);
    if (PtInRect(&rect, point)) return i + 1;
  }
  return 0;
}

UINT SkinButtonCommand(int hotButton) {
  switch (hotButton) {
    case 1: return IDM_SETTINGS;
    case 2: return IDM_ABOUT;
    case 3: return IDM_HIDE;
  }
  return 0;
}
