// Counting a process's GDI objects, handles, private memory and windows.
#include "tests/reliability/process_census.h"
#include <winternl.h>
#include <stdio.h>
#include <vector>

typedef NTSTATUS(NTAPI* QueryProcessFn)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
typedef NTSTATUS(NTAPI* QuerySystemFn)(ULONG, PVOID, ULONG, PULONG);

static FARPROC NtdllProc(const char* name) { return GetProcAddress(GetModuleHandleA("ntdll.dll"), name); }

// Wine's GDI handle table: 65536 entries of 24 bytes (object, owner, generation,
// then the object type, 0 for a free entry, at byte 14).
static const int GdiTableEntries = 0x10000;
static const int GdiEntrySize = 24;
static const int GdiTypeOffset = 14;
#ifdef _WIN64
static const size_t PebGdiTableOffset = 0xF8;
#else
static const size_t PebGdiTableOffset = 0x94;
#endif

static long GdiTableCount(HANDLE process) {
  QueryProcessFn query = (QueryProcessFn)NtdllProc("NtQueryInformationProcess");
  if (query == NULL) return -1;
  PROCESS_BASIC_INFORMATION basic;
  ULONG got = 0;
  if (query(process, ProcessBasicInformation, &basic, sizeof(basic), &got) != 0) return -1;
  ULONG_PTR table = 0;
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, (BYTE*)basic.PebBaseAddress + PebGdiTableOffset, &table, sizeof(table), &read) ||
      table == 0)
    return -1;
  std::vector<BYTE> entries((size_t)GdiTableEntries * GdiEntrySize);
  if (!ReadProcessMemory(process, (void*)table, entries.data(), entries.size(), &read) || read != entries.size())
    return -1;
  long used = 0;
  for (int i = 0; i < GdiTableEntries; i++) used += entries[(size_t)i * GdiEntrySize + GdiTypeOffset] != 0;
  return used;
}

long GdiObjectCount(HANDLE process) {
  DWORD count = GetGuiResources(process, GR_GDIOBJECTS);
  if (count != 0) return (long)count;
  return GdiTableCount(process);
}

struct HandleEntryEx {
  PVOID object;
  ULONG_PTR processId;
  ULONG_PTR handleValue;
  ULONG grantedAccess;
  USHORT creatorBackTraceIndex;
  USHORT objectTypeIndex;
  ULONG handleAttributes;
  ULONG reserved;
};
struct HandleListEx {
  ULONG_PTR count;
  ULONG_PTR reserved;
  HandleEntryEx entries[1];
};
static const ULONG SystemExtendedHandleInformation = 64;
static const NTSTATUS InfoLengthMismatch = (NTSTATUS)0xC0000004;

long KernelHandleCount(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  DWORD count = 0;
  if (process != NULL) {
    GetProcessHandleCount(process, &count);
    CloseHandle(process);
  }
  if (count != 0) return (long)count;

  QuerySystemFn query = (QuerySystemFn)NtdllProc("NtQuerySystemInformation");
  if (query == NULL) return -1;
  std::vector<BYTE> buffer(1 << 20);
  NTSTATUS status;
  ULONG needed = 0;
  while ((status = query(SystemExtendedHandleInformation, buffer.data(), (ULONG)buffer.size(), &needed)) ==
         InfoLengthMismatch)
    buffer.resize(buffer.size() * 2);
  if (status != 0) return -1;
  const HandleListEx* list = (const HandleListEx*)buffer.data();
  long mine = 0;
  for (ULONG_PTR i = 0; i < list->count; i++) mine += list->entries[i].processId == pid;
  return mine;
}

long long PrivateCommittedBytes(HANDLE process) {
  long long total = 0;
  MEMORY_BASIC_INFORMATION region;
  BYTE* at = NULL;
  while (VirtualQueryEx(process, at, &region, sizeof(region)) == sizeof(region)) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += (long long)region.RegionSize;
    BYTE* next = (BYTE*)region.BaseAddress + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

struct WindowTally {
  DWORD pid;
  long count;
};

static BOOL CALLBACK CountChild(HWND window, LPARAM param) {
  ((WindowTally*)param)->count++;
  return TRUE;
}

static BOOL CALLBACK CountTopLevel(HWND window, LPARAM param) {
  WindowTally* tally = (WindowTally*)param;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid != tally->pid) return TRUE;
  tally->count++;
  EnumChildWindows(window, CountChild, param);  // all descendants
  return TRUE;
}

long WindowCount(DWORD pid) {
  WindowTally tally = {pid, 0};
  EnumWindows(CountTopLevel, (LPARAM)&tally);
  return tally.count;
}

Census TakeCensus(HANDLE process, DWORD pid) {
  Census census;
  census.gdiObjects = GdiObjectCount(process);
  census.handles = KernelHandleCount(pid);
  census.privateBytes = PrivateCommittedBytes(process);
  census.windows = WindowCount(pid);
  return census;
}

static std::string Megabytes(long long bytes) {
  char text[32];
  snprintf(text, sizeof(text), "%.2f", bytes / 1048576.0);
  return text;
}

std::string DescribeCensus(const Census& c) {
  char text[160];
  snprintf(text, sizeof(text), "GDI %ld, handles %ld, private %s MB, windows %ld", c.gdiObjects, c.handles,
           Megabytes(c.privateBytes).c_str(), c.windows);
  return text;
}

std::string DescribeCensusChange(const Census& a, const Census& b) {
  char text[200];
  snprintf(text, sizeof(text), "GDI %ld -> %ld, handles %ld -> %ld, private %s -> %s MB, windows %ld -> %ld",
           a.gdiObjects, b.gdiObjects, a.handles, b.handles, Megabytes(a.privateBytes).c_str(),
           Megabytes(b.privateBytes).c_str(), a.windows, b.windows);
  return text;
}
