// The process's life: the single-instance rule, start-up in its fixed order, the message loop and
// the shutdown after it.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "app/app.h"
#include "app/machine_kind.h"
#include "app/ui_language.h"
#include "hooklib/trace.h"
#include "hooklib/vmh.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "settings/settings.h"

HINSTANCE AppInstance;
HWND MainWindow;
HMODULE Msimg32Module;
AlphaBlendFunction AlphaBlendProc;
HMENU TrayMenu;
HMENU TrayPopup;

constexpr int MAIN_WINDOW_X = -500;
constexpr int MAIN_WINDOW_Y = -500;
constexpr DWORD MAIN_WINDOW_STYLE = WS_POPUP | WS_DISABLED | WS_CLIPSIBLINGS;
constexpr UINT TRAY_DEFAULT_ITEM_POSITION = 0;
constexpr int UNSUPPORTED_TEXT_SIZE = 512;

// A copy is already running: ask it to show its mirror. True when one was found.
static bool HandOverToRunningCopy() {
  MainWindow = FindWindowA(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE);
  if (MainWindow == nullptr) return false;
  Trace("==多重起動==\r\n");
  ShowWindow(MainWindow, SW_HIDE);
  PostMessageA(MainWindow, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
  return true;
}

// On a machine Velmo cannot work on, says so once and gives up before anything starts. True then.
static bool RefusedUnsupportedMachine() {
  if (RunsOnSupportedMachine()) return false;
  char text[UNSUPPORTED_TEXT_SIZE];
  LoadUiString(IDS_ARM64_UNSUPPORTED, text, sizeof text);
  MessageBoxA(nullptr, text, MAIN_WINDOW_TITLE, MB_OK | MB_ICONINFORMATION);
  return true;
}

static bool RegisterMainWindowClass() {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(AppInstance, MAIN_WINDOW_CLASS, &windowClass)) return true;
  windowClass.style = 0;
  windowClass.lpfnWndProc = MainWndProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = AppInstance;
  windowClass.hIcon = LoadIconA(AppInstance, MAKEINTRESOURCEA(IDI_APP));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = MAIN_WINDOW_CLASS;
  return RegisterClassA(&windowClass) != 0;
}

static HWND CreateMainWindow() {
  return CreateWindowExA(0, MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, MAIN_WINDOW_STYLE, MAIN_WINDOW_X,
                         MAIN_WINDOW_Y, 0, 0, nullptr, nullptr, AppInstance, nullptr);
}

static void ConfigureHookLibrary() {
  DWORD doublePressKey = Settings.UseSKey != 0 ? Settings.SKeyCode : 0;
  DWORD singlePressKey = Settings.UseSKeyS != 0 ? Settings.SKeyCodeS : 0;
  SetShortCutKeyCode(doublePressKey, singlePressKey);
  SetShortCutMouse(static_cast<DWORD>(Settings.MouseRdblclk));
}

static void LoadAlphaBlend() {
  Msimg32Module = LoadLibraryA("MSIMG32.DLL");
  if (Msimg32Module != nullptr) {
    AlphaBlendProc = reinterpret_cast<AlphaBlendFunction>(
        reinterpret_cast<void*>(GetProcAddress(Msimg32Module, "AlphaBlend")));
  }
}

static void LoadTrayMenu() {
  TrayMenu = LoadUiMenu(IDR_TRAYMENU);
  if (TrayMenu != nullptr) TrayPopup = GetSubMenu(TrayMenu, 0);
  if (TrayMenu != nullptr && TrayPopup != nullptr) {
    SetMenuDefaultItem(TrayPopup, TRAY_DEFAULT_ITEM_POSITION, TRUE);
  } else {
    PostMessageA(MainWindow, WM_CLOSE, 0, 0);
  }
}

static WPARAM RunMessageLoop() {
  MSG msg = {};
  while (GetMessageA(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return msg.wParam;
}

static void ShutDown() {
  if (TrayPopup != nullptr) DestroyMenu(TrayPopup);
  if (TrayMenu != nullptr) DestroyMenu(TrayMenu);
  TrayPopup = nullptr;
  TrayMenu = nullptr;
  TermDLL();
  SaveSettings();
}

int RunVelmo(HINSTANCE instance) {
  if (HandOverToRunningCopy()) return 0;

  AppInstance = instance;
  if (RefusedUnsupportedMachine()) return 0;
  InitCommonControls();
  LoadSettings();

  if (!RegisterMainWindowClass()) return 0;
  MainWindow = CreateMainWindow();
  if (MainWindow == nullptr) return 0;
  LetTaskbarCreatedThrough(MainWindow);
  ShowWindow(MainWindow, SW_MINIMIZE);
  UpdateWindow(MainWindow);

  ConfigureHookLibrary();
  InitDLL(MainWindow);
  ShowWindow(MainWindow, SW_HIDE);

  // OLE for the drags out of the mirror, which run on this thread (the program's only one).
  HRESULT ole = OleInitialize(nullptr);
  LookUpDesktopHandles();
  LoadAlphaBlend();
  if (!CreateMirror(MainWindow)) PostMessageA(MainWindow, WM_CLOSE, 0, 0);
  NoticeSignOutOnce(MainWindow);
  // Without a notification area yet (at sign-in) the program runs on and adds its icon later.
  AddTrayIconWithRetries(MainWindow);
  LoadTrayMenu();
  SetTimer(MainWindow, STARTUP_REFRESH_TIMER, STARTUP_REFRESH_DELAY_MS, nullptr);

  WPARAM exitCode = RunMessageLoop();
  ShutDown();
  if (SUCCEEDED(ole)) OleUninitialize();
  return static_cast<int>(exitCode);
}
