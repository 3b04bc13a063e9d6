// The compositor's library and whether the desktop is composed.
#include "capture/compositor.h"

HMODULE CompositorLibrary(void) {
  char path[MAX_PATH];
  static const char kName[] = "\\dwmapi.dll";
  UINT length = GetSystemDirectoryA(path, MAX_PATH);
  if (length == 0 || length + sizeof kName > MAX_PATH) return NULL;
  lstrcpyA(path + length, kName);
  HMODULE dwm = GetModuleHandleA(path);
  return dwm != NULL ? dwm : LoadLibraryA(path);
}

FARPROC CompositorProc(const char* name) {
  HMODULE dwm = CompositorLibrary();
  return dwm == NULL ? NULL : GetProcAddress(dwm, name);
}

typedef HRESULT(WINAPI* CompositionEnabledProc)(BOOL*);

BOOL DesktopComposed(void) {
  CompositionEnabledProc enabled = (CompositionEnabledProc)(void*)CompositorProc("DwmIsCompositionEnabled");
  BOOL composed = FALSE;
  return enabled != NULL && SUCCEEDED(enabled(&composed)) && composed;
}
