// Writes the recorded trials with the result of the test that recorded them.
#include "tests/reliability/trial_log.h"
#include <gtest/gtest.h>
#include <windows.h>
#include <stdio.h>
#include <vector>

static std::vector<Trial> gPending;

struct HeldBack {
  std::string test;  // suite and name as the test program knows them
  Trial trial;
};
static std::vector<HeldBack>& HeldBackTests() {
  static std::vector<HeldBack> tests;
  return tests;
}

int HoldBack(const char* test, const char* area, const char* tried, const char* why) {
  HeldBack held;
  held.test = test;
  held.trial.area = area;
  held.trial.tried = tried;
  held.trial.checked = "(not run)";
  held.trial.figures = why;
  HeldBackTests().push_back(held);
  return 1;
}

// Tabs and line ends would break the row.
static std::string Field(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return out;
}

// The rows file of this program, or an empty string when no folder is named.
static std::string RowsFile(void) {
  char folder[MAX_PATH] = {0};
  if (!GetEnvironmentVariableA("VISTREL_RELIABILITY_ROWS", folder, MAX_PATH)) return "";
  std::string dir = folder;
  if (dir[0] == '/') dir = "Z:" + dir;  // a Unix path from the build
  for (char& c : dir)
    if (c == '/') c = '\\';
  if (dir.back() != '\\') dir += '\\';
  CreateDirectoryA(dir.c_str(), NULL);
  // "test" for `make test`, "soak" for `make soak`.
  char run[32] = {0};
  if (!GetEnvironmentVariableA("VISTREL_RELIABILITY_RUN", run, sizeof(run)) || run[0] == '\0') lstrcpyA(run, "test");
  dir += std::string(run) + "\\";
  CreateDirectoryA(dir.c_str(), NULL);
  char exe[MAX_PATH] = {0};
  GetModuleFileNameA(NULL, exe, MAX_PATH);
  std::string name = exe;
  name = name.substr(name.find_last_of('\\') + 1);
  name = name.substr(0, name.find_last_of('.'));
  return dir + name + ".tsv";
}

void RecordTrial(const Trial& trial) { gPending.push_back(trial); }

class TrialWriter : public ::testing::EmptyTestEventListener {
  bool started = false;

  void OnTestDisabled(const ::testing::TestInfo& info) override {
    std::string test = std::string(info.test_suite_name()) + "." + info.name();
    for (const HeldBack& held : HeldBackTests())
      if (held.test == test) Write(info, &held.trial, 1, "held back");
  }

  void OnTestEnd(const ::testing::TestInfo& info) override {
    Write(info, gPending.data(), gPending.size(), NULL);
    gPending.clear();
  }

  // Writes the rows with the test's result, or with fixedResult.
  void Write(const ::testing::TestInfo& info, const Trial* trials, size_t count, const char* fixedResult) {
    std::string path = RowsFile();
    if (path.empty() || count == 0) return;
    // The first rows of this run replace what an earlier run of this program left.
    FILE* file = fopen(path.c_str(), started ? "ab" : "wb");
    started = true;
    if (file == NULL) return;
    const char* testResult = fixedResult ? fixedResult : info.result()->Passed() ? "passed" : "FAILED";
    std::string test = std::string(info.test_suite_name()) + "." + info.name();
    for (size_t i = 0; i < count; i++) {
      const Trial& t = trials[i];
      const char* result = t.passed < 0 || fixedResult ? testResult : t.passed ? "passed" : "FAILED";
      fprintf(file, "%s\t%s\t%s\t%ld\t%s\t%s\t%ld\t%ld\t%ld\t%ld\t%s\n", Field(t.area).c_str(), test.c_str(),
              Field(t.tried).c_str(), t.times, Field(t.checked).c_str(), Field(t.figures).c_str(), t.crashes,
              t.hangs, t.leaks, t.badFiles, result);
    }
    fclose(file);
  }
};

// Joins the listeners before any test runs (test programs only; the deliverables
// have no static constructors).
static int gInstalled = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new TrialWriter);
  return 1;
}();
