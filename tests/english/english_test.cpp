// The interface on a system whose language is not Japanese: English menu, dialogs, key names and
// help page, read back as UTF-16 under an ANSI code page that has no Japanese in it.
#include <windows.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/tray_icon.h"
#include "app/ui_language.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "settings/dialogs.h"
#include "settings/settings.h"
#include "testbed/urlrec/url_recorder.h"
#include "tests/dialogs/dialog_fixture.h"

constexpr char ENGLISH_OPTIONS_TITLE[] = "Velmo Options";
constexpr char ENGLISH_ABOUT_TITLE[] = "About Velmo";
constexpr char TEST_MAIN_CLASS[] = "Velmo Main Under English Test";
constexpr int TEXT_SIZE = 128;

static std::wstring MenuTextW(HMENU menu, UINT item, UINT flags) {
  wchar_t text[TEXT_SIZE] = L"";
  GetMenuStringW(menu, item, text, TEXT_SIZE, flags);
  return text;
}

static std::wstring ControlTextW(HWND dialog, int id) {
  wchar_t text[TEXT_SIZE] = L"";
  GetDlgItemTextW(dialog, id, text, TEXT_SIZE);
  return text;
}

static std::vector<std::wstring> ListedNames(HWND dialog, int id) {
  std::vector<std::wstring> names;
  int count = static_cast<int>(SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    wchar_t name[TEXT_SIZE] = L"";
    SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name));
    names.push_back(name);
  }
  return names;
}

class EnglishInterface : public DialogTest {
 protected:
  void SetUp() override {
    if (IsJapaneseUi()) GTEST_SKIP() << "a Japanese system: the interface is Japanese";
    ASSERT_NE(932u, GetACP()) << "the English run wants an ANSI code page without Japanese";
    DialogTest::SetUp();
  }
  void WithEnglishOptions(const std::function<void(HWND dialog)>& drive) {
    RunDialog(
        ENGLISH_OPTIONS_TITLE, [&] { return static_cast<INT_PTR>(OpenOptionsDialog(owner_)); }, drive);
  }
};

TEST_F(EnglishInterface, TrayMenuReadsInEnglishAndItsFirstItemFollowsTheMirror) {
  TrayMenu = LoadUiMenu(IDR_TRAYMENU);
  TrayPopup = GetSubMenu(TrayMenu, 0);
  ASSERT_NE(nullptr, TrayPopup);
  const std::wstring items[] = {
      L"&Show Velmo", L"&Options...", L"&Refresh Desktop Icons", L"", L"He&lp...", L"&About Velmo...", L"",
      L"E&xit"};
  ASSERT_EQ(8, GetMenuItemCount(TrayPopup));
  for (UINT i = 0; i < 8; ++i) EXPECT_EQ(items[i], MenuTextW(TrayPopup, i, MF_BYPOSITION)) << i;

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.hInstance = AppInstance;
  windowClass.lpszClassName = TEST_MAIN_CLASS;
  RegisterClassA(&windowClass);
  MainWindow = CreateWindowExA(0, TEST_MAIN_CLASS, "Velmo", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                               AppInstance, nullptr);
  ASSERT_NE(0, AddTrayIcon(MainWindow));
  for (LONG shown : {1L, 0L}) {
    IsMirrorVisible = shown;
    SendMessageA(MainWindow, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    EXPECT_EQ(shown ? L"&Hide Velmo" : L"&Show Velmo", MenuTextW(TrayPopup, IDM_TOGGLE_MIRROR, MF_BYCOMMAND));
  }
  DeleteTrayIcon();
  // Ended quietly: MainWindow's own end would quit this thread's message loop.
  SetWindowLongPtrA(MainWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefWindowProcA));
  DestroyWindow(MainWindow);
  MainWindow = nullptr;
  DestroyMenu(TrayMenu);
  TrayMenu = TrayPopup = nullptr;
}

// Each listed English name stands for the same key code as the Japanese name at its place.
TEST_F(EnglishInterface, OptionsDialogListsEnglishKeyNamesAndStoresTheirCodes) {
  const std::vector<std::wstring> doubleNames = {L"Ctrl",      L"Shift", L"Alt",     L"Insert",
                                                 L"Caps Lock", L"Kana",  L"Convert", L"Non-convert"};
  const DWORD doubleCodes[] = {0x11, 0x10, 0x12, 0x2D, 0x14, 0x15, 0x1C, 0x1D};
  const std::vector<std::wstring> singleNames = {L"F13", L"F14", L"F15"};
  const DWORD singleCodes[] = {0x7C, 0x7D, 0x7E};
  for (int item = 0; item < 8; ++item) {
    SCOPED_TRACE(item);
    WithEnglishOptions([&](HWND dialog) {
      EXPECT_EQ(L"Show on &double press of", ControlTextW(dialog, IDC_USE_DOUBLE_KEY));
      EXPECT_EQ(doubleNames, ListedNames(dialog, IDC_DOUBLE_KEY));
      EXPECT_EQ(singleNames, ListedNames(dialog, IDC_SINGLE_KEY));
      SendDlgItemMessageW(dialog, IDC_DOUBLE_KEY, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
      SendDlgItemMessageW(dialog, IDC_SINGLE_KEY, CB_SETCURSEL, static_cast<WPARAM>(item % 3), 0);
      ClickButton(dialog, IDOK);
      WaitUntil([&] { return !IsWindow(dialog); });
    });
    EXPECT_EQ(doubleCodes[item], Settings.SKeyCode);
    EXPECT_EQ(0u, Settings.SKeyCodeData);
    EXPECT_EQ(singleCodes[item % 3], Settings.SKeyCodeS);
  }
}

TEST_F(EnglishInterface, HelpButtonOpensTheEnglishPage) {
  UrlRecorder recorder;
  ASSERT_TRUE(recorder.Installed());
  WithEnglishOptions([&](HWND dialog) { ClickButton(dialog, IDC_OPTIONS_HELP); });
  std::vector<OpenedTarget> opened = recorder.WaitForOpened(1);
  ASSERT_EQ(1u, opened.size());
  const std::string page = "\\html\\option_en.html";
  ASSERT_GE(opened[0].target.size(), page.size()) << opened[0].target;
  EXPECT_EQ(page, opened[0].target.substr(opened[0].target.size() - page.size()));
}

TEST_F(EnglishInterface, AboutBoxIsEnglish) {
  RunDialog(
      ENGLISH_ABOUT_TITLE, [&] { return static_cast<INT_PTR>(OpenAboutDialog(owner_)); },
      [&](HWND dialog) { EXPECT_EQ(L"Visit &Home Page", ControlTextW(dialog, IDC_HOMEPAGE)); });
}
