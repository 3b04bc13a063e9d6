// Faults around a capture: the target goes away between hover and click, the
// application dies while armed, another program holds the temporary file or the
// clipboard, the output folder turns read-only or disappears, the disk is full.
// Each time the application keeps running, the next capture works, and no output
// file holds a wrong or partial picture.
#include <stdlib.h>
#include <map>
#include "tests/reliability/app_fixture.h"
#include "tests/support/file_text.h"

// A Unix folder named by the build (a mount the tests' fixtures made), as a Windows path.
static std::string MountFolder(const char* variable) {
  const char* unixPath = getenv(variable);
  return unixPath ? HostPathToWindows(unixPath) : "";
}

class FaultTest : public AppFixture {
 protected:
  FaultTest() { area = "Fault"; }
};

// The target is closed, or killed, while the mask lies over it; the right-click then
// falls on the program below (a second Target.exe). Either the hook still holds the
// dead window and nothing is written, or it has moved on to the window below and
// that window is captured whole: never a picture of the dead one, never a partial one.
TEST_F(FaultTest, TargetGoneBetweenHoverAndClick) {
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  Target& below = StartTarget(30, 30, 900, 700);
  ASSERT_FALSE(HasFailure());
  std::string seen;
  int runs = 0, nothing = 0, belowTaken = 0, nextRight = 0;
  const struct {
    UINT command;
    CaptureMode mode;
    bool kill;
    const char* name;
  } cases[] = {{IDM_WINDOWCOPY, WindowCopy, false, "WindowCopy, closed"},
               {IDM_WINDOWCOPY, WindowCopy, true, "WindowCopy, killed"},
               {IDM_CONTROLCOPY, ControlCopy, false, "ControlCopy, closed"},
               {IDM_CONTROLCOPY, ControlCopy, true, "ControlCopy, killed"}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    Target gone = StartTarget(400, 350, 400, 300);
    targets.pop_back();  // ends here, not in TearDown
    ASSERT_TRUE(gone.window != NULL);
    ASSERT_TRUE(Arm(c.command, c.mode));
    POINT at = SwatchCentre(gone, 0);
    RECT over = c.mode == WindowCopy ? WindowRect(gone.window) : SwatchScreenRect(gone, 0);
    ASSERT_TRUE(MoveOnto(at, over));
    if (c.kill) {
      TerminateProcess(gone.process.handle, 9);
    } else {
      PostMessageA(gone.window, WM_CLOSE, 0, 0);
    }
    DWORD code = 0;
    ASSERT_TRUE(WaitForExit(gone.process, Timeout, &code));
    Kill(gone.process);
    RightClickAt(at);
    // The press lands on the program below, whose hook call takes the capture.
    EXPECT_TRUE(CaptureTaken(below.window));
    EXPECT_TRUE(OutputStageDone());
    std::vector<std::string> fresh = NewOutputFiles();
    for (const std::string& f : fresh) seenOutput.insert(f);
    if (fresh.empty()) {
      nothing++;
      EXPECT_FALSE(FileExists(tempPath)) << "a temporary file was left for a window that is gone";
    } else {
      BmpFile bmp = ReadBmpFile((outDir + "\\" + fresh[0]).c_str());
      bool whole = fresh.size() == 1 && IsWindowPicture(bmp, below);
      if (!whole) tally.badFiles++;
      EXPECT_TRUE(whole) << "the file is not the window below";
      belowTaken++;
    }
    EXPECT_TRUE(Alive(below.process));
    EXPECT_TRUE(Alive(app));
    EXPECT_TRUE(Answers(main));
    // The next capture works.
    bool next = CaptureControl(below, runs % 3);
    EXPECT_TRUE(next);
    nextRight += next;
    runs++;
  }
  RecordTrial(Row("The target window is closed (WM_CLOSE) or its program killed while the mask lies over it, "
                  "then the right-click; WindowCopy and ControlCopy",
                  runs,
                  "the application and the program below run on and answer; no file, or exactly the window "
                  "below, whole; the next capture of a control is right",
                  "nothing written in " + std::to_string(nothing) + ", the window below captured whole in " +
                      std::to_string(belowTaken) + "; " + std::to_string(nextRight) + " of " + std::to_string(runs) +
                      " next captures right"));
}

// The application is killed while armed, and started again: the hook died with it,
// the targets run on and get their own clicks, and the new run captures as usual
// (the stale shared record is not used).
TEST_F(FaultTest, ApplicationKilledWhileArmedAndStartedAgain) {
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  Target& t = StartTarget(100, 200, 400, 300);
  ASSERT_FALSE(HasFailure());
  int restarts = 0, clicksThrough = 0, nextCaptures = 0;
  const struct {
    UINT command;
    CaptureMode mode;
  } cases[] = {{IDM_WINDOWCOPY, WindowCopy}, {IDM_RECTCOPY, RectCopy}, {IDM_DRAWCOPY, DrawCopy}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.mode);
    ASSERT_TRUE(Arm(c.command, c.mode));
    if (c.mode == WindowCopy) {
      ASSERT_TRUE(MoveOnto(SwatchCentre(t, 2), WindowRect(t.window)));  // the target maps the library
    } else {
      ASSERT_TRUE(WaitUntil([&] { return MaskCoversScreen(); }, Timeout));
      POINT p = ClientPoint(t, 50, 50);
      MoveMouseTo(p.x, p.y);
      MouseEvent(MOUSEEVENTF_LEFTDOWN);  // killed in the middle of a drag
      SyncInput(main);
    }
    TerminateProcess(app.handle, 9);
    DWORD code = 0;
    ASSERT_TRUE(WaitForExit(app, Timeout, &code));
    Kill(app);
    main = NULL;
    MouseEvent(MOUSEEVENTF_LEFTUP);

    // The target gets its own right-click now, and nothing is captured.
    EXPECT_TRUE(Alive(t.process));
    std::string temp = ReadFileText(tempPath.c_str());
    LRESULT presses = TargetSaw(t, WM_RBUTTONDOWN);
    RightClickAt(SwatchCentre(t, 1));
    bool through = WaitUntil([&] { return TargetSaw(t, WM_RBUTTONDOWN) == presses + 1; }, Timeout);
    clicksThrough += through;
    EXPECT_TRUE(through);
    EXPECT_EQ(rec->glCaptured, 0);
    EXPECT_EQ(ReadFileText(tempPath.c_str()), temp);

    StartApp();
    ASSERT_FALSE(HasFatalFailure());
    restarts++;
    bool control = CaptureControl(t, 0), rect = CaptureRect(t);
    EXPECT_TRUE(control);
    EXPECT_TRUE(rect);
    nextCaptures += control && rect;
    EXPECT_TRUE(Alive(t.process));
  }
  RecordTrial(Row("The application is killed while armed (WindowCopy with the mask over a target, RectCopy and "
                  "DrawCopy in the middle of a drag) and started again",
                  restarts,
                  "the target runs on and receives its own right-click, nothing is captured; after the restart a "
                  "ControlCopy and a RectCopy capture are right",
                  std::to_string(clicksThrough) + " right-clicks reached the target; " +
                      std::to_string(nextCaptures) + " of " + std::to_string(restarts) +
                      " restarts captured right"));
}

// Another program holds the temporary file open, as a viewer would (reading, others
// may read) or exclusively: the library cannot write it, nor remove the earlier
// picture, and the application must not output that earlier picture as the new one.
TEST_F(FaultTest, TemporaryFileHeldOpenGivesNoStalePicture) {
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  Target& t = StartTarget(100, 200, 400, 300);
  ASSERT_FALSE(HasFailure());
  ASSERT_TRUE(CaptureControl(t, 0));
  std::string earlier = ReadFileText(tempPath.c_str());
  int held = 0, refused = 0;
  const DWORD shares[] = {FILE_SHARE_READ, 0};
  for (DWORD share : shares) {
    // The output file can be whole while the copy still holds the temporary file.
    ASSERT_TRUE(OutputStageDone());
    HANDLE holder = CreateFileA(tempPath.c_str(), GENERIC_READ, share, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(Arm(IDM_CONTROLCOPY, ControlCopy));
    POINT at = SwatchCentre(t, 1);
    ASSERT_TRUE(MoveOnto(at, SwatchScreenRect(t, 1)));
    RightClickAt(at);
    EXPECT_TRUE(CaptureTaken(t.window));
    bool none = NoNewOutput();
    EXPECT_TRUE(none);
    refused += none;
    held++;
    CloseHandle(holder);
    EXPECT_EQ(ReadFileText(tempPath.c_str()), earlier);
    EXPECT_TRUE(CaptureControl(t, 2));
    earlier = ReadFileText(tempPath.c_str());
  }

  EXPECT_TRUE(Alive(app));
  RecordTrial(Row("Another program holds the temporary file open during a capture, shared for reading and "
                  "exclusively",
                  held,
                  "no output file for the failed capture (the earlier picture is not output again); the next "
                  "capture is right",
                  std::to_string(refused) + " of " + std::to_string(held) + " failed captures gave no file"));
}

// The same with a picture of an earlier run, held open from before the application
// started: the first capture of the new run fails, and that picture is not its output.
TEST_F(FaultTest, TemporaryFileOfAnEarlierRunHeldOpen) {
  Target& t = StartTarget(100, 200, 400, 300);
  ASSERT_FALSE(HasFailure());
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(CaptureControl(t, 0));
  ExitApp();
  HANDLE holder = CreateFileA(tempPath.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(Arm(IDM_CONTROLCOPY, ControlCopy));
  POINT at = SwatchCentre(t, 1);
  ASSERT_TRUE(MoveOnto(at, SwatchScreenRect(t, 1)));
  RightClickAt(at);
  EXPECT_TRUE(CaptureTaken(t.window));
  bool refused = NoNewOutput();
  CloseHandle(holder);
  bool next = CaptureControl(t, 1);
  EXPECT_TRUE(refused);
  EXPECT_TRUE(next);
  EXPECT_TRUE(Alive(app));
  RecordTrial(Row("A picture of an earlier run is held open from before the application starts; the first capture "
                  "of the run cannot write the temporary file",
                  1, "no output file for that capture; the next capture is right",
                  std::string(refused ? "no file" : "the earlier run's picture was output as the new capture") +
                      "; next capture " + (next ? "right" : "wrong")));
}

// Another program holds the clipboard open: the file is still written and output,
// nothing waits for the clipboard, and once it is free the capture lands there too.
TEST_F(FaultTest, ClipboardHeldOpenStillWritesTheFile) {
  SetProfile("Clipboard", "True");
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_EQ(rec->glCopyToClipboard, 1);
  Target& t = StartTarget(100, 200, 400, 300);
  ASSERT_FALSE(HasFailure());
  HWND owner = CreateWindowExA(0, "STATIC", "clipboard holder", 0, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 5);
  memcpy(GlobalLock(text), "held", 5);
  GlobalUnlock(text);
  SetClipboardData(CF_TEXT, text);
  int captures = 0;
  bool control = CaptureControl(t, 0);  // in the target's process
  bool rect = CaptureRect(t);           // in the application's process
  bool window = CaptureWindow(t);
  EXPECT_TRUE(control);
  EXPECT_TRUE(rect);
  EXPECT_TRUE(window);
  captures += control + rect + window;
  // Still ours, still our text.
  EXPECT_EQ(GetOpenClipboardWindow(), owner);
  HANDLE data = GetClipboardData(CF_TEXT);
  EXPECT_TRUE(data != NULL && strcmp((const char*)GlobalLock(data), "held") == 0);
  if (data) GlobalUnlock(data);
  CloseClipboard();

  // Free again: the next capture is on the clipboard as the control's bitmap.
  bool onClipboard = false;
  bool next = CaptureControl(t, 1);
  EXPECT_TRUE(next);
  if (next) {
    captures++;
    ASSERT_TRUE(WaitUntil([&] { return OpenClipboard(owner) != 0; }, Timeout));
    HBITMAP bitmap = (HBITMAP)GetClipboardData(CF_BITMAP);
    BITMAP info;
    ZeroMemory(&info, sizeof(info));
    if (bitmap) GetObjectA(bitmap, sizeof(info), &info);
    const RECT& r = TargetSwatchRects[1];
    onClipboard = info.bmWidth == r.right - r.left && info.bmHeight == r.bottom - r.top;
    EmptyClipboard();
    CloseClipboard();
  }
  EXPECT_TRUE(onClipboard);
  DestroyWindow(owner);
  EXPECT_TRUE(Alive(app));
  EXPECT_TRUE(Alive(t.process));
  RecordTrial(Row("Another program holds the clipboard open while captures run with the clipboard switch on "
                  "(ControlCopy and WindowCopy in the target, RectCopy in the application)",
                  4,
                  "each file is written and output whole without waiting; the holder keeps its clipboard; once it "
                  "lets go, the next capture is on the clipboard",
                  std::to_string(captures) + " of 4 captures right; next capture " +
                      (onClipboard ? "on the clipboard" : "not on the clipboard")));
}

// The output folder turns read-only, and later disappears: those captures give no
// file there and no partial one but land in the Pictures folder, and the application
// goes on.
TEST_F(FaultTest, OutputFolderReadOnlyOrGone) {
  std::string mount = MountFolder("VISTREL_SCRATCHFS");
  ASSERT_FALSE(mount.empty()) << "VISTREL_SCRATCHFS names the scratch filesystem";
  std::string script = getenv("VISTREL_SCRATCHFS_SCRIPT") ? getenv("VISTREL_SCRATCHFS_SCRIPT") : "";
  std::string unixMount = getenv("VISTREL_SCRATCHFS");
  outDir = mount + "\\out";
  CreateDirectoryA(outDir.c_str(), NULL);
  ASSERT_TRUE(FileExists(outDir));
  UsualProfile();
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  Target& t = StartTarget(100, 200, 400, 300);
  ASSERT_FALSE(HasFailure());
  int right = CaptureControl(t, 0);

  ASSERT_EQ(RunHostCommand(script + " ro " + unixMount), 0);
  ASSERT_EQ(CreateDirectoryA((outDir + "\\probe").c_str(), NULL), FALSE) << "the folder is not read-only";
  std::vector<std::string> before = FilesIn(outDir);
  size_t inPictures = FilesIn(PicturesFolder()).size();
  ASSERT_TRUE(Arm(IDM_CONTROLCOPY, ControlCopy));
  POINT at = SwatchCentre(t, 1);
  ASSERT_TRUE(MoveOnto(at, SwatchScreenRect(t, 1)));
  RightClickAt(at);
  EXPECT_TRUE(CaptureTaken(t.window));
  bool readOnlyQuiet = NoNewOutput() && FilesIn(outDir) == before;
  ASSERT_EQ(RunHostCommand(script + " rw " + unixMount), 0);
  right += CaptureControl(t, 2);

  for (const std::string& f : FilesIn(outDir)) DeleteFileA((outDir + "\\" + f).c_str());
  ASSERT_TRUE(RemoveDirectoryA(outDir.c_str()));
  ASSERT_TRUE(Arm(IDM_WINDOWCOPY, WindowCopy));
  at = ClientPoint(t, 300, 250);
  ASSERT_TRUE(MoveOnto(at, WindowRect(t.window)));
  RightClickAt(at);
  EXPECT_TRUE(CaptureTaken(t.window));
  bool goneQuiet = NoNewOutput() && !FileExists(outDir);
  ASSERT_TRUE(CreateDirectoryA(outDir.c_str(), NULL));
  seenOutput.clear();
  right += CaptureControl(t, 0);
  bool rescued = FilesIn(PicturesFolder()).size() == inPictures + 2;
  EXPECT_TRUE(readOnlyQuiet);
  EXPECT_TRUE(goneQuiet);
  EXPECT_TRUE(rescued);
  EXPECT_EQ(right, 3);
  EXPECT_TRUE(Alive(app));
  RecordTrial(Row("The output folder is remounted read-only during a run, then made writable; later it is removed "
                  "and made again",
                  2,
                  "no output file, nothing partial, no folder made for the captures that cannot land there; both "
                  "land in the Pictures folder; the capture after each is right",
                  std::string("read-only: ") + (readOnlyQuiet ? "no file" : "a file came") + "; gone: " +
                      (goneQuiet ? "no file, no folder" : "something was written") + "; " +
                      (rescued ? "both" : "not both") + " in the Pictures folder; " + std::to_string(right) +
                      " of 3 other captures right"));
  RemoveFolder(outDir);
}

// Writes size bytes of filler, to leave a disk almost full.
static bool Fill(const std::string& path, size_t size) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string filler(4096, 'f');
  DWORD done = 0;
  for (size_t at = 0; at < size; at += filler.size())
    if (!WriteFile(file, filler.data(), (DWORD)std::min(filler.size(), size - at), &done, NULL)) break;
  CloseHandle(file);
  return true;
}

// The disk of the output folder (a 256 KB filesystem) is full: the copy of a larger
// picture, and the JPEG when the disk is nearly full, leave no file there, not even a
// partial or empty one (CopyFileA under Wine keeps what it wrote), and land in the
// Pictures folder; the next capture that fits is whole.
TEST_F(FaultTest, FullOutputDiskLeavesNoPartialFile) {
  std::string mount = MountFolder("VISTREL_SMALLFS");
  ASSERT_FALSE(mount.empty()) << "VISTREL_SMALLFS names the small filesystem";
  outDir = mount + "\\full_out";
  CreateDirectoryA(outDir.c_str(), NULL);
  for (const std::string& f : FilesIn(outDir)) DeleteFileA((outDir + "\\" + f).c_str());
  UsualProfile();
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  Target& t = StartTarget(100, 200, 400, 300);
  ASSERT_FALSE(HasFailure());
  int tried = 0, clean = 0, right = 0;
  size_t inPictures = FilesIn(PicturesFolder()).size();

  // A window picture (480054 bytes) does not fit.
  ASSERT_TRUE(Arm(IDM_WINDOWCOPY, WindowCopy));
  POINT at = ClientPoint(t, 300, 250);
  ASSERT_TRUE(MoveOnto(at, WindowRect(t.window)));
  RightClickAt(at);
  EXPECT_TRUE(CaptureTaken(t.window));
  tried++;
  clean += NoNewOutput();
  right += CaptureControl(t, 0);  // 38454 bytes fit
  ExitApp();

  // JPEG on a nearly full disk.
  for (const std::string& f : FilesIn(outDir)) DeleteFileA((outDir + "\\" + f).c_str());
  std::string filler = outDir + "\\filler";
  ULARGE_INTEGER freeBytes;
  ASSERT_TRUE(GetDiskFreeSpaceExA((outDir + "\\").c_str(), &freeBytes, NULL, NULL));
  ASSERT_TRUE(Fill(filler, (size_t)freeBytes.QuadPart > 2048 ? (size_t)freeBytes.QuadPart - 2048 : 0));
  SetProfile("FileFormat", "JPG");
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  ASSERT_TRUE(Arm(IDM_WINDOWCOPY, WindowCopy));
  ASSERT_TRUE(MoveOnto(at, WindowRect(t.window)));
  RightClickAt(at);
  EXPECT_TRUE(CaptureTaken(t.window));
  tried++;
  clean += NoNewOutput();
  DeleteFileA(filler.c_str());
  ASSERT_TRUE(Arm(IDM_WINDOWCOPY, WindowCopy));
  ASSERT_TRUE(MoveOnto(at, WindowRect(t.window)));
  RightClickAt(at);
  std::vector<std::string> fresh;
  bool jpeg = WaitUntil([&] {
    fresh = NewOutputFiles();
    if (fresh.size() != 1 || fresh[0].compare(0, 4, "PIC_") != 0) return false;
    std::string bytes = ReadFileText((outDir + "\\" + fresh[0]).c_str());
    return bytes.size() > 4 && bytes.compare(0, 2, "\xFF\xD8") == 0 && bytes.compare(bytes.size() - 2, 2, "\xFF\xD9") == 0;
  }, Timeout);
  for (const std::string& f : fresh) seenOutput.insert(f);
  right += jpeg;
  EXPECT_TRUE(jpeg) << "no whole JPEG after the disk had room again";
  ExitApp();

  size_t rescued = FilesIn(PicturesFolder()).size() - inPictures;
  EXPECT_EQ(clean, tried);
  EXPECT_EQ(rescued, (size_t)tried);
  EXPECT_EQ(right, 2);
  RecordTrial(Row("The output folder's disk is full (a 256 KB filesystem): a BMP copy larger than the disk, a JPEG "
                  "with 2 KB free",
                  tried,
                  "no output file and no partial or empty one for the capture that does not fit, which lands in the "
                  "Pictures folder; the next capture that fits is whole",
                  std::to_string(clean) + " of " + std::to_string(tried) + " left nothing behind, " +
                      std::to_string(rescued) + " in the Pictures folder; " +
                      std::to_string(right) + " of 2 next captures whole"));
  RemoveFolder(outDir);
}

// The application's own temporary file (a RectCopy capture) on a full disk: no short
// temporary file is left, nothing is output, and once there is room the next capture
// is whole.
TEST_F(FaultTest, FullTemporaryDiskLeavesNoPartialFile) {
  std::string mount = MountFolder("VISTREL_SMALLFS");
  ASSERT_FALSE(mount.empty()) << "VISTREL_SMALLFS names the small filesystem";
  std::string tempDir = mount + "\\tmp\\";
  CreateDirectoryA(tempDir.c_str(), NULL);
  std::string filler = mount + "\\filler";
  ULARGE_INTEGER freeBytes;
  ASSERT_TRUE(GetDiskFreeSpaceExA(tempDir.c_str(), &freeBytes, NULL, NULL));
  ASSERT_TRUE(Fill(filler, (size_t)freeBytes.QuadPart > 20000 ? (size_t)freeBytes.QuadPart - 20000 : 0));
  std::string defaultTemp = tempPath;
  tempPath = tempDir + "CaptureTemp.bmp";
  StartApp(tempDir);
  ASSERT_FALSE(HasFatalFailure());
  Target& t = StartTarget(100, 200, 400, 300);
  ASSERT_FALSE(HasFailure());
  int tried = 0, clean = 0, right = 0;
  for (int i = 0; i < 2; i++) {
    POINT a = ClientPoint(t, 10, 10), b = ClientPoint(t, 150, 110);  // 56 KB, 20 KB free
    ASSERT_TRUE(ArmOverScreen(IDM_RECTCOPY, RectCopy, b));
    DragOnScreen(a, b, main);
    RightClickAt(b);
    EXPECT_TRUE(CaptureTaken(main));
    tried++;
    bool noTemp = !FileExists(tempPath);
    EXPECT_TRUE(noTemp) << "a short temporary file was left";
    clean += NoNewOutput() && noTemp;
  }
  DeleteFileA(filler.c_str());
  right += CaptureRect(t);
  EXPECT_TRUE(Alive(app));
  ExitApp();
  DeleteFileA(tempPath.c_str());
  RemoveDirectoryA(tempDir.c_str());
  tempPath = defaultTemp;
  EXPECT_EQ(clean, tried);
  EXPECT_EQ(right, 1);
  RecordTrial(Row("The disk of the application's temporary folder is full (20 KB free on a 256 KB filesystem) "
                  "during RectCopy captures of 56 KB",
                  tried,
                  "no short temporary file is left and nothing is output; with room again the next capture is whole",
                  std::to_string(clean) + " of " + std::to_string(tried) + " left nothing behind; next capture " +
                      (right ? "whole" : "wrong")));
}

// The files of the folder that are not among known, with their sizes.
static std::map<std::string, DWORD> FilesBesides(const std::string& folder, const std::set<std::string>& known) {
  std::map<std::string, DWORD> files;
  WIN32_FIND_DATAA f;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &f);
  if (search == INVALID_HANDLE_VALUE) return files;
  do
    if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !known.count(f.cFileName)) files[f.cFileName] = f.nFileSizeLow;
  while (FindNextFileA(search, &f));
  FindClose(search);
  return files;
}

// Dates the file's last write that many minutes back.
static void AgeFile(const std::string& path, int minutes) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULONGLONG at = ((ULONGLONG)now.dwHighDateTime << 32 | now.dwLowDateTime) - minutes * 600000000ULL;
  FILETIME written = {(DWORD)at, (DWORD)(at >> 32)};
  EXPECT_TRUE(SetFileTime(file, NULL, NULL, &written)) << path;
  CloseHandle(file);
}

// The application is killed while it copies a picture into the output folder, at
// points spread over the copy (as the folder shows it), and started again some
// minutes later: a file under a picture's name is always whole, an earlier picture
// stays as it was, and the start removes the copy's temporary file and nothing else.
// The last picture, not killed, lands whole.
TEST_F(FaultTest, KilledDuringTheOutputCopy) {
  const int kills = std::max(2, CountFromEnvironment("VISTREL_COPY_KILLS", 8));
  std::set<std::string> known = {"PIC_1_0.bmp", "~vistrel_copy_.tmp"};  // an earlier picture; a name not the copy's
  for (const std::string& f : known) ASSERT_TRUE(Fill(outDir + "\\" + f, 100));
  int early = 0, cut = 0, whole = 0, landed = 0, left = 0, wrong = 0;
  for (int k = 0; k <= kills; k++) {
    // A copy's temporary file written in the last minutes may be another Vistrel's.
    for (auto& f : FilesBesides(outDir, known)) AgeFile(outDir + "\\" + f.first, 6);
    StartApp();
    ASSERT_FALSE(HasFatalFailure());
    std::map<std::string, DWORD> strays = FilesBesides(outDir, known);
    left += (int)strays.size();
    EXPECT_TRUE(strays.empty()) << strays.begin()->first << " left after the restart";
    for (const std::string& f : known) EXPECT_EQ(ReadFileText((outDir + "\\" + f).c_str()), std::string(100, 'f')) << f;

    // A picture of a size of its own, so that it is a new one; the kill comes once the
    // folder shows k / (kills - 1) of it copied, or later.
    DWORD size = (32u << 20) + 4096 * k;
    ASSERT_TRUE(Fill(tempPath, size));
    ASSERT_TRUE(PostMessageA(main, WM_USER_COPIED, 0, 0));
    std::map<std::string, DWORD> fresh;
    auto shown = [&] {
      fresh = FilesBesides(outDir, known);
      for (auto& f : fresh)
        if (f.first.compare(0, 4, "PIC_") == 0 || f.second >= (ULONGLONG)size * k / (kills - 1)) return true;
      return false;
    };
    DWORD start = GetTickCount();
    while (!shown() && GetTickCount() - start < Timeout) SwitchToThread();
    if (k < kills) {
      TerminateProcess(app.handle, 9);
      DWORD code = 0;
      EXPECT_TRUE(WaitForExit(app, Timeout, &code));
      Kill(app);
      main = NULL;
    } else {
      EXPECT_TRUE(WaitUntil([&] { return shown() && fresh.size() == 1 && fresh.begin()->second == size; }, Timeout));
      ExitApp();
    }
    fresh = FilesBesides(outDir, known);
    std::string picture = ReadFileText(tempPath.c_str());
    for (auto& f : fresh) {
      if (f.first.compare(0, 4, "PIC_") != 0) {
        (f.second < size ? cut : whole)++;
      } else if (ReadFileText((outDir + "\\" + f.first).c_str()) == picture) {
        landed++;
        known.insert(f.first);
      } else {
        wrong++;
        ADD_FAILURE() << f.first << " holds " << f.second << " of " << size << " bytes";
      }
    }
    early += fresh.empty();
  }
  tally.badFiles += wrong + left;
  EXPECT_EQ(landed + early + cut + whole, kills + 1);
  RecordTrial(Row("The application is killed while it copies a picture of 32 MB into the output folder, at " +
                      std::to_string(kills) + " points spread over the copy, and started again",
                  kills,
                  "every file under a picture's name is whole and the earlier ones untouched; a start some minutes "
                  "later removes the copy's temporary file and nothing else; the last picture, not killed, lands "
                  "whole",
                  "killed before the copy showed " + std::to_string(early) + ", while the temporary file was " +
                      "written " + std::to_string(cut) + ", with it whole " + std::to_string(whole) +
                      ", after the picture landed " + std::to_string(landed - 1) + "; cut or wrong pictures " +
                      std::to_string(wrong) + ", temporary files left after a start " + std::to_string(left)));
}
