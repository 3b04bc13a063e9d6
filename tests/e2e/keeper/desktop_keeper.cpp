// DesktopKeeper.exe: keeps the test display's desktop in use for the whole run.
//   DesktopKeeper.exe READY_FILE
// Wine closes a desktop, and ends its explorer.exe, shortly after its last program
// ends. The next test program then starts explorer.exe anew, which inherits that
// test's output and keeps CTest waiting until it ends again, some twenty seconds
// later. This program owns a message-only window, so the desktop never falls idle,
// and writes READY_FILE once it has the desktop.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, instance, NULL);
  if (window == NULL) return 1;
  // The name, without the quotes a path with blanks comes in.
  char* name = commandLine;
  if (*name == '"') {
    name++;
    for (char* p = name; *p; p++)
      if (*p == '"') *p = '\0';
  }
  HANDLE ready = CreateFileA(name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (ready == INVALID_HANDLE_VALUE) return 2;
  CloseHandle(ready);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}
