// Helpers of the end-to-end tests.
#include "tests/e2e/e2e_support.h"
#include <tlhelp32.h>
#include <string.h>
#include <algorithm>

std::string BinDir() {
  char path[MAX_PATH] = {0};
  GetModuleFileNameA(NULL, path, MAX_PATH);
  char* slash = strrchr(path, '\\');
  if (slash) slash[1] = 0;
  return path;
}

// This process's environment with TEMP and TMP replaced.
static std::string EnvironmentWithTemp(const std::string& tempDir) {
  std::string block;
  char* env = GetEnvironmentStringsA();
  for (const char* entry = env; *entry; entry += lstrlenA(entry) + 1) {
    if (_strnicmp(entry, "TEMP=", 5) == 0 || _strnicmp(entry, "TMP=", 4) == 0) continue;
    block.append(entry).push_back('\0');
  }
  FreeEnvironmentStringsA(env);
  block.append("TEMP=" + tempDir).push_back('\0');
  block.append("TMP=" + tempDir).push_back('\0');
  block.push_back('\0');
  return block;
}

// Every program a test starts ends with the test program, also when that one
// crashes: left running, it would hold the test's output open and keep CTest waiting.
static HANDLE TestJob() {
  static HANDLE job = NULL;
  if (job == NULL) {
    job = CreateJobObjectA(NULL, NULL);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof(limits));
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
  }
  return job;
}

Process Launch(const std::string& exe, const std::string& args, const std::string& dir, const std::string& tempDir) {
  Process process;
  std::string commandLine = "\"" + exe + "\"" + (args.empty() ? "" : " " + args);
  std::string folder = dir;
  if (folder.empty()) folder = exe.substr(0, exe.find_last_of('\\') + 1);
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof(si));
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi;
  std::string buffer = commandLine;
  std::string environment = tempDir.empty() ? "" : EnvironmentWithTemp(tempDir);
  if (CreateProcessA(exe.c_str(), &buffer[0], NULL, NULL, FALSE, CREATE_SUSPENDED,
                     environment.empty() ? NULL : (void*)environment.data(), folder.c_str(), &si, &pi)) {
    AssignProcessToJobObject(TestJob(), pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    process.handle = pi.hProcess;
    process.pid = pi.dwProcessId;
  }
  return process;
}

int WaitForExit(Process& process, DWORD timeoutMs, DWORD* exitCode) {
  if (process.handle == NULL) return 0;
  bool ended = WaitUntil([&] { return WaitForSingleObject(process.handle, 0) == WAIT_OBJECT_0; }, timeoutMs);
  if (!ended) return 0;
  if (exitCode) GetExitCodeProcess(process.handle, exitCode);
  return 1;
}

void Kill(Process& process) {
  if (process.handle == NULL) return;
  if (WaitForSingleObject(process.handle, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process.handle, 99);
    WaitForSingleObject(process.handle, 10000);
  }
  CloseHandle(process.handle);
  process.handle = NULL;
}

DWORD WindowProcess(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid;
}

struct FindRequest {
  const char* className;
  const char* title;
  DWORD pid;
  HWND found;
};

static BOOL CALLBACK FindProc(HWND window, LPARAM param) {
  FindRequest* request = (FindRequest*)param;
  char name[256] = {0};
  GetClassNameA(window, name, sizeof(name));
  if (lstrcmpA(name, request->className) != 0) return TRUE;
  if (request->title) {
    char title[256] = {0};
    GetWindowTextA(window, title, sizeof(title));
    if (lstrcmpA(title, request->title) != 0) return TRUE;
  }
  if (request->pid && WindowProcess(window) != request->pid) return TRUE;
  request->found = window;
  return FALSE;
}

HWND FindProcessWindow(const char* className, const char* title, DWORD pid) {
  FindRequest request = {className, title, pid, NULL};
  EnumWindows(FindProc, (LPARAM)&request);
  return request.found;
}

HWND WaitForWindow(const char* className, const char* title, DWORD pid, DWORD timeoutMs) {
  HWND found = NULL;
  WaitUntil([&] { return (found = FindProcessWindow(className, title, pid)) != NULL; }, timeoutMs);
  return found;
}

std::string MakeTempDir(const char* name) {
  char temp[MAX_PATH] = {0};
  GetTempPathA(MAX_PATH, temp);
  char dir[MAX_PATH];
  wsprintfA(dir, "%svistrel_%s_%lu\\", temp, name, GetCurrentProcessId());
  CreateDirectoryA(dir, NULL);
  return dir;
}

int CopyBinary(const std::string& from, const std::string& toDir, const char* asName) {
  std::string name = asName ? asName : from.substr(from.find_last_of('\\') + 1);
  return CopyFileA(from.c_str(), (toDir + name).c_str(), FALSE) ? 1 : 0;
}

INPUT MouseInput(DWORD flags, int x, int y) {
  INPUT input;
  ZeroMemory(&input, sizeof(input));
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_MOVE) {
    // Over the virtual screen, so that every monitor can be reached; with one
    // monitor it is the primary one.
    int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    // The system maps back with a truncating division, so round up to land exactly.
    input.mi.dx = ((x - left) * 65536 + w - 1) / w;
    input.mi.dy = ((y - top) * 65536 + h - 1) / h;
    input.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK;
  }
  return input;
}

void MoveMouseTo(int x, int y) {
  INPUT input = MouseInput(MOUSEEVENTF_MOVE, x, y);
  SendInput(1, &input, sizeof(input));
}

void MouseEvent(DWORD flag) {
  INPUT input = MouseInput(flag);
  SendInput(1, &input, sizeof(input));
}

void KeyEvent(WORD key, DWORD flags) {
  INPUT input;
  ZeroMemory(&input, sizeof(input));
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = flags;
  SendInput(1, &input, sizeof(input));
}

int ProcessHasModule(DWORD pid, const char* moduleName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  MODULEENTRY32 entry;
  entry.dwSize = sizeof(entry);
  int found = 0;
  for (BOOL more = Module32First(snapshot, &entry); more && !found; more = Module32Next(snapshot, &entry))
    found = lstrcmpiA(entry.szModule, moduleName) == 0;
  CloseHandle(snapshot);
  return found;
}

SharedCaptureState* SharedRecordOf(HMODULE library) {
  BYTE* base = (BYTE*)library;
  IMAGE_DOS_HEADER* dos = (IMAGE_DOS_HEADER*)base;
  IMAGE_NT_HEADERS* nt = (IMAGE_NT_HEADERS*)(base + dos->e_lfanew);
  IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (int i = 0; i < nt->FileHeader.NumberOfSections; i++, section++)
    if (memcmp(section->Name, "CaptureD", 8) == 0) return (SharedCaptureState*)(base + section->VirtualAddress);
  return NULL;
}

int WindowRegionBox(HWND window, RECT* box) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  int type = GetWindowRgn(window, region);
  SetRectEmpty(box);
  if (type != ERROR) GetRgnBox(region, box);
  DeleteObject(region);
  return type;
}

void ClickButton(DWORD downFlag, DWORD upFlag) {
  INPUT input[2];
  ZeroMemory(input, sizeof(input));
  input[0].type = input[1].type = INPUT_MOUSE;
  input[0].mi.dwFlags = downFlag;
  input[1].mi.dwFlags = upFlag;
  SendInput(2, input, sizeof(INPUT));
}

std::string CaptureTempPath() {
  char temp[MAX_PATH] = {0};
  GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + "CaptureTemp.bmp";
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

const char* RegisterTestClass(const char* name, WNDPROC proc) {
  WNDCLASSA wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.lpszClassName = name;
  RegisterClassA(&wc);
  return name;
}

static LRESULT CALLBACK SolidWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  HBRUSH brush = CreateSolidBrush((COLORREF)GetWindowLongPtrA(window, GWLP_USERDATA));
  FillRect(dc, &ps.rcPaint, brush);
  DeleteObject(brush);
  EndPaint(window, &ps);
  return 0;
}

const char* SolidWindowClass() { return RegisterTestClass("VistrelTestSolid", SolidWindowProc); }

void SetSuspended(DWORD pid, bool suspend) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  THREADENTRY32 entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != pid) continue;
    HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
    if (thread == NULL) continue;
    if (suspend)
      SuspendThread(thread);
    else
      ResumeThread(thread);
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
}

bool DesktopComposed() { return GetEnvironmentVariableA("VISTREL_COMPOSED_DESKTOP", NULL, 0) != 0; }

RECT VisibleFrameOf(HWND window) {
  RECT r = {0, 0, 0, 0};
  GetWindowRect(window, &r);
  if (DesktopComposed() && (GetWindowLongA(window, GWL_STYLE) & WS_THICKFRAME)) {
    r.left += 7;
    r.right -= 7;
    r.bottom -= 7;
  }
  return r;
}
