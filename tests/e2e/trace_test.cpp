// The trace log of a traced build: both deliverables append to c:\Capture_Log.txt,
// each with its own prefix, in the order things happen.
#include <gtest/gtest.h>
#include <string>
#include "tests/e2e/e2e_support.h"
#include "tests/support/file_text.h"

// Whether the lines appear in this order (not necessarily adjacent).
static bool InOrder(const std::string& log, std::initializer_list<const char*> lines) {
  size_t at = 0;
  for (const char* line : lines) {
    size_t found = log.find(std::string(line) + "\n", at);
    if (found == std::string::npos) return false;
    at = found + 1;
  }
  return true;
}

TEST(TraceLog, ApplicationAndLibraryWriteTheirLines) {
  const char* logPath = "c:\\Capture_Log.txt";
  DeleteFileA(logPath);
  std::string dir = MakeTempDir("traced");
  ASSERT_TRUE(CopyBinary(BinDir() + "traced\\Vistrel.exe", dir));
  ASSERT_TRUE(CopyBinary(BinDir() + "traced\\Vistrel.dll", dir));
  ASSERT_TRUE(CopyBinary(BinDir() + "Encoder.dll", dir));
  Process app = Launch(dir + "Vistrel.exe", "", dir);
  HWND main = WaitForWindow("VISTREL", "Vistrel", app.pid, 30000);
  ASSERT_TRUE(main != NULL);
  PostMessageA(main, WM_CLOSE, 0, 0);
  DWORD code = 1;
  ASSERT_TRUE(WaitForExit(app, 30000, &code));
  EXPECT_EQ(code, 0u);

  std::string log = ReadFileText(logPath);
  EXPECT_TRUE(InOrder(log, {"DLL DllMain() Start ", "DLL DllMain:DLL_PROCESS_ATTACH", "DLL DllMain()  End",
                            "DLL InitHook() Start ", "DLL glhMaskWnd == NULL, Create MaskWnd",
                            "DLL RegisterMaskWndClass", "DLL CreateWindow (MaskWindow) ",
                            "DLL RegisterDrawToolsWndClass", "DLL InitHook() End ", "APP WM_DESTROY",
                            "DLL StopHook() Start", "DLL StopHook() End", "APP WM_DESTROY END"}))
      << log;
  EXPECT_EQ(log.find("\r"), std::string::npos);
  EXPECT_EQ(log.find("Failed"), std::string::npos) << log;

  // A second start refuses itself and says so.
  DeleteFileA(logPath);
  Process first = Launch(dir + "Vistrel.exe", "", dir);
  ASSERT_TRUE(WaitForWindow("VISTREL", "Vistrel", first.pid, 30000) != NULL);
  Process second = Launch(dir + "Vistrel.exe", "", dir);
  EXPECT_TRUE(WaitForExit(second, 30000, &code));
  EXPECT_NE(ReadFileText(logPath).find("APP Multiple Instances\n"), std::string::npos);
  Kill(second);
  Kill(first);
  DeleteFileA(logPath);
}
