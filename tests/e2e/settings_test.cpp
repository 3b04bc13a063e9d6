// The settings of the real Vistrel.exe: the profile section "VISTREL" read at
// start-up (the clipboard switch reaching the library, the hide at start) and
// the settings dialog driven with its controls, Save, Cancel and Esc, with the
// profile read back from this process (the same Wine prefix, so the same WIN.INI).
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <string>
#include "common/command_ids.h"
#include "tests/e2e/dialog_support.h"
#include "tests/e2e/e2e_support.h"

static const DWORD Timeout = 30000;
static const wchar_t SettingsCaption[] = L"系统配置";
static const char Missing[] = "(missing)";

enum { BmpRadio = 1001, JpgRadio = 1002, ClipboardBox = 1003, FolderEdit = 1004, AutoStartupBox = 1008,
       AutoMinimizeBox = 1010 };

// The section as GetProfileSectionA gives it: "key=value\0" for each key, in order.
static std::string ReadSection() {
  char buffer[8192];
  DWORD length = GetProfileSectionA("VISTREL", buffer, sizeof(buffer));
  return std::string(buffer, length);
}

static void WriteSection(const std::string& section) {
  WriteProfileStringA("VISTREL", NULL, NULL);
  if (!section.empty()) WriteProfileSectionA("VISTREL", section.c_str());  // c_str adds the final null
}

// A section from its "key=value" lines, as ReadSection gives it.
static std::string Lines(std::initializer_list<std::string> lines) {
  std::string section;
  for (const std::string& line : lines) section += line + '\0';
  return section;
}

static std::string Setting(const char* key) {
  char value[256] = {0};
  GetProfileStringA("VISTREL", key, Missing, value, sizeof(value));
  return value;
}

static void SetSetting(const char* key, const char* value) { WriteProfileStringA("VISTREL", key, value); }

static int Checked(HWND dialog, int id) {
  return (int)SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0);
}

static std::string FolderText(HWND dialog) {
  char text[256] = {0};
  GetDlgItemTextA(dialog, FolderEdit, text, sizeof(text));
  return text;
}

static void Click(HWND dialog, int id) {
  DWORD_PTR ignored;
  SendMessageTimeoutA(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
}

// The user's Pictures folder: the folder when the profile names no usable one.
static std::string Pictures() {
  char path[MAX_PATH] = {0};
  SHGetFolderPathA(NULL, CSIDL_MYPICTURES, NULL, SHGFP_TYPE_CURRENT, path);
  return path;
}

static int IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class SettingsTest : public ::testing::Test {
 protected:
  std::string savedSection;
  Process app;
  HWND main = NULL;
  HMODULE library = NULL;
  SharedCaptureState* shared = NULL;

  void SetUp() override {
    ASSERT_TRUE(ChineseCodePage()) << "no zh_CN.UTF-8 locale: run scripts/install_deps.sh";
    savedSection = ReadSection();
    WriteProfileStringA("VISTREL", NULL, NULL);
    MoveMouseTo(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
    // The same library file as the program's, so the same shared record.
    library = LoadLibraryA((BinDir() + "Vistrel.dll").c_str());
    ASSERT_TRUE(library != NULL);
    shared = SharedRecordOf(library);
    ASSERT_TRUE(shared != NULL);
  }
  void TearDown() override {
    Stop();
    if (library) FreeLibrary(library);
    WriteSection(savedSection);
  }

  // Starts the program and waits until it has read its settings (InitHook has
  // given the library the main window, LoadConfig runs right after it).
  void Start() {
    app = Launch(BinDir() + "Vistrel.exe");
    ASSERT_TRUE(app.handle != NULL);
    main = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
    ASSERT_TRUE(main != NULL);
  }
  void StartShown() {
    Start();
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout));
  }
  void Stop() {
    if (main && IsWindow(main)) {
      DWORD_PTR ignored;
      SendMessageTimeoutA(main, WM_COMMAND, IDM_EXIT, 0, SMTO_ABORTIFHUNG, 10000, &ignored);
    }
    DWORD code = 1;
    WaitForExit(app, Timeout, &code);
    Kill(app);
    main = NULL;
  }
  HWND OpenSettings() {
    PostMessageA(main, WM_COMMAND, IDM_SETTINGS, 0);
    return WaitForDialog(app.pid, SettingsCaption, Timeout);
  }
  bool Closed(HWND dialog) {
    return WaitUntil([&] { return !IsWindow(dialog); }, Timeout);
  }
  // Opens the dialog, types the folder and saves with the Save button.
  void SaveFolder(const std::string& folder) {
    HWND dialog = OpenSettings();
    ASSERT_TRUE(dialog != NULL);
    SetDlgItemTextA(dialog, FolderEdit, folder.c_str());
    ASSERT_EQ(FolderText(dialog), folder);
    Click(dialog, IDOK);
    ASSERT_TRUE(Closed(dialog));
  }
};

TEST_F(SettingsTest, EmptyProfileShowsTheDefaultsAndSavingWritesThem) {
  shared->glCopyToClipboard = 1;  // as a run before might have left it
  StartShown();
  EXPECT_TRUE(WaitUntil([&] { return shared->glCopyToClipboard == 0; }, Timeout));

  HWND dialog = OpenSettings();
  ASSERT_TRUE(dialog != NULL);
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), main);
  EXPECT_FALSE(IsWindowEnabled(main));
  ExpectDressed(dialog);
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);
  ASSERT_TRUE(IsFolder(Pictures())) << Pictures();
  EXPECT_EQ(FolderText(dialog), Pictures());
  EXPECT_EQ(Checked(dialog, BmpRadio), BST_CHECKED);
  EXPECT_EQ(Checked(dialog, JpgRadio), BST_UNCHECKED);
  EXPECT_EQ(Checked(dialog, ClipboardBox), BST_UNCHECKED);
  EXPECT_EQ(Checked(dialog, AutoStartupBox), BST_UNCHECKED);
  EXPECT_EQ(Checked(dialog, AutoMinimizeBox), BST_UNCHECKED);

  // Saved as shown: the Pictures folder exists; the five keys in their order.
  ClickOn(GetDlgItem(dialog, IDOK));
  ASSERT_TRUE(Closed(dialog));
  EXPECT_EQ(ReadSection(), Lines({"SavePath=" + Pictures(), "FileFormat=BMP", "Clipboard=False", "AutoStartup=False",
                                   "AutoMinimize=False"}));
  EXPECT_TRUE(IsWindowEnabled(main));
  // With auto-minimise off the window stayed shown, with no tray icon.
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(TrayIconCount(), 0);
}

TEST_F(SettingsTest, SavedChoicesReachTheProfileTheLibraryAndTheNextStart) {
  std::string folder = MakeTempDir("settings_out");
  StartShown();
  HWND dialog = OpenSettings();
  ASSERT_TRUE(dialog != NULL);
  SetDlgItemTextA(dialog, FolderEdit, folder.c_str());
  Click(dialog, JpgRadio);
  EXPECT_EQ(Checked(dialog, BmpRadio), BST_UNCHECKED);
  EXPECT_EQ(Checked(dialog, JpgRadio), BST_CHECKED);
  Click(dialog, ClipboardBox);
  Click(dialog, AutoMinimizeBox);
  ClickOn(GetDlgItem(dialog, IDOK));
  ASSERT_TRUE(Closed(dialog));

  EXPECT_EQ(ReadSection(), Lines({"SavePath=" + folder, "FileFormat=JPG", "Clipboard=True", "AutoStartup=False",
                                   "AutoMinimize=True"}));
  // LoadConfig ran after the save: the library copies to the clipboard from now on.
  EXPECT_EQ(shared->glCopyToClipboard, 1);

  // The dialog shows what is stored.
  dialog = OpenSettings();
  ASSERT_TRUE(dialog != NULL);
  EXPECT_EQ(FolderText(dialog), folder);
  EXPECT_EQ(Checked(dialog, BmpRadio), BST_UNCHECKED);
  EXPECT_EQ(Checked(dialog, JpgRadio), BST_CHECKED);
  EXPECT_EQ(Checked(dialog, ClipboardBox), BST_CHECKED);
  EXPECT_EQ(Checked(dialog, AutoStartupBox), BST_UNCHECKED);
  EXPECT_EQ(Checked(dialog, AutoMinimizeBox), BST_CHECKED);
  Click(dialog, AutoStartupBox);
  Click(dialog, ClipboardBox);
  Click(dialog, IDOK);
  ASSERT_TRUE(Closed(dialog));
  EXPECT_EQ(Setting("AutoStartup"), "True");
  EXPECT_EQ(Setting("Clipboard"), "False");
  EXPECT_EQ(shared->glCopyToClipboard, 0);

  // The next start reads the settings: it hides itself to the tray at once.
  Stop();
  shared->glCopyToClipboard = 1;
  Start();
  EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == 1 && !IsWindowVisible(main); }, Timeout));
  EXPECT_EQ(shared->glCopyToClipboard, 0);
  RemoveDirectoryA(folder.c_str());
}

TEST_F(SettingsTest, ValuesAreComparedExactly) {
  SetSetting("FileFormat", "bmp");
  SetSetting("Clipboard", "true");
  SetSetting("AutoMinimize", "yes");
  shared->glCopyToClipboard = 1;
  Start();
  // "yes" is not "False": auto-minimise is on, and the window goes to the tray.
  EXPECT_TRUE(WaitUntil([&] { return TrayIconCount() == 1 && !IsWindowVisible(main); }, Timeout));
  // "true" is not "True": the clipboard switch is off.
  EXPECT_EQ(shared->glCopyToClipboard, 0);

  HWND dialog = OpenSettings();
  ASSERT_TRUE(dialog != NULL);
  EXPECT_EQ(Checked(dialog, BmpRadio), BST_UNCHECKED);
  EXPECT_EQ(Checked(dialog, JpgRadio), BST_CHECKED);
  EXPECT_EQ(Checked(dialog, ClipboardBox), BST_UNCHECKED);
  EXPECT_EQ(Checked(dialog, AutoMinimizeBox), BST_UNCHECKED);
  Click(dialog, IDOK);
  ASSERT_TRUE(Closed(dialog));
  EXPECT_EQ(Setting("FileFormat"), "JPG");
  EXPECT_EQ(Setting("Clipboard"), "False");
  EXPECT_EQ(Setting("AutoMinimize"), "False");
}

TEST_F(SettingsTest, TheFolderIsStoredOnlyWhenItIsAnExistingFolder) {
  std::string base = MakeTempDir("settings_folders");
  std::string existing = base + "existing";
  std::string file = base + "a_file.txt";
  ASSERT_TRUE(CreateDirectoryA(existing.c_str(), NULL));
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  CloseHandle(handle);
  // A folder whose path has exactly the 99 characters a setting holds.
  std::string longest = base + std::string(99 - base.size(), 'x');
  ASSERT_EQ(longest.size(), 99u);
  ASSERT_TRUE(CreateDirectoryA(longest.c_str(), NULL));

  // A stored folder missing at start (a drive not plugged in) shows as stored, and a
  // Save keeps it; so does an empty field.
  SetSetting("SavePath", "d:\\kept");
  StartShown();
  HWND dialog = OpenSettings();
  ASSERT_TRUE(dialog != NULL);
  EXPECT_EQ(FolderText(dialog), "d:\\kept");
  Click(dialog, IDOK);
  ASSERT_TRUE(Closed(dialog));
  EXPECT_EQ(Setting("SavePath"), "d:\\kept");
  dialog = OpenSettings();
  ASSERT_TRUE(dialog != NULL);
  SetDlgItemTextA(dialog, FolderEdit, "");
  Click(dialog, IDOK);
  ASSERT_TRUE(Closed(dialog));
  EXPECT_EQ(Setting("SavePath"), "d:\\kept");
  EXPECT_EQ(Setting("FileFormat"), "BMP");

  // "c:\" is a folder like any other.
  SaveFolder("c:\\");
  EXPECT_EQ(Setting("SavePath"), "c:\\");
  SaveFolder(existing);
  EXPECT_EQ(Setting("SavePath"), existing);

  SaveFolder(base + "missing");
  EXPECT_EQ(Setting("SavePath"), Pictures());

  // A file is no folder to write pictures into.
  SetSetting("SavePath", existing.c_str());
  SaveFolder(file);
  EXPECT_EQ(Setting("SavePath"), Pictures());

  SaveFolder(longest);
  EXPECT_EQ(Setting("SavePath"), longest);

  // Longer than a setting holds: cut to 99 characters it would name the folder
  // above, which is not the one typed.
  std::string tooLong = longest + "\\below";
  ASSERT_TRUE(CreateDirectoryA(tooLong.c_str(), NULL));
  ASSERT_TRUE(IsFolder(tooLong));
  SaveFolder(tooLong);
  EXPECT_EQ(Setting("SavePath"), Pictures());

  RemoveDirectoryA(tooLong.c_str());
  RemoveDirectoryA(longest.c_str());
  DeleteFileA(file.c_str());
  RemoveDirectoryA(existing.c_str());
  RemoveDirectoryA(base.c_str());
}

TEST_F(SettingsTest, CancelAndEscWriteNothing) {
  SetSetting("SavePath", "c:\\windows");
  SetSetting("FileFormat", "JPG");
  SetSetting("Clipboard", "True");
  SetSetting("AutoStartup", "True");
  SetSetting("AutoMinimize", "False");
  std::string before = ReadSection();
  shared->glCopyToClipboard = 0;
  StartShown();
  EXPECT_TRUE(WaitUntil([&] { return shared->glCopyToClipboard == 1; }, Timeout));

  HWND dialog = OpenSettings();
  ASSERT_TRUE(dialog != NULL);
  EXPECT_EQ(FolderText(dialog), "c:\\windows");
  EXPECT_EQ(Checked(dialog, JpgRadio), BST_CHECKED);
  EXPECT_EQ(Checked(dialog, BmpRadio), BST_UNCHECKED);
  EXPECT_EQ(Checked(dialog, ClipboardBox), BST_CHECKED);
  EXPECT_EQ(Checked(dialog, AutoStartupBox), BST_CHECKED);
  EXPECT_EQ(Checked(dialog, AutoMinimizeBox), BST_UNCHECKED);
  SetDlgItemTextA(dialog, FolderEdit, "c:\\");
  Click(dialog, BmpRadio);
  Click(dialog, ClipboardBox);
  Click(dialog, AutoMinimizeBox);
  ClickOn(GetDlgItem(dialog, IDCANCEL));
  ASSERT_TRUE(Closed(dialog));
  EXPECT_EQ(ReadSection(), before);
  EXPECT_EQ(shared->glCopyToClipboard, 1);

  dialog = OpenSettings();
  ASSERT_TRUE(dialog != NULL);
  Click(dialog, ClipboardBox);
  SetDlgItemTextA(dialog, FolderEdit, "c:\\");
  ASSERT_TRUE(BringToFront(dialog, Timeout));
  KeyEvent(VK_ESCAPE, 0);
  KeyEvent(VK_ESCAPE, KEYEVENTF_KEYUP);
  ASSERT_TRUE(Closed(dialog));
  EXPECT_EQ(ReadSection(), before);
  EXPECT_EQ(shared->glCopyToClipboard, 1);
  EXPECT_TRUE(IsWindowVisible(main));
}
