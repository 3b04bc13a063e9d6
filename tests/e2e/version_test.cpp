// The version resources of the three binaries, read back through the system's own
// version API as Explorer's property page reads them.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/e2e/e2e_support.h"

struct VersionExpectation {
  const char* file;
  const char* description;
  DWORD fileType;
};

static std::string StringValue(const std::vector<char>& info, const char* name) {
  std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
  char* text = NULL;
  UINT length = 0;
  if (!VerQueryValueA(info.data(), path.c_str(), (void**)&text, &length) || text == NULL) return "<missing>";
  return std::string(text);
}

TEST(VersionResources, AllThreeSayVersionTwoWithOurTexts) {
  const VersionExpectation files[] = {
      {"Vistrel.exe", "Vistrel screen capture", VFT_APP},
      {"Vistrel.dll", "Vistrel capture library", VFT_DLL},
      {"Encoder.dll", "Vistrel JPEG encoder", VFT_DLL},
  };
  for (const VersionExpectation& f : files) {
    SCOPED_TRACE(f.file);
    std::string path = BinDir() + f.file;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void**)&fixed, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x20000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x20000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, f.fileType);

    DWORD* translation = NULL;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", (void**)&translation, &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(*translation, 0x04b00409u);

    EXPECT_EQ(StringValue(info, "CompanyName"), "The Vistrel developers");
    EXPECT_EQ(StringValue(info, "Comments"),
              "Captures a window, a control, a dragged rectangle or the annotated screen.");
    EXPECT_EQ(StringValue(info, "FileDescription"), f.description);
    EXPECT_EQ(StringValue(info, "FileVersion"), "2, 0, 0, 0");
    EXPECT_EQ(StringValue(info, "InternalName"), f.file);
    EXPECT_EQ(StringValue(info, "LegalCopyright"), "Copyright (C) 2026 The Vistrel developers");
    EXPECT_EQ(StringValue(info, "OriginalFilename"), f.file);
    EXPECT_EQ(StringValue(info, "ProductName"), "Vistrel");
    EXPECT_EQ(StringValue(info, "ProductVersion"), "2, 0, 0, 0");
  }
}
