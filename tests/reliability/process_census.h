// Counting what a process holds, from outside it: GDI objects, kernel handles,
// committed private memory and windows. Under Wine GetGuiResources answers 0 and
// GetProcessHandleCount answers 0, so each count has a way that works there too:
// - GDI objects: GetGuiResources when it answers; otherwise the entries in use in
//   the process's own GDI handle table, which Wine keeps in the process and points
//   to from its PEB (GdiSharedHandleTable), read with ReadProcessMemory.
// - Kernel handles: GetProcessHandleCount when it answers; otherwise the process's
//   entries in the system handle list (NtQuerySystemInformation, extended handle
//   information).
// - Private bytes: the committed private regions of its address space, summed with
//   VirtualQueryEx (the same for every system).
// - Windows: its top-level windows and all their descendants.
#pragma once
#include <windows.h>
#include <string>

struct Census {
  long gdiObjects = -1;
  long handles = -1;
  long long privateBytes = -1;
  long windows = -1;
};

long GdiObjectCount(HANDLE process);
long KernelHandleCount(DWORD pid);
long long PrivateCommittedBytes(HANDLE process);
long WindowCount(DWORD pid);
Census TakeCensus(HANDLE process, DWORD pid);

// "GDI 41, handles 63, private 5.2 MB, windows 6"
std::string DescribeCensus(const Census& census);
// "GDI 41 -> 41, handles 63 -> 63, private 5.2 -> 5.2 MB, windows 6 -> 6"
std::string DescribeCensusChange(const Census& before, const Census& after);
