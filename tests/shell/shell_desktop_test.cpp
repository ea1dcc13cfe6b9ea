// velmo.exe and its hook library over the platform shell's own view of a Desktop folder of sample
// items (shelldesk.exe), used as a user would with SendInput: the items, icons, selection, context
// menu and verbs are the shell's, not the test bed's.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "testbed/process/binary_path.h"
#include "testbed/process/child_process.h"
#include "testbed/process/find_window.h"
#include "testbed/process/remote_list_view.h"
#include "testbed/recorder/pump.h"
#include "testbed/shelldesk/sample_desktop.h"
#include "testbed/trace/dbwin_listener.h"
#include "testbed/urlrec/url_recorder.h"
#include "testbed/userinput/user_input.h"
#include "testbed/registry/registry_guard.h"
#include "testbed/registry/saved_value.h"

constexpr char SHELL_FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char USER_SHELL_FOLDERS_KEY[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char DESKTOP_VALUE[] = "Desktop";
constexpr char SAMPLE_DESKTOP_FOLDER[] = "velmo-shell-desktop";
constexpr char READY_LINE[] = "ready progman=%p defview=%p listview=%p items=%d";
constexpr char PROGMAN_CLASS[] = "Progman";
constexpr char PROGMAN_TITLE[] = "Program Manager";
constexpr char POPUP_MENU_CLASS[] = "#32768";
constexpr char SHORTCUT_TEXT[] = "メモ帳";  // the shell shows a shortcut without its extension
constexpr DWORD START_TIMEOUT_MS = 15000;
constexpr DWORD WAIT_MS = 15000;  // a safety net: every wait ends on its condition
constexpr DWORD READ_PAUSE_MS = 20;
constexpr DWORD OUTPUT_PIPE_SIZE = 1 << 16;  // what a child writes before the test reads it

// A line of the program's output, or empty when none came in time or the program ended.
static std::string ReadLine(HANDLE pipe, DWORD timeoutMs) {
  std::string line;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) break;
    if (available == 0) {
      Sleep(READ_PAUSE_MS);
      continue;
    }
    char c = 0;
    DWORD read = 0;
    if (!ReadFile(pipe, &c, 1, &read, nullptr) || read == 0) break;
    if (c == '\n') return line;
    line += c;
  }
  return std::string();
}

// The complete lines the program has written so far.
static std::vector<std::string> ReadWrittenLines(HANDLE pipe) {
  std::vector<std::string> lines;
  DWORD available = 0;
  while (PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) && available > 0)
    lines.push_back(ReadLine(pipe, WAIT_MS));  // (written whole)
  return lines;
}

// Where each item of a list view lies on the screen, by its text.
using ScreenPlaces = std::map<std::string, std::pair<int, int>>;

static ScreenPlaces PlacesOf(HWND listView, DWORD processId) {
  testbed::RemoteListView list(listView, processId);
  POINT origin = {0, 0};
  ClientToScreen(listView, &origin);
  ScreenPlaces places;
  for (int item = 0; item < list.Count(); ++item) {
    LPARAM unused = 0;
    POINT place = list.Position(item);
    places[list.Text(item, &unused)] = {origin.x + place.x, origin.y + place.y};
  }
  return places;
}

static int ItemOf(HWND listView, DWORD processId, const std::string& text) {
  testbed::RemoteListView list(listView, processId);
  LPARAM unused = 0;
  for (int item = 0; item < list.Count(); ++item)
    if (list.Text(item, &unused) == text) return item;
  return -1;
}

static int SelectedItem(HWND listView) {
  return static_cast<int>(SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// The texts of the selected items, and of the focused one after "focus: ".
static std::set<std::string> SelectionOf(HWND listView, DWORD processId) {
  testbed::RemoteListView list(listView, processId);
  std::set<std::string> selection;
  LPARAM unused = 0;
  for (int item = 0; item < list.Count(); ++item) {
    LRESULT state = SendMessageA(listView, LVM_GETITEMSTATE, item, LVIS_SELECTED | LVIS_FOCUSED);
    if (state & LVIS_SELECTED) selection.insert(list.Text(item, &unused));
    if (state & LVIS_FOCUSED) selection.insert("focus: " + list.Text(item, &unused));
  }
  return selection;
}

constexpr char TRACE_STARTUP_REFRESH[] = "==起動直後のディレイ画面更新==\r\n";

class VelmoOverShellDesktop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char temp[MAX_PATH] = "";
    GetTempPathA(sizeof temp, temp);
    Folder = std::string(temp) + SAMPLE_DESKTOP_FOLDER;
    CreateDirectoryA(Folder.c_str(), nullptr);
    CoInitialize(nullptr);
    FolderMade = MakeSampleDesktop(Folder);
    CoUninitialize();
  }

  void SetUp() override {
    ASSERT_TRUE(FolderMade);
    userDesktop_.SetBytes(Folder.c_str(), static_cast<DWORD>(Folder.size() + 1), REG_EXPAND_SZ);
    desktop_.Set(Folder);
    ASSERT_TRUE(StartShellDesk());
    ASSERT_TRUE(listener_.Start());
    ASSERT_TRUE(velmo_.Start(testbed::VelmoPath()));
    mainWindow_ = testbed::WaitForWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, START_TIMEOUT_MS, velmo_.Id());
    ASSERT_TRUE(WaitForMirror(nullptr));
  }

  // Waits until the program's mirror is another window than old and holds the shell's items.
  bool WaitForMirror(HWND old) {
    return testbed::WaitUntil(
        [&] {
          mirror_ = testbed::FindTopLevelWindow(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE, velmo_.Id());
          mirrorList_ = mirror_ != nullptr && mirror_ != old ? GetWindow(mirror_, GW_CHILD) : nullptr;
          return mirrorList_ != nullptr && SendMessageA(mirrorList_, LVM_GETITEMCOUNT, 0, 0) == shellItems_;
        },
        START_TIMEOUT_MS);
  }

  // The start-up refresh builds the mirror once more a few seconds after the start: a test that holds
  // on to the mirror's windows over several steps waits for it first.
  bool WaitForStartupRefresh() {
    return listener_.WaitForLine(TRACE_STARTUP_REFRESH, START_TIMEOUT_MS, velmo_.Id()) &&
           WaitForMirror(mirror_);
  }

  void TearDown() override {
    listener_.Stop();
    if (HasFailure()) {
      std::string traced;
      for (const std::string& text : listener_.Texts(velmo_.Id())) traced += text;
      printf("What Velmo traced:\n%s", traced.c_str());
    }
    if (velmo_.IsRunning()) {
      PostMessageA(mainWindow_, WM_COMMAND, IDM_EXIT, 0);
      velmo_.Stop();
    }
    shell_.Stop();
    if (shellOutput_ != nullptr) CloseHandle(shellOutput_);
  }

  // Starts a program of the test bed with its standard output in a pipe (kept in output) and returns
  // its first line, empty when none came.
  static std::string StartReporting(testbed::ChildProcess& process, const char* program,
                                    const std::string& arguments, HANDLE* output) {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE writer = nullptr;
    if (!CreatePipe(output, &writer, &inherited, OUTPUT_PIPE_SIZE)) return std::string();
    SetHandleInformation(*output, HANDLE_FLAG_INHERIT, 0);
    bool started = process.Start(testbed::BinaryPath(program), arguments, writer);
    CloseHandle(writer);
    return started ? ReadLine(*output, START_TIMEOUT_MS) : std::string();
  }

  // Starts shelldesk.exe and reads its ready line: the shell's windows and its number of items.
  bool StartShellDesk() {
    std::string line = StartReporting(shell_, "shelldesk.exe", shellArguments_, &shellOutput_);
    void* progman = nullptr;
    void* defView = nullptr;
    void* listView = nullptr;
    if (sscanf(line.c_str(), READY_LINE, &progman, &defView, &listView, &shellItems_) != 4) return false;
    shellList_ = static_cast<HWND>(listView);
    return GetParent(shellList_) == static_cast<HWND>(defView) && shellItems_ > 0 &&
           testbed::FindTopLevelWindow(PROGMAN_CLASS, PROGMAN_TITLE, shell_.Id()) ==
               static_cast<HWND>(progman);
  }

  // Shown in move mode: the mirror lies over the shell's list view; hidden, it is parked.
  bool MirrorShown() const {
    RECT mirror = {};
    RECT desktop = {};
    GetWindowRect(mirror_, &mirror);
    GetWindowRect(shellList_, &desktop);
    return IsWindowVisible(mirror_) && mirror.left == desktop.left && mirror.top == desktop.top;
  }

  bool ShowMirror() {
    PostMessageA(mainWindow_, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
    // The show clicks the item selected last on the mirror, which passes the click on, and on the
    // shell's view: once both list views have handled what was posted to them, that has gone through.
    return testbed::WaitUntil([&] { return MirrorShown(); }, WAIT_MS) && HandledAllPosted(mirrorList_) &&
           HandledAllPosted(shellList_);
  }

  // The middle of the item's icon in the mirror, on the screen; with placedOver the shell's view, where
  // it lies once the mirror is shown over that view (a parked mirror lies elsewhere).
  POINT OnMirrorIcon(const std::string& text, HWND placedOver = nullptr) const {
    testbed::RemoteListView mirror(mirrorList_, velmo_.Id());
    RECT icon = mirror.IconRect(ItemOf(mirrorList_, velmo_.Id(), text));
    POINT middle = {(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    ClientToScreen(placedOver != nullptr ? placedOver : mirrorList_, &middle);
    return middle;
  }

  // The list view has handled everything posted to it before: a value posted after it has come. (The
  // hover time is put back afterwards.)
  static bool HandledAllPosted(HWND list) {
    static LPARAM marker = 0;
    LPARAM value = ++marker;
    LRESULT hoverTime = SendMessageA(list, LVM_GETHOVERTIME, 0, 0);
    PostMessageA(list, LVM_SETHOVERTIME, 0, value);
    bool handled =
        testbed::WaitUntil([&] { return SendMessageA(list, LVM_GETHOVERTIME, 0, 0) == value; }, WAIT_MS);
    SendMessageA(list, LVM_SETHOVERTIME, 0, hoverTime);
    return handled;
  }
  bool ShellHandledAllPosted() const { return HandledAllPosted(shellList_); }

  bool SameSelections() const {
    return ShellHandledAllPosted() &&
           SelectionOf(shellList_, shell_.Id()) == SelectionOf(mirrorList_, velmo_.Id());
  }

  // Keys go to the mirror once it is in front with the focus in its list view and nothing holds the
  // mouse (after a menu of the shell's, Wine gives the focus back late, and a modifier pressed before
  // that is set back to the X keyboard's state).
  bool WaitForKeys() const {
    return testbed::WaitUntil(
        [&] {
          GUITHREADINFO thread = {sizeof thread, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
          return GetForegroundWindow() == mirror_ &&
                 GetGUIThreadInfo(GetWindowThreadProcessId(mirror_, nullptr), &thread) &&
                 thread.hwndFocus == mirrorList_ && thread.hwndCapture == nullptr;
        },
        WAIT_MS);
  }

  // Waits until the shell's context menu shows; true when it came in front of the mirror.
  bool ShellMenuInFrontOfMirror(HWND* menu) const {
    if (!testbed::WaitUntil(
            [&] {
              *menu = testbed::FindTopLevelWindow(POPUP_MENU_CLASS, nullptr, shell_.Id());
              return *menu != nullptr && IsWindowVisible(*menu);
            },
            WAIT_MS))
      return false;
    HWND below = *menu;
    while (below != nullptr && below != mirror_) below = GetWindow(below, GW_HWNDNEXT);
    return below == mirror_;
  }

  static std::string Folder;
  static bool FolderMade;
  SavedRegistryValue userDesktop_{HKEY_CURRENT_USER, USER_SHELL_FOLDERS_KEY, DESKTOP_VALUE};
  SavedRegistryValue desktop_{HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, DESKTOP_VALUE};
  RegistryGuard settings_;  // the settings of a first start
  testbed::ChildProcess shell_;
  std::string shellArguments_;
  HANDLE shellOutput_ = nullptr;  // shelldesk's output after its ready line
  testbed::DbwinListener listener_;
  testbed::ChildProcess velmo_;
  HWND shellList_ = nullptr;
  int shellItems_ = 0;
  HWND mainWindow_ = nullptr;
  HWND mirror_ = nullptr;
  HWND mirrorList_ = nullptr;
};

std::string VelmoOverShellDesktop::Folder;
bool VelmoOverShellDesktop::FolderMade = false;

TEST_F(VelmoOverShellDesktop, MirrorHoldsTheViewsItemsAtTheirPlaces) {
  ASSERT_TRUE(ShowMirror());
  ScreenPlaces shell = PlacesOf(shellList_, shell_.Id());
  EXPECT_EQ(PlacesOf(mirrorList_, velmo_.Id()), shell);
  for (const char* sample : {SAMPLE_FOLDER, SAMPLE_JAPANESE_TEXT, SAMPLE_ASCII_TEXT, SHORTCUT_TEXT})
    EXPECT_EQ(shell.count(sample), 1u) << sample;
}

// Wine's shell icon view does not move its selection with the arrow keys at all, not even when it
// has the focus itself; Home and End do.
TEST_F(VelmoOverShellDesktop, ClicksAndKeysOnTheMirrorMoveTheSelectionInTheShellsView) {
  int readme = ItemOf(shellList_, shell_.Id(), SAMPLE_ASCII_TEXT);
  ASSERT_GE(readme, 0);
  ASSERT_TRUE(ShowMirror());
  testbed::ClickAt(OnMirrorIcon(SAMPLE_ASCII_TEXT), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(testbed::WaitUntil([&] { return SelectedItem(shellList_) == readme; }, WAIT_MS));
  testbed::PressKey(VK_END);
  EXPECT_TRUE(testbed::WaitUntil([&] { return SelectedItem(shellList_) == shellItems_ - 1; }, WAIT_MS));
  testbed::PressKey(VK_HOME);
  EXPECT_TRUE(testbed::WaitUntil([&] { return SelectedItem(shellList_) == 0; }, WAIT_MS));
  EXPECT_TRUE(MirrorShown()) << "the shell took the focus from the mirror";
}

TEST_F(VelmoOverShellDesktop, RightClickOpensTheShellsContextMenuInFrontOfTheMirror) {
  ASSERT_TRUE(ShowMirror());
  testbed::ClickAt(OnMirrorIcon(SAMPLE_JAPANESE_TEXT), MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  HWND menu = nullptr;
  EXPECT_TRUE(ShellMenuInFrontOfMirror(&menu));
  testbed::PressKey(VK_ESCAPE);
  EXPECT_TRUE(testbed::WaitUntil([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }, WAIT_MS));
}

TEST_F(VelmoOverShellDesktop, DoubleClickHidesTheMirrorAndTheShellOpensTheItem) {
  UrlRecorder recorder;
  ASSERT_TRUE(recorder.Installed() && recorder.AlsoOpens(".txt"));
  ASSERT_TRUE(ShowMirror());
  POINT icon = OnMirrorIcon(SAMPLE_JAPANESE_TEXT);
  testbed::ClickAt(icon, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  testbed::ClickAt(icon, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(testbed::WaitUntil([&] { return !MirrorShown(); }, WAIT_MS));
  std::vector<OpenedTarget> opened = recorder.WaitForOpened(1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].target, Folder + "\\" + SAMPLE_JAPANESE_TEXT);
}

// Each click toggles or extends the copy's selection; the shell's view follows click by click. (Ctrl
// stays held over both of its clicks: pressed twice, it can be the key that puts the mirror away; the
// second click lands beside the first, or the two would make a double click.)
TEST_F(VelmoOverShellDesktop, ClicksWithCtrlAndShiftLeaveTheViewSelectingWhatTheMirrorSelects) {
  ASSERT_TRUE(ShowMirror());
  std::vector<std::string> items = {SAMPLE_ASCII_TEXT, SAMPLE_JAPANESE_TEXT, SAMPLE_FOLDER};
  if (SelectionOf(mirrorList_, velmo_.Id()).count(items[0]) != 0) std::swap(items[0], items[1]);
  auto clickAndCompare = [&](const std::string& item, int beside) {
    std::set<std::string> before = SelectionOf(mirrorList_, velmo_.Id());
    POINT at = OnMirrorIcon(item);
    testbed::ClickAt({at.x + beside, at.y}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(testbed::WaitUntil([&] { return SelectionOf(mirrorList_, velmo_.Id()) != before; }, WAIT_MS));
    EXPECT_TRUE(SameSelections()) << testing::PrintToString(SelectionOf(shellList_, shell_.Id())) << " vs "
                                  << testing::PrintToString(SelectionOf(mirrorList_, velmo_.Id()));
  };
  clickAndCompare(items[0], 0);
  testbed::SendKey(VK_CONTROL, false);
  clickAndCompare(items[1], 0);
  clickAndCompare(items[1], GetSystemMetrics(SM_CXDOUBLECLK) + 1);
  testbed::SendKey(VK_CONTROL, true);
  testbed::SendKey(VK_SHIFT, false);
  clickAndCompare(items[2], 0);
  testbed::SendKey(VK_SHIFT, true);
  EXPECT_TRUE(MirrorShown());
}

// (The menu is closed from the shell's own queue: Esc on the mirror would put the mirror away too.)
TEST_F(VelmoOverShellDesktop, MenuKeyAndShiftF10OpenTheShellsContextMenuInFrontOfTheMirror) {
  ASSERT_TRUE(ShowMirror());
  testbed::ClickAt(OnMirrorIcon(SAMPLE_JAPANESE_TEXT), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  for (WORD modifier : {WORD{0}, WORD{VK_SHIFT}}) {
    SCOPED_TRACE(modifier == 0 ? "menu key" : "Shift+F10");
    ASSERT_TRUE(WaitForKeys());
    if (modifier != 0) testbed::SendKey(modifier, false);
    testbed::PressKey(modifier == 0 ? VK_APPS : VK_F10);
    if (modifier != 0) testbed::SendKey(modifier, true);
    HWND menu = nullptr;
    EXPECT_TRUE(ShellMenuInFrontOfMirror(&menu));
    PostMessageA(shellList_, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(testbed::WaitUntil([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }, WAIT_MS));
  }
  EXPECT_TRUE(MirrorShown());
}
// In move mode the parked mirror can keep the foreground (after a double click whose item opened no
// window): what reaches it then is not meant for the desktop.
TEST_F(VelmoOverShellDesktop, KeysAndClicksOnTheParkedMirrorReachNothing) {
  ASSERT_TRUE(WaitForStartupRefresh());
  ASSERT_TRUE(ShowMirror());
  testbed::ClickAt(OnMirrorIcon(SAMPLE_ASCII_TEXT), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(testbed::WaitUntil([&] { return SameSelections(); }, WAIT_MS));
  // The hide ends by giving the foreground away from the mirror; only then is it given back here.
  PostMessageA(mainWindow_, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_HIDE);
  ASSERT_TRUE(
      testbed::WaitUntil([&] { return !MirrorShown() && GetForegroundWindow() != mirror_; }, WAIT_MS));
  SetForegroundWindow(mirror_);
  ASSERT_TRUE(testbed::WaitUntil([&] { return GetForegroundWindow() == mirror_; }, WAIT_MS));
  std::set<std::string> shell = SelectionOf(shellList_, shell_.Id());

  POINT item = OnMirrorIcon(SAMPLE_JAPANESE_TEXT);  // (off the screen: posted, not clicked)
  ScreenToClient(mirrorList_, &item);
  PostMessageA(mirrorList_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(item.x, item.y));
  PostMessageA(mirrorList_, WM_LBUTTONUP, 0, MAKELPARAM(item.x, item.y));
  ASSERT_TRUE(testbed::WaitUntil(
      [&] { return SelectedItem(mirrorList_) == ItemOf(mirrorList_, velmo_.Id(), SAMPLE_JAPANESE_TEXT); },
      WAIT_MS));
  int last = static_cast<int>(SendMessageA(mirrorList_, LVM_GETITEMCOUNT, 0, 0)) - 1;
  bool atLast = SelectedItem(mirrorList_) == last;
  testbed::PressKey(atLast ? VK_HOME : VK_END);
  ASSERT_TRUE(testbed::WaitUntil([&] { return SelectedItem(mirrorList_) == (atLast ? 0 : last); }, WAIT_MS));
  ASSERT_TRUE(ShellHandledAllPosted());
  EXPECT_EQ(SelectionOf(shellList_, shell_.Id()), shell);
}

// Items carried out of the mirror by a drag onto a drop-recording window beneath it (droprec.exe),
// with the shell's view writing down the mouse messages it takes. A shortcut named as the sample
// folder makes two items of one label.
constexpr char TWIN_SHORTCUT[] = "資料.lnk";
constexpr char DRAG_TRACKER_CLASS[] = "WineDragDropTracker32";  // kept by every drag under Wine
constexpr char TRACE_NOT_UNIQUE[] = "==同名の項目のためドラッグしない==\r\n";
constexpr RECT RECORDER_PLACE = {600, 420, 300, 240};  // left, top, width, height: clear of the icons
constexpr char RECORDER_READY[] = "ready window=%p";
constexpr char DROP_LINE[] = "drop allowed=%lu keys=%lu effect=%lu entered=%lu";
constexpr char SHELL_MOUSE_LINE[] = "mouse message=%x wparam=%x x=%d y=%d";
constexpr char PATHS[] = " paths=";
constexpr int DRAG_STEP = 24;  // well past the drag distance

class ItemDragOverShellDesktop : public VelmoOverShellDesktop {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileA((Folder + "\\" + SAMPLE_SHORTCUT).c_str(), Twin().c_str(), FALSE));
    shellArguments_ = "/record";
    VelmoOverShellDesktop::SetUp();
    ASSERT_TRUE(StartRecorder());
    ASSERT_TRUE(WaitForStartupRefresh());
  }

  void TearDown() override {
    recorder_.Stop();
    if (recorderOutput_ != nullptr) CloseHandle(recorderOutput_);
    VelmoOverShellDesktop::TearDown();
    DeleteFileA(Twin().c_str());
  }

  static std::string Twin() { return Folder + "\\" + TWIN_SHORTCUT; }

  static std::set<std::string> FolderContents() {
    std::set<std::string> names;
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((Folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.insert(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
  }

  bool StartRecorder() {
    char place[64];
    snprintf(place, sizeof place, "/place:%ld,%ld,%ld,%ld", RECORDER_PLACE.left, RECORDER_PLACE.top,
             RECORDER_PLACE.right, RECORDER_PLACE.bottom);
    void* window = nullptr;
    return sscanf(StartReporting(recorder_, "droprec.exe", place, &recorderOutput_).c_str(), RECORDER_READY,
                  &window) == 1;
  }

  HWND DragWindow() const { return testbed::FindTopLevelWindow(DRAG_TRACKER_CLASS, nullptr, velmo_.Id()); }

  // The drag's window exists and holds the mouse: from then on the drag sees the button go up.
  bool DragRuns() const {
    HWND tracker = DragWindow();
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    return tracker != nullptr && GetGUIThreadInfo(GetWindowThreadProcessId(tracker, nullptr), &thread) &&
           thread.hwndCapture == tracker;
  }

  bool MirrorRegionEmpty() const {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    int kind = GetWindowRgn(mirror_, region);
    DeleteObject(region);
    return kind == NULLREGION;
  }

  // The shell's mouse messages since the last call, once it has handled everything posted to it.
  std::vector<std::string> ShellMouseLines() const {
    return ShellHandledAllPosted() ? ReadWrittenLines(shellOutput_) : std::vector<std::string>{"unhandled"};
  }

  testbed::ChildProcess recorder_;
  HANDLE recorderOutput_ = nullptr;
};

// Drop, drop with Ctrl, Esc, an item of a shared label, and a drag with the right button: exactly the
// pressed file's path reaches the window beneath, which chose copy where Ctrl was held and move
// elsewhere (that Velmo never acts on: the folder stays as it was) and saw which button dragged; the
// copy is hidden after each drag; the shell's view had its left press end at the press point, no
// move with a button held past the drag distance, and opened no menu.
TEST_F(ItemDragOverShellDesktop, ADragCarriesThePressedItemOutAndNothingElse) {
  std::set<std::string> folderBefore = FolderContents();
  POINT target = {RECORDER_PLACE.left + RECORDER_PLACE.right / 2,
                  RECORDER_PLACE.top + RECORDER_PLACE.bottom / 2};
  struct Case {
    const char* item;
    WORD key;  // held over the target (Ctrl) or pressed there (Esc)
    bool right;
  };
  for (Case drag : {Case{SAMPLE_ASCII_TEXT, 0, false}, Case{SAMPLE_JAPANESE_TEXT, VK_CONTROL, false},
                    Case{SAMPLE_ASCII_TEXT, VK_ESCAPE, false}, Case{SAMPLE_FOLDER, 0, false},
                    Case{SAMPLE_JAPANESE_TEXT, 0, true}}) {
    SCOPED_TRACE(std::string(drag.item) + " key " + std::to_string(drag.key) + (drag.right ? " right" : ""));
    bool twin = strcmp(drag.item, SAMPLE_FOLDER) == 0;
    DWORD down = drag.right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
    DWORD up = drag.right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
    POINT press = OnMirrorIcon(drag.item, shellList_);
    SetCursorPos(press.x, press.y);
    ASSERT_TRUE(ShowMirror());
    ShellMouseLines();
    testbed::SendMouse(down, press);
    testbed::SendMouse(0, {press.x + DRAG_STEP, press.y + DRAG_STEP});
    if (twin) {
      EXPECT_TRUE(listener_.WaitForLine(TRACE_NOT_UNIQUE, WAIT_MS, velmo_.Id()));
      EXPECT_EQ(DragWindow(), nullptr);
      EXPECT_FALSE(MirrorRegionEmpty());
      testbed::SendMouse(up, {press.x + DRAG_STEP, press.y + DRAG_STEP});
      EXPECT_TRUE(MirrorShown());
    } else {
      ASSERT_TRUE(testbed::WaitUntil([&] { return DragRuns() && MirrorRegionEmpty(); }, WAIT_MS));
      testbed::SendMouse(0, target);
      if (drag.key == VK_CONTROL) testbed::SendKey(VK_CONTROL, false);
      if (drag.key == VK_ESCAPE) testbed::PressKey(VK_ESCAPE);
      testbed::SendMouse(0, {target.x + 1, target.y + 1});
      testbed::SendMouse(up, {target.x + 1, target.y + 1});
      if (drag.key == VK_CONTROL) testbed::SendKey(VK_CONTROL, true);
      // Put away, the mirror is whole again for the next show.
      EXPECT_TRUE(testbed::WaitUntil(
          [&] { return DragWindow() == nullptr && !MirrorShown() && !MirrorRegionEmpty(); }, WAIT_MS));
    }
    // A drop is written down before the drag ends.
    std::vector<std::string> drops = ReadWrittenLines(recorderOutput_);
    bool dropped = !twin && drag.key != VK_ESCAPE;
    ASSERT_EQ(drops.size(), dropped ? 1u : 0u) << (drops.empty() ? "" : drops[0]);
    if (dropped) {
      unsigned long allowed = 0, keys = 0, effect = 0, entered = 0;
      ASSERT_EQ(sscanf(drops[0].c_str(), DROP_LINE, &allowed, &keys, &effect, &entered), 4) << drops[0];
      EXPECT_EQ(entered & (MK_LBUTTON | MK_RBUTTON), drag.right ? MK_RBUTTON : MK_LBUTTON) << drops[0];
      EXPECT_EQ(allowed, static_cast<unsigned long>(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
      EXPECT_EQ(effect, drag.key == VK_CONTROL ? DROPEFFECT_COPY : DROPEFFECT_MOVE) << "keys " << keys;
      std::string paths = drops[0].substr(drops[0].find(PATHS) + strlen(PATHS));
      EXPECT_EQ(paths, Folder + "\\" + drag.item);
      std::string formats = drops[0].substr(0, drops[0].find(PATHS));
      EXPECT_NE(formats.find("CF_HDROP"), std::string::npos) << formats;
      EXPECT_NE(formats.find("Shell IDList Array"), std::string::npos) << formats;
    }
    POINT pressed = press;
    ScreenToClient(shellList_, &pressed);
    bool endedAtPress = false;
    for (const std::string& line : ShellMouseLines()) {
      unsigned message = 0, wParam = 0;
      int x = 0, y = 0;
      ASSERT_EQ(sscanf(line.c_str(), SHELL_MOUSE_LINE, &message, &wParam, &x, &y), 4) << line;
      bool beyond = abs(x - pressed.x) > GetSystemMetrics(SM_CXDRAG) ||
                    abs(y - pressed.y) > GetSystemMetrics(SM_CYDRAG);
      EXPECT_FALSE(message == WM_MOUSEMOVE && (wParam & (MK_LBUTTON | MK_RBUTTON)) && beyond) << line;
      endedAtPress = endedAtPress || (message == WM_LBUTTONUP && x == pressed.x && y == pressed.y);
    }
    EXPECT_TRUE(endedAtPress || drag.right);
    EXPECT_EQ(testbed::FindTopLevelWindow(POPUP_MENU_CLASS, nullptr, shell_.Id()), nullptr)
        << "the shell's menu";
    if (twin) PostMessageA(mainWindow_, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_HIDE);
    ASSERT_TRUE(testbed::WaitUntil([&] { return !MirrorShown(); }, WAIT_MS));
  }
  EXPECT_EQ(FolderContents(), folderBefore);
}
