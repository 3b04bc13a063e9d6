// CopyToFreeName failing on either side, and stopped at each of its steps as a kill
// would stop it, with a name taken just before the move.
#include <gtest/gtest.h>
#include <fstream>
#include <map>
#include <string>
#include "app/output_copy.h"
#include "tests/support/file_text.h"

typedef std::map<std::string, std::string> Files;  // name -> what it holds: its bytes, "picture" or its size
static std::string gDir, gTake;      // the folder; a name the hook takes just before the copy moves onto it
static const std::string gPicture = std::string(150000, 'p') + "end";  // written in three parts
static int gStopAt, gSteps, gTaken;  // the step the hook stops the copy at, the steps seen, whether it took gTake
static int gStartsThen;              // whether another Vistrel starts just before the move

static ULONGLONG Ago(int minutes) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return ((ULONGLONG)now.dwHighDateTime << 32 | now.dwLowDateTime) - minutes * 600000000ULL;
}
static ULONGLONG WriteTime(HANDLE file) {
  FILETIME t = {0, 0};
  GetFileTime(file, NULL, NULL, &t);
  return (ULONGLONG)t.dwHighDateTime << 32 | t.dwLowDateTime;
}
// Dates the file's last write that many minutes back.
static void Age(const std::string& path, int minutes) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  ULONGLONG at = Ago(minutes);
  FILETIME t = {(DWORD)at, (DWORD)(at >> 32)};
  EXPECT_TRUE(SetFileTime(file, NULL, NULL, &t)) << path;
  CloseHandle(file);
}

static void Put(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
static Files Folder() {
  Files files;
  WIN32_FIND_DATAA f;
  HANDLE search = FindFirstFileA((gDir + "\\*").c_str(), &f);
  do
    if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      std::string bytes = ReadFileText((gDir + "\\" + f.cFileName).c_str());
      files[f.cFileName] = bytes == gPicture ? "picture" : bytes.size() < 9 ? bytes : std::to_string(bytes.size()) + " bytes";
    }
  while (FindNextFileA(search, &f));
  FindClose(search);
  return files;
}
static int Step(int step, const char* path) {
  if (step == kCopyNaming && gTake == path) Put(path, "theirs"), gTaken = 1;
  if (step == kCopyNaming && gStartsThen) RemoveStrayCopies(gDir.c_str());
  return ++gSteps != gStopAt;
}

TEST(OutputCopy, NeverACutOrReplacedPictureAndTheNextStartRemovesOnlyTheCopysRemains) {
  char temp[MAX_PATH] = {0};
  GetTempPathA(MAX_PATH, temp);
  gDir = temp + std::string("vistrel_copy_") + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(gDir.c_str(), NULL);
  const std::string source = gDir + "\\CaptureTemp.bmp";
  // 12:3:45.000 names what an earlier capture at 1:23:45.000 took; two names look like the copy's own.
  SYSTEMTIME time = {2026, 12, 1, 7, 12, 3, 45, 0};
  Files before = {{"PIC_12345_0.bmp", "earlier"}, {"CaptureTemp.bmp", "picture"}, {"~vistrel_copy_0000000G.tmp", "x"},
                  {"~vistrel_copy_123.tmp", "x"}};
  for (auto& f : before) Put(gDir + "\\" + f.first, f.second == "picture" ? gPicture : f.second);

  // Failing to read its source, then on a missing folder: nothing left, each side told.
  int sourceFailed = -1, landed = 0, cut = 0;
  HANDLE held = CreateFileA(source.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  EXPECT_FALSE(CopyToFreeName(held, gDir.c_str(), &time, 0, &sourceFailed, NULL));
  EXPECT_EQ(sourceFailed, 1);
  CloseHandle(held);
  held = CreateFileA(source.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  EXPECT_FALSE(CopyToFreeName(held, (gDir + "\\missing").c_str(), &time, 0, &sourceFailed, NULL));
  EXPECT_EQ(sourceFailed, 0);
  EXPECT_EQ(Folder(), before);

  // Another Vistrel's start-up clean-up between the copy's close and its move takes
  // nothing: the picture lands, dated as its source, which dates from an hour back.
  Age(source, 60);
  SYSTEMTIME later = time;
  later.wSecond = 46;
  gStartsThen = 1;
  EXPECT_TRUE(CopyToFreeName(held, gDir.c_str(), &later, 0, &sourceFailed, Step));
  gStartsThen = 0;
  HANDLE copy = CreateFileA((gDir + "\\PIC_12346_0.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  EXPECT_EQ(WriteTime(copy), WriteTime(held));
  EXPECT_LT(WriteTime(copy), Ago(59));
  CloseHandle(copy);
  EXPECT_TRUE(DeleteFileA((gDir + "\\PIC_12346_0.bmp").c_str()));
  EXPECT_EQ(Folder(), before);

  // Stopped at each step in turn, "_1" taken just before the move onto it: every picture
  // whole, and the next start's clean-up leaves the folder as a finished copy would.
  gTake = gDir + "\\PIC_12345_0_1.bmp";
  for (gStopAt = 1; !landed && gStopAt < 20; gStopAt++) {
    gSteps = 0;
    landed = CopyToFreeName(held, gDir.c_str(), &time, 0, &sourceFailed, Step);
    for (auto& f : Folder()) {
      if (f.first.compare(0, 4, "PIC_") == 0)
        EXPECT_TRUE(f.second == "earlier" || f.second == "theirs" || f.second == "picture") << f.first << ": " << f.second;
      else
        cut += f.second.find(" bytes") != std::string::npos;
    }
    // Left alone at four minutes old; removed at six.
    Files left = Folder();
    for (auto& f : left) Age(gDir + "\\" + f.first, 4);
    RemoveStrayCopies(gDir.c_str());
    EXPECT_EQ(Folder(), left);
    for (auto& f : left) Age(gDir + "\\" + f.first, 6);
    RemoveStrayCopies(gDir.c_str());
    Files expected = before;
    if (gTaken) expected["PIC_12345_0_1.bmp"] = "theirs";
    if (landed) expected["PIC_12345_0_2.bmp"] = "picture";
    EXPECT_EQ(Folder(), expected) << "stopped at step " << gStopAt;
  }
  EXPECT_TRUE(landed);
  EXPECT_GT(cut, 0);  // stopped part-way through the writing too

  // An old one that another process has open, even sharing everything, stays until it is let go.
  const std::string stray = gDir + "\\~vistrel_copy_0000abcd.tmp";
  Put(stray, "x");
  Age(stray, 6);
  HANDLE other = CreateFileA(stray.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                             OPEN_EXISTING, 0, NULL);
  RemoveStrayCopies(gDir.c_str());
  CloseHandle(other);
  EXPECT_TRUE(GetFileAttributesA(stray.c_str()) != INVALID_FILE_ATTRIBUTES);
  RemoveStrayCopies(gDir.c_str());
  EXPECT_TRUE(GetFileAttributesA(stray.c_str()) == INVALID_FILE_ATTRIBUTES);
  CloseHandle(held);
  for (auto& f : Folder()) DeleteFileA((gDir + "\\" + f.first).c_str());
  RemoveDirectoryA(gDir.c_str());
}
