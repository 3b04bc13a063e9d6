// TraceLog: one line per call, appended to the shared log file.
#include "common/trace_log.h"

#ifdef VISTREL_TRACE
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>

#ifndef TRACE_PREFIX
#error "TRACE_PREFIX names the deliverable: \"APP \" or \"DLL \""
#endif

void TraceLog(const char* format, ...) {
  if (format == NULL) return;
  // Opened and closed for every line, so that the application, the library and
  // the library inside hooked programs can all append to the same file.
  // Every writer opens with all rights, read and delete among them: write sharing
  // alone would shut out any other process tracing at the same moment, and its
  // line would be lost.
  HANDLE file = CreateFileA("c:\\Capture_Log.txt", 0x1F01FF, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;

  char message[100] = {0};
  va_list args;
  va_start(args, format);
  _vsnprintf(message, sizeof(message) - 1, format, args);  // the last byte stays 0
  va_end(args);

  DWORD written = 0;
  SetFilePointer(file, 0, NULL, FILE_END);
  WriteFile(file, TRACE_PREFIX, 4, &written, NULL);
  WriteFile(file, message, (DWORD)lstrlenA(message), &written, NULL);
  WriteFile(file, "\n", 1, &written, NULL);
  FlushFileBuffers(file);
  CloseHandle(file);
}

#else

void TraceLog(const char*, ...) {}

#endif
