// MainWindow's procedure: the hub for show and hide requests, the tray icon's notifications and
// menu, the delayed refresh after start-up, and the end of the program or of the session.
#include <windows.h>
#include <shellapi.h>

#include "app/app.h"
#include "app/tray_icon.h"
#include "app/tray_menu_text.h"
#include "hooklib/trace.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "settings/dialogs.h"

constexpr int TRAY_STATE_IDLE = 0;
constexpr int TRAY_STATE_ACTIVE = 1;
constexpr int TRAY_TOGGLE_ITEM_POSITION = 0;

// The shell broadcasts this when its notification area has been (re)created.
static const UINT TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

static bool WantsShow(LPARAM request) {
  if (request == MIRROR_SHOW) return true;
  if (request == MIRROR_HIDE) return false;
  return IsMirrorVisible != 1;
}

static void ToggleMirror(LPARAM request) {
  if (WantsShow(request)) {
    Trace("==表示へ!==\r\n");
    ShowMirror();
    SetTrayIcon(TRAY_STATE_ACTIVE);
  } else {
    Trace("==非表示へ!==\r\n");
    HideMirror();
    SetTrayIcon(TRAY_STATE_IDLE);
  }
}

// Closes MirrorWindow, dispatches messages until it is gone, and builds it again from the desktop
// as it is now. False when the quit message came first: it is posted again so that the program
// still ends, and nothing is rebuilt.
static bool RebuildMirror(HWND window) {
  // (A null window would make the close a message to this thread.)
  if (MirrorWindow != nullptr) PostMessageA(MirrorWindow, WM_CLOSE, 0, 0);
  MSG msg = {};
  while (FindWindowA(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE) != nullptr) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  LookUpDesktopHandles();
  if (!CreateMirror(MainWindow)) PostMessageA(window, WM_CLOSE, 0, 0);
  return true;
}

static LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDM_TOGGLE_MIRROR:
      ToggleMirror(lParam);
      return 0;
    case IDM_EXIT:
      PostMessageA(window, WM_CLOSE, 0, 0);
      return 0;
    case IDM_REFRESH:
      if (!RebuildMirror(window)) return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
      return 0;
    case IDM_OPTIONS:
      OpenOptionsDialog(window);
      return 0;
    case IDM_ABOUT:
      OpenAboutDialog(window);
      return 0;
    case IDM_HELP:
      OpenUrl(HomePageUrl);
      return 0;
  }
  return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
}

// The refresh after start-up waits for a tick at which the mirror is hidden.
static void OnStartupRefreshTimer(HWND window) {
  KillTimer(window, STARTUP_REFRESH_TIMER);
  if (IsMirrorVisible != 0) {
    SetTimer(MainWindow, STARTUP_REFRESH_TIMER, STARTUP_REFRESH_DELAY_MS, nullptr);
    return;
  }
  PostMessageA(window, WM_COMMAND, IDM_REFRESH, 0);
  Trace("==起動直後のディレイ画面更新==\r\n");
}

static void ShowTrayMenu() {
  POINT cursor = {};
  GetCursorPos(&cursor);
  SetForegroundWindow(MainWindow);
  TrackPopupMenu(TrayPopup, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, MainWindow, nullptr);
  PostMessageA(MainWindow, WM_NULL, 0, 0);
}

static LRESULT OnTrayNotify(HWND window, WPARAM wParam, LPARAM lParam) {
  if (wParam != TrayIconData.uID || (lParam != WM_LBUTTONDBLCLK && lParam != WM_RBUTTONUP)) {
    return DefWindowProcA(window, WM_TRAYNOTIFY, wParam, lParam);
  }
  SetToggleItemText(TrayPopup, IsMirrorVisible == 1);
  if (lParam == WM_LBUTTONDBLCLK) {
    PostMessageA(TrayIconData.hWnd, WM_COMMAND, GetMenuItemID(TrayPopup, TRAY_TOGGLE_ITEM_POSITION), 0);
  } else {
    ShowTrayMenu();
  }
  return 0;
}

// The shell restarted: its desktop windows are new, and the notification area has forgotten us.
static void OnShellRestarted(HWND window) {
  if (!RebuildMirror(window)) return;
  AddTrayIcon(window);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == TaskbarCreatedMessage && TaskbarCreatedMessage != 0) {
    OnShellRestarted(window);
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      return OnCommand(window, wParam, lParam);
    case WM_TIMER:
      if (wParam == STARTUP_REFRESH_TIMER) OnStartupRefreshTimer(window);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_TRAYNOTIFY:
      return OnTrayNotify(window, wParam, lParam);
    case WM_DESTROY:
    case WM_ENDSESSION:
      SendMessageA(MirrorWindow, WM_CLOSE, 0, 0);
      DeleteTrayIcon();
      if (message == WM_ENDSESSION) return 1;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
