// The rows of docs/reliability.md, written by the tests themselves: each load,
// fault or bad input tried, how often, what was checked and what came out. A row
// is kept with the test's result (passed or FAILED) when the test ends, in
// %VISTREL_RELIABILITY_ROWS%\<program>.tsv; scripts/reliability_report.py makes
// the table from those files.
#pragma once
#include <string>

struct Trial {
  std::string area;     // "Load", "Fault", "Bad input" or "Counting"
  std::string tried;    // what was done to the system
  long times = 0;       // how often
  std::string checked;  // what was looked at
  std::string figures;  // what was seen, with the numbers
  // Found wrong while trying, each counted once per occurrence.
  long crashes = 0;   // a program of the system or a target that ended on its own
  long hangs = 0;     // a program that did not answer within the time
  long leaks = 0;     // objects, handles or memory that grew with the load
  long badFiles = 0;  // a missing, extra, partial or wrong output or temporary file
  // The row's own result where one test tries several cases (1 passed, 0 failed);
  // -1: the result of the test.
  int passed = -1;
};

// Kept until the running test ends, then written with its result.
void RecordTrial(const Trial& trial);

// A test held back (disabled) because of a fault it finds that is not mended yet:
// its row says what it tries and why it does not run. Called before the tests run
// (from a static initialiser of the test program).
int HoldBack(const char* test, const char* area, const char* tried, const char* why);
