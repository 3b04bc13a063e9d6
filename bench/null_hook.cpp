// null_hook.dll: a WH_MOUSE hook that passes everything on and does nothing else,
// so the benchmark can tell the cost of any global mouse hook under this system
// from the cost of Vistrel's own hook procedure. Exported by its plain name
// (null_hook.def), as the driver looks it up, also where stdcall names are decorated.
#include <windows.h>

extern "C" LRESULT CALLBACK NullMouseHook(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(NULL, code, wParam, lParam);
}
