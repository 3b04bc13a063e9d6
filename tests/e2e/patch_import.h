// Replacing one import of a loaded module: how the tests stand in for a system call
// that Wine never refuses where Windows may.
#pragma once
#include <windows.h>

// Points module's import of that name at replacement; the import it had, or null.
inline void* PatchImport(HMODULE module, const char* name, void* replacement) {
  BYTE* base = (BYTE*)module;
  IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
  DWORD at = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (IMAGE_IMPORT_DESCRIPTOR* d = (IMAGE_IMPORT_DESCRIPTOR*)(base + at); d->Name != 0; d++) {
    IMAGE_THUNK_DATA* names = (IMAGE_THUNK_DATA*)(base + d->OriginalFirstThunk);
    IMAGE_THUNK_DATA* slots = (IMAGE_THUNK_DATA*)(base + d->FirstThunk);
    for (; names->u1.AddressOfData != 0; names++, slots++) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
          lstrcmpA((const char*)((IMAGE_IMPORT_BY_NAME*)(base + names->u1.AddressOfData))->Name, name) != 0)
        continue;
      DWORD protect;
      VirtualProtect(slots, sizeof(*slots), PAGE_READWRITE, &protect);
      void* previous = (void*)slots->u1.Function;
      slots->u1.Function = (ULONG_PTR)replacement;
      VirtualProtect(slots, sizeof(*slots), protect, &protect);
      return previous;
    }
  }
  return NULL;
}
