// null_hook.dll: a WH_MOUSE hook that passes everything on and does nothing else,
// so the benchmark can tell the cost of any global mouse hook under this system
// from the cost of Vistrel's own hook procedure.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK NullMouseHook(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(NULL, code, wParam, lParam);
}
