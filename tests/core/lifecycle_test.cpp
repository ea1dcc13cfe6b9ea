// The program's whole life in this process, against the fake hook library and a test desktop:
// start-up order, a second start, the exit code, and the settings written at exit.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <functional>

#include "app/tray_icon.h"
#include "res/resource.h"
#include "testbed/registry/registry_guard.h"
#include "tests/core/velmo_fixture.h"

constexpr DWORD SECOND_COPY_TIMEOUT_MS = 20000;

// Steps run one after another from the running program's own message loop, each on a timer tick.
static std::vector<std::function<void()>> Steps;
static size_t NextStep;
static void CALLBACK RunNextStep(HWND, UINT, UINT_PTR timer, DWORD) {
  if (NextStep >= Steps.size()) {
    KillTimer(nullptr, timer);
    return;
  }
  Steps[NextStep++]();
}

static int RunVelmoWith(std::vector<std::function<void()>> steps) {
  Steps = std::move(steps);
  NextStep = 0;
  SetTimer(nullptr, 0, 200, RunNextStep);
  return RunVelmo(GetModuleHandleA(nullptr));
}

static bool TrayIconExists() {
  NOTIFYICONDATAA probe = TrayIconData;
  probe.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

static DWORD StoredType(const char* name) {
  DWORD type = REG_NONE;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return REG_NONE;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) type = REG_NONE;
  RegCloseKey(key);
  return type;
}

class Lifecycle : public VelmoTest {
 protected:
  void SetUp() override {
    VelmoTest::SetUp();
    ServeSampleItems();
    desktop_ = new FakeDesktop(FAKE_DESKTOP_RECT);
  }
  void TearDown() override {
    delete desktop_;
    MainWindow = nullptr;
    VelmoTest::TearDown();
  }
  FakeDesktop* desktop_ = nullptr;
  RegistryGuard registry_;
};

TEST_F(Lifecycle, StartsInOrderRunsHiddenAndStopsCleanly) {
  bool mainHidden = false, mirrorBuilt = false, trayAdded = false, menuLoaded = false;
  int exitCode = RunVelmoWith({[&] {
    mainHidden = IsWindow(MainWindow) && !IsWindowVisible(MainWindow);
    mirrorBuilt = MirrorWindow != nullptr && IsMirrorVisible == 0;
    trayAdded = TrayIconExists();
    menuLoaded = GetMenuDefaultItem(TrayPopup, TRUE, 0) == 0;
    PostMessageA(MainWindow, WM_CLOSE, 0, 0);
  }});

  EXPECT_EQ(0, exitCode);
  EXPECT_TRUE(mainHidden);
  EXPECT_TRUE(mirrorBuilt);
  EXPECT_TRUE(trayAdded);
  EXPECT_TRUE(menuLoaded);
  ASSERT_GE(VmhCallTexts().size(), 7u);
  EXPECT_EQ("SetShortCutKeyCode 29 0", VmhCallTexts()[0]);
  EXPECT_EQ("SetShortCutMouse 1", VmhCallTexts()[1]);
  EXPECT_EQ("InitDLL", VmhCallTexts()[2]);
  EXPECT_EQ("GetDeskTopData", VmhCallTexts()[3]);
  EXPECT_EQ("SetIsViewVelmo 1", VmhCallTexts()[4]);
  EXPECT_EQ("SetIsViewVelmo 0", VmhCallTexts()[5]);
  EXPECT_EQ("TermDLL", VmhCallTexts().back());
  EXPECT_EQ(nullptr, MirrorWindow);
  EXPECT_FALSE(TrayIconExists());
  EXPECT_FALSE(IsWindow(MainWindow));
}

// A notification area that is not ready yet: it refuses every icon. Shell_NotifyIcon asks the first
// "Shell_TrayWnd" in the Z order, and this one, made last in the topmost band, comes first.
static LRESULT CALLBACK RefusingTrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) return FALSE;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(Lifecycle, NotificationAreaThatIsNotReadyAtStartUpGetsTheIconLater) {
  WNDCLASSA trayClass = {};
  trayClass.lpfnWndProc = RefusingTrayProc;
  trayClass.hInstance = GetModuleHandleA(nullptr);
  trayClass.lpszClassName = "Shell_TrayWnd";
  RegisterClassA(&trayClass);
  HWND refusing = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  bool runningWithoutIcon = false, iconLater = false;
  EXPECT_EQ(0, RunVelmoWith({[&] {
              runningWithoutIcon = IsWindow(MainWindow) && !TrayIconExists();
              DestroyWindow(refusing);
              // The ready notification area is tried again within the retry delay.
              for (DWORD start = GetTickCount();
                   !iconLater && GetTickCount() - start < TRAY_RETRY_DELAY_MS * 2;) {
                PumpMessages(50);
                iconLater = TrayIconExists();
              }
              PostMessageA(MainWindow, WM_CLOSE, 0, 0);
            }}));
  EXPECT_TRUE(runningWithoutIcon);
  EXPECT_TRUE(iconLater);
  UnregisterClassA("Shell_TrayWnd", GetModuleHandleA(nullptr));
}

TEST_F(Lifecycle, AllSettingsAreWrittenAtExit) {
  RunVelmoWith({[] { PostMessageA(MainWindow, WM_CLOSE, 0, 0); }});
  for (const char* name :
       {"TopMost", "DeskTopMiniSize", "MoveWindow", "UseSKey", "SKeyCode", "SKeyCodeData", "UseSKeyS",
        "SKeyCodeS", "SKeyCodeDataS", "MouseRdblclk", "KillFocus", "NoMatchHit", "Escape", "ox", "oy"}) {
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), StoredType(name)) << name;
  }
}

TEST_F(Lifecycle, ExitFromTheTrayMenuEndsTheProgram) {
  int exitCode = RunVelmoWith({[] { PostMessageA(MainWindow, WM_COMMAND, IDM_EXIT, 0); }});
  EXPECT_EQ(0, exitCode);
  EXPECT_EQ("TermDLL", VmhCallTexts().back());
}

// The program beside this test, started as a user would start it a second time.
static DWORD StartSecondCopy() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  char* slash = strrchr(path, '\\');
  if (slash == nullptr) return 0xFFFFFFFF;
  strcpy(slash + 1, "velmo.exe");
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(path, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return 0xFFFFFFFF;
  }
  DWORD exitCode = 0xFFFFFFFF;
  if (WaitForSingleObject(process.hProcess, SECOND_COPY_TIMEOUT_MS) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &exitCode);
  } else {
    TerminateProcess(process.hProcess, 1);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return exitCode;
}

TEST_F(Lifecycle, SecondStartEndsAtOnceAndTheRunningCopyShowsItsMirror) {
  DWORD secondExitCode = 0xFFFFFFFF;
  LONG shownAfter = 0;
  int exitCode = RunVelmoWith({[&] { secondExitCode = StartSecondCopy(); },
                               [&] {
                                 shownAfter = IsMirrorVisible;
                                 PostMessageA(MainWindow, WM_CLOSE, 0, 0);
                               }});
  EXPECT_EQ(0u, secondExitCode);
  EXPECT_EQ(1, shownAfter);
  EXPECT_EQ(0, exitCode);
  bool traced = false;
  for (const std::string& line : FakeVmh::Traces()) traced = traced || line == "==表示へ!==\r\n";
  EXPECT_TRUE(traced);
}

TEST_F(Lifecycle, EndOfSessionLeavesTheLibraryRunningAndTheSettingsUnwritten) {
  size_t callsAfterSession = 0;
  bool trayAfterSession = true;
  RunVelmoWith({[&] {
    SendMessageA(MainWindow, WM_ENDSESSION, TRUE, 0);
    callsAfterSession = VmhCallTexts().size();
    trayAfterSession = TrayIconExists();
    PostMessageA(MainWindow, WM_CLOSE, 0, 0);
  }});
  EXPECT_FALSE(trayAfterSession);
  ASSERT_GT(callsAfterSession, 0u);
  for (size_t i = 0; i < callsAfterSession; ++i) EXPECT_NE("TermDLL", VmhCallTexts()[i]);
}

TEST_F(Lifecycle, DesktopThatAppearsAfterStartUpIsPickedUpByTheRefresh) {
  delete desktop_;
  desktop_ = nullptr;
  RECT mirrorAtStart = {}, mirrorAfterRefresh = {};
  int exitCode = RunVelmoWith({[&] {
                                 GetWindowRect(MirrorWindow, &mirrorAtStart);
                                 desktop_ = new FakeDesktop(RECT{0, 0, 700, 500});
                                 PostMessageA(MainWindow, WM_COMMAND, IDM_REFRESH, 0);
                               },
                               [&] {
                                 GetWindowRect(MirrorWindow, &mirrorAfterRefresh);
                                 PostMessageA(MainWindow, WM_CLOSE, 0, 0);
                               }});
  EXPECT_EQ(0, exitCode);
  EXPECT_TRUE(IsRectEmpty(&mirrorAtStart));
  EXPECT_EQ(700, mirrorAfterRefresh.right - mirrorAfterRefresh.left);
  EXPECT_EQ(500, mirrorAfterRefresh.bottom - mirrorAfterRefresh.top);
}
