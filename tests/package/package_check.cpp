// The installer and uninstaller of the release package in a Wine prefix of their
// own, checked step by step. tests/package/install_test.sh runs the suites in
// order, one process each:
//   Setup.Installs            the installer with /S (and /D= when a folder is given)
//   Installed.*               the files, the shortcut, the uninstall entry, no autostart
//   InstalledProgram.*        one real capture by the installed program
//   RunningProgram.*          the installed program left running in the tray
//   Setup.Uninstalls          the entry's QuietUninstallString, awaited to its end
//   Uninstalled.*             nothing of ours left; the pictures and settings stay
// The environment names the installer, the built binaries, the staged package
// files and a work folder (Windows paths), and VISTREL_PACKAGE_DIR a folder to
// install into instead of the default one.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>

#include "tests/reliability/app_fixture.h"
#include "tests/support/file_text.h"

static const DWORD InstallTime = 120000;
static const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vistrel";
static const char* const InstalledFiles[] = {"Encoder.dll", "License.txt", "UserGuide.txt",
                                             "Vistrel.dll", "Vistrel.exe", "uninstall.exe"};
static const char* const BuiltFiles[] = {"Vistrel.exe", "Vistrel.dll", "Encoder.dll"};
static const char* const StagedTexts[] = {"UserGuide.txt", "License.txt"};
// The registry view the installer writes to: that of the program's architecture.
#ifdef _WIN64
static const REGSAM OurView = KEY_WOW64_64KEY;
#else
static const REGSAM OurView = KEY_WOW64_32KEY;
#endif

static std::string Env(const char* name) {
  char value[1024] = {0};
  GetEnvironmentVariableA(name, value, sizeof(value));
  return value;
}

static std::string FolderPath(int csidl) {
  char path[MAX_PATH] = {0};
  SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path);
  return path;
}

// Where the program is installed: the chosen folder, or Program Files\Vistrel.
static std::string InstallDir() {
  std::string chosen = Env("VISTREL_PACKAGE_DIR");
  return chosen.empty() ? FolderPath(CSIDL_PROGRAM_FILES) + "\\Vistrel" : chosen;
}
static std::string ShortcutPath() { return FolderPath(CSIDL_COMMON_PROGRAMS) + "\\Vistrel.lnk"; }
// The user's pictures, where the capture is saved.
static std::string PicturesDir() { return FolderPath(CSIDL_MYPICTURES) + "\\Vistrel"; }
static std::string SnapshotPath() { return Env("VISTREL_PACKAGE_WORK") + "\\startup-before.txt"; }

// A string value of the uninstall entry in one registry view; false when missing.
static bool EntryValue(REGSAM view, const char* name, std::string* value) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  char data[1024] = {0};
  DWORD size = sizeof(data) - 1, type = 0;
  LONG result = RegQueryValueExA(key, name, NULL, &type, (BYTE*)data, &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_SZ) return false;
  *value = data;
  return true;
}

static bool EntryExists(REGSAM view) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Every value and subkey under the keys that start programs with the system, in
// both registry views, and every file in the Startup folders, one line each.
static std::vector<std::string> StartupEntries() {
  static const char* const keys[] = {
      "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
      "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
      "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
      "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices",
      "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce",
      "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
  };
  struct Root {
    HKEY key;
    const char* name;
  } roots[] = {{HKEY_LOCAL_MACHINE, "HKLM"}, {HKEY_CURRENT_USER, "HKCU"}};
  REGSAM views[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
  std::vector<std::string> lines;
  for (const Root& root : roots)
    for (REGSAM view : views)
      for (const char* path : keys) {
        HKEY key;
        if (RegOpenKeyExA(root.key, path, 0, KEY_READ | view, &key) != ERROR_SUCCESS) continue;
        std::string at = std::string(root.name) + "\\" + path + "\\";
        for (DWORD i = 0;; i++) {
          char name[512] = {0};
          BYTE data[2048] = {0};
          DWORD nameSize = sizeof(name), dataSize = sizeof(data) - 2, type = 0;
          if (RegEnumValueA(key, i, name, &nameSize, NULL, &type, data, &dataSize) != ERROR_SUCCESS) break;
          lines.push_back(at + name + " = " + (type == REG_SZ || type == REG_EXPAND_SZ ? (char*)data : "(data)"));
        }
        for (DWORD i = 0;; i++) {
          char name[512] = {0};
          if (RegEnumKeyA(key, i, name, sizeof(name)) != ERROR_SUCCESS) break;
          lines.push_back(at + name + "\\ (key)");
        }
        RegCloseKey(key);
      }
  int folders[] = {CSIDL_STARTUP, CSIDL_COMMON_STARTUP, CSIDL_ALTSTARTUP, CSIDL_COMMON_ALTSTARTUP};
  for (int csidl : folders) {
    std::string folder = FolderPath(csidl);
    if (folder.empty()) continue;
    for (const std::string& f : FilesIn(folder)) lines.push_back(folder + "\\" + f);
  }
  std::sort(lines.begin(), lines.end());
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
  return lines;
}

static std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

static void ExpectNothingStartsWithTheSystem() {
  std::string before = ReadFileText(SnapshotPath().c_str());
  ASSERT_FALSE(before.empty()) << "no record of the startup entries before the install at " << SnapshotPath();
  EXPECT_EQ(Joined(StartupEntries()), before) << "the startup entries changed";
}

// Runs a command line and waits for its process to end; its exit code, or -1.
// pid: the process's id.
static long RunAndWait(const std::string& commandLine, DWORD* pid = NULL) {
  Process process;
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof(si));
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi;
  std::string line = commandLine;
  if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) return -1;
  CloseHandle(pi.hThread);
  process.handle = pi.hProcess;
  process.pid = pi.dwProcessId;
  if (pid) *pid = pi.dwProcessId;
  DWORD code = 0;
  if (!WaitForExit(process, InstallTime, &code)) {
    Kill(process);
    return -1;
  }
  Kill(process);
  return (long)code;
}

// Handles of the running processes that the process parent started.
static std::vector<HANDLE> ChildrenOf(DWORD parent) {
  std::vector<HANDLE> children;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return children;
  PROCESSENTRY32 entry;
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID != parent || entry.th32ProcessID == parent) continue;
    HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID);
    if (child) children.push_back(child);
  }
  CloseHandle(snapshot);
  return children;
}

TEST(Setup, Installs) {
  std::string setup = Env("VISTREL_PACKAGE_SETUP");
  ASSERT_FALSE(setup.empty());
  ASSERT_TRUE(FileExists(setup)) << setup;
  ASSERT_FALSE(FileExists(InstallDir())) << "the install folder is there before the install";
  std::string work = Env("VISTREL_PACKAGE_WORK");
  if (!FileExists(SnapshotPath())) {
    HANDLE file = CreateFileA(SnapshotPath().c_str(), GENERIC_WRITE, 0, NULL, CREATE_NEW, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << SnapshotPath();
    std::string text = Joined(StartupEntries());
    DWORD done = 0;
    WriteFile(file, text.data(), (DWORD)text.size(), &done, NULL);
    CloseHandle(file);
  }
  // /D= comes last and unquoted, spaces and all.
  std::string line = "\"" + setup + "\" /S";
  if (!Env("VISTREL_PACKAGE_DIR").empty()) line += " /D=" + InstallDir();
  EXPECT_EQ(RunAndWait(line), 0) << line;
  EXPECT_TRUE(FileExists(InstallDir() + "\\Vistrel.exe")) << "nothing installed into " << InstallDir();
}

TEST(Installed, FilesAreTheBuiltOnes) {
  std::string dir = InstallDir();
  std::vector<std::string> want(std::begin(InstalledFiles), std::end(InstalledFiles)), have = FilesIn(dir);
  std::sort(want.begin(), want.end());
  EXPECT_EQ(Joined(have), Joined(want)) << "the files in " << dir;
  std::string built = Env("VISTREL_PACKAGE_BUILT"), staged = Env("VISTREL_PACKAGE_STAGE");
  for (const char* name : BuiltFiles) {
    std::string mine = ReadFileText((dir + "\\" + name).c_str());
    EXPECT_FALSE(mine.empty()) << name;
    EXPECT_TRUE(mine == ReadFileText((built + "\\" + name).c_str())) << name << " differs from the built one";
  }
  for (const char* name : StagedTexts) {
    std::string mine = ReadFileText((dir + "\\" + name).c_str());
    EXPECT_FALSE(mine.empty()) << name;
    EXPECT_TRUE(mine == ReadFileText((staged + "\\" + name).c_str())) << name << " differs from the package's";
  }
}

TEST(Installed, StartMenuShortcutPointsAtTheProgram) {
  std::string path = ShortcutPath();
  ASSERT_TRUE(FileExists(path)) << path;
  EXPECT_FALSE(FileExists(FolderPath(CSIDL_PROGRAMS) + "\\Vistrel.lnk")) << "a shortcut for this user only";
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED)));
  IShellLinkA* link = NULL;
  IPersistFile* file = NULL;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)));
  ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file)));
  std::wstring wide(path.begin(), path.end());
  EXPECT_TRUE(SUCCEEDED(file->Load(wide.c_str(), STGM_READ)));
  char target[MAX_PATH] = {0}, folder[MAX_PATH] = {0};
  EXPECT_TRUE(SUCCEEDED(link->GetPath(target, MAX_PATH, NULL, SLGP_RAWPATH)));
  link->GetWorkingDirectory(folder, MAX_PATH);
  EXPECT_EQ(lstrcmpiA(target, (InstallDir() + "\\Vistrel.exe").c_str()), 0) << "the shortcut points at " << target;
  EXPECT_EQ(lstrcmpiA(folder, InstallDir().c_str()), 0) << "the shortcut starts in " << folder;
  file->Release();
  link->Release();
  CoUninitialize();
}

TEST(Installed, UninstallEntryHasItsValues) {
  std::string dir = InstallDir();
  struct {
    const char* name;
    std::string want;
  } values[] = {
      {"DisplayName", "Vistrel"},
      {"DisplayVersion", "2.0.0"},
      {"Publisher", "The Vistrel developers"},
      {"UninstallString", "\"" + dir + "\\uninstall.exe\""},
      {"QuietUninstallString", "\"" + dir + "\\uninstall.exe\" /S"},
      {"InstallLocation", dir},
      {"DisplayIcon", dir + "\\Vistrel.exe,0"},
  };
  ASSERT_TRUE(EntryExists(OurView)) << "no key HKLM\\" << UninstallKey;
  for (const auto& v : values) {
    std::string have;
    EXPECT_TRUE(EntryValue(OurView, v.name, &have)) << v.name << " is missing";
    EXPECT_EQ(have, v.want) << v.name;
  }
}

TEST(Installed, NothingStartsWithTheSystem) { ExpectNothingStartsWithTheSystem(); }

// The installed program with the installed library, a foreign program to capture
// and real input: RectCopy from the menu's command, a left drag, a right-click.
class InstalledProgram : public AppFixture {
 protected:
  void SetUp() override {
    AppFixture::SetUp();
    RemoveDirectoryA(outDir.c_str());  // the fixture's own folder: the pictures go elsewhere here
    appDir = InstallDir() + "\\";
    libPath = appDir + "Vistrel.dll";
    outDir = PicturesDir();
    CreateDirectoryA(outDir.c_str(), NULL);
    UsualProfile();
  }
  // Ends the programs but keeps the settings and the pictures, which the
  // uninstall must leave alone.
  void TearDown() override {
    MouseEvent(MOUSEEVENTF_LEFTUP);
    if (app.handle && main && IsWindow(main)) PostMessageA(main, WM_COMMAND, IDM_EXIT, 0);
    WaitForExit(app, Timeout, NULL);
    Kill(app);
    for (Target& t : targets) Kill(t.process);
    targets.clear();
    if (lib) FreeLibrary(lib);
    lib = NULL;
  }
};

TEST_F(InstalledProgram, CapturesIntoTheSavePath) {
  ASSERT_TRUE(FilesIn(outDir).empty()) << outDir << " is not empty before the capture";
  StartApp();
  ASSERT_TRUE(ProcessHasModule(app.pid, "Vistrel.dll"));
  Target& t = StartTarget(100, 200, 400, 300);
  ASSERT_TRUE(CaptureRect(t));
  ExitApp();
  std::vector<std::string> files = FilesIn(outDir);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].compare(0, 4, "PIC_"), 0) << files[0];
  EXPECT_EQ(files[0].substr(files[0].size() - 4), ".bmp") << files[0];
}

// The installed program left running, hidden to the tray, for the uninstall to meet.
TEST(RunningProgram, StartsAndHidesToTheTray) {
  Process app = Launch(InstallDir() + "\\Vistrel.exe");
  ASSERT_TRUE(app.handle != NULL);
  HWND main = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
  ASSERT_TRUE(main != NULL);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout));
  PostMessageA(main, WM_COMMAND, IDM_HIDE, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == 0; }, Timeout));
  ASSERT_TRUE(ProcessHasModule(app.pid, "Vistrel.dll"));
}

TEST(Setup, Uninstalls) {
  std::string quiet;
  ASSERT_TRUE(EntryValue(OurView, "QuietUninstallString", &quiet)) << "no QuietUninstallString";
  // The uninstaller starts a copy of itself from the temporary folder and returns
  // at once; the copy removes the files and, last, the uninstall entry, then ends.
  // (A copy quick enough to be gone before it is looked for has removed the entry.)
  DWORD uninstaller = 0;
  EXPECT_EQ(RunAndWait(quiet, &uninstaller), 0) << quiet;
  std::vector<HANDLE> copies = ChildrenOf(uninstaller);
  bool ended = WaitUntil([&] {
    for (HANDLE copy : copies)
      if (WaitForSingleObject(copy, 0) != WAIT_OBJECT_0) return false;
    return !EntryExists(OurView);
  }, InstallTime);
  for (HANDLE copy : copies) CloseHandle(copy);
  ASSERT_TRUE(ended) << "the uninstall did not finish in time: the entry is "
                     << (EntryExists(OurView) ? "still there" : "gone");
}

TEST(Uninstalled, NothingOfOursIsLeft) {
  std::string dir = InstallDir();
  EXPECT_FALSE(FileExists(dir)) << dir << " is still there, holding: " << Joined(FilesIn(dir));
  EXPECT_FALSE(FileExists(ShortcutPath())) << ShortcutPath();
  EXPECT_FALSE(EntryExists(KEY_WOW64_64KEY)) << "HKLM\\" << UninstallKey << " (64-bit view)";
  EXPECT_FALSE(EntryExists(KEY_WOW64_32KEY)) << "HKLM\\" << UninstallKey << " (32-bit view)";
}

TEST(Uninstalled, NothingStartsWithTheSystem) { ExpectNothingStartsWithTheSystem(); }

// A copy that was running is closed by the uninstaller rather than left holding
// its files.
TEST(Uninstalled, NoVistrelIsRunning) {
  EXPECT_TRUE(FindWindowA("VISTREL", NULL) == NULL);
}

// The picture of the capture and the profile section are the user's.
TEST(Uninstalled, PicturesAndSettingsStay) {
  std::vector<std::string> files = FilesIn(PicturesDir());
  ASSERT_EQ(files.size(), 1u) << "the pictures in " << PicturesDir() << ": " << Joined(files);
  std::string picture = ReadFileText((PicturesDir() + "\\" + files[0]).c_str());
  EXPECT_GT(picture.size(), 54u);
  EXPECT_TRUE(picture == ReadFileText(CaptureTempPath().c_str())) << files[0] << " is not the captured picture";
  struct {
    const char* key;
    std::string want;
  } settings[] = {{"SavePath", PicturesDir()}, {"FileFormat", "BMP"}, {"Clipboard", "False"},
                  {"AutoStartup", "False"}, {"AutoMinimize", "False"}};
  for (const auto& s : settings) {
    char value[1100] = {0};
    GetProfileStringA("VISTREL", s.key, "(missing)", value, sizeof(value));
    EXPECT_EQ(std::string(value), s.want) << "WIN.INI [VISTREL] " << s.key;
  }
}
