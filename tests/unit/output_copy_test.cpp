// CopyToFreeName: a file already under the output name survives byte for byte,
// whether the copy can read its source or not.
#include <gtest/gtest.h>
#include <string>
#include "app/output_copy.h"
#include "tests/support/file_text.h"

static bool Put(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  DWORD done = 0;
  bool ok = file != INVALID_HANDLE_VALUE && WriteFile(file, bytes.data(), (DWORD)bytes.size(), &done, NULL);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return ok && done == bytes.size();
}

static bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(OutputCopy, AnEarlierPictureUnderTheNameSurvivesAnUnreadableSource) {
  char temp[MAX_PATH] = {0};
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "vistrel_copy_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), NULL);
  // 12:3:45.000 writes the name an earlier capture at 1:23:45.000 took.
  SYSTEMTIME time;
  ZeroMemory(&time, sizeof(time));
  time.wHour = 12, time.wMinute = 3, time.wSecond = 45;
  const std::string earlier = folder + "\\PIC_12345_0.bmp", next = folder + "\\PIC_12345_0_1.bmp";
  const std::string source = folder + "\\CaptureTemp.bmp", missing = folder + "\\Missing.bmp";
  const std::string old = std::string("BM an earlier picture\0\xff", 24);
  ASSERT_TRUE(Put(earlier, old));
  ASSERT_TRUE(Put(source, "BM the new picture"));

  // The source held by another program that shares it with nobody, then missing.
  HANDLE holder = CreateFileA(source.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CopyToFreeName(source.c_str(), folder.c_str(), &time, 0), 0);
  CloseHandle(holder);
  EXPECT_EQ(CopyToFreeName(missing.c_str(), folder.c_str(), &time, 0), 0);
  EXPECT_EQ(ReadFileText(earlier.c_str()), old);
  EXPECT_FALSE(Exists(next));

  // Readable, it lands under the next name.
  EXPECT_EQ(CopyToFreeName(source.c_str(), folder.c_str(), &time, 0), 1);
  EXPECT_EQ(ReadFileText(earlier.c_str()), old);
  EXPECT_EQ(ReadFileText(next.c_str()), "BM the new picture");

  for (const std::string& f : {earlier, next, source}) DeleteFileA(f.c_str());
  RemoveDirectoryA(folder.c_str());
}
