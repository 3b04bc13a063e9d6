// Bad input: every mouse message the hook may see, profile values of every odd kind,
// paths too long for the 100-byte buffers, and a library planted in the working folder.
#include <stdlib.h>
#include "tests/reliability/app_fixture.h"
#include "tests/reliability/peek_target.h"
#include "tests/support/file_text.h"

class BadInputTest : public AppFixture {
 protected:
  Trial Row(const std::string& tried, long times, const std::string& checked, const std::string& figures) {
    Trial t;
    t.area = "Bad input";
    t.tried = tried;
    t.times = times;
    t.checked = checked;
    t.figures = figures;
    t.crashes = tally.crashes;
    t.hangs = tally.hangs;
    t.leaks = tally.leaks;
    t.badFiles = tally.badFiles;
    return t;
  }
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
    if (!SendMessageTimeoutA(peekWindow, message, wParam, lParam, SMTO_ABORTIFHUNG, AnswerTime, &result)) tally.hangs++;
    return (LRESULT)result;
  }
  PeekCounts Counts() {
    PeekCounts c;
    for (int i = 0; i < PeekCounts::Count; i++) {
      UINT m = PeekCounts::Messages[i];
      c.received[i] = Ask(WM_APP_RECEIVED, m, 0);
      c.action[i] = Ask(WM_APP_HOOK_COUNT, m, HC_ACTION);
      c.peeked[i] = Ask(WM_APP_HOOK_COUNT, m, HC_NOREMOVE);
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
    // Back on the client area: the capturing right-click, then one after the capture.
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
