// MainWindow's procedure: show and hide requests, the tray icon's notifications and menu, the
// start-up refresh timer, the refresh command, and the end of the program or of the session.
#include <windows.h>
#include <shellapi.h>
#include <commctrl.h>

#include <cstring>
#include <tuple>

#include "app/tray_icon.h"
#include "res/resource.h"
#include "testbed/recorder/pump.h"
#include "tests/core/velmo_fixture.h"

constexpr char TEST_MAIN_CLASS[] = "Velmo Main Under Test";

// True when the two icons draw the same 32 x 32 pixels.
static bool SameImage(HICON first, HICON second) {
  HDC screen = GetDC(nullptr);
  HDC dcs[2] = {CreateCompatibleDC(screen), CreateCompatibleDC(screen)};
  HBITMAP bitmaps[2] = {CreateCompatibleBitmap(screen, 32, 32), CreateCompatibleBitmap(screen, 32, 32)};
  HGDIOBJ previous[2];
  HICON icons[2] = {first, second};
  for (int i = 0; i < 2; ++i) {
    previous[i] = SelectObject(dcs[i], bitmaps[i]);
    PatBlt(dcs[i], 0, 0, 32, 32, WHITENESS);
    DrawIconEx(dcs[i], 0, 0, icons[i], 32, 32, 0, nullptr, DI_NORMAL);
  }
  bool same = true;
  for (int y = 0; y < 32 && same; ++y) {
    for (int x = 0; x < 32 && same; ++x) same = GetPixel(dcs[0], x, y) == GetPixel(dcs[1], x, y);
  }
  for (int i = 0; i < 2; ++i) {
    SelectObject(dcs[i], previous[i]);
    DeleteObject(bitmaps[i]);
    DeleteDC(dcs[i]);
  }
  ReleaseDC(nullptr, screen);
  return same;
}

static bool TrayImageIs(int id) {
  HICON expected = static_cast<HICON>(LoadImageA(AppInstance, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
  bool same = TrayIconData.hIcon != nullptr && SameImage(TrayIconData.hIcon, expected);
  DestroyIcon(expected);
  return same;
}

// Whether the notification area holds our icon: only an icon that exists can be modified.
static bool TrayIconExists() {
  NOTIFYICONDATAA probe = TrayIconData;
  probe.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

static bool TakePosted(UINT message, MSG* found) {
  return PeekMessageA(found, MainWindow, message, message, PM_REMOVE) != FALSE;
}

static std::string MenuText(UINT id) {
  char text[128] = {};
  GetMenuStringA(TrayPopup, id, text, sizeof text, MF_BYCOMMAND);
  return text;
}

class MainWindowTest : public VelmoTest {
 protected:
  void SetUp() override {
    VelmoTest::SetUp();
    ServeSampleItems();
    Settings.MoveWindow = 0;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = AppInstance;
    windowClass.lpszClassName = TEST_MAIN_CLASS;
    RegisterClassA(&windowClass);
    MainWindow = CreateWindowExA(0, TEST_MAIN_CLASS, "Velmo", WS_POPUP, -500, -500, 0, 0, nullptr, nullptr,
                                 AppInstance, nullptr);
    TrayMenu = LoadMenuA(AppInstance, MAKEINTRESOURCEA(IDR_TRAYMENU));
    TrayPopup = GetSubMenu(TrayMenu, 0);
    desktop_ = new FakeDesktop(FAKE_DESKTOP_RECT);
    ASSERT_NE(0, AddTrayIcon(MainWindow));
    ASSERT_EQ(1, CreateMirror(MainWindow));
    PumpMessages(20);
    FakeVmh::ClearCalls();
  }
  void TearDown() override {
    if (IsWindow(MainWindow)) DestroyWindow(MainWindow);
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    DestroyMenu(TrayMenu);
    TrayMenu = TrayPopup = nullptr;
    MainWindow = nullptr;
    delete desktop_;
    VelmoTest::TearDown();
  }
  LRESULT Command(WPARAM command, LPARAM lParam) {
    return SendMessageA(MainWindow, WM_COMMAND, command, lParam);
  }
  FakeDesktop* desktop_ = nullptr;
};

TEST_F(MainWindowTest, ShowRequestShowsTheMirrorAndLightsTheTrayIcon) {
  EXPECT_EQ(0, Command(MIRROR_REQUEST_WPARAM, MIRROR_SHOW));
  EXPECT_EQ(1, IsMirrorVisible);
  EXPECT_TRUE(IsWindowVisible(MirrorWindow));
  EXPECT_TRUE(TrayImageIs(IDI_TRAY_ACTIVE));
  EXPECT_FALSE(TrayImageIs(IDI_TRAY_IDLE));
  ASSERT_EQ(1u, FakeVmh::Traces().size());
  EXPECT_EQ("==表示へ!==\r\n", FakeVmh::Traces()[0]);
}

TEST_F(MainWindowTest, HideRequestHidesTheMirrorAndDimsTheTrayIcon) {
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  FakeVmh::ClearCalls();
  EXPECT_EQ(0, Command(MIRROR_REQUEST_WPARAM, MIRROR_HIDE));
  EXPECT_EQ(0, IsMirrorVisible);
  EXPECT_FALSE(IsWindowVisible(MirrorWindow));
  EXPECT_TRUE(TrayImageIs(IDI_TRAY_IDLE));
  ASSERT_EQ(1u, FakeVmh::Traces().size());
  EXPECT_EQ("==非表示へ!==\r\n", FakeVmh::Traces()[0]);
}

TEST_F(MainWindowTest, RepeatedShowRequestOnlyTracesAndReloadsTheActiveImage) {
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  size_t calls = VmhCallTexts().size();
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  EXPECT_EQ(calls, VmhCallTexts().size()) << "the library is not told again";
  EXPECT_EQ(2u, FakeVmh::Traces().size());
  EXPECT_TRUE(TrayImageIs(IDI_TRAY_ACTIVE));
}

TEST_F(MainWindowTest, HideRequestWhileHiddenStillSetsTheIdleImage) {
  Command(IDM_TOGGLE_MIRROR, MIRROR_HIDE);
  EXPECT_EQ(0, IsMirrorVisible);
  EXPECT_TRUE(TrayImageIs(IDI_TRAY_IDLE));
  EXPECT_EQ("==非表示へ!==\r\n", FakeVmh::Traces().at(0));
}

TEST_F(MainWindowTest, AnyOtherRequestTogglesOnTheMirrorsState) {
  for (LPARAM request : {LPARAM{0}, LPARAM{3}, LPARAM{-1}}) {
    Command(IDM_TOGGLE_MIRROR, request);
    EXPECT_EQ(1, IsMirrorVisible) << request;
    Command(IDM_TOGGLE_MIRROR, request);
    EXPECT_EQ(0, IsMirrorVisible) << request;
  }
}

TEST_F(MainWindowTest, UnknownCommandsDoNothing) {
  for (WPARAM command : {WPARAM{40003}, WPARAM{40020}, WPARAM{40101}}) {
    Command(command, MIRROR_SHOW);
  }
  EXPECT_EQ(0, IsMirrorVisible);
  EXPECT_TRUE(FakeVmh::Traces().empty());
}

TEST_F(MainWindowTest, ExitCommandAsksTheMainWindowToClose) {
  Command(IDM_EXIT, 0);
  MSG msg;
  EXPECT_TRUE(TakePosted(WM_CLOSE, &msg));
  EXPECT_TRUE(IsWindow(MainWindow));
}

TEST_F(MainWindowTest, TrayDoubleClickPostsAToggleAndNamesTheMenuItemByState) {
  SendMessageA(MainWindow, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
  EXPECT_EQ("ヴェルモを表示(&D)", MenuText(IDM_TOGGLE_MIRROR));
  MSG msg;
  ASSERT_TRUE(TakePosted(WM_COMMAND, &msg));
  EXPECT_EQ(static_cast<WPARAM>(IDM_TOGGLE_MIRROR), msg.wParam);
  EXPECT_EQ(0, msg.lParam);

  DispatchMessageA(&msg);
  EXPECT_EQ(1, IsMirrorVisible);
  SendMessageA(MainWindow, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
  EXPECT_EQ("ヴェルモを戻す(&R)", MenuText(IDM_TOGGLE_MIRROR));
}

TEST_F(MainWindowTest, TrayNotificationsForOtherIconsOrOtherMouseMessagesAreIgnored) {
  ModifyMenuA(TrayPopup, IDM_TOGGLE_MIRROR, MF_BYCOMMAND | MF_STRING, IDM_TOGGLE_MIRROR, "untouched");
  SendMessageA(MainWindow, WM_TRAYNOTIFY, TRAY_ICON_ID + 1, WM_LBUTTONDBLCLK);
  SendMessageA(MainWindow, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDOWN);
  SendMessageA(MainWindow, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONUP);
  SendMessageA(MainWindow, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_RBUTTONDOWN);
  MSG msg;
  EXPECT_FALSE(TakePosted(WM_COMMAND, &msg));
  EXPECT_EQ("untouched", MenuText(IDM_TOGGLE_MIRROR));
}

static bool MenuWasOpen;
static POINT MenuPlace;
static void CALLBACK CloseOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menu = FindWindowA("#32768", nullptr);
  MenuWasOpen = menu != nullptr && IsWindowVisible(menu);
  RECT rect = {};
  GetWindowRect(menu, &rect);
  MenuPlace = POINT{rect.left, rect.top};
  KillTimer(nullptr, timer);
  EndMenu();
}

TEST_F(MainWindowTest, RightButtonReleaseOpensTheMenuAtTheCursorWithTheDefaultItemInBold) {
  SetMenuDefaultItem(TrayPopup, 0, TRUE);
  SetCursorPos(300, 200);
  MenuWasOpen = false;
  SetTimer(nullptr, 0, 300, CloseOpenMenu);
  SendMessageA(MainWindow, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_RBUTTONUP);

  EXPECT_TRUE(MenuWasOpen);
  EXPECT_EQ(300, MenuPlace.x);
  EXPECT_EQ(200, MenuPlace.y);
  EXPECT_EQ("ヴェルモを表示(&D)", MenuText(IDM_TOGGLE_MIRROR));
  MSG msg;
  EXPECT_TRUE(TakePosted(WM_NULL, &msg));
  EXPECT_FALSE(TakePosted(WM_COMMAND, &msg)) << "a closed menu chooses nothing";
}

TEST_F(MainWindowTest, StartupTimerWaitsWhileTheMirrorIsShown) {
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  FakeVmh::ClearCalls();
  SetTimer(MainWindow, STARTUP_REFRESH_TIMER, STARTUP_REFRESH_DELAY_MS, nullptr);
  SendMessageA(MainWindow, WM_TIMER, STARTUP_REFRESH_TIMER, 0);
  MSG msg;
  EXPECT_FALSE(TakePosted(WM_COMMAND, &msg));
  EXPECT_TRUE(FakeVmh::Traces().empty());
  EXPECT_TRUE(KillTimer(MainWindow, STARTUP_REFRESH_TIMER)) << "armed again";
}

TEST_F(MainWindowTest, StartupTimerRefreshesOnceWhenTheMirrorIsHidden) {
  SetTimer(MainWindow, STARTUP_REFRESH_TIMER, STARTUP_REFRESH_DELAY_MS, nullptr);
  SendMessageA(MainWindow, WM_TIMER, STARTUP_REFRESH_TIMER, 0);
  MSG msg;
  ASSERT_TRUE(TakePosted(WM_COMMAND, &msg));
  EXPECT_EQ(static_cast<WPARAM>(IDM_REFRESH), msg.wParam);
  EXPECT_EQ("==起動直後のディレイ画面更新==\r\n", FakeVmh::Traces().at(0));
  EXPECT_FALSE(KillTimer(MainWindow, STARTUP_REFRESH_TIMER)) << "the timer is dead";
}

TEST_F(MainWindowTest, RefreshRebuildsTheMirrorHiddenAndKeepsTheTrayImage) {
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  HWND oldMirror = MirrorWindow;
  int fetches = static_cast<int>(FetchCount());
  std::vector<DesktopItem> items = SampleItems();
  items.push_back(MakeDesktopItem(300, 300, "新しい項目", 0));
  ServeItems(items);

  EXPECT_EQ(0, Command(IDM_REFRESH, 0));
  EXPECT_FALSE(IsWindow(oldMirror));
  ASSERT_NE(nullptr, MirrorWindow);
  EXPECT_EQ(0, IsMirrorVisible);
  EXPECT_FALSE(IsWindowVisible(MirrorWindow));
  EXPECT_GT(static_cast<int>(FetchCount()), fetches);
  EXPECT_EQ(4, SendMessageA(MirrorListView, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(desktop_->listView(), DesktopListView);
  EXPECT_TRUE(TrayImageIs(IDI_TRAY_IDLE)) << "the icon follows the hidden mirror";
}

TEST_F(MainWindowTest, ShowOfAMirrorOlderThanTheDesktopRebuildsItFirst) {
  HWND built = MirrorWindow;
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  EXPECT_EQ(built, MirrorWindow) << "an unchanged desktop is not rebuilt";
  Command(IDM_TOGGLE_MIRROR, MIRROR_HIDE);

  std::vector<DesktopItem> items = SampleItems();
  items[1].y = 300;  // moved
  ServeItems(items);
  PumpMessages(DESKTOP_REREAD_MS);
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  EXPECT_NE(built, MirrorWindow);
  EXPECT_EQ(1, IsMirrorVisible);
  EXPECT_TRUE(IsWindowVisible(MirrorWindow));
  POINT place = {};
  SendMessageA(MirrorListView, LVM_GETITEMPOSITION, DesktopItemTable.items[1].listIndex,
               reinterpret_cast<LPARAM>(&place));
  EXPECT_EQ(300, place.y);
}

TEST_F(MainWindowTest, DisplayChangeWhileHiddenRebuildsTheMirror) {
  for (UINT message : {UINT{WM_DISPLAYCHANGE}, UINT{WM_SETTINGCHANGE}}) {
    HWND built = MirrorWindow;
    SendMessageA(MainWindow, message, message == WM_SETTINGCHANGE ? SPI_SETWORKAREA : 32, 0);
    PumpMessages(DISPLAY_SETTLE_DELAY_MS + 300);
    EXPECT_NE(built, MirrorWindow) << message;
    EXPECT_NE(nullptr, MirrorWindow);
  }
}

static WNDPROC MirrorProcBeforeStubborn;
static LRESULT CALLBACK IgnoreCloseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return 0;
  return CallWindowProcA(MirrorProcBeforeStubborn, window, message, wParam, lParam);
}

TEST_F(MainWindowTest, QuitArrivingDuringRefreshStillEndsTheProgram) {
  MirrorProcBeforeStubborn = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(MirrorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(IgnoreCloseProc)));
  int fetches = static_cast<int>(FetchCount());
  PostQuitMessage(7);
  Command(IDM_REFRESH, 0);

  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit is posted again";
  EXPECT_EQ(7u, msg.wParam);
  EXPECT_EQ(fetches, static_cast<int>(FetchCount())) << "nothing rebuilt";
  SetWindowLongPtrA(MirrorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MirrorProcBeforeStubborn));
}

TEST_F(MainWindowTest, CancelledLogOffChangesNothing) {
  SendMessageA(MainWindow, WM_ENDSESSION, FALSE, 0);
  EXPECT_NE(nullptr, MirrorWindow);
  EXPECT_TRUE(TrayIconExists());
}

TEST_F(MainWindowTest, EndOfSessionClosesTheMirrorAndRemovesTheTrayIconButKeepsRunning) {
  ASSERT_TRUE(TrayIconExists());
  EXPECT_EQ(1, SendMessageA(MainWindow, WM_ENDSESSION, TRUE, 0));
  EXPECT_EQ(nullptr, MirrorWindow);
  EXPECT_FALSE(TrayIconExists());
  EXPECT_TRUE(IsWindow(MainWindow));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(MainWindowTest, DestroyingTheMainWindowTakesTheMirrorAndTrayIconAndQuits) {
  DestroyWindow(MainWindow);
  EXPECT_EQ(nullptr, MirrorWindow);
  EXPECT_FALSE(TrayIconExists());
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(0u, msg.wParam);
}

TEST_F(MainWindowTest, ShellRestartAddsTheTrayIconAgainAndRebuildsTheMirror) {
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  DeleteTrayIcon();  // what a shell that went away has done
  ASSERT_FALSE(TrayIconExists());
  HWND oldMirror = MirrorWindow;

  SendMessageA(MainWindow, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(TrayIconExists());
  EXPECT_TRUE(TrayImageIs(IDI_TRAY_IDLE));
  EXPECT_FALSE(IsWindow(oldMirror));
  EXPECT_NE(nullptr, MirrorWindow);
  EXPECT_EQ(0, IsMirrorVisible);
  EXPECT_TRUE(KillTimer(MainWindow, STARTUP_REFRESH_TIMER)) << "the delayed refresh is armed again";
}

// Windows of another program: the one in front at the last show, and the one in front now.
TEST_F(MainWindowTest, RebuildsLeaveTheWindowInFrontWhereItIs) {
  Settings.MoveWindow = 1;
  auto open = [](int x) {
    return CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, x, 100, 200, 100, nullptr, nullptr,
                           nullptr, nullptr);
  };
  HWND earlier = open(100);
  HWND now = open(400);
  SetForegroundWindow(earlier);
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  // (Under Wine a re-selection click taken after the hide would activate the parked mirror.)
  ASSERT_TRUE(testbed::WaitUntil([] { return ListView_GetSelectedCount(MirrorListView) > 0; }, 5000));
  Command(IDM_TOGGLE_MIRROR, MIRROR_HIDE);
  ASSERT_EQ(earlier, GetForegroundWindow()) << "the hide gave it back";
  SetForegroundWindow(now);

  Command(IDM_REFRESH, 0);
  EXPECT_EQ(now, GetForegroundWindow()) << "after a refresh";
  HWND built = MirrorWindow;
  SendMessageA(MainWindow, WM_DISPLAYCHANGE, 32, 0);
  ASSERT_TRUE(testbed::WaitUntil([&] { return MirrorWindow != built && MirrorWindow != nullptr; }, 5000));
  EXPECT_EQ(now, GetForegroundWindow()) << "after a display change";
  DestroyWindow(now);
  DestroyWindow(earlier);
}

// Ends a wait that would never end, so that the test fails instead of hanging.
static void CALLBACK EndEndlessWait(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  PostQuitMessage(1);
}

TEST_F(MainWindowTest, RefreshArrivingWhileAShowRebuildsTheMirrorLeavesTheShowComplete) {
  MirrorIsStale = true;                                  // the show builds the mirror first
  PostMessageA(MainWindow, WM_COMMAND, IDM_REFRESH, 0);  // dispatched by the show's wait
  UINT_PTR safetyNet = SetTimer(nullptr, 0, 10000, EndEndlessWait);
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  KillTimer(nullptr, safetyNet);
  MSG quit;
  EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the show's wait never ended";
  EXPECT_EQ(1, IsMirrorVisible);
  EXPECT_TRUE(IsWindowVisible(MirrorWindow));
}

// A window that draws its own title bar: its client area is the whole window, as browsers have it.
static LRESULT CALLBACK OwnTitleBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCALCSIZE && wParam) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

// Over a borderless window on the whole monitor a trigger keeps quiet, the tray icon does not;
// a captioned, sizable window on the whole monitor and a smaller borderless one keep nothing quiet.
// A trigger that hides (or toggles a shown mirror) hides it over any window.
TEST_F(MainWindowTest, OnlyAFullScreenProgramInFrontKeepsTheTriggersQuiet) {
  WNDCLASSA windowClass = {0,       OwnTitleBarProc, 0,       0,       AppInstance,
                           nullptr, nullptr,         nullptr, nullptr, "Front"};
  RegisterClassA(&windowClass);
  Settings.KillFocus = 0;  // the mirror stays shown behind the window that takes the foreground
  const WPARAM trigger = MAKEWPARAM(IDM_TOGGLE_MIRROR, TRIGGER_REQUEST_SOURCE);
  // The window's style and the divisor of the monitor's size it has; the mirror's state before; the
  // request; whether it is shown after.
  const std::tuple<DWORD, int, LONG, WPARAM, LPARAM, LONG> cases[] = {
      {WS_POPUP, 1, 0, trigger, MIRROR_SHOW, 0}, {WS_OVERLAPPEDWINDOW, 1, 0, trigger, MIRROR_SHOW, 1},
      {WS_POPUP, 2, 0, trigger, MIRROR_SHOW, 1}, {WS_POPUP, 1, 0, IDM_TOGGLE_MIRROR, MIRROR_SHOW, 1},
      {WS_POPUP, 1, 1, trigger, MIRROR_HIDE, 0}, {WS_POPUP, 1, 1, trigger, MIRROR_TOGGLE, 0}};
  for (const auto& [style, divisor, before, request, action, shown] : cases) {
    SCOPED_TRACE(style);
    if (before == 1) Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
    HWND front = CreateWindowExA(
        0, windowClass.lpszClassName, "", style | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN) / divisor,
        GetSystemMetrics(SM_CYSCREEN) / divisor, nullptr, nullptr, AppInstance, nullptr);
    SetForegroundWindow(front);
    ASSERT_EQ(front, GetForegroundWindow());
    ASSERT_EQ(before, IsMirrorVisible);
    FakeVmh::ClearCalls();
    Command(request, action);
    EXPECT_EQ(shown, IsMirrorVisible) << divisor << " " << request << " " << action;
    EXPECT_EQ(shown == before, FakeVmh::Traces().at(0) == "==全画面のため無視==\r\n");
    Command(MIRROR_REQUEST_WPARAM, MIRROR_HIDE);
    DestroyWindow(front);
  }
}
