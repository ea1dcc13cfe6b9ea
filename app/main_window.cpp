// MainWindow's procedure: the hub for show and hide requests, the tray icon's notifications and
// menu, the delayed refresh after start-up, and the end of the program or of the session.
#include <windows.h>
#include <shellapi.h>

#include "app/app.h"
#include "app/full_screen.h"
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

// Closes MirrorWindow, dispatches messages until that window is gone, and builds it again from the
// desktop as it is now; the new mirror is hidden, and the tray icon says so. A shown mirror is
// hidden first, so that the foreground goes back where a hide sends it. A rebuild dispatched by the
// wait (a refresh, a shell restart) builds the new mirror itself; this one then builds none. False
// when the quit message came first: it is posted again so that the program still ends, and nothing
// is rebuilt.
static bool RebuildMirror(HWND window) {
  if (IsMirrorVisible == 1) HideMirror();
  HWND closing = MirrorWindow;
  // (A null window would make the close a message to this thread.)
  if (closing != nullptr) PostMessageA(closing, WM_CLOSE, 0, 0);
  MSG msg = {};
  while (closing != nullptr && IsWindow(closing)) {
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (MirrorWindow != nullptr) return true;
  LookUpDesktopHandles();
  MirrorIsStale = false;
  if (!CreateMirror(MainWindow)) PostMessageA(window, WM_CLOSE, 0, 0);
  NoticeSignOutOnce(window);
  SetTrayIcon(IsMirrorVisible == 1 ? TRAY_STATE_ACTIVE : TRAY_STATE_IDLE);
  return true;
}

// A show never displays an old layout: a mirror that no longer matches the desktop is built again
// first. While the shell holds an older Velmo's library, each show builds again (the shell may have
// let go since) and, when it still holds it, tells the user instead of showing an empty copy.
static void ToggleMirror(HWND window, LPARAM request) {
  if (WantsShow(request)) {
    Trace("==表示へ!==\r\n");
    bool rebuild = IsMirrorVisible != 1 && (ShellAwaitsSignOut || DesktopChangedSinceBuild());
    if (rebuild && !RebuildMirror(window)) {
      Trace("==表示を中止==\r\n");  // the program is ending
      return;
    }
    if (ShellAwaitsSignOut) {
      PostMessageA(window, WM_SIGN_OUT_NOTICE, 0, 0);
      return;
    }
    ShowMirror();
    SetTrayIcon(TRAY_STATE_ACTIVE);
  } else {
    Trace("==非表示へ!==\r\n");
    HideMirror();
    SetTrayIcon(TRAY_STATE_IDLE);
  }
}

static LRESULT OnCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDM_TOGGLE_MIRROR:
      // A full-screen program keeps the triggers from showing the mirror, never from hiding it.
      if (HIWORD(wParam) == TRIGGER_REQUEST_SOURCE && WantsShow(lParam) && FullScreenProgramInFront()) {
        Trace("==全画面のため無視==\r\n");
        return 0;
      }
      ToggleMirror(window, lParam);
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
      OpenHomePage();
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

// The shell restarted (or its notification area has only now come up): its desktop windows are
// new, the notification area has forgotten us, and a desktop that is still being filled is read
// again after the start-up delay.
static void OnShellRestarted(HWND window) {
  if (!RebuildMirror(window)) return;
  AddTrayIconWithRetries(window);
  SetTimer(window, STARTUP_REFRESH_TIMER, STARTUP_REFRESH_DELAY_MS, nullptr);
}

// Display changes come in bursts; the mirror is rebuilt once they are over, if it is hidden then,
// else before its next show.
static void OnDisplayChanged(HWND window) {
  MirrorIsStale = true;
  SetTimer(window, DISPLAY_SETTLE_TIMER, DISPLAY_SETTLE_DELAY_MS, nullptr);
}

static void OnDisplaySettled(HWND window) {
  KillTimer(window, DISPLAY_SETTLE_TIMER);
  if (MirrorIsStale && IsMirrorVisible != 1) PostMessageA(window, WM_COMMAND, IDM_REFRESH, 0);
}

static void OnTimer(HWND window, WPARAM timer) {
  switch (timer) {
    case STARTUP_REFRESH_TIMER:
      OnStartupRefreshTimer(window);
      break;
    case DISPLAY_SETTLE_TIMER:
      OnDisplaySettled(window);
      break;
    case TRAY_RETRY_TIMER:
      RetryTrayIcon(window);
      break;
  }
}

// Only a session that really ends takes the mirror and the tray icon; a cancelled log-off
// (wParam FALSE) changes nothing.
static LRESULT OnEndSession(WPARAM sessionEnds) {
  if (!sessionEnds) return 0;
  SendMessageA(MirrorWindow, WM_CLOSE, 0, 0);
  DeleteTrayIcon();
  return 1;
}

// Started elevated, the program would not hear "TaskbarCreated" from the user's shell. The filter
// call exists from Windows 7 on and is looked up, so that older systems still start.
void LetTaskbarCreatedThrough(HWND window) {
  typedef BOOL(WINAPI * MessageFilterFunction)(HWND, UINT, DWORD, void*);
  HMODULE user32 = GetModuleHandleA("user32.dll");
  auto filter = reinterpret_cast<MessageFilterFunction>(
      reinterpret_cast<void*>(GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
  if (filter != nullptr && TaskbarCreatedMessage != 0)
    filter(window, TaskbarCreatedMessage, MSGFLT_ALLOW, nullptr);
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
      OnTimer(window, wParam);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_TRAYNOTIFY:
      return OnTrayNotify(window, wParam, lParam);
    case WM_SIGN_OUT_NOTICE:
      ShowSignOutNotice();
      return 0;
    case WM_DISPLAYCHANGE:
    case WM_DPICHANGED:
      OnDisplayChanged(window);
      break;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) OnDisplayChanged(window);
      break;
    case WM_ENDSESSION:
      return OnEndSession(wParam);
    case WM_DESTROY:
      SendMessageA(MirrorWindow, WM_CLOSE, 0, 0);
      DeleteTrayIcon();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
