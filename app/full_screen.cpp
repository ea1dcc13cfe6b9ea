#include "app/full_screen.h"

#include <shellapi.h>

#include <cstring>

#include "app/app.h"
#include "app/window_state.h"
#include "mirror/mirror.h"

// The shell's own windows, which may cover the screen without being a full-screen program.
constexpr const char* SHELL_WINDOW_CLASSES[] = {"Progman", "WorkerW", "Shell_TrayWnd",
                                                "Shell_SecondaryTrayWnd"};
constexpr int CLASS_NAME_SIZE = 64;

typedef HRESULT(WINAPI* NotificationStateFunction)(QUERY_USER_NOTIFICATION_STATE*);

static bool IsShellWindow(HWND window) {
  if (window == GetDesktopWindow() || window == GetShellWindow()) return true;
  char className[CLASS_NAME_SIZE] = "";
  if (GetClassNameA(window, className, sizeof className) == 0) return false;
  for (const char* shellClass : SHELL_WINDOW_CLASSES) {
    if (strcmp(className, shellClass) == 0) return true;
  }
  return false;
}

// The mirror, MainWindow and whatever they own (the options and About dialogs).
static bool IsVelmoWindow(HWND window) {
  return window == MirrorWindow || window == MainWindow ||
         (MainWindow != nullptr && GetAncestor(window, GA_ROOTOWNER) == MainWindow);
}

// The call exists from Vista on and is looked up, so that older systems still start.
static bool ShellReportsFullScreen() {
  static const auto query = reinterpret_cast<NotificationStateFunction>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("shell32.dll"), "SHQueryUserNotificationState")));
  QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
  if (query == nullptr || FAILED(query(&state))) return false;
  return state == QUNS_BUSY || state == QUNS_RUNNING_D3D_FULL_SCREEN || state == QUNS_PRESENTATION_MODE;
}

static bool HasCaptionOrSizingBorder(HWND window) {
  LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
  return (style & WS_CAPTION) == WS_CAPTION || (style & WS_THICKFRAME) != 0;
}

static bool CoversItsMonitor(HWND window) {
  RECT place = {};
  if (!GetWindowRect(window, &place)) return false;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) return false;
  const RECT& screen = monitor.rcMonitor;
  return place.left <= screen.left && place.top <= screen.top && place.right >= screen.right &&
         place.bottom >= screen.bottom;
}

bool FullScreenProgramInFront() {
  HWND front = GetForegroundWindow();
  if (front == nullptr || IsShellWindow(front) || IsVelmoWindow(front)) return false;
  if (ShellReportsFullScreen()) return true;
  return IsWindowVisible(front) && !IsIconic(front) && !IsWindowCloaked(front) &&
         !HasCaptionOrSizingBorder(front) && CoversItsMonitor(front);
}
