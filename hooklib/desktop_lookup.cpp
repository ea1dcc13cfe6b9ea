#include "hooklib/desktop_lookup.h"

#include <cstring>

constexpr char PROGMAN_CLASS[] = "Progman";
constexpr char PROGMAN_TITLE[] = "Program Manager";
constexpr char WORKERW_CLASS[] = "WorkerW";
constexpr char DEF_VIEW_CLASS[] = "SHELLDLL_DefView";
constexpr char LIST_VIEW_CLASS[] = "SysListView32";
constexpr int CLASS_NAME_SIZE = 64;

static bool IsListView(HWND window) {
  char className[CLASS_NAME_SIZE];
  return window != nullptr && GetClassNameA(window, className, sizeof className) > 0 &&
         strcmp(className, LIST_VIEW_CLASS) == 0;
}

// The view among the host's children, wherever it stands, with its list view; false without one.
static bool FindViewIn(HWND host, DesktopWindows& found) {
  HWND view = FindWindowExA(host, nullptr, DEF_VIEW_CLASS, nullptr);
  HWND list = view != nullptr ? FindWindowExA(view, nullptr, LIST_VIEW_CLASS, nullptr) : nullptr;
  if (list == nullptr) return false;
  found.defView = view;
  found.listView = list;
  return true;
}

// The top-level "WorkerW" windows of the shell's process that host the view.
static bool FindViewUnderWorker(DWORD shellProcess, DesktopWindows& found) {
  HWND worker = nullptr;
  while ((worker = FindWindowExA(nullptr, worker, WORKERW_CLASS, nullptr)) != nullptr) {
    DWORD process = 0;
    GetWindowThreadProcessId(worker, &process);
    if (process == shellProcess && FindViewIn(worker, found)) return true;
  }
  return false;
}

DesktopWindows FindDesktopWindows() {
  DesktopWindows found = {};
  found.progman = FindWindowA(PROGMAN_CLASS, PROGMAN_TITLE);
  if (found.progman == nullptr) return found;
  found.defView = GetWindow(found.progman, GW_CHILD);
  found.listView = GetWindow(found.defView, GW_CHILD);
  if (IsListView(found.listView)) return found;

  DesktopWindows other = found;
  DWORD shellProcess = 0;
  GetWindowThreadProcessId(found.progman, &shellProcess);
  if (FindViewIn(found.progman, other) || FindViewUnderWorker(shellProcess, other)) return other;
  return found;
}

HWND FindDesktopListView() {
  DesktopWindows found = FindDesktopWindows();
  return IsListView(found.listView) ? found.listView : nullptr;
}
