// The real Vistrel.exe's command dispatch and tray icon: capture commands arm the
// library, the hide command and the tray icon, the exit command, the menus.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <vector>
#include "common/command_ids.h"
#include "tests/e2e/e2e_support.h"

static const DWORD Timeout = 30000;

// Wine without a system tray on the display shows the icons in a window of its own,
// one child window per icon.
static HWND WineTray() { return FindWindowA("__winex11_standalone_tray", NULL); }

static int TrayIconCount() {
  HWND tray = WineTray();
  if (tray == NULL || !IsWindowVisible(tray)) return 0;
  int count = 0;
  for (HWND icon = GetWindow(tray, GW_CHILD); icon != NULL; icon = GetWindow(icon, GW_HWNDNEXT)) {
    if (IsWindowVisible(icon)) count++;
  }
  return count;
}

static HWND FirstTrayIcon() {
  HWND tray = WineTray();
  return tray ? GetWindow(tray, GW_CHILD) : NULL;
}

// The open popup menu of any process, or null. A closed menu's window may stay
// behind hidden, so every menu window is looked at.
static HWND OpenMenu() {
  for (HWND menu = NULL; (menu = FindWindowExA(NULL, menu, "#32768", NULL)) != NULL;)
    if (IsWindowVisible(menu)) return menu;
  return NULL;
}

class ShellTest : public ::testing::Test {
 protected:
  Process app;
  HWND main = NULL;
  HMODULE library = NULL;
  SharedCaptureState* shared = NULL;

  void SetUp() override {
    MoveMouseTo(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
    app = Launch(BinDir() + "Vistrel.exe");
    main = WaitForWindow("VISTREL", "Vistrel", app.pid, Timeout);
    ASSERT_TRUE(main != NULL);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout));
    // The same library file, so the same shared record.
    library = LoadLibraryA((BinDir() + "Vistrel.dll").c_str());
    ASSERT_TRUE(library != NULL);
    shared = SharedRecordOf(library);
    ASSERT_TRUE(shared != NULL);
    ASSERT_EQ(shared->glhMainWnd, main);
  }
  void TearDown() override {
    if (main && IsWindow(main)) SendCommand(IDM_EXIT);
    DWORD code = 1;
    WaitForExit(app, Timeout, &code);
    Kill(app);
    if (library) FreeLibrary(library);
  }
  LRESULT SendCommand(WPARAM id) {
    DWORD_PTR result = (DWORD_PTR)-2;
    SendMessageTimeoutA(main, WM_COMMAND, id, 0, SMTO_ABORTIFHUNG, 10000, &result);
    return (LRESULT)result;
  }
  HWND Mask() { return shared->glhMaskWnd; }
  bool ClickThrough() { return (GetWindowLongA(Mask(), GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0; }
  bool MaskCoversScreen() {
    RECT r;
    GetWindowRect(Mask(), &r);
    return IsWindowVisible(Mask()) && r.left <= 0 && r.top <= 0 &&
           r.right >= GetSystemMetrics(SM_CXSCREEN) && r.bottom >= GetSystemMetrics(SM_CYSCREEN);
  }
};

TEST_F(ShellTest, CaptureCommandsArmTheLibraryInTheirModes) {
  // Full-screen modes: the mask is laid over the whole screen and takes the mouse.
  const struct {
    WPARAM id;
    CaptureMode mode;
  } screenModes[] = {{IDM_RECTCOPY, RectCopy}, {IDM_DRAWCOPY, DrawCopy}};
  for (auto& c : screenModes) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(SendCommand(c.id), 0);
    EXPECT_EQ(shared->glCaptureMode, c.mode);
    EXPECT_TRUE(shared->glhHook != NULL);
    EXPECT_TRUE(WaitUntil([&] { return MaskCoversScreen(); }, Timeout));
    EXPECT_FALSE(ClickThrough());
  }

  // Window modes: the hook follows the mouse and the mask lets clicks through.
  const struct {
    WPARAM id;
    CaptureMode mode;
  } windowModes[] = {{IDM_WINDOWCOPY, WindowCopy}, {IDM_CONTROLCOPY, ControlCopy}};
  for (auto& c : windowModes) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(SendCommand(c.id), 0);
    EXPECT_EQ(shared->glCaptureMode, c.mode);
    EXPECT_TRUE(shared->glhHook != NULL);
    EXPECT_TRUE(ClickThrough());
  }

  // The ids no menu item uses leave the armed capture as it was.
  HHOOK hook = shared->glhHook;
  const WPARAM inert[] = {32781, 32782, 32785, 32788, 32789, 32790};
  for (WPARAM id : inert) {
    SCOPED_TRACE(id);
    EXPECT_EQ(SendCommand(id), 0);
    EXPECT_EQ(shared->glCaptureMode, ControlCopy);
    EXPECT_EQ(shared->glhHook, hook);
    EXPECT_TRUE(ClickThrough());
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_EQ(WaitForSingleObject(app.handle, 0), (DWORD)WAIT_TIMEOUT);
  }
}

// The cancel command, and a WM_CLOSE to the mask (Alt+F4 on it), end an armed
// capture; the program and its tray icon stay.
TEST_F(ShellTest, CancelAndAClosedMaskEndTheCaptureAndTheProgramStays) {
  SendCommand(IDM_HIDE);
  EXPECT_EQ(SendCommand(IDM_CANCELCAPTURE), 0);  // nothing armed
  const WPARAM ids[] = {IDM_WINDOWCOPY, IDM_RECTCOPY, IDM_DRAWCOPY, 0};
  for (WPARAM id : ids) {
    SendCommand(id ? id : IDM_DRAWCOPY);
    HWND mask = Mask();
    ASSERT_TRUE(shared->glhHook != NULL);
    if (id) EXPECT_EQ(SendCommand(IDM_CANCELCAPTURE), 0);
    else SendMessageA(mask, WM_CLOSE, 0, 0);
    EXPECT_TRUE(shared->glhHook == NULL && shared->glCaptured == 1) << id;
    EXPECT_TRUE(IsWindow(mask) && !IsWindowVisible(mask)) << id;
  }
  SendCommand(IDM_RECTCOPY);
  EXPECT_TRUE(WaitUntil([&] { return MaskCoversScreen() && TrayIconCount() == 1; }, Timeout));
}

TEST_F(ShellTest, ExitCommandUnhooksRemovesTheIconAndEndsWithZero) {
  SendCommand(IDM_WINDOWCOPY);
  ASSERT_TRUE(shared->glhHook != NULL);
  SendCommand(IDM_HIDE);
  ASSERT_TRUE(WaitUntil([] { return TrayIconCount() == 1; }, Timeout));

  PostMessageA(main, WM_COMMAND, IDM_EXIT, 0);
  DWORD code = 1;
  ASSERT_TRUE(WaitForExit(app, Timeout, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(shared->glhHook == NULL);
  EXPECT_TRUE(WaitUntil([] { return TrayIconCount() == 0; }, Timeout));
  main = NULL;
}

TEST_F(ShellTest, HideGoesToTheTrayAndATrayClickShowsTheWindowAgain) {
  EXPECT_EQ(TrayIconCount(), 0);
  EXPECT_EQ(SendCommand(IDM_HIDE), 0);
  EXPECT_FALSE(IsWindowVisible(main));
  ASSERT_TRUE(WaitUntil([] { return TrayIconCount() == 1; }, Timeout));

  // A real left click on the icon shows the window; the icon stays.
  HWND icon = FirstTrayIcon();
  ASSERT_TRUE(icon != NULL);
  RECT r;
  GetWindowRect(icon, &r);
  MoveMouseTo((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ClickButton(MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != 0; }, Timeout));
  EXPECT_EQ(TrayIconCount(), 1);

  // Remove the icon behind the program's back: a second hide does not add it again,
  // one icon serves the run; the shell's "TaskbarCreated", sent when a restarted
  // shell has lost every icon, does.
  NOTIFYICONDATAA record;
  ZeroMemory(&record, sizeof(record));
  record.cbSize = NOTIFYICONDATAA_V3_SIZE;
  record.hWnd = main;
  record.uID = 107;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record));
  ASSERT_TRUE(WaitUntil([] { return TrayIconCount() == 0; }, Timeout));
  SendCommand(IDM_HIDE);
  EXPECT_FALSE(IsWindowVisible(main));
  // Sent, so the program has handled it, and the shell's answer to any add of its
  // comes before the test's own add below.
  ZeroMemory(&record, sizeof(record));
  record.cbSize = NOTIFYICONDATAA_V3_SIZE;
  record.hWnd = main;
  record.uID = 999;
  record.uFlags = NIF_TIP;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &record));
  EXPECT_TRUE(WaitUntil([] { return TrayIconCount() == 1; }, Timeout));
  record.uFlags = 0;
  Shell_NotifyIconA(NIM_DELETE, &record);
  EXPECT_TRUE(WaitUntil([] { return TrayIconCount() == 0; }, Timeout));
  SendMessageA(main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(WaitUntil([] { return TrayIconCount() == 1; }, Timeout));

  // The tray callback for a left button release shows the window; other mouse
  // messages, the double click among them, do nothing.
  SendMessageA(main, WM_USER_TRAYNOTIFY, 107, WM_LBUTTONDBLCLK);
  SendMessageA(main, WM_USER_TRAYNOTIFY, 107, WM_MOUSEMOVE);
  EXPECT_FALSE(IsWindowVisible(main));
  SendMessageA(main, WM_USER_TRAYNOTIFY, 107, WM_LBUTTONUP);
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(ShellTest, TaskbarCreatedBeforeAnyHideAddsTheIconAndKeepsTheWindowShown) {
  EXPECT_EQ(TrayIconCount(), 0);
  SendMessageA(main, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(WaitUntil([] { return TrayIconCount() == 1; }, Timeout));
  EXPECT_TRUE(IsWindowVisible(main));
}

TEST_F(ShellTest, TrayRightClickOpensTheCaptureMenuAndItsFirstItemArmsWindowCopy) {
  SendCommand(IDM_HIDE);
  ASSERT_TRUE(WaitUntil([] { return TrayIconCount() == 1; }, Timeout));
  // Away from the screen's corner, so the menu fits with its corner at the cursor.
  HWND tray = WineTray();
  SetWindowPos(tray, NULL, 500, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  HWND icon = FirstTrayIcon();
  RECT r;
  ASSERT_TRUE(WaitUntil([&] {
    GetWindowRect(icon, &r);
    return r.left >= 500;
  }, Timeout));
  POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  HWND menu = NULL;
  RECT m;
  // Each press and release carries its position: a late echo of an earlier move
  // cannot move it.
  auto clickAt = [](POINT p, DWORD down, DWORD up) {
    INPUT click[2] = {MouseInput(MOUSEEVENTF_MOVE | down, p.x, p.y), MouseInput(MOUSEEVENTF_MOVE | up, p.x, p.y)};
    SendInput(2, click, sizeof(INPUT));
  };
  // Whether the program's thread is in a menu's loop and holds the mouse (1), or
  // neither (0). The menu shows before it takes the capture, and may hide before it
  // lets it go: a click meanwhile would go to the program, not to the tray.
  GUITHREADINFO gui = {};
  auto inMenuLoop = [&](bool in) {
    gui.cbSize = sizeof(gui);
    return GetGUIThreadInfo(GetWindowThreadProcessId(main, NULL), &gui) && (gui.hwndCapture != NULL) == in &&
           ((gui.flags & GUI_INMENUMODE) != 0) == in;
  };
  auto openMenu = [&] {
    clickAt(at, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    if (!WaitUntil([&] { return (menu = OpenMenu()) != NULL && inMenuLoop(true); }, Timeout)) {
      ADD_FAILURE() << "no menu loop: a menu shown " << (OpenMenu() != NULL) << ", flags " << gui.flags
                    << ", capture " << gui.hwndCapture;
      return false;
    }
    GetWindowRect(menu, &m);
    EXPECT_EQ(m.right, at.x);
    EXPECT_EQ(m.bottom, at.y);
    return true;
  };
  ASSERT_TRUE(openMenu());

  // A real click on the bare desktop, below and right of the tray, closes the menu
  // and chooses nothing. The menu's loop ends on that press and leaves it in the
  // program's queue, where the next menu would take it for a press outside itself if
  // it opened first: the menu's window is awaited gone, not only hidden.
  POINT away = {r.right + 150, r.bottom + 150};
  ASSERT_TRUE(WindowFromPoint(away) == GetDesktopWindow());
  clickAt(away, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitUntil([&] { return FindWindowA("#32768", NULL) == NULL && inMenuLoop(false); }, Timeout));
  EXPECT_TRUE(shared->glhHook == NULL);
  ASSERT_TRUE(openMenu());

  // The first item, "复制 主窗口区域", chosen with a real click near the menu's top
  // (menus are the program's own objects, not readable from here).
  EXPECT_TRUE(shared->glhHook == NULL);
  clickAt({(m.left + m.right) / 2, m.top + GetSystemMetrics(SM_CYMENUSIZE) / 2 + 2}, MOUSEEVENTF_LEFTDOWN,
          MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitUntil([&] { return shared->glhHook != NULL && OpenMenu() == NULL; }, Timeout));
  EXPECT_EQ(shared->glCaptureMode, WindowCopy);
}

// The menus as the program carries them, read back through the system's own menu API.
TEST(ShellResources, MenusCarryTheirCaptionsAndIds) {
  HMODULE exe = LoadLibraryExA((BinDir() + "Vistrel.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(exe != NULL);
  struct Item {
    UINT id;  // 0: separator
    const wchar_t* caption;
  };
  const std::vector<Item> capture = {
      {IDM_WINDOWCOPY, L"复制 主窗口区域"}, {IDM_CONTROLCOPY, L"复制 子窗口区域"},
      {IDM_RECTCOPY, L"辅助 自选择区域"},  {IDM_DRAWCOPY, L"屏幕自由编辑"},
      {0, L""},                             {IDM_CANCELCAPTURE, L"取消捕捉"},
      {0, L""},                             {IDM_SETTINGS, L"系统配置"},
      {0, L""},                             {IDM_EXIT, L"退出系统"}};
  const std::vector<Item> mainMenu = {{IDM_HIDE, L"隐藏(&H)"}, {0, L""}, {IDM_ABOUT, L"关于(&A)..."}};
  const struct {
    int resource;
    const wchar_t* popupCaption;
    const std::vector<Item>* items;
  } menus[] = {{129, L"捕捉", &capture}, {109, L"文件(&F)", &mainMenu}};

  for (auto& m : menus) {
    SCOPED_TRACE(m.resource);
    HMENU menu = LoadMenuW(exe, MAKEINTRESOURCEW(m.resource));
    ASSERT_TRUE(menu != NULL);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    wchar_t text[64];
    GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, m.popupCaption);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_EQ(GetMenuItemCount(popup), (int)m.items->size());
    for (size_t i = 0; i < m.items->size(); i++) {
      const Item& want = (*m.items)[i];
      UINT state = GetMenuState(popup, (UINT)i, MF_BYPOSITION);
      if (want.id == 0) {
        EXPECT_TRUE(state & MF_SEPARATOR) << i;
        continue;
      }
      EXPECT_EQ(GetMenuItemID(popup, (int)i), want.id);
      EXPECT_EQ(state & (MF_CHECKED | MF_GRAYED | MF_DISABLED), 0u) << i;
      text[0] = 0;
      GetMenuStringW(popup, (UINT)i, text, 64, MF_BYPOSITION);
      EXPECT_STREQ(text, want.caption) << i;
    }
    DestroyMenu(menu);
  }
  FreeLibrary(exe);
}
