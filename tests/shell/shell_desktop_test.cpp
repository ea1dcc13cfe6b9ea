// velmo.exe and its hook library over the platform shell's own view of a Desktop folder of sample
// items (shelldesk.exe), used as a user would with SendInput: the items, icons, selection, context
// menu and verbs are the shell's, not the test bed's.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
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
    ASSERT_TRUE(velmo_.Start(testbed::VelmoPath()));
    mainWindow_ = testbed::WaitForWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, START_TIMEOUT_MS, velmo_.Id());
    ASSERT_TRUE(testbed::WaitUntil(
        [&] {
          mirror_ = testbed::FindTopLevelWindow(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE, velmo_.Id());
          mirrorList_ = mirror_ != nullptr ? GetWindow(mirror_, GW_CHILD) : nullptr;
          return mirrorList_ != nullptr && SendMessageA(mirrorList_, LVM_GETITEMCOUNT, 0, 0) == shellItems_;
        },
        START_TIMEOUT_MS));
  }

  void TearDown() override {
    if (velmo_.IsRunning()) {
      PostMessageA(mainWindow_, WM_COMMAND, IDM_EXIT, 0);
      velmo_.Stop();
    }
    shell_.Stop();
  }

  // Starts shelldesk.exe and reads its ready line: the shell's windows and its number of items.
  bool StartShellDesk() {
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    if (!CreatePipe(&reader, &writer, &inherited, 0)) return false;
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    bool started = shell_.Start(testbed::BinaryPath("shelldesk.exe"), std::string(), writer);
    CloseHandle(writer);
    std::string line = started ? ReadLine(reader, START_TIMEOUT_MS) : std::string();
    CloseHandle(reader);
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

  // The middle of the item's icon in the mirror, on the screen.
  POINT OnMirrorIcon(const std::string& text) const {
    testbed::RemoteListView mirror(mirrorList_, velmo_.Id());
    RECT icon = mirror.IconRect(ItemOf(mirrorList_, velmo_.Id(), text));
    POINT middle = {(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
    ClientToScreen(mirrorList_, &middle);
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
  ASSERT_TRUE(ShowMirror());
  testbed::ClickAt(OnMirrorIcon(SAMPLE_ASCII_TEXT), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(testbed::WaitUntil([&] { return SameSelections(); }, WAIT_MS));
  PostMessageA(mainWindow_, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_HIDE);
  ASSERT_TRUE(testbed::WaitUntil([&] { return !MirrorShown(); }, WAIT_MS));
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
