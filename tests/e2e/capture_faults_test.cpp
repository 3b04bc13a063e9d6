// Captures whose temporary file cannot be written: the application is told all
// the same, no partial or earlier picture is left to pass for the new one, and the
// next capture works.
#include <stdlib.h>
#include "tests/e2e/capture_fixture.h"

static std::string DosPath(const char* unixPath) {
  std::string path = std::string("Z:") + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  if (path.back() != '\\') path += '\\';
  return path;
}

static void WriteJunk(const std::string& path, size_t size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  std::string junk(size, 'j');
  DWORD written = 0;
  WriteFile(file, junk.data(), (DWORD)junk.size(), &written, NULL);
  CloseHandle(file);
}

static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class MissingTempFolder : public CaptureFixture {
 protected:
  void SetUp() override {
    targetTemp = MakeTempDir("gone");
    RemoveDirectoryA(targetTemp.c_str());
    CaptureFixture::SetUp();
  }
};

TEST_F(MissingTempFolder, NoFileAndTheApplicationIsStillTold) {
  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(0));
  ASSERT_TRUE(CaptureHere(0));
  EXPECT_FALSE(Exists(targetTemp + "CaptureTemp.bmp"));
  EXPECT_FALSE(Exists(targetTemp));
  // The target goes on, and so does the hook after the next StartHook.
  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(1));
  ASSERT_TRUE(CaptureHere(1));
  EXPECT_EQ(WaitForSingleObject(target.handle, 0), (DWORD)WAIT_TIMEOUT);
}

class TooLongTempFolder : public CaptureFixture {
 protected:
  void SetUp() override {
    // 86 characters: with "CaptureTemp.bmp" the path needs 101.
    targetTemp = "C:\\" + std::string(82, 'v') + "\\";
    ASSERT_EQ(targetTemp.size(), 86u);
    CreateDirectoryA(targetTemp.c_str(), NULL);
    CaptureFixture::SetUp();
  }
  void TearDown() override {
    CaptureFixture::TearDown();
    RemoveDirectoryA(targetTemp.c_str());
  }
};

TEST_F(TooLongTempFolder, NoTruncatedFileIsWritten) {
  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(0));
  ASSERT_TRUE(CaptureHere(0));
  // The folder stays empty: no "CaptureTem..." cut at 99 characters.
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((targetTemp + "*").c_str(), &found);
  int files = 0;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files++;
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  EXPECT_EQ(files, 0);
  // A truncated name in the parent folder would be this one.
  EXPECT_FALSE(Exists(targetTemp + "CaptureTem"));
}

class FullDisk : public CaptureFixture {
 protected:
  void SetUp() override {
    const char* mount = getenv("VISTREL_SMALLFS");
    ASSERT_TRUE(mount != NULL) << "VISTREL_SMALLFS names the small filesystem";
    targetTemp = DosPath(mount);
    CaptureFixture::SetUp();
  }
};

TEST_F(FullDisk, AShortWriteLeavesNoFileAndTheNextCaptureWorks) {
  // An earlier picture, then a capture too large for the disk.
  std::string stale = targetTemp + "CaptureTemp.bmp";
  WriteJunk(stale, 20000);
  ASSERT_TRUE(Exists(stale));
  Arm(WindowCopy);
  ASSERT_TRUE(MoveOnto(SwatchCentre(2), TargetScreenRect()));
  ASSERT_TRUE(CaptureHere(0));
  EXPECT_FALSE(Exists(stale)) << "a partial or earlier picture was left";

  // A control fits: the next capture is whole.
  Arm(ControlCopy);
  ASSERT_TRUE(MoveOntoSwatch(1));
  ASSERT_TRUE(CaptureHere(1));
  BmpFile bmp = ReadBmpFile(stale.c_str());
  ASSERT_TRUE(bmp.ok);
  const RECT& r = TargetSwatchRects[1];
  EXPECT_EQ(bmp.width, r.right - r.left);
  EXPECT_EQ(bmp.bytes.size(), (size_t)bmp.fileSize);
  EXPECT_EQ(bmp.Pixel(5, 5), TargetSwatchColours[1]);
  DeleteFileA(stale.c_str());
}
