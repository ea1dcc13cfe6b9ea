#include "vmh/fullscreen.h"

#include <shellapi.h>

#include <cstring>

// Windows that may cover the screen without being a full-screen program.
constexpr const char* COVERING_ALLOWED_CLASSES[] = {"Progman", "WorkerW", "Shell_TrayWnd", "Velmo"};
constexpr int CLASS_NAME_SIZE = 64;

typedef HRESULT(WINAPI* NotificationStateFunction)(QUERY_USER_NOTIFICATION_STATE*);

// The shell's own judgement, where shell32 offers it and is already loaded in this process (the
// program links it); looked up once, on the first trigger.
static NotificationStateFunction NotificationStateProc() {
  static bool looked = false;
  static NotificationStateFunction procedure = nullptr;
  if (!looked) {
    HMODULE shell = GetModuleHandleA("shell32.dll");
    if (shell != nullptr) {
      procedure = reinterpret_cast<NotificationStateFunction>(
          reinterpret_cast<void*>(GetProcAddress(shell, "SHQueryUserNotificationState")));
    }
    looked = true;
  }
  return procedure;
}

static bool ShellReportsFullScreen() {
  NotificationStateFunction query = NotificationStateProc();
  QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
  if (query == nullptr || FAILED(query(&state))) return false;
  return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE;
}

static bool MayCoverTheScreen(HWND window) {
  if (window == GetDesktopWindow() || window == GetShellWindow()) return true;
  char className[CLASS_NAME_SIZE] = "";
  if (GetClassNameA(window, className, sizeof className) == 0) return false;
  for (const char* allowed : COVERING_ALLOWED_CLASSES) {
    if (strcmp(className, allowed) == 0) return true;
  }
  return false;
}

// The client area, not the frame: a maximised window with a caption never covers the whole monitor.
static bool CoversItsMonitor(HWND window) {
  RECT client = {};
  if (!GetClientRect(window, &client)) return false;
  MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return false;
  const RECT& screen = monitor.rcMonitor;
  return client.left <= screen.left && client.top <= screen.top && client.right >= screen.right &&
         client.bottom >= screen.bottom;
}

bool FullScreenProgramInFront() {
  HWND front = GetForegroundWindow();
  // The shell may count the mirror itself, which covers the desktop, as a full-screen program.
  if (front != nullptr && MayCoverTheScreen(front)) return false;
  if (front != nullptr && IsWindowVisible(front) && !IsIconic(front) && CoversItsMonitor(front)) return true;
  return ShellReportsFullScreen();
}
