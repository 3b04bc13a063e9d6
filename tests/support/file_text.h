// Reading a whole file for the tests that compare what was written.
#pragma once
#include <windows.h>
#include <string>

// The file's bytes, or an empty string when it cannot be opened. Every kind of
// sharing is allowed: the trace log's writers open it with all rights, delete
// among them, and a reader that did not share delete would shut them out (their
// line lost) or be shut out itself.
inline std::string ReadFileText(const char* path) {
  std::string text;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, NULL) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return text;
}
