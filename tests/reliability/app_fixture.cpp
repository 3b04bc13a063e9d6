// The real application, targets and input for the reliability tests.
#include "tests/reliability/app_fixture.h"
#include <shlobj.h>
#include <stdlib.h>
#include <algorithm>
#include "tests/support/file_text.h"

const char* const AppFixture::ProfileKeys[5] = {"SavePath", "FileFormat", "Clipboard", "AutoStartup",
                                                "AutoMinimize"};
static const char Missing[] = "\x01(missing)";

int CountFromEnvironment(const char* name, int fallback) {
  char value[32] = {0};
  if (!GetEnvironmentVariableA(name, value, sizeof(value))) return fallback;
  int n = atoi(value);
  return n > 0 ? n : fallback;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string PicturesFolder() {
  char path[MAX_PATH] = {0};
  SHGetFolderPathA(NULL, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, NULL, SHGFP_TYPE_CURRENT, path);
  return path;
}

void RemoveFolder(const std::string& folder) {
  for (const std::string& f : FilesIn(folder)) DeleteFileA((folder + "\\" + f).c_str());
  RemoveDirectoryA(folder.c_str());
}

int RunHostCommand(const std::string& commandLine) {
  // Wine starts Unix programs but gives no handle to wait on: the command leaves its
  // exit code in a file of its own, which is awaited.
  static int serial = 0;
  char name[64];
  wsprintfA(name, "/tmp/vistrel_host_%lu_%d", GetCurrentProcessId(), ++serial);
  std::string done = HostPathToWindows(name);
  DeleteFileA(done.c_str());
  std::string line = "/bin/sh -c \"" + commandLine + "; echo $? > " + name + "\"";
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof(si));
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi;
  if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) return -1;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  std::string code;
  if (!WaitUntil([&] {
        code = ReadFileText(done.c_str());
        return code.find('\n') != std::string::npos;
      }, Timeout))
    return -2;
  DeleteFileA(done.c_str());
  return atoi(code.c_str());
}

std::string HostPathToWindows(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

// One mouse input at the screen point p with the flags (a move is always part of it).
void MouseInputAt(POINT p, DWORD flags, DWORD data) {
  INPUT input = MouseInput(flags | MOUSEEVENTF_MOVE, p.x, p.y);
  input.mi.mouseData = data;
  SendInput(1, &input, sizeof(input));
}

void SyncInput(HWND window) {
  for (int i = 0; i < 2; i++) {
    DWORD_PTR unused = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, AnswerTime, &unused);
  }
}

void DragOnScreen(POINT a, POINT b, HWND owner, int steps) {
  MouseInputAt(a, MOUSEEVENTF_LEFTDOWN);
  for (int i = 1; i < steps; i++)
    MouseInputAt(POINT{a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps}, 0);
  POINT before = {a.x + (b.x - a.x) * (steps - 1) / steps, a.y + (b.y - a.y) * (steps - 1) / steps};
  for (int i = 0; i < 3; i++) {
    // Back to the step before and on again: a move to where the pointer already is
    // may not count.
    MouseInputAt(before, 0);
    MouseInputAt(b, 0);
    SyncInput(owner);
  }
  MouseInputAt(b, MOUSEEVENTF_LEFTUP);
}

ScreenShot GrabScreen(RECT area) {
  ScreenShot shot;
  shot.area = area;
  int w = area.right - area.left, h = area.bottom - area.top;
  BITMAPINFO info;
  ZeroMemory(&info, sizeof(info));
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = NULL;
  HDC screen = GetDC(NULL);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  const BYTE* p = (const BYTE*)bits;
  shot.pixels.reserve((size_t)w * h);
  for (int i = 0; i < w * h; i++, p += 4) shot.pixels.push_back(RGB(p[2], p[1], p[0]));
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(NULL, screen);
  return shot;
}

void ClickAt(POINT p, DWORD downFlag, DWORD upFlag) {
  MouseInputAt(p, downFlag);
  MouseInputAt(p, upFlag);
}

void AppFixture::SetUp() {
  for (int i = 0; i < 5; i++) {
    char value[1100] = {0};
    GetProfileStringA("VISTREL", ProfileKeys[i], Missing, value, sizeof(value));
    savedProfile[i] = value;
  }
  profileSaved = true;
  targets.reserve(32);  // tests keep references to the targets they start
  appDir = BinDir();
  libPath = appDir + "Vistrel.dll";
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  outDir = MakeTempDir((std::string("out_") + info->name()).substr(0, 28).c_str());
  outDir.pop_back();
  for (const std::string& f : FilesIn(outDir)) DeleteFileA((outDir + "\\" + f).c_str());
  tempPath = CaptureTempPath();
  DeleteFileA(tempPath.c_str());
  UsualProfile();
  MoveMouseTo(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
}

void AppFixture::TearDown() {
  // Leave no button down for the next test.
  MouseEvent(MOUSEEVENTF_LEFTUP);
  if (app.handle && main && IsWindow(main)) PostMessageA(main, WM_COMMAND, IDM_EXIT, 0);
  DWORD code = 0;
  WaitForExit(app, Timeout, &code);
  Kill(app);
  for (Target& t : targets) Kill(t.process);
  targets.clear();
  if (lib) FreeLibrary(lib);
  lib = NULL;
  rec = NULL;
  if (profileSaved)
    for (int i = 0; i < 5; i++)
      WriteProfileStringA("VISTREL", ProfileKeys[i], savedProfile[i] == Missing ? NULL : savedProfile[i].c_str());
  RemoveFolder(outDir);
  DeleteFileA(tempPath.c_str());
}

void AppFixture::SetProfile(const char* key, const char* value) { WriteProfileStringA("VISTREL", key, value); }

std::string AppFixture::Profile(const char* key) {
  char value[1100] = {0};
  GetProfileStringA("VISTREL", key, Missing, value, sizeof(value));
  return value;
}

void AppFixture::UsualProfile() {
  SetProfile("SavePath", outDir.c_str());
  SetProfile("FileFormat", "BMP");
  SetProfile("Clipboard", "False");
  SetProfile("AutoStartup", "False");
  SetProfile("AutoMinimize", "False");
}

void AppFixture::StartApp(const std::string& tempDir) {
  if (lib == NULL) {
    // The same library file as the application's, so the same shared record.
    lib = LoadLibraryA(libPath.c_str());
    ASSERT_TRUE(lib != NULL) << libPath;
    rec = SharedRecordOf(lib);
    ASSERT_TRUE(rec != NULL);
  }
  app = Launch(appDir + "Vistrel.exe", "", appDir, tempDir);
  ASSERT_TRUE(app.handle != NULL);
  main = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
  ASSERT_TRUE(main != NULL);
  // Shown, unless the profile hides it at its first activation.
  ASSERT_TRUE(WaitUntil([&] { return (IsWindowVisible(main) != 0 || !expectShown) && rec->glhMainWnd == main; },
                        Timeout));
  seenOutput.clear();
  for (const std::string& f : FilesIn(outDir)) seenOutput.insert(f);
}

void AppFixture::ExitApp() {
  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, IDM_EXIT, 0));
  DWORD code = 1;
  ASSERT_TRUE(WaitForExit(app, Timeout, &code));
  EXPECT_EQ(code, 0u);
  Kill(app);
  main = NULL;
}

Target& AppFixture::StartTarget(int x, int y, int width, int height, const std::string& tempDir) {
  Target t;
  char args[64];
  wsprintfA(args, "%d %d %d %d", x, y, width, height);
  t.process = Launch(BinDir() + "Target.exe", args, "", tempDir);
  t.window = WaitForWindow(TargetClass, TargetTitle, t.process.pid, Timeout);
  EXPECT_TRUE(t.window != NULL);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(t.window) != 0; }, Timeout));
  targets.push_back(t);
  return targets.back();
}

bool AppFixture::Command(UINT id) {
  DWORD_PTR result = 0;
  if (SendMessageTimeoutA(main, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, AnswerTime, &result)) return true;
  tally.hangs++;
  ADD_FAILURE() << "the application did not answer command " << id;
  return false;
}

bool AppFixture::Answers(HWND window) {
  DWORD_PTR result = 0;
  if (IsWindow(window) && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, AnswerTime, &result))
    return true;
  tally.hangs++;
  ADD_FAILURE() << "window " << window << (IsWindow(window) ? " did not answer" : " is gone");
  return false;
}

LRESULT AppFixture::TargetSaw(const Target& t, UINT message) {
  DWORD_PTR count = (DWORD_PTR)-1;
  if (!SendMessageTimeoutA(t.window, WM_APP_COUNT, message, 0, SMTO_ABORTIFHUNG, AnswerTime, &count)) {
    tally.hangs++;
    ADD_FAILURE() << "the target did not answer";
    return -1;
  }
  return (LRESULT)count;
}

bool AppFixture::Alive(const Process& process) {
  if (process.handle != NULL && WaitForSingleObject(process.handle, 0) == WAIT_TIMEOUT) return true;
  tally.crashes++;
  ADD_FAILURE() << "process " << process.pid << " has ended";
  return false;
}

POINT AppFixture::ClientPoint(const Target& t, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(t.window, &p);
  return p;
}

RECT AppFixture::SwatchScreenRect(const Target& t, int i) {
  RECT r = TargetSwatchRects[i];
  MapWindowPoints(t.window, NULL, (POINT*)&r, 2);
  return r;
}

POINT AppFixture::SwatchCentre(const Target& t, int i) {
  const RECT& r = TargetSwatchRects[i];
  return ClientPoint(t, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

RECT AppFixture::WindowRect(HWND window) {
  RECT r = {0, 0, 0, 0};
  GetWindowRect(window, &r);
  return r;
}

bool AppFixture::MaskOver(RECT visible) {
  HWND mask = rec->glhMaskWnd;
  if (mask == NULL || !IsWindowVisible(mask)) return false;
  int b = GetSystemMetrics(SM_CYBORDER), c = GetSystemMetrics(SM_CYCAPTION);
  RECT window, expected = {visible.left - b, visible.top - c, visible.right + b, visible.bottom + b};
  GetWindowRect(mask, &window);
  return EqualRect(&window, &expected) != 0;
}

bool AppFixture::MoveOnto(POINT p, RECT visible) {
  int nudge = 0;
  // Arming clears the target but leaves the mask where it was: the mask counts only
  // once the hook has named the window under it again.
  if (WaitUntil([&] {
        MoveMouseTo(p.x + (nudge++ % 3), p.y);
        RECT target = WindowRect(rec->glhTargetWnd);
        return EqualRect(&target, &visible) && MaskOver(visible);
      }, Timeout))
    return true;
  ADD_FAILURE() << "the mask did not come over (" << visible.left << ", " << visible.top << ", " << visible.right
                << ", " << visible.bottom << ")";
  return false;
}

bool AppFixture::MaskCoversScreen() {
  HWND mask = rec->glhMaskWnd;
  if (mask == NULL || !IsWindowVisible(mask)) return false;
  RECT r = WindowRect(mask);
  return r.left <= 0 && r.top <= 0 && r.right >= GetSystemMetrics(SM_CXSCREEN) &&
         r.bottom >= GetSystemMetrics(SM_CYSCREEN);
}

std::vector<std::string> AppFixture::NewOutputFiles() {
  std::vector<std::string> fresh;
  for (const std::string& f : FilesIn(outDir))
    if (!seenOutput.count(f)) fresh.push_back(f);
  return fresh;
}

bool AppFixture::TakeOneOutput(BmpFile* bmp, std::string* name) {
  std::vector<std::string> fresh;
  std::string temp, out;
  // The copy's temporary file shows before the picture's name: wait for whole bytes under that name.
  bool whole = WaitUntil([&] {
    fresh = NewOutputFiles();
    if (fresh.size() != 1 || fresh[0].compare(0, 4, "PIC_") != 0) return false;
    temp = ReadFileText(tempPath.c_str());
    out = ReadFileText((outDir + "\\" + fresh[0]).c_str());
    return !temp.empty() && out == temp;
  }, Timeout);
  for (const std::string& f : fresh) seenOutput.insert(f);
  if (!whole || fresh.size() != 1) {
    tally.badFiles++;
    ADD_FAILURE() << "expected one new output file equal to the temporary file, found " << fresh.size()
                  << (fresh.empty() ? "" : " (" + fresh[0] + ")") << "; output folder "
                  << (FileExists(outDir) ? "there" : "missing") << ", temporary file of " << temp.size() << " bytes";
    return false;
  }
  if (name) *name = fresh[0];
  *bmp = ReadBmpFile((outDir + "\\" + fresh[0]).c_str());
  if (bmp->ok) return true;
  tally.badFiles++;
  ADD_FAILURE() << fresh[0] << " is not a BMP file";
  return false;
}

bool AppFixture::OutputStageDone() {
  // Twice. A capture the application takes itself answers sent messages while it
  // waits for the screen after the hide, so the first tray click can be posted
  // before WM_USER_COPIED; it is handled once the capture has returned, and the
  // second one once what the capture posted has been handled.
  for (int round = 0; round < 2; round++) {
    ShowWindow(main, SW_HIDE);
    if (IsWindowVisible(main)) {
      ADD_FAILURE() << "the main window did not hide";
      return false;
    }
    PostMessageA(main, WM_USER_TRAYNOTIFY, 0, WM_LBUTTONUP);
    if (!WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout)) {
      tally.hangs++;
      ADD_FAILURE() << "the application did not come to the tray click behind the capture";
      return false;
    }
  }
  return true;
}

bool AppFixture::CaptureTaken(HWND takerWindow) {
  if (!WaitUntil([&] { return rec->glCaptured == 1; }, Timeout)) {
    ADD_FAILURE() << "no capture was taken";
    return false;
  }
  // A program whose hook took the capture answers once its hook call has returned;
  // the application may answer from inside its capture (see OutputStageDone).
  return Answers(takerWindow) && Answers(main);
}

bool AppFixture::Arm(UINT command, CaptureMode mode) {
  if (!Command(command)) return false;
  if (rec->glCaptureMode == mode && rec->glCaptured == 0 && rec->glhHook != NULL) return true;
  ADD_FAILURE() << "command " << command << " did not arm mode " << mode << ": mode " << rec->glCaptureMode
                << ", taken " << rec->glCaptured << ", hook " << rec->glhHook;
  return false;
}

bool AppFixture::IsControlPicture(const BmpFile& bmp, int k) {
  const RECT& r = TargetSwatchRects[k];
  int w = r.right - r.left, h = r.bottom - r.top;
  return bmp.ok && bmp.width == w && bmp.height == h && bmp.Pixel(0, 0) == TargetSwatchColours[k] &&
         bmp.Pixel(w - 1, h - 1) == TargetSwatchColours[k] && bmp.Pixel(w / 2, h / 2) == TargetSwatchColours[k];
}

bool AppFixture::IsWindowPicture(const BmpFile& bmp, const Target& t) {
  RECT window = WindowRect(t.window);
  POINT client = ClientPoint(t, 0, 0);
  int dx = client.x - window.left, dy = client.y - window.top;
  return bmp.ok && bmp.width == window.right - window.left && bmp.height == window.bottom - window.top &&
         bmp.Pixel(dx + 5, dy + 5) == TargetClientColour && bmp.Pixel(dx + 30, dy + 30) == TargetSwatchColours[0] &&
         bmp.Pixel(dx + 270, dy + 90) == TargetSwatchColours[1] &&
         bmp.Pixel(dx + 270, dy + 220) == TargetSwatchColours[2];
}

bool AppFixture::CaptureControl(const Target& t, int k) {
  if (!Arm(IDM_CONTROLCOPY, ControlCopy)) return false;
  POINT at = SwatchCentre(t, k);
  if (!MoveOnto(at, SwatchScreenRect(t, k))) return false;
  RightClickAt(at);
  BmpFile bmp;
  if (!TakeOneOutput(&bmp)) return false;
  if (IsControlPicture(bmp, k)) return true;
  tally.badFiles++;
  ADD_FAILURE() << "the file is not control " << k;
  return false;
}

bool AppFixture::CaptureWindow(const Target& t) {
  if (!Arm(IDM_WINDOWCOPY, WindowCopy)) return false;
  POINT at = ClientPoint(t, 300, 250);
  if (!MoveOnto(at, WindowRect(t.window))) return false;
  RightClickAt(at);
  BmpFile bmp;
  if (!TakeOneOutput(&bmp)) return false;
  if (IsWindowPicture(bmp, t)) return true;
  tally.badFiles++;
  ADD_FAILURE() << "the file is not the window";
  return false;
}

// The mask comes up under the pointer. Under Wine its program answers that with a
// move to where the pointer was then, and that move can reach the mask late, after
// the drag's own moves, and end the drag there. With the pointer already where the
// drag ends, it changes nothing.
bool AppFixture::ArmOverScreen(UINT command, CaptureMode mode, POINT end) {
  MoveMouseTo(end.x, end.y);
  if (!Arm(command, mode)) return false;
  if (WaitUntil([&] { return MaskCoversScreen(); }, Timeout)) return true;
  ADD_FAILURE() << "the mask did not cover the screen";
  return false;
}

bool AppFixture::TakeRect(const Target& t) {
  POINT a = ClientPoint(t, 10, 10), b = ClientPoint(t, 150, 110);
  if (!ArmOverScreen(IDM_RECTCOPY, RectCopy, b)) return false;
  DragOnScreen(a, b, main);
  RightClickAt(b);
  return true;
}

bool AppFixture::CaptureRect(const Target& t) {
  if (!TakeRect(t)) return false;
  BmpFile bmp;
  if (!TakeOneOutput(&bmp)) return false;
  // The drag may end a step short (see DragOnScreen); its start is certain.
  bool ok = bmp.ok && bmp.width > 100 && bmp.width <= 140 && bmp.height > 70 && bmp.height <= 100 &&
            bmp.Pixel(0, 0) == TargetClientColour && bmp.Pixel(12, 12) == TargetSwatchColours[0];
  if (ok) return true;
  tally.badFiles++;
  ADD_FAILURE() << "the file is not the rectangle: " << bmp.width << " x " << bmp.height << ", (0, 0) " << std::hex
                << bmp.Pixel(0, 0) << ", (12, 12) " << bmp.Pixel(12, 12);
  return false;
}

bool AppFixture::NoNewOutput() {
  if (!OutputStageDone()) return false;
  std::vector<std::string> fresh = NewOutputFiles();
  for (const std::string& f : fresh) seenOutput.insert(f);
  if (fresh.empty()) return true;
  tally.badFiles += (long)fresh.size();
  ADD_FAILURE() << "an output file came: " << fresh[0] << ", "
                << ReadFileText((outDir + "\\" + fresh[0]).c_str()).size() << " bytes";
  return false;
}
