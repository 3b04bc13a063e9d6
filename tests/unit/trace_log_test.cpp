// The trace log, built with the switch on (trace_log_on_test) or off (trace_log_off_test).
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "common/trace_log.h"
#include "tests/support/file_text.h"

static const char* const LogPath = "c:\\Capture_Log.txt";

static inline std::string ReadLog() { return ReadFileText(LogPath); }

class TraceLogTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteFileA(LogPath); }
  void TearDown() override { DeleteFileA(LogPath); }
};

#ifdef VISTREL_TRACE

TEST_F(TraceLogTest, WritesPrefixMessageAndOneLineFeed) {
  TraceLog("InitHook() Start ");
  TraceLog("TempFileName:%s", "C:\\temp\\CaptureTemp.bmp");
  EXPECT_EQ(ReadLog(), std::string("DLL InitHook() Start \nDLL TempFileName:C:\\temp\\CaptureTemp.bmp\n"));
}

TEST_F(TraceLogTest, CutsLongMessagesAt99Characters) {
  std::string longText(150, 'x');
  longText[98] = 'E';  // the last character kept
  longText[99] = 'Z';  // the first one cut
  TraceLog("%s", longText.c_str());
  std::string expected = "DLL " + longText.substr(0, 99) + "\n";
  EXPECT_EQ(ReadLog(), expected);
}

TEST_F(TraceLogTest, NullFormatWritesNothing) {
  TraceLog(NULL);
  EXPECT_EQ(GetFileAttributesA(LogPath), INVALID_FILE_ATTRIBUTES);
}

TEST_F(TraceLogTest, AppendsToAnExistingFile) {
  TraceLog("one");
  TraceLog("two");
  TraceLog("three");
  EXPECT_EQ(ReadLog(), std::string("DLL one\nDLL two\nDLL three\n"));
}

// Another process in the middle of its own line holds the log open as the writer
// does; this line must still land.
TEST_F(TraceLogTest, WritesWhileAnotherWriterHoldsTheLogOpen) {
  HANDLE other = CreateFileA(LogPath, 0x1F01FF, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             NULL, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, NULL);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  TraceLog("while held");
  CloseHandle(other);
  EXPECT_EQ(ReadLog(), std::string("DLL while held\n"));
}

#else

TEST_F(TraceLogTest, SwitchOffWritesNothing) {
  TraceLog("InitHook() Start ");
  TraceLog("TempFileName:%s", "x");
  EXPECT_EQ(GetFileAttributesA(LogPath), INVALID_FILE_ATTRIBUTES);
}

#endif
