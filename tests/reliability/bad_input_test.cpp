// Bad input: every mouse message the hook may see, profile values of every odd kind,
// paths too long for the 100-byte buffers, and a library planted in the working folder.
#include <stdlib.h>
#include "tests/reliability/app_fixture.h"
#include "tests/reliability/peek_target.h"
#include "tests/support/file_text.h"

class BadInputTest : public AppFixture {
 protected:
  BadInputTest() { area = "Bad input"; }
};

// ---------------------------------------------------------------------------
// Mouse messages: every button, double click, both wheels, non-client moves and
// clicks, all first peeked at (HC_NOREMOVE) by the foreign program: the hook passes
// every one of them on and swallows only the capturing right press.

struct PeekCounts {
  static const UINT Messages[];
  static const int Count;
  LRESULT received[32], action[32], peeked[32];
};
const UINT PeekCounts::Messages[] = {WM_MOUSEMOVE,    WM_LBUTTONDOWN,   WM_LBUTTONUP,     WM_LBUTTONDBLCLK,
                                     WM_MBUTTONDOWN,  WM_MBUTTONUP,     WM_RBUTTONDOWN,   WM_RBUTTONUP,
                                     WM_XBUTTONDOWN,  WM_XBUTTONUP,     WM_MOUSEWHEEL,    WM_MOUSEHWHEEL,
                                     WM_NCMOUSEMOVE,  WM_NCLBUTTONDOWN, WM_NCLBUTTONUP,   WM_NCRBUTTONDOWN,
                                     WM_NCRBUTTONUP};
const int PeekCounts::Count = sizeof(PeekCounts::Messages) / sizeof(UINT);

static const char* MessageName(UINT m) {
  switch (m) {
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_LBUTTONDBLCLK: return "WM_LBUTTONDBLCLK";
    case WM_MBUTTONDOWN: return "WM_MBUTTONDOWN";
    case WM_MBUTTONUP: return "WM_MBUTTONUP";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP: return "WM_RBUTTONUP";
    case WM_XBUTTONDOWN: return "WM_XBUTTONDOWN";
    case WM_XBUTTONUP: return "WM_XBUTTONUP";
    case WM_MOUSEWHEEL: return "WM_MOUSEWHEEL";
    case WM_MOUSEHWHEEL: return "WM_MOUSEHWHEEL";
    case WM_NCMOUSEMOVE: return "WM_NCMOUSEMOVE";
    case WM_NCLBUTTONDOWN: return "WM_NCLBUTTONDOWN";
    case WM_NCLBUTTONUP: return "WM_NCLBUTTONUP";
    case WM_NCRBUTTONDOWN: return "WM_NCRBUTTONDOWN";
    case WM_NCRBUTTONUP: return "WM_NCRBUTTONUP";
  }
  return "?";
}

class HookInputTest : public BadInputTest {
 protected:
  Process peek;
  HWND peekWindow = NULL;

  void TearDown() override {
    Kill(peek);
    BadInputTest::TearDown();
  }
  LRESULT Ask(UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = (DWORD_PTR)-1;
    if (SendMessageTimeoutA(peekWindow, message, wParam, lParam, SMTO_ABORTIFHUNG, AnswerTime, &result))
      return (LRESULT)result;
    tally.hangs++;
    ADD_FAILURE() << "PeekTarget did not answer message " << message;
    return -1;
  }
  // The counts as one copy taken between two of the program's messages.
  PeekCounts Counts() {
    PeekCounts c;
    LRESULT taken = Ask(WM_APP_SNAPSHOT, 0, 0);
    PostMessageA(peekWindow, WM_APP_SNAPSHOT, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return Ask(WM_APP_SNAPSHOT, 0, 0) > taken; }, Timeout));
    for (int i = 0; i < PeekCounts::Count; i++) {
      UINT m = PeekCounts::Messages[i];
      c.received[i] = Ask(WM_APP_RECEIVED, m, PeekSnapshotFlag);
      c.action[i] = Ask(WM_APP_HOOK_COUNT, m, HC_ACTION | PeekSnapshotFlag);
      c.peeked[i] = Ask(WM_APP_HOOK_COUNT, m, HC_NOREMOVE | PeekSnapshotFlag);
    }
    return c;
  }
  // Waits until the program has received at least `more` of message i more than in before.
  bool ReceivedMore(const PeekCounts& before, UINT message, LRESULT more) {
    int i = 0;
    while (PeekCounts::Messages[i] != message) i++;
    return WaitUntil([&] { return Ask(WM_APP_RECEIVED, message, 0) >= before.received[i] + more; }, Timeout);
  }
};

TEST_F(HookInputTest, EveryMouseMessagePassesButTheCapturingPress) {
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  peek = Launch(BinDir() + "PeekTarget.exe");
  peekWindow = WaitForWindow(PeekTargetClass, NULL, peek.pid, Timeout);
  ASSERT_TRUE(peekWindow != NULL);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(peekWindow) != 0; }, Timeout));
  Target peekTarget;
  peekTarget.window = peekWindow;
  RECT window = WindowRect(peekWindow);
  POINT client = ClientPoint(peekTarget, 300, 200);  // the client area, off the control
  POINT caption = {window.left + 80, window.top + GetSystemMetrics(SM_CYCAPTION) / 2 + 1};
  ASSERT_EQ(SendMessageA(peekWindow, WM_NCHITTEST, 0, MAKELPARAM(caption.x, caption.y)), HTCAPTION);
  long runs = 0, passedAll = 0, files = 0;
  std::string wrong;

  const struct {
    UINT command;
    CaptureMode mode;
  } modes[] = {{IDM_WINDOWCOPY, WindowCopy}, {IDM_CONTROLCOPY, ControlCopy}};
  for (auto& m : modes) {
    SCOPED_TRACE(m.mode);
    runs++;
    // The wheels go to the window with the focus.
    EXPECT_EQ(Ask(WM_APP_FOREGROUND, 0, 0), 1);
    ASSERT_TRUE(Arm(m.command, m.mode));
    ASSERT_TRUE(MoveOnto(client, window));
    PeekCounts before = Counts();

    ClickAt(client, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    ClickAt(client, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);  // a double click with the next
    ClickAt(client, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    ClickAt(client, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP);
    MouseInputAt(client, MOUSEEVENTF_XDOWN, XBUTTON1);
    MouseInputAt(client, MOUSEEVENTF_XUP, XBUTTON1);
    MouseInputAt(client, MOUSEEVENTF_XDOWN, XBUTTON2);
    MouseInputAt(client, MOUSEEVENTF_XUP, XBUTTON2);
    MouseInputAt(client, MOUSEEVENTF_WHEEL, WHEEL_DELTA);
    MouseInputAt(client, MOUSEEVENTF_HWHEEL, (DWORD)-WHEEL_DELTA);
    ASSERT_TRUE(ReceivedMore(before, WM_MOUSEHWHEEL, 1));
    // Over the caption: moves and clicks of both buttons arrive as non-client messages.
    MoveMouseTo(caption.x, caption.y);
    MoveMouseTo(caption.x + 5, caption.y);
    ClickAt(caption, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    ClickAt(caption, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(ReceivedMore(before, WM_NCRBUTTONUP, 1));
    EXPECT_EQ(rec->glCaptured, 0) << "a non-client right-click took a capture";
    // Back on the client area: a move that reaches it (a late echo of the caption moves
    // may take the place of the first), then the capturing right-click and one after it.
    int nudge = 0;
    ASSERT_TRUE(WaitUntil([&] {
      MoveMouseTo(client.x + nudge++ % 3, client.y);
      return Ask(WM_APP_RECEIVED, WM_MOUSEMOVE, 0) > before.received[0];
    }, Timeout)) << "no move reached the client area";
    ASSERT_TRUE(MoveOnto(client, window));
    RightClickAt(client);
    EXPECT_TRUE(CaptureTaken(peekWindow));
    BmpFile bmp;
    if (TakeOneOutput(&bmp)) {
      files++;
      EXPECT_EQ(bmp.width, window.right - window.left);
      EXPECT_EQ(bmp.height, window.bottom - window.top);
    }
    RightClickAt(client);
    ASSERT_TRUE(ReceivedMore(before, WM_RBUTTONUP, 2));
    PeekCounts after = Counts();

    // What was sent, message by message (left presses may come as a double click).
    bool all = true;
    for (int i = 0; i < PeekCounts::Count; i++) {
      UINT msg = PeekCounts::Messages[i];
      LRESULT got = after.received[i] - before.received[i];
      LRESULT hooked = after.action[i] - before.action[i];
      LRESULT peeked = after.peeked[i] - before.peeked[i];
      LRESULT want = 0;
      switch (msg) {
        case WM_MOUSEMOVE: case WM_NCMOUSEMOVE: want = -1; break;  // at least one
        case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: want = -2; break;  // three between them
        case WM_LBUTTONUP: want = 3; break;
        case WM_RBUTTONDOWN: want = 1; break;  // two sent, the capturing one swallowed
        case WM_RBUTTONUP: want = 2; break;
        case WM_XBUTTONDOWN: case WM_XBUTTONUP: want = 2; break;
        default: want = 1; break;
      }
      bool ok;
      if (want == -1) ok = got >= 1;
      else if (want == -2) ok = true;
      else ok = got == want;
      // The program's own hook, called before the global one, saw each message taken,
      // and each of them first peeked at.
      ok = ok && hooked >= got && peeked >= 1;
      if (!ok) {
        all = false;
        wrong += std::string(wrong.empty() ? "" : ", ") + MessageName(msg) + " " + std::to_string(got) + "/" +
                 std::to_string(hooked) + "/" + std::to_string(peeked);
      }
      EXPECT_TRUE(ok) << MessageName(msg) << ": received " << got << ", hook saw " << hooked << " taken and "
                      << peeked << " peeked";
    }
    int l = 1, d = 3;
    EXPECT_EQ((after.received[l] - before.received[l]) + (after.received[d] - before.received[d]), 3);
    passedAll += all;
  }
  EXPECT_TRUE(Alive(app));
  EXPECT_TRUE(Alive(peek));
  RecordTrial(Row("Every mouse message a program can get while a capture is armed (left, middle, right and both X "
                  "buttons, a double click, both wheels, non-client moves and left and right clicks on the "
                  "caption), each first peeked at with PM_NOREMOVE; WindowCopy and ControlCopy",
                  runs,
                  "the program receives every message as sent except the capturing right press; its own mouse hook "
                  "saw each one peeked (HC_NOREMOVE) and taken; one capture, its file the window",
                  std::to_string(passedAll) + " of " + std::to_string(runs) + " runs passed every message" +
                      (wrong.empty() ? "" : " (off: " + wrong + ")") + "; " + std::to_string(files) +
                      " capture files"));
}

// ---------------------------------------------------------------------------
// A Vistrel.dll and an Encoder.dll planted in the working folder are never loaded:
// not when the program's own folder has its libraries, and not when it lacks one
// (then the program ends with 0, as it does without the library).

struct PlantingCase {
  const char* name;
  bool withLibrary, withEncoder;
};

// The file the module of that name was loaded from in the process, or "".
static std::string ModulePath(DWORD pid, const char* moduleName);

TEST_F(BadInputTest, LibrariesPlantedInTheWorkingFolderAreNeverLoaded) {
  std::string planted = MakeTempDir("planted");
  for (const char* name : {"Vistrel.dll", "Encoder.dll"}) {
    ASSERT_TRUE(CopyBinary(BinDir() + "rogue\\Rogue.dll", planted, name));
    DeleteFileA((planted + name + ".loaded").c_str());
  }
  const PlantingCase cases[] = {{"both libraries beside the program", true, true},
                                {"no Encoder.dll beside the program", true, false},
                                {"no Vistrel.dll beside the program", false, true}};
  int runs = 0, clean = 0;
  std::string seen;
  for (const PlantingCase& c : cases) {
    SCOPED_TRACE(c.name);
    runs++;
    std::string own = MakeTempDir((std::string("own") + std::to_string(runs)).c_str());
    ASSERT_TRUE(CopyBinary(BinDir() + "Vistrel.exe", own));
    if (c.withLibrary) {
      ASSERT_TRUE(CopyBinary(BinDir() + "Vistrel.dll", own));
    }
    if (c.withEncoder) {
      ASSERT_TRUE(CopyBinary(BinDir() + "Encoder.dll", own));
    }
    // Started from the planted folder as its working folder.
    Process p = Launch(own + "Vistrel.exe", "", planted);
    ASSERT_TRUE(p.handle != NULL);
    bool ok;
    if (c.withLibrary && c.withEncoder) {
      HWND window = WaitForWindow("VISTREL", "Vistrel", p.pid, Timeout);
      EXPECT_TRUE(window != NULL);
      std::string library = ModulePath(p.pid, "Vistrel.dll"), encoder = ModulePath(p.pid, "Encoder.dll");
      EXPECT_EQ(library, own + "Vistrel.dll");
      EXPECT_EQ(encoder, own + "Encoder.dll");
      ok = window != NULL && library == own + "Vistrel.dll" && encoder == own + "Encoder.dll";
      PostMessageA(window, WM_CLOSE, 0, 0);
      DWORD code = 1;
      EXPECT_TRUE(WaitForExit(p, Timeout, &code));
      EXPECT_EQ(code, 0u);
    } else {
      DWORD code = 1;
      bool ended = WaitForExit(p, Timeout, &code);
      EXPECT_TRUE(ended);
      EXPECT_EQ(code, 0u);
      ok = ended && code == 0;
    }
    Kill(p);
    for (const char* name : {"Vistrel.dll", "Encoder.dll"}) {
      bool loaded = FileExists(planted + name + ".loaded");
      EXPECT_FALSE(loaded) << "the planted " << name << " was loaded";
      if (loaded) seen += std::string(seen.empty() ? "" : ", ") + "planted " + name + " loaded (" + c.name + ")";
      ok = ok && !loaded;
      DeleteFileA((planted + name + ".loaded").c_str());
    }
    clean += ok;
    RemoveFolder(own.substr(0, own.size() - 1));
  }
  RemoveFolder(planted.substr(0, planted.size() - 1));
  RecordTrial(Row("Vistrel.exe started with a working folder that holds a planted Vistrel.dll and Encoder.dll: "
                  "with both libraries beside the program, without Encoder.dll, without Vistrel.dll",
                  runs,
                  "no planted library is ever loaded; with its own libraries the program runs from them, without "
                  "one it ends with code 0",
                  std::to_string(clean) + " of " + std::to_string(runs) + " starts loaded nothing planted" +
                      (seen.empty() ? "" : " (" + seen + ")")));
}

#include <tlhelp32.h>

static std::string ModulePath(DWORD pid, const char* moduleName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snapshot == INVALID_HANDLE_VALUE) return "";
  MODULEENTRY32 entry;
  entry.dwSize = sizeof(entry);
  std::string path;
  for (BOOL more = Module32First(snapshot, &entry); more && path.empty(); more = Module32Next(snapshot, &entry))
    if (lstrcmpiA(entry.szModule, moduleName) == 0) path = entry.szExePath;
  CloseHandle(snapshot);
  return path;
}

// ---------------------------------------------------------------------------
// Profile values of every odd kind: what LoadConfig makes of them (the clipboard
// switch, the output format and folder, seen through a real capture) and what the
// settings dialog shows; cancelling the dialog changes nothing, however long the
// value; saving an unusable folder stores "c:\".

static const int IDC_FORMAT_BMP = 1001, IDC_FORMAT_JPG = 1002, IDC_CLIPBOARD = 1003, IDC_SAVEPATH = 1004,
                 IDC_AUTOMINIMIZE = 1010;

// A folder under base whose path is exactly length characters (made, with its parents).
static std::string FolderOfLength(const std::string& base, size_t length) {
  std::string folder = base;
  while (folder.size() < length) {
    size_t room = length - folder.size() - 1;
    folder += "\\" + std::string(room > 25 ? 20 : room, 'd');
    CreateDirectoryA(folder.c_str(), NULL);
  }
  return folder;
}

class ProfileTest : public BadInputTest {
 protected:
  struct DialogView {
    bool shown = false;
    std::string folder;
    bool bmp = false, jpg = false, clipboard = false, autoMinimize = false;
  };

  void TearDown() override {
    for (const std::string& f : FilesIn("C:"))
      if (f.compare(0, 4, "PIC_") == 0) DeleteFileA(("C:\\" + f).c_str());
    BadInputTest::TearDown();
  }

  // Writes the four keys (null removes one) and starts the application.
  void StartWith(const char* savePath, const char* format, const char* clipboard, const char* autoMinimize) {
    SetProfile("SavePath", savePath);
    SetProfile("FileFormat", format);
    SetProfile("Clipboard", clipboard);
    SetProfile("AutoMinimize", autoMinimize);
    expectShown = autoMinimize == NULL || strcmp(autoMinimize, "False") == 0 || autoMinimize[0] == 0;
    StartApp();
  }

  // Captures control 0 of t; returns the one new output file in folder with the extension, or "".
  std::string CaptureInto(const Target& t, const std::string& folder, const char* extension) {
    outDir = folder;
    seenOutput.clear();
    for (const std::string& f : FilesIn(outDir)) seenOutput.insert(f);
    if (!Arm(IDM_CONTROLCOPY, ControlCopy)) return "";
    POINT at = SwatchCentre(t, 0);
    if (!MoveOnto(at, SwatchScreenRect(t, 0))) return "";
    RightClickAt(at);
    std::vector<std::string> fresh;
    std::string name;
    WaitUntil([&] {
      fresh = NewOutputFiles();
      if (fresh.size() != 1 || fresh[0].compare(0, 4, "PIC_") != 0) return false;
      std::string bytes = ReadFileText((outDir + "\\" + fresh[0]).c_str());
      // A BMP file equal to the temporary file, or a whole JPEG file.
      bool whole = strcmp(extension, ".bmp") == 0
                       ? bytes == ReadFileText(tempPath.c_str())
                       : bytes.size() > 4 && bytes.compare(0, 2, "\xFF\xD8") == 0 &&
                             bytes.compare(bytes.size() - 2, 2, "\xFF\xD9") == 0;
      if (whole) name = fresh[0];
      return whole;
    }, Timeout);
    for (const std::string& f : fresh) seenOutput.insert(f);
    if (name.size() < 4 || name.compare(name.size() - 4, 4, extension) != 0) {
      tally.badFiles++;
      ADD_FAILURE() << "no whole " << extension << " file in " << folder;
      return "";
    }
    DeleteFileA((outDir + "\\" + name).c_str());
    return name;
  }

  // Captures control 0 of t and expects no output file in any of the folders.
  bool CaptureNowhere(const Target& t, const std::vector<std::string>& folders) {
    std::vector<std::vector<std::string>> before;
    for (const std::string& f : folders) before.push_back(FilesIn(f));
    if (!Arm(IDM_CONTROLCOPY, ControlCopy)) return false;
    POINT at = SwatchCentre(t, 0);
    if (!MoveOnto(at, SwatchScreenRect(t, 0))) return false;
    RightClickAt(at);
    if (!CaptureTaken(t.window) || !OutputStageDone()) return false;
    for (size_t i = 0; i < folders.size(); i++)
      if (FilesIn(folders[i]) != before[i]) {
        tally.badFiles++;
        ADD_FAILURE() << "a file came in " << folders[i];
        return false;
      }
    return true;
  }

  HWND OpenSettings() {
    PostMessageA(main, WM_COMMAND, IDM_SETTINGS, 0);
    HWND dialog = NULL;
    if (WaitUntil([&] {
          dialog = FindProcessWindow("#32770", NULL, app.pid);
          return dialog != NULL && IsWindowVisible(dialog) && GetDlgItem(dialog, IDC_SAVEPATH) != NULL;
        }, Timeout))
      return dialog;
    ADD_FAILURE() << "the settings dialog did not open";
    return NULL;
  }
  bool Checked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, AnswerTime, &state);
    return state == BST_CHECKED;
  }
  // What the dialog shows; it is then cancelled.
  DialogView ViewSettings() {
    DialogView view;
    HWND dialog = OpenSettings();
    if (dialog == NULL) return view;
    view.shown = true;
    char text[1200] = {0};
    DWORD_PTR got = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, IDC_SAVEPATH), WM_GETTEXT, sizeof(text), (LPARAM)text, SMTO_ABORTIFHUNG,
                        AnswerTime, &got);
    view.folder = text;
    view.bmp = Checked(dialog, IDC_FORMAT_BMP);
    view.jpg = Checked(dialog, IDC_FORMAT_JPG);
    view.clipboard = Checked(dialog, IDC_CLIPBOARD);
    view.autoMinimize = Checked(dialog, IDC_AUTOMINIMIZE);
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    if (!WaitUntil([&] { return !IsWindow(dialog); }, Timeout)) {
      tally.hangs++;
      ADD_FAILURE() << "the settings dialog did not close";
    }
    return view;
  }
  // Types folder into the dialog and saves; returns the stored SavePath.
  std::string SaveFolder(const std::string& folder) {
    HWND dialog = OpenSettings();
    if (dialog == NULL) return "(no dialog)";
    DWORD_PTR unused = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, IDC_SAVEPATH), WM_SETTEXT, 0, (LPARAM)folder.c_str(), SMTO_ABORTIFHUNG,
                        AnswerTime, &unused);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    if (!WaitUntil([&] { return !IsWindow(dialog); }, Timeout)) {
      tally.hangs++;
      ADD_FAILURE() << "the settings dialog did not close";
    }
    return Profile("SavePath");
  }
  void RecordCase(const std::string& tried, const std::string& checked, const std::string& seen, bool ok) {
    Trial t = Row(tried, 1, checked, seen);
    t.passed = ok ? 1 : 0;
    RecordTrial(t);
    tally = Tally();
  }
  void Restart() {
    ExitApp();
    expectShown = true;
  }
};

TEST_F(ProfileTest, OddValuesAreReadAsSpecifiedAndNothingOverflows) {
  Target& t = StartTarget(100, 200, 400, 300);
  ASSERT_FALSE(HasFailure());
  std::string base = outDir;  // the test's own folder; every other folder lies below it

  // No keys at all, then every key empty: the Pictures folder, BMP, no clipboard, shown.
  for (int empty = 0; empty < 2; empty++) {
    const char* value = empty ? "" : NULL;
    StartWith(value, value, value, value);
    ASSERT_FALSE(HasFatalFailure());
    bool off = rec->glCopyToClipboard == 0;
    std::string file = CaptureInto(t, PicturesFolder(), ".bmp");
    outDir = base;  // the folder the fixture removes at the end
    DialogView v = ViewSettings();
    bool ok = off && !file.empty() && v.shown && v.folder == PicturesFolder() && v.bmp && !v.jpg && !v.clipboard &&
              !v.autoMinimize;
    EXPECT_TRUE(ok) << (empty ? "empty" : "missing") << " keys: " << file << " " << v.folder;
    RecordCase(std::string("Profile with ") + (empty ? "every key empty" : "no keys"),
               "clipboard off, a BMP file in the Pictures folder, the dialog shows it, BMP and nothing checked",
               std::string("clipboard ") + (off ? "off" : "on") + ", file " + (file.empty() ? "none" : "Pictures\\" + file) +
                   ", dialog " + v.folder + (v.bmp ? " BMP" : " JPG"),
               ok);
    Restart();
  }

  // Wrong case: "bmp" means JPEG, "true" means off, "yes" hides the window but shows unchecked.
  {
    StartWith(base.c_str(), "bmp", "true", "yes");
    ASSERT_FALSE(HasFatalFailure());
    bool off = rec->glCopyToClipboard == 0;
    std::string file = CaptureInto(t, base, ".jpg");
    DialogView v = ViewSettings();
    bool ok = off && !file.empty() && v.jpg && !v.bmp && !v.clipboard && !v.autoMinimize;
    EXPECT_TRUE(ok);
    RecordCase("FileFormat \"bmp\", Clipboard \"true\", AutoMinimize \"yes\"",
               "JPEG output, clipboard off; the dialog checks JPG and neither box",
               std::string("clipboard ") + (off ? "off" : "on") + ", file " + (file.empty() ? "none" : file) +
                   ", dialog " + (v.jpg ? "JPG" : "BMP") + (v.clipboard ? ", clipboard checked" : "") +
                   (v.autoMinimize ? ", auto-minimise checked" : ""),
               ok);
    Restart();
  }

  // Long values: 99 characters (an existing folder), 100 and 1000 (read cut to 99).
  // No output name fits after such a folder: nothing is written there; the picture
  // goes to the Pictures folder.
  const size_t lengths[] = {99, 100, 1000};
  for (size_t length : lengths) {
    std::string folder = FolderOfLength(base, std::min(length, (size_t)99));
    std::string value = folder + std::string(length - folder.size(), 'x');
    std::string longFormat(length, 'B'), longClipboard = "True" + std::string(length - 4, 'e');
    StartWith(value.c_str(), longFormat.c_str(), longClipboard.c_str(), "False");
    ASSERT_FALSE(HasFatalFailure());
    bool off = rec->glCopyToClipboard == 0;
    std::vector<std::string> folders;
    for (std::string f = folder; f.size() >= base.size(); f = f.substr(0, f.find_last_of('\\'))) folders.push_back(f);
    folders.push_back("C:");
    size_t inPictures = FilesIn(PicturesFolder()).size();
    bool nowhere = CaptureNowhere(t, folders);
    bool pictures = FilesIn(PicturesFolder()).size() == inPictures + 1;
    DialogView v = ViewSettings();
    bool kept = Profile("SavePath") == value;
    bool alive = Alive(app) && Answers(main);
    bool ok = off && nowhere && pictures && v.shown && v.folder == value.substr(0, 99) && v.jpg && kept && alive;
    EXPECT_TRUE(ok) << length << ": " << v.folder.size() << " shown, kept " << kept;
    RecordCase("SavePath, FileFormat and Clipboard of " + std::to_string(length) + " characters",
               "nothing overflows: the program runs, the clipboard is off (not \"True\"), no output in the folder "
               "(no name fits) but one in the Pictures folder, the dialog shows the first 99 characters and JPG, "
               "cancelling keeps the stored value",
               std::string("clipboard ") + (off ? "off" : "on") + ", " + (nowhere ? "no file" : "a file came") +
                   (pictures ? " there, one in the Pictures folder" : " there, none in the Pictures folder") +
                   ", dialog shows " + std::to_string(v.folder.size()) + " characters, stored value " +
                   (kept ? "kept" : "changed"),
               ok);
    Restart();
  }

  // Bytes outside ASCII in the folder name and the format.
  {
    std::string folder = base + "\\\xB2\xE2\xCA\xD4";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), NULL));
    StartWith(folder.c_str(), "\xB2\xE2", "Tru\xCA", "False");
    ASSERT_FALSE(HasFatalFailure());
    std::string file = CaptureInto(t, folder, ".jpg");
    DialogView v = ViewSettings();
    bool ok = !file.empty() && v.folder == folder && v.jpg && rec->glCopyToClipboard == 0;
    EXPECT_TRUE(ok);
    RecordCase("SavePath, FileFormat and Clipboard with bytes outside ASCII",
               "the file lands in the folder of that name, as JPEG; clipboard off; the dialog shows the name",
               std::string("file ") + (file.empty() ? "none" : file) + ", dialog " +
                   (v.folder == folder ? "shows the name" : "shows something else"),
               ok);
    Restart();
  }

  // A folder with ".." parts, and a relative folder (the working folder is the program's).
  {
    std::string sub = base + "\\sub";
    CreateDirectoryA(sub.c_str(), NULL);
    std::string dotted = sub + "\\..\\";
    StartWith(dotted.c_str(), "BMP", "False", "False");
    ASSERT_FALSE(HasFatalFailure());
    std::string file = CaptureInto(t, base, ".bmp");
    bool ok = !file.empty();
    EXPECT_TRUE(ok);
    RecordCase("SavePath with \"..\" parts and a trailing backslash", "the file lands in the folder it names",
               std::string("file ") + (file.empty() ? "none" : "in the parent folder"), ok);
    Restart();

    std::string relative = "vistrel_relative_out";
    std::string resolved = appDir + relative;
    CreateDirectoryA(resolved.c_str(), NULL);
    StartWith(relative.c_str(), "BMP", "False", "False");
    ASSERT_FALSE(HasFatalFailure());
    file = CaptureInto(t, resolved, ".bmp");
    std::string saved = SaveFolder(relative);
    ok = !file.empty() && saved == relative;
    EXPECT_TRUE(ok) << saved;
    RecordCase("A relative SavePath", "the file lands in that folder of the program's working folder; the dialog "
               "stores it as typed, since it names a folder",
               std::string("file ") + (file.empty() ? "none" : "in the working folder's " + relative) +
                   ", stored \"" + saved + "\"",
               ok);
    Restart();
    RemoveFolder(resolved);
    RemoveDirectoryA(sub.c_str());
  }

  // A file, and a missing drive, as SavePath: the pictures go to the Pictures folder,
  // and the dialog saved unchanged keeps the stored value (a drive not plugged in yet).
  {
    std::string aFile = base + "\\not_a_folder";
    HANDLE h = CreateFileA(aFile.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    CloseHandle(h);
    const std::string unusable[] = {aFile, "Q:\\shots"};
    for (const std::string& path : unusable) {
      StartWith(path.c_str(), "BMP", "False", "False");
      ASSERT_FALSE(HasFatalFailure());
      std::vector<std::string> inBase = FilesIn(base);
      bool pictures = !CaptureInto(t, PicturesFolder(), ".bmp").empty() && FilesIn(base) == inBase;
      outDir = base;
      std::string saved = SaveFolder(path);
      bool alive = Alive(app) && Answers(main);
      bool ok = pictures && saved == path && alive;
      EXPECT_TRUE(ok) << path << " saved as " << saved;
      RecordCase(path == aFile ? "SavePath naming a file" : "SavePath on a missing drive",
                 "the file lands in the Pictures folder, the program runs on; saving it unchanged in the dialog "
                 "keeps it",
                 std::string(pictures ? "file in the Pictures folder" : "no file there") + ", stored \"" + saved + "\"",
                 ok);
      Restart();
    }
    DeleteFileA(aFile.c_str());
  }
}

// ---------------------------------------------------------------------------
// A temporary folder, or an output folder, too long for the 100-byte buffers: the
// capture is skipped (nothing written, not even under a cut name), a trace line says
// so (a traced build of both deliverables), and the program goes on. One capture,
// one line: the application's lines are looked for after RectCopy captures, which
// its own thread takes, the library's after a ControlCopy capture in the target.

class LongPathTest : public BadInputTest {
 protected:
  const char* logPath = "c:\\Capture_Log.txt";
  int attempts = 0, quiet = 0;

  // Captures control k of t (ControlCopy, in t's process), or a rectangle of t's
  // client area (RectCopy, in the application's), once: nothing may be written in
  // any of the folders, and the log must then hold line.
  bool CaptureTraced(CaptureMode mode, const Target& t, int k, const std::vector<std::string>& folders,
                     const char* line) {
    attempts++;
    if (mode == ControlCopy) {
      if (!Arm(IDM_CONTROLCOPY, ControlCopy)) return false;
      POINT at = SwatchCentre(t, k);
      if (!MoveOnto(at, SwatchScreenRect(t, k))) return false;
      RightClickAt(at);
      if (!CaptureTaken(t.window)) return false;
    } else {
      if (!TakeRect(t) || !CaptureTaken(main)) return false;
    }
    if (!OutputStageDone()) return false;
    bool nothing = true;
    for (const std::string& f : folders) nothing = nothing && FilesIn(f).empty();
    EXPECT_TRUE(nothing) << "a file was written for a path that does not fit";
    quiet += nothing;
    if (!nothing) tally.badFiles++;
    std::string log = ReadFileText(logPath);
    if (log.find(line) != std::string::npos) return true;
    ADD_FAILURE() << "no line \"" << line << "\" in the log:\n" << log;
    return false;
  }
  static std::vector<std::string> FolderChain(const std::string& folder, const std::string& top) {
    std::vector<std::string> chain;
    for (std::string f = folder; f.size() >= top.size(); f = f.substr(0, f.find_last_of('\\'))) chain.push_back(f);
    return chain;
  }
};

TEST_F(LongPathTest, PathsTooLongForTheBuffersSkipTheCaptureWithATraceLine) {
  std::string traced = MakeTempDir("traced_run");
  ASSERT_TRUE(CopyBinary(BinDir() + "traced\\Vistrel.exe", traced));
  ASSERT_TRUE(CopyBinary(BinDir() + "traced\\Vistrel.dll", traced));
  ASSERT_TRUE(CopyBinary(BinDir() + "Encoder.dll", traced));
  appDir = traced;
  libPath = traced + "Vistrel.dll";
  DeleteFileA(logPath);

  // 85 characters with its backslash: with "CaptureTemp.bmp" the path needs 100.
  std::string longTemp = FolderOfLength(outDir, 84) + "\\";
  ASSERT_EQ(longTemp.size(), 85u);
  StartApp(longTemp);
  ASSERT_FALSE(HasFatalFailure());
  Target& t = StartTarget(100, 200, 400, 300, longTemp);
  ASSERT_TRUE(t.window != NULL);
  std::vector<std::string> tempChain = FolderChain(longTemp.substr(0, 84), outDir);
  bool libraryTraced = CaptureTraced(ControlCopy, t, 0, tempChain, "DLL TempFileName too long, no file\n");
  bool appTraced = CaptureTraced(RectCopy, t, 0, tempChain, "APP GetCaptureTempPath Failed\n");
  EXPECT_TRUE(libraryTraced);
  EXPECT_TRUE(appTraced);
  EXPECT_TRUE(Alive(app) && Answers(main));
  ExitApp();
  Kill(t.process);
  targets.clear();

  // An output folder of 85 characters: no name made of it fits in 99.
  std::string longOut = FolderOfLength(outDir, 85);
  SetProfile("SavePath", longOut.c_str());
  DeleteFileA(logPath);
  StartApp();
  ASSERT_FALSE(HasFatalFailure());
  Target& u = StartTarget(100, 200, 400, 300);
  ASSERT_TRUE(u.window != NULL);
  size_t inPictures = FilesIn(PicturesFolder()).size();
  bool nameTraced = CaptureTraced(RectCopy, u, 0, FolderChain(longOut, outDir), "APP Output file name too long\n");
  bool rescued = FilesIn(PicturesFolder()).size() == inPictures + 1;
  EXPECT_TRUE(nameTraced);
  EXPECT_TRUE(rescued) << "the picture is not in the Pictures folder";
  EXPECT_TRUE(Alive(app) && Answers(main));
  ExitApp();
  DeleteFileA(logPath);

  RecordTrial(Row("A temporary folder of 85 characters (the capture and the application), then an output folder "
                  "of 85 characters: no path or name fits in 99",
                  attempts,
                  "nothing is written there, under no cut name (the last picture goes to the Pictures folder); the "
                  "trace says \"TempFileName too long, no file\" (library), "
                  "\"GetCaptureTempPath Failed\" and \"Output file name too long\" (application); the program answers "
                  "and exits with 0",
                  std::to_string(quiet) + " of " + std::to_string(attempts) + " captures wrote nothing; trace lines " +
                      (libraryTraced && appTraced && nameTraced ? "all there" : "missing") + "; the last picture " +
                      (rescued ? "in" : "not in") + " the Pictures folder"));
  RemoveFolder(traced.substr(0, traced.size() - 1));
}
