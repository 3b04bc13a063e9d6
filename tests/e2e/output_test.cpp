// The output stage of the real Vistrel.exe: a prepared "CaptureTemp.bmp" in the
// program's own temporary folder and a posted WM_USER_COPIED, with the files that
// land (or do not land) in the output folder read back.
#include <windows.h>
#include <wincodec.h>

#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "common/command_ids.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/file_text.h"
#include "tests/support/jpeg_file.h"

static const DWORD Timeout = 30000;
static const int DayMs = 24 * 3600 * 1000;
static const char* const ProfileKeys[] = {"SavePath", "FileFormat", "AutoMinimize"};
static const char Missing[] = "\x01(missing)";
// What the files of a taken name hold before the output.
static const char OldPicture[] = "an earlier picture";
static const char ShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
static const char LogPath[] = "c:\\Capture_Log.txt";

// Where the user's Pictures folder is, for every program of this prefix from now on
// (the system's own choice when empty).
static void SetPicturesFolder(const std::string& path) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL), 0);
  if (path.empty())
    RegDeleteValueA(key, "My Pictures");
  else
    RegSetValueExA(key, "My Pictures", 0, REG_EXPAND_SZ, (const BYTE*)path.c_str(), (DWORD)path.size() + 1);
  RegCloseKey(key);
}

// A 24-bit bottom-up BMP, left half red and right half blue, with a row length that
// needs padding; seed varies a pixel so that rewritten files differ.
static std::string MakeTestBmp(int width, int height, BYTE seed) {
  int row = (width * 3 + 3) & ~3;
  std::string b(54 + (size_t)row * height, '\0');
  auto put32 = [&](size_t at, DWORD v) { memcpy(&b[at], &v, 4); };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, (DWORD)b.size());
  put32(10, 54);
  put32(14, 40);
  put32(18, (DWORD)width);
  put32(22, (DWORD)height);
  b[26] = 1;
  b[28] = 24;
  put32(34, (DWORD)row * height);
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      char* p = &b[54 + (size_t)row * y + 3 * x];
      p[0] = (char)(x < width / 2 ? 0 : 255);  // blue
      p[1] = 0;                                 // green
      p[2] = (char)(x < width / 2 ? 255 : 0);   // red
    }
  b[54] = (char)seed;
  return b;
}

static int WriteWholeFile(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD done = 0;
  BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &done, NULL);
  CloseHandle(file);
  return ok && done == bytes.size();
}

static int FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

static int NowMsOfDay() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  return ((t.wHour * 60 + t.wMinute) * 60 + t.wSecond) * 1000 + t.wMilliseconds;
}

// The file name the output format gives at that millisecond of the day.
static std::string PicName(int msOfDay, const char* extension, int suffix = 0) {
  msOfDay %= DayMs;
  int ms = msOfDay % 1000, s = msOfDay / 1000 % 60, m = msOfDay / 60000 % 60, h = msOfDay / 3600000;
  char name[64];
  if (suffix)
    wsprintfA(name, "PIC_%d%d%d_%d_%d%s", h, m, s, ms, suffix, extension);
  else
    wsprintfA(name, "PIC_%d%d%d_%d%s", h, m, s, ms, extension);
  return name;
}

// Whether name is the output name of some millisecond from first to last (across midnight too).
static bool NamedWithin(const std::string& name, int first, int last, const char* extension) {
  if (last < first) last += DayMs;
  for (int t = first; t <= last; t++)
    if (PicName(t, extension) == name) return true;
  return false;
}

// Makes folders below base down to a path of that length; empty when one could not be made.
static std::string DeepFolder(std::string folder, size_t length) {
  while (folder.size() < length) {
    size_t room = length - folder.size() - 1;
    folder += "\\" + std::string(room > 25 ? 20 : room, 'd');
    if (!CreateDirectoryA(folder.c_str(), NULL)) return "";
  }
  return folder;
}

static bool Near(DWORD rgb, DWORD want) {
  for (int shift = 0; shift < 24; shift += 8) {
    int a = (rgb >> shift) & 0xFF, b = (want >> shift) & 0xFF;
    if (a - b > 24 || b - a > 24) return false;
  }
  return true;
}

class OutputTest : public ::testing::Test {
 protected:
  static std::string savedProfile[3], savedPictures;
  std::string tempDir;    // the program's temporary folder, with a trailing backslash
  std::string outDir;     // the output folder, without one
  std::string picsDir;    // the user's Pictures folder, without one
  std::string bmp;        // what the temporary file holds now
  Process app;
  HWND main = NULL;
  LONGLONG nextWriteTime = 0;

  static void SetUpTestSuite() {
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    for (int i = 0; i < 3; i++) {
      char value[100] = {0};
      GetProfileStringA("VISTREL", ProfileKeys[i], Missing, value, sizeof(value));
      savedProfile[i] = value;
    }
    char value[MAX_PATH] = {0};
    DWORD size = sizeof(value) - 1;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ShellFolders, 0, KEY_QUERY_VALUE, &key) == 0) {
      RegQueryValueExA(key, "My Pictures", NULL, NULL, (BYTE*)value, &size);
      RegCloseKey(key);
    }
    savedPictures = value;
  }
  static void TearDownTestSuite() {
    for (int i = 0; i < 3; i++)
      WriteProfileStringA("VISTREL", ProfileKeys[i], savedProfile[i] == Missing ? NULL : savedProfile[i].c_str());
    SetPicturesFolder(savedPictures);
    CoUninitialize();
  }

  // tag names the test's folders, short enough to leave room for long names inside.
  void Folders(const char* tag) {
    tempDir = MakeTempDir((std::string("tmp") + tag).c_str());
    outDir = MakeTempDir((std::string("out") + tag).c_str());
    outDir.pop_back();
    picsDir = MakeTempDir((std::string("pic") + tag).c_str());
    picsDir.pop_back();
    SetPicturesFolder(picsDir);
  }
  void SetUp() override {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    nextWriteTime = ((LONGLONG)now.dwHighDateTime << 32 | now.dwLowDateTime) - 3600LL * 10000000;
  }
  void TearDown() override { Kill(app); }

  // Starts Vistrel.exe (the build that traces, when traced) with these settings (no
  // SavePath when empty) and its temporary folder tempDir.
  void Start(const std::string& savePath, const char* format, bool traced = false) {
    WriteProfileStringA("VISTREL", "SavePath", savePath.empty() ? NULL : savePath.c_str());
    WriteProfileStringA("VISTREL", "FileFormat", format);
    WriteProfileStringA("VISTREL", "AutoMinimize", "False");
    std::string dir = BinDir();
    if (traced) {
      dir = MakeTempDir("traced_output");
      ASSERT_TRUE(CopyBinary(BinDir() + "traced\\Vistrel.exe", dir) && CopyBinary(BinDir() + "traced\\Vistrel.dll", dir) &&
                  CopyBinary(BinDir() + "Encoder.dll", dir));
      DeleteFileA(LogPath);
    }
    app = Launch(dir + "Vistrel.exe", "", "", tempDir);
    main = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
    ASSERT_TRUE(main != NULL);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout));
  }

  // Writes the temporary file as a capture would, each time with a later write time
  // (the file system's clock may not move between two quick writes).
  void PutTempFile(const std::string& bytes) {
    bmp = bytes;
    std::string path = tempDir + "CaptureTemp.bmp";
    ASSERT_TRUE(WriteWholeFile(path, bytes));
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    nextWriteTime += 10000000;
    FILETIME written = {(DWORD)nextWriteTime, (DWORD)(nextWriteTime >> 32)};
    EXPECT_TRUE(SetFileTime(file, NULL, NULL, &written));
    CloseHandle(file);
  }

  // Posts WM_USER_COPIED and returns once the program has handled it: the window is
  // hidden first and shown again by a tray click posted behind the message, and
  // posted messages are handled in order.
  void CopiedAndHandled() {
    ShowWindow(main, SW_HIDE);
    ASSERT_FALSE(IsWindowVisible(main));
    ASSERT_TRUE(PostMessageA(main, WM_USER_COPIED, 0, 0));
    ASSERT_TRUE(PostMessageA(main, WM_USER_TRAYNOTIFY, 0, WM_LBUTTONUP));
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout));
  }

  // Waits for one file more than those in before, under a picture's name (the copy's
  // temporary file comes first), and returns its name (empty when none came).
  std::string NewFile(const std::vector<std::string>& before) {
    std::set<std::string> old(before.begin(), before.end());
    std::string found;
    WaitUntil([&] {
      std::vector<std::string> files = FilesIn(outDir);
      if (files.size() != before.size() + 1) return false;
      for (const std::string& f : files)
        if (!old.count(f)) found = f;
      return found.compare(0, 4, "PIC_") == 0;
    }, Timeout);
    return found;
  }

  // Takes the output names of every millisecond of spanMs from a whole second a few
  // seconds ahead, then waits for that second to begin and returns it. When that
  // second has begun before all its names were there, takes them for a second
  // further ahead. (Not made to run across midnight.)
  int TakeNamesAhead(const char* extension, int spanMs) {
    for (int lead = 6; lead < 200; lead *= 2) {
      int start = (NowMsOfDay() / 1000 + lead) * 1000;
      for (int t = start; t < start + spanMs; t++) {
        if (!WriteWholeFile(outDir + "\\" + PicName(t, extension), OldPicture)) {
          ADD_FAILURE() << "cannot write " << PicName(t, extension);
          return start;
        }
      }
      if (NowMsOfDay() >= start) continue;
      EXPECT_TRUE(WaitUntil([&] { return NowMsOfDay() >= start; }, lead * 1000 + Timeout));
      return start;
    }
    ADD_FAILURE() << "the names were never all there before their second";
    return 0;
  }

  // Every file but the new one still holds what it held.
  void ExpectOldFilesKept(const std::string& landed) {
    for (const std::string& f : FilesIn(outDir)) {
      if (f != landed) {
        ASSERT_EQ(ReadFileText((outDir + "\\" + f).c_str()), OldPicture) << f;
      }
    }
  }

  // Waits for the file to hold exactly bytes.
  bool WaitForContent(const std::string& path, const std::string& bytes) {
    return WaitUntil([&] { return ReadFileText(path.c_str()) == bytes; }, Timeout);
  }

  // Posts WM_USER_COPIED and expects one new BMP file named by the time of the
  // handling, byte for byte the temporary file; returns its name.
  std::string ExpectBmpOutput() {
    size_t before = FilesIn(outDir).size();
    int first = NowMsOfDay();
    EXPECT_TRUE(PostMessageA(main, WM_USER_COPIED, 0, 0));
    std::string name;
    bool landed = WaitUntil([&] {
      std::vector<std::string> files = FilesIn(outDir);
      if (files.size() != before + 1) return false;
      for (const std::string& f : files)
        if (f.compare(0, 4, "PIC_") == 0 && ReadFileText((outDir + "\\" + f).c_str()) == bmp) name = f;
      return !name.empty();
    }, Timeout);
    int last = NowMsOfDay();
    EXPECT_TRUE(landed);
    EXPECT_TRUE(NamedWithin(name, first, last, ".bmp")) << name << " not named between " << first << " and " << last;
    return name;
  }

  // A JPEG of the temporary file's size and colours.
  void ExpectJpegOfTheBmp(const std::string& path, UINT width, UINT height) {
    int w = 0, h = 0;
    std::vector<unsigned> pixels;
    ASSERT_TRUE(WaitUntil([&] { return DecodeJpeg(path, &w, &h, &pixels); }, Timeout)) << path;
    EXPECT_EQ(w, (int)width);
    EXPECT_EQ(h, (int)height);
    if (w != (int)width || h != (int)height) return;
    EXPECT_TRUE(Near(pixels[(h / 2) * w + w / 4], 0xFF0000)) << std::hex << pixels[(h / 2) * w + w / 4];
    EXPECT_TRUE(Near(pixels[(h / 2) * w + 3 * w / 4], 0x0000FF)) << std::hex << pixels[(h / 2) * w + 3 * w / 4];
  }
};
std::string OutputTest::savedProfile[3], OutputTest::savedPictures;

TEST_F(OutputTest, BmpLandsByteIdenticalUnderTheTimeOfDayAndOnlyOncePerTemporaryFile) {
  Folders("bmp");
  Start(outDir, "BMP");
  PutTempFile(MakeTestBmp(37, 23, 1));
  std::string firstName = ExpectBmpOutput();

  // No new capture wrote the temporary file: the same picture is not output again.
  CopiedAndHandled();
  EXPECT_EQ(FilesIn(outDir).size(), 1u);

  // The next capture lands as usual, the first file untouched.
  PutTempFile(MakeTestBmp(37, 23, 2));
  ExpectBmpOutput();
  EXPECT_EQ(FilesIn(outDir).size(), 2u);
  EXPECT_EQ(ReadFileText((outDir + "\\" + firstName).c_str()), MakeTestBmp(37, 23, 1));
}

TEST_F(OutputTest, JpgModeWritesADecodableJpegOfTheSameSizeIntoThePicturesFolderByDefault) {
  Folders("jpg");
  outDir = picsDir;
  Start("", "JPG");
  PutTempFile(MakeTestBmp(64, 40, 1));
  int first = NowMsOfDay();
  ASSERT_TRUE(PostMessageA(main, WM_USER_COPIED, 0, 0));
  std::vector<std::string> files;
  ASSERT_TRUE(WaitUntil([&] { return (files = FilesIn(outDir)).size() == 1 && files[0].compare(0, 4, "PIC_") == 0; }, Timeout));
  ExpectJpegOfTheBmp(outDir + "\\" + files[0], 64, 40);
  int last = NowMsOfDay();
  EXPECT_TRUE(NamedWithin(files[0], first, last, ".jpg")) << files[0];
  // The temporary file is left as it was, and nothing else stays beside it.
  EXPECT_EQ(ReadFileText((tempDir + "CaptureTemp.bmp").c_str()), bmp);
  std::vector<std::string> left;
  EXPECT_TRUE(WaitUntil([&] {
    left = FilesIn(tempDir.substr(0, tempDir.size() - 1));
    return left == std::vector<std::string>{"CaptureTemp.bmp"};
  }, Timeout)) << left.size() << " files";
}

TEST_F(OutputTest, MissingFolderOrUnreadableTemporaryFileGivesNoFileAndTheNextOutputWorks) {
  Folders("miss");
  std::string folder = outDir + "\\later";
  Start(folder, "BMP");

  // No temporary file at all.
  CopiedAndHandled();
  EXPECT_TRUE(FilesIn(outDir).empty());
  EXPECT_TRUE(FilesIn(picsDir).empty());

  // A folder missing at the start: the pictures go to the Pictures folder while it is
  // missing, and into it once it is there.
  outDir = picsDir;
  PutTempFile(MakeTestBmp(16, 16, 2));
  ExpectBmpOutput();
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
  outDir = folder;

  // A temporary file another program holds exclusively is not output, nor counted as
  // output: once let go, the next WM_USER_COPIED outputs it.
  PutTempFile(MakeTestBmp(16, 16, 3));
  HANDLE holder = CreateFileA((tempDir + "CaptureTemp.bmp").c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  CopiedAndHandled();
  EXPECT_TRUE(FilesIn(folder).empty());
  CloseHandle(holder);
  ExpectBmpOutput();
  EXPECT_EQ(FilesIn(folder).size(), 1u);
}

TEST_F(OutputTest, ATakenJpgNameGetsASuffixAndTheOldFileStays) {
  Folders("takenjpg");
  Start(outDir, "JPG");
  PutTempFile(MakeTestBmp(64, 40, 1));
  int start = TakeNamesAhead(".jpg", 1500);
  ASSERT_FALSE(HasFailure());
  std::vector<std::string> existing = FilesIn(outDir);
  ASSERT_TRUE(PostMessageA(main, WM_USER_COPIED, 0, 0));

  std::string landed = NewFile(existing);
  ASSERT_FALSE(landed.empty());
  bool suffixed = false;
  for (int t = start; t < start + 1500; t++) suffixed = suffixed || landed == PicName(t, ".jpg", 1);
  EXPECT_TRUE(suffixed) << landed;
  ExpectJpegOfTheBmp(outDir + "\\" + landed, 64, 40);
  ExpectOldFilesKept(landed);
}

TEST_F(OutputTest, NamesThatWouldNotFitAreSkippedAndTheProgramGoesOn) {
  Folders("longname");
  // A folder of 90 characters: every name in it is over 99.
  std::string folder = DeepFolder(outDir, 90);
  ASSERT_EQ(folder.size(), 90u);
  Start(folder, "BMP");
  PutTempFile(MakeTestBmp(16, 16, 1));
  CopiedAndHandled();
  // Nothing there, and no cut name anywhere along the way.
  for (std::string f = folder; f.size() >= outDir.size(); f = f.substr(0, f.find_last_of('\\')))
    EXPECT_TRUE(FilesIn(f).empty()) << f;
  EXPECT_EQ(WaitForSingleObject(app.handle, 0), (DWORD)WAIT_TIMEOUT);
  // The picture is in the Pictures folder instead.
  std::vector<std::string> files = FilesIn(picsDir);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(ReadFileText((picsDir + "\\" + files[0]).c_str()), bmp);
}

// A Pictures folder of 90 characters (a folder synchronised to a cloud drive) takes
// the pictures by its short name, as the default folder and where an output folder
// named by its long name leaves no room for them.
TEST_F(OutputTest, ALongPicturesFolderLosesNoPicture) {
  Folders("longpics");
  outDir = DeepFolder(picsDir, 90);
  ASSERT_EQ(outDir.size(), 90u);
  SetPicturesFolder(outDir);
  for (const std::string& savePath : {std::string(), outDir}) {
    Start(savePath, "BMP");
    PutTempFile(MakeTestBmp(16, 16, savePath.empty() ? 1 : 2));
    ExpectBmpOutput();
    Kill(app);
  }
  EXPECT_EQ(FilesIn(outDir).size(), 2u);
}

TEST_F(OutputTest, ATemporaryPathThatWouldNotFitIsSkipped) {
  Folders("longtemp");
  // A temporary folder of 84 characters still takes "CaptureTemp.bmp" within 99.
  std::string base = tempDir;
  ASSERT_LT(base.size(), 83u);
  tempDir = base + std::string(83 - base.size(), 't') + "\\";
  ASSERT_EQ(tempDir.size(), 84u);
  ASSERT_TRUE(CreateDirectoryA(tempDir.c_str(), NULL)) << tempDir;
  Start(outDir, "BMP");
  PutTempFile(MakeTestBmp(16, 16, 1));
  ExpectBmpOutput();
  Kill(app);

  // One more character and the program skips the capture.
  std::vector<std::string> before = FilesIn(outDir);
  tempDir = base + std::string(84 - base.size(), 't') + "\\";
  ASSERT_EQ(tempDir.size(), 85u);
  ASSERT_TRUE(CreateDirectoryA(tempDir.c_str(), NULL)) << tempDir;
  Start(outDir, "BMP");
  PutTempFile(MakeTestBmp(16, 16, 2));
  CopiedAndHandled();
  EXPECT_EQ(FilesIn(outDir), before);
  EXPECT_EQ(WaitForSingleObject(app.handle, 0), (DWORD)WAIT_TIMEOUT);
}

TEST_F(OutputTest, OutputRunsWhileTheSettingsDialogIsOpen) {
  Folders("dialog");
  Start(outDir, "BMP");
  ASSERT_TRUE(PostMessageA(main, WM_COMMAND, IDM_SETTINGS, 0));
  HWND dialog = NULL;
  ASSERT_TRUE(WaitUntil([&] {
    dialog = FindProcessWindow("#32770", NULL, app.pid);
    return dialog != NULL && IsWindowVisible(dialog);
  }, Timeout));
  PutTempFile(MakeTestBmp(37, 23, 1));
  ExpectBmpOutput();
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(OutputTest, AFolderGoneAtTheCopyIsTracedByNameAndThePictureTakesAFreeNameInThePicturesFolder) {
  Folders("gone");
  std::string gone = outDir;
  Start(gone, "BMP", true);
  ASSERT_TRUE(RemoveDirectoryA(gone.c_str()));
  PutTempFile(MakeTestBmp(16, 16, 1));
  outDir = picsDir;
  int start = TakeNamesAhead(".bmp", 1500);
  ASSERT_FALSE(HasFailure());
  std::vector<std::string> existing = FilesIn(outDir);
  ASSERT_TRUE(PostMessageA(main, WM_USER_COPIED, 0, 0));

  std::string landed = NewFile(existing);
  int t = start;
  while (t < start + 1500 && landed != PicName(t, ".bmp", 1)) t++;
  ASSERT_LT(t, start + 1500) << landed;
  EXPECT_EQ(ReadFileText((outDir + "\\" + landed).c_str()), bmp);
  ExpectOldFilesKept(landed);
  EXPECT_FALSE(FileExists(gone));
  // The name meant for the output folder is traced before the copy, then the refusal
  // and the names tried in the Pictures folder.
  std::string log = ReadFileText(LogPath);
  EXPECT_NE(log.find("APP Copy bmp file\nAPP " + gone + "\\" + PicName(t, ".bmp") + "\nAPP CreateFile Failed\n" +
                     "APP Output folder refused the picture, saving it in the Pictures folder\nAPP " + picsDir + "\\" +
                     PicName(t, ".bmp") + "\nAPP " + picsDir + "\\" + landed + "\n"),
            std::string::npos) << log;
}

// The output folder is the Pictures folder, and it names a file: the picture is kept
// in the temporary folder under its output name, and never output again as a later capture.
TEST_F(OutputTest, APictureNoFolderTakesIsKeptInTheTemporaryFolderAndNeverOutputAgain) {
  Folders("refused");
  std::string file = picsDir + "\\file";
  ASSERT_TRUE(WriteWholeFile(file, OldPicture));
  SetPicturesFolder(file);
  Start(file, "BMP");
  PutTempFile(MakeTestBmp(16, 16, 1));
  CopiedAndHandled();
  std::vector<std::string> kept = FilesIn(tempDir.substr(0, tempDir.size() - 1));
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ(kept[1].compare(0, 4, "PIC_"), 0) << kept[1];
  EXPECT_EQ(ReadFileText((tempDir + kept[1]).c_str()), bmp);

  // The Pictures folder takes pictures again; the next capture could not write its
  // temporary file.
  SetPicturesFolder(picsDir);
  CopiedAndHandled();
  EXPECT_EQ(FilesIn(picsDir), std::vector<std::string>{"file"});
  outDir = picsDir;
  PutTempFile(MakeTestBmp(16, 16, 2));
  ExpectBmpOutput();
}
