// Entry of Vistrel.exe: start-up in order, then the one message loop.
#include "app/app_state.h"
#include <string.h>
#include "common/trace_log.h"
#include "res/app_resource.h"

HINSTANCE ghInstance;
char gWindowTitle[100];
char gWindowClass[100];
HBITMAP ghSkinBmp;
BITMAP gSkinInfo;

// The libraries are loaded by name. The working folder must not be a place they can
// come from: a Vistrel.dll or Encoder.dll planted there would run as this program.
// An empty string takes it out of the search on Windows, but Wine reads that as
// "back to the default order" and keeps searching it; naming the program's own
// folder, which is searched first anyway, takes it out on both.
static void KeepWorkingFolderOutOfLibrarySearch(void) {
  char folder[MAX_PATH];
  DWORD length = GetModuleFileNameA(NULL, folder, MAX_PATH);
  char* slash = (length > 0 && length < MAX_PATH) ? strrchr(folder, '\\') : NULL;
  if (slash != NULL) {
    *slash = '\0';
    if (SetDllDirectoryA(folder)) return;
  }
  SetDllDirectoryA("");
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  KeepWorkingFolderOutOfLibrarySearch();
  LoadStringA(instance, IDS_APP_TITLE, gWindowTitle, sizeof(gWindowTitle));
  LoadStringA(instance, IDS_WINDOW_CLASS, gWindowClass, sizeof(gWindowClass));
  ghSkinBmp = LoadBitmapA(instance, MAKEINTRESOURCEA(IDB_SKIN));
  GetObjectA(ghSkinBmp, sizeof(BITMAP), &gSkinInfo);

  // Every early end is silent and exits with code 0.
  if (FindWindowA(gWindowClass, NULL) != NULL) {
    TraceLog("Multiple Instances");
    return 0;
  }
  if (!BindCaptureLibrary()) return 0;
  if (!BindEncoder()) return 0;

  RegisterMainWndClass(instance);
  if (!InitMainWindow(instance, showCommand)) return 0;

  HACCEL accelerators = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0)) {
    if (!TranslateAcceleratorA(msg.hwnd, accelerators, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  return (int)msg.wParam;
}
