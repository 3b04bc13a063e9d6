// FormatOutputName: the name formats, the doubled backslash after a root folder,
// the numbered suffix and the 99-character limit.
#include <gtest/gtest.h>
#include <string>
#include "app/output_name.h"

static SYSTEMTIME TimeOfDay(WORD hour, WORD minute, WORD second, WORD milliseconds) {
  SYSTEMTIME t;
  ZeroMemory(&t, sizeof(t));
  t.wYear = 2024;
  t.wMonth = 5;
  t.wDay = 17;
  t.wHour = hour;
  t.wMinute = minute;
  t.wSecond = second;
  t.wMilliseconds = milliseconds;
  return t;
}

struct NameCase {
  const char* savePath;
  WORD hour, minute, second, milliseconds;
  int jpgFlag, suffix;
  const char* expected;
};

TEST(OutputName, FormatsThePathAndTheTimeOfDayWithoutPadding) {
  const NameCase cases[] = {
      {"D:\\shots", 9, 5, 7, 42, 0, 0, "D:\\shots\\PIC_957_42.bmp"},
      {"D:\\shots", 23, 59, 59, 999, 0, 0, "D:\\shots\\PIC_235959_999.bmp"},
      {"D:\\shots", 0, 0, 0, 0, 0, 0, "D:\\shots\\PIC_000_0.bmp"},
      {"D:\\shots", 9, 5, 7, 42, 1, 0, "D:\\shots\\PIC_957_42.jpg"},
      // The default folder keeps its backslash: the file system reads the pair as one.
      {"c:\\", 12, 3, 45, 0, 0, 0, "c:\\\\PIC_12345_0.bmp"},
      {"c:\\", 1, 23, 45, 0, 1, 0, "c:\\\\PIC_12345_0.jpg"},
      // A taken name gets its number before the extension.
      {"D:\\shots", 9, 5, 7, 42, 0, 1, "D:\\shots\\PIC_957_42_1.bmp"},
      {"D:\\shots", 9, 5, 7, 42, 1, 2, "D:\\shots\\PIC_957_42_2.jpg"},
      {"D:\\shots", 23, 59, 59, 999, 0, 9999, "D:\\shots\\PIC_235959_999_9999.bmp"},
  };
  for (const NameCase& c : cases) {
    SYSTEMTIME t = TimeOfDay(c.hour, c.minute, c.second, c.milliseconds);
    char name[100];
    memset(name, 'x', sizeof(name));
    ASSERT_EQ(FormatOutputName(name, c.savePath, &t, c.jpgFlag, c.suffix), 1) << c.expected;
    EXPECT_STREQ(name, c.expected);
    // The rest of the buffer stays zero.
    for (size_t i = strlen(name); i < sizeof(name); i++) ASSERT_EQ(name[i], 0) << c.expected;
  }
}

// The folder that makes the name exactly n characters long at 23:59:59.999
// (the tail "\PIC_235959_999.bmp" has 19).
static std::string FolderForNameLength(size_t n) { return "C:\\" + std::string(n - 19 - 3, 'a'); }

TEST(OutputName, TakesNamesOfUpTo99CharactersAndRefusesLongerOnes) {
  SYSTEMTIME t = TimeOfDay(23, 59, 59, 999);
  char name[100];

  std::string fits = FolderForNameLength(99);
  ASSERT_EQ(FormatOutputName(name, fits.c_str(), &t, 0, 0), 1);
  EXPECT_EQ(strlen(name), 99u);
  EXPECT_EQ(std::string(name), fits + "\\PIC_235959_999.bmp");

  std::string tooLong = FolderForNameLength(100);
  memset(name, 'x', sizeof(name));
  EXPECT_EQ(FormatOutputName(name, tooLong.c_str(), &t, 0, 0), 0);
  for (char c : name) ASSERT_EQ(c, 0);

  // The same folder at a shorter time of day fits again.
  SYSTEMTIME early = TimeOfDay(1, 2, 3, 4);
  ASSERT_EQ(FormatOutputName(name, tooLong.c_str(), &early, 0, 0), 1);
  EXPECT_EQ(std::string(name), tooLong + "\\PIC_123_4.bmp");

  // A name that just fits has no room for a suffix.
  EXPECT_EQ(FormatOutputName(name, fits.c_str(), &t, 0, 1), 0);
  EXPECT_EQ(name[0], 0);
  std::string roomForOne = FolderForNameLength(97);
  ASSERT_EQ(FormatOutputName(name, roomForOne.c_str(), &t, 1, 9), 1);
  EXPECT_EQ(std::string(name), roomForOne + "\\PIC_235959_999_9.jpg");
  EXPECT_EQ(FormatOutputName(name, roomForOne.c_str(), &t, 1, 10), 0);

  // Save paths that could only come from a longer buffer are refused, not cut.
  std::string huge(300, 'b');
  EXPECT_EQ(FormatOutputName(name, huge.c_str(), &t, 0, 0), 0);
  EXPECT_EQ(name[0], 0);
}
