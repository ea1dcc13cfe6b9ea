#include "vmh/fullscreen.h"

#include <cstring>

// Windows that may cover the screen without being a full-screen program.
constexpr const char* COVERING_ALLOWED_CLASSES[] = {"Progman", "WorkerW", "Shell_TrayWnd", "Velmo"};
constexpr int CLASS_NAME_SIZE = 64;

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
  if (front == nullptr || MayCoverTheScreen(front)) return false;
  return IsWindowVisible(front) && !IsIconic(front) && CoversItsMonitor(front);
}
