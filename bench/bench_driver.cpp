// bench_driver.exe: the benchmark's hands inside Wine. It reads one command a line
// on its standard input and answers each with one line: "ok" and the figures, or
// "fail" and the command. The script that runs the peers interleaves these commands
// with them, so that every figure of a round is taken under the same load.
//   bench_driver.exe BIN_DIR BENCH_DIR WORK_DIR OUTPUT_DIR   (folders end in a backslash)
// Commands:
//   floors                      start the backdrop and the 800 x 600 window
//   backdrop on|off             shows or hides the backdrop
//   floor screen|window         ms grab convert write
//   floor_window EXE            EXE (a raw_floor.exe build) as the 800 x 600 window
//   profile BMP|JPG             the application's output format and folder
//   scheme navy|default         the window colour of the colour scheme
//   app_start | trivial_start   ms to the window shown and painted
//   app_exit | trivial_exit
//   mem app|trivial|backdrop    private KB, working set KB
//   capture rect|draw|window bmp|jpg   ms to the temporary file, ms to the output file, width, height
//   compare rect                pixels of the RectCopy picture unlike the screen now, pixels compared
//   arm_window                  WindowCopy armed over the 800 x 600 window; 1 when the
//                               hook took it, 0 when the hook does not reach it
//   hide_mask                   hides the mask, leaving the hook armed (to tell the two apart)
//   null_hook on|off            a global mouse hook that does nothing, for comparison
//   veil on|off                 a click-through translucent window over the 800 x 600 window, no hook
//   moves N                     ms for N mouse moves delivered one by one, move messages received
//   keep NAME                   copies the temporary file into WORK_DIR as NAME
//   encode NAME | codec NAME | copy NAME   ms for BmpToJpg, the codec alone, a file copy
//   quit
#include <stdio.h>
#include <string.h>
#include "bench/driver_runs.h"
#include "common/temp_file_path.h"

static void Answer(int ok, const char* command, const double* figures, int count) {
  if (!ok) {
    printf("fail %s\n", command);
  } else {
    printf("ok");
    for (int i = 0; i < count; i++) printf(" %.3f", figures[i]);
    printf("\n");
  }
  fflush(stdout);
}

static int Run(BenchSetup& s, const char* verb, const char* arg, const char* arg2, double* f, int* count) {
  *count = 0;
  if (strcmp(verb, "floors") == 0) return StartFloors(s);
  if (strcmp(verb, "floor_window") == 0) return StartFloorWindow(s, arg);
  if (strcmp(verb, "backdrop") == 0) return ShowBackdrop(s, strcmp(arg, "on") == 0);
  if (strcmp(verb, "floor") == 0) {
    *count = 4;
    return RunFloor(s, strcmp(arg, "screen") == 0, &f[0], &f[1]);
  }
  if (strcmp(verb, "profile") == 0) {
    WriteAppProfile(s, arg);
    return 1;
  }
  if (strcmp(verb, "scheme") == 0) return SetNavyWindowColour(strcmp(arg, "navy") == 0);
  if (strcmp(verb, "app_start") == 0) return *count = 1, StartApp(s, &f[0]);
  if (strcmp(verb, "app_exit") == 0) return ExitApp(s);
  if (strcmp(verb, "trivial_start") == 0) return *count = 1, StartTrivial(s, &f[0]);
  if (strcmp(verb, "trivial_exit") == 0) return ExitTrivial(s);
  if (strcmp(verb, "mem") == 0) {
    *count = 2;
    const Process& process = strcmp(arg, "app") == 0        ? s.app
                             : strcmp(arg, "backdrop") == 0 ? s.backdrop
                                                            : s.trivial;
    return ProcessMemory(process, &f[0], &f[1]);
  }
  if (strcmp(verb, "capture") == 0) {
    int w = 0, h = 0;
    int ok = RunCapture(s, arg, strcmp(arg2, "jpg") == 0, &f[0], &f[1], &w, &h);
    f[2] = w, f[3] = h;
    *count = 4;
    return ok;
  }
  if (strcmp(verb, "compare") == 0) return *count = 2, CompareRectWithScreen(s, &f[0], &f[1]);
  if (strcmp(verb, "arm_window") == 0) return *count = 1, ArmOverWindow(s, &f[0]);
  if (strcmp(verb, "hide_mask") == 0) return s.shared && ShowWindow(s.shared->glhMaskWnd, SW_HIDE) >= 0;
  if (strcmp(verb, "null_hook") == 0) return SetNullHook(s, strcmp(arg, "on") == 0);
  if (strcmp(verb, "veil") == 0) return SetVeil(s, strcmp(arg, "on") == 0);
  if (strcmp(verb, "moves") == 0) return *count = 2, RunMoves(s, atoi(arg), &f[0], &f[1]);
  if (strcmp(verb, "keep") == 0) return CopyFileA(s.tempPath.c_str(), (s.workDir + arg).c_str(), FALSE) ? 1 : 0;
  if (strcmp(verb, "encode") == 0) return *count = 1, RunBmpToJpg(s, s.workDir + arg, &f[0]);
  if (strcmp(verb, "codec") == 0) return *count = 1, RunCodecAlone(s.workDir + arg, &f[0]);
  if (strcmp(verb, "copy") == 0) return *count = 1, RunCopy(s, s.workDir + arg, &f[0]);
  return 0;
}

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: bench_driver BIN_DIR BENCH_DIR WORK_DIR OUTPUT_DIR\n");
    return 2;
  }
  BenchSetup s;
  s.binDir = argv[1];
  s.benchDir = argv[2];
  s.workDir = argv[3];
  s.outputDir = argv[4];
  char temp[100];
  if (!GetCaptureTempPath(temp)) return 2;
  s.tempPath = temp;
  CreateDirectoryA(s.workDir.c_str(), NULL);
  CreateDirectoryA(s.outputDir.c_str(), NULL);

  char line[512];
  while (fgets(line, sizeof(line), stdin) != NULL) {
    line[strcspn(line, "\r\n")] = 0;
    char verb[64] = "", arg[256] = "", arg2[64] = "";
    if (sscanf(line, "%63s %255s %63s", verb, arg, arg2) < 1) continue;
    if (strcmp(verb, "quit") == 0) break;
    double figures[8];
    int count = 0;
    int ok = Run(s, verb, arg, arg2, figures, &count);
    Answer(ok, line, figures, count);
  }
  ExitApp(s);
  ExitTrivial(s);
  Kill(s.window);
  Kill(s.backdrop);
  return 0;
}
