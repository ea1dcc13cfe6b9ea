// The stand-in desktop itself, as the program and the later tests rely on it: the window chain,
// the bottom of the Z order, clicks that never take the foreground, the input record, the opened
// item, and the folders and registry values it sets up and puts back.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "testbed/recorder/pump.h"
#include "testbed/standin/standin_client.h"
#include "testbed/userinput/user_input.h"

constexpr DWORD WAIT_MS = 5000;
constexpr int ICON_CENTRE = 16;
constexpr char SHELL_FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

static std::string ClassOf(HWND window) {
  char name[64] = "";
  GetClassNameA(window, name, sizeof name);
  return name;
}

static std::string ShellFolder(HKEY root, const char* value) {
  char text[MAX_PATH] = "";
  DWORD size = sizeof text;
  HKEY key;
  if (RegOpenKeyExA(root, SHELL_FOLDERS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::string();
  if (RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS)
    text[0] = '\0';
  RegCloseKey(key);
  text[sizeof text - 1] = '\0';
  return text;
}

static bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static bool WaitUntil(const std::function<bool()>& condition) {
  return testbed::WaitUntil(condition, WAIT_MS);
}

static bool Recorded(const std::vector<MessageRecord>& records, UINT message, bool posted) {
  for (const MessageRecord& record : records)
    if (record.message == message && record.posted == (posted ? 1u : 0u)) return true;
  return false;
}

class StandinTest : public ::testing::Test {
 protected:
  const std::vector<StandinItem> items_ = {
      {STANDIN_FILE, 40, 30, STANDIN_OWN_IMAGE, "表示.txt"},
      {STANDIN_LINK, 40, 130, STANDIN_OWN_IMAGE, "ソフト"},
      {STANDIN_COMMON_LINK, 140, 30, STANDIN_OWN_IMAGE, "Mail"},
  };
  StandinDesktop desktop_;
  HWND front_ = nullptr;

  void SetUp() override {
    StandinOptions options;
    options.commonDesktop = true;
    ASSERT_TRUE(desktop_.Start(items_, options));
  }
  void TearDown() override {
    if (front_ != nullptr) DestroyWindow(front_);
  }

  // A window of this test in front, as the program's mirror would be.
  void BringTestWindowToFront() {
    front_ = CreateWindowExA(0, "STATIC", "front", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, front_);
    SetForegroundWindow(front_);
    ASSERT_EQ(front_, GetForegroundWindow());
  }

  void PostClick(UINT down, UINT up, WPARAM keys, const StandinItem& item) {
    LPARAM at = MAKELPARAM(item.x + ICON_CENTRE, item.y + ICON_CENTRE);
    PostMessageA(desktop_.ListView(), down, keys, at);
    PostMessageA(desktop_.ListView(), up, 0, at);
  }
};

TEST_F(StandinTest, WindowsFormTheChainTheShellHas) {
  HWND progman = FindWindowA("Progman", "Program Manager");
  ASSERT_NE(nullptr, progman);
  EXPECT_EQ(desktop_.Progman(), progman);
  HWND view = GetWindow(progman, GW_CHILD);
  EXPECT_EQ("SHELLDLL_DefView", ClassOf(view));
  HWND list = GetWindow(view, GW_CHILD);
  EXPECT_EQ("SysListView32", ClassOf(list));
  EXPECT_EQ(desktop_.ListView(), list);
  EXPECT_EQ(static_cast<LRESULT>(items_.size()), SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  RECT rect;
  GetWindowRect(progman, &rect);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), rect.right - rect.left);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), rect.bottom - rect.top);
}

TEST_F(StandinTest, StaysAtTheBottomOfTheZOrder) {
  BringTestWindowToFront();
  SetWindowPos(desktop_.Progman(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_TRUE(WaitUntil([&] { return GetWindow(desktop_.Progman(), GW_HWNDNEXT) == nullptr; }));
}

TEST_F(StandinTest, PostedClickSelectsWithoutTakingTheForeground) {
  BringTestWindowToFront();
  PostClick(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, items_[1]);
  ASSERT_TRUE(WaitUntil([&] {
    return SendMessageA(desktop_.ListView(), LVM_GETNEXTITEM, -1, LVNI_SELECTED) == 1 &&
           Recorded(desktop_.Messages(), WM_LBUTTONUP, true);
  }));
  // An activation would have come while the desktop's thread handled the button-down, before the up.
  EXPECT_EQ(front_, GetForegroundWindow());
  std::vector<MessageRecord> records = desktop_.Messages();
  EXPECT_TRUE(Recorded(records, WM_LBUTTONDOWN, true));
  EXPECT_FALSE(Recorded(records, WM_LBUTTONDOWN, false));  // a posted message is recorded once
}

TEST_F(StandinTest, UsersClickOnTheDesktopDoesNotActivateIt) {
  BringTestWindowToFront();
  // Away from the test's window. (The click carries its own place: under Wine a SetCursorPos can be
  // overtaken by the X server's report of the pointer's old place.)
  testbed::ClickAt({items_[2].x + ICON_CENTRE, items_[2].y + ICON_CENTRE}, MOUSEEVENTF_LEFTDOWN,
                   MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(WaitUntil([&] { return Recorded(desktop_.Messages(), WM_LBUTTONUP, true); }));
  EXPECT_EQ(front_, GetForegroundWindow());
  EXPECT_NE(desktop_.Progman(), GetActiveWindow());
}

TEST_F(StandinTest, RightButtonPairIsRecordedEvenWhereTheListViewSwallowsIt) {
  desktop_.ClearMessages();
  PostClick(WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, items_[0]);
  EXPECT_TRUE(WaitUntil([&] {
    std::vector<MessageRecord> records = desktop_.Messages();
    return Recorded(records, WM_RBUTTONDOWN, true) && Recorded(records, WM_RBUTTONUP, true);
  }));
}

TEST_F(StandinTest, SentInputIsRecordedAsSent) {
  desktop_.ClearMessages();
  SendMessageA(desktop_.ListView(), WM_KEYDOWN, VK_DOWN, 1);
  std::vector<MessageRecord> keys;
  for (const MessageRecord& record : desktop_.Messages())  // the system may move the mouse meanwhile
    if (record.message >= WM_KEYFIRST && record.message <= WM_KEYLAST) keys.push_back(record);
  ASSERT_EQ(1u, keys.size());
  EXPECT_EQ(static_cast<uint32_t>(WM_KEYDOWN), keys[0].message);
  EXPECT_EQ(0u, keys[0].posted);
  EXPECT_EQ(static_cast<uint64_t>(VK_DOWN), keys[0].wParam);
  EXPECT_EQ(1, keys[0].lParam);
}

TEST_F(StandinTest, DoubleClickOpensTheItemUnderIt) {
  BringTestWindowToFront();
  LPARAM at = MAKELPARAM(items_[1].x + ICON_CENTRE, items_[1].y + ICON_CENTRE);
  PostMessageA(desktop_.ListView(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageA(desktop_.ListView(), WM_LBUTTONUP, 0, at);
  PostMessageA(desktop_.ListView(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  PostMessageA(desktop_.ListView(), WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(WaitUntil([&] { return desktop_.OpenedCount() == 1; }));
  EXPECT_EQ("ソフト", desktop_.LastOpened());
  EXPECT_EQ(front_, GetForegroundWindow());
}

TEST_F(StandinTest, ItemsStandInRealFoldersNamedByTheRegistry) {
  EXPECT_EQ(desktop_.DesktopFolder(), ShellFolder(HKEY_CURRENT_USER, "Desktop"));
  EXPECT_EQ(desktop_.CommonFolder(), ShellFolder(HKEY_LOCAL_MACHINE, "Common Desktop"));
  EXPECT_TRUE(FileExists(desktop_.DesktopFolder() + "\\表示.txt"));
  EXPECT_TRUE(FileExists(desktop_.DesktopFolder() + "\\ソフト.lnk"));
  EXPECT_TRUE(FileExists(desktop_.CommonFolder() + "\\Mail.lnk"));
  EXPECT_FALSE(FileExists(desktop_.DesktopFolder() + "\\Mail.lnk"));
}

TEST(StandinLifetime, RegistryAndFoldersAreRestoredWhenItEnds) {
  std::string userBefore = ShellFolder(HKEY_CURRENT_USER, "Desktop");
  std::string commonBefore = ShellFolder(HKEY_LOCAL_MACHINE, "Common Desktop");
  std::string folder;
  {
    StandinOptions options;
    options.commonDesktop = true;
    StandinDesktop desktop;
    ASSERT_TRUE(desktop.Start({{STANDIN_FILE, 10, 10, STANDIN_OWN_IMAGE, "a.txt"}}, options));
    folder = desktop.DesktopFolder();
    EXPECT_NE(userBefore, ShellFolder(HKEY_CURRENT_USER, "Desktop"));
    desktop.Stop();
    EXPECT_EQ(userBefore, ShellFolder(HKEY_CURRENT_USER, "Desktop"));
    EXPECT_EQ(commonBefore, ShellFolder(HKEY_LOCAL_MACHINE, "Common Desktop"));
    EXPECT_EQ(nullptr, FindWindowA("Progman", "Program Manager"));
  }
  EXPECT_FALSE(FileExists(folder));
}

TEST(StandinItemsFile, Utf8FileWithByteOrderMarkReadsInTheAnsiCodePage) {
  char folder[MAX_PATH];
  ASSERT_NE(0u, GetTempPathA(sizeof folder, folder));
  std::string path = std::string(folder) + "velmo_items_utf8.txt";
  FILE* file = fopen(path.c_str(), "wb");
  ASSERT_NE(nullptr, file);
  fputs("\xEF\xBB\xBF# comment\nlink 10 20 - \xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88\nplain 30 40 7 two words\n",
        file);
  fclose(file);
  std::vector<StandinItem> items;
  EXPECT_TRUE(ReadStandinItems(path.c_str(), items));
  DeleteFileA(path.c_str());
  ASSERT_EQ(2u, items.size());
  EXPECT_EQ(STANDIN_LINK, items[0].kind);
  EXPECT_EQ("ソフト", items[0].name);  // U+30BD U+30D5 U+30C8, in Shift-JIS here
  EXPECT_EQ(20, items[0].y);
  EXPECT_EQ(STANDIN_PLAIN, items[1].kind);
  EXPECT_EQ(7, items[1].image);
  EXPECT_EQ("two words", items[1].name);
}
