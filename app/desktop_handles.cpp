// Finding the shell's desktop windows: Progman, its first child and the icon list view beneath it.
// When icons are shown by a WorkerW window instead (the shell moves them there while a desktop
// slideshow or a wallpaper engine runs), the list view is taken from that window.
#include <windows.h>

#include <cstring>

#include "app/app.h"

HWND ProgmanWindow;
HWND DesktopDefView;
HWND DesktopListView;

constexpr char PROGMAN_CLASS[] = "Progman";
constexpr char PROGMAN_TITLE[] = "Program Manager";
constexpr char WORKER_CLASS[] = "WorkerW";
constexpr char DEF_VIEW_CLASS[] = "SHELLDLL_DefView";
constexpr char LIST_VIEW_CLASS[] = "SysListView32";
constexpr int CLASS_NAME_SIZE = 64;

static bool IsListView(HWND window) {
  char className[CLASS_NAME_SIZE] = {};
  if (window == nullptr || GetClassNameA(window, className, sizeof className) == 0) return false;
  return strcmp(className, LIST_VIEW_CLASS) == 0;
}

// The first top-level WorkerW window that hosts a view window with a list view in it.
static BOOL CALLBACK FindWorkerWithIcons(HWND window, LPARAM found) {
  char className[CLASS_NAME_SIZE] = {};
  if (GetClassNameA(window, className, sizeof className) == 0) return TRUE;
  if (strcmp(className, WORKER_CLASS) != 0) return TRUE;
  HWND defView = FindWindowExA(window, nullptr, DEF_VIEW_CLASS, nullptr);
  HWND listView = defView != nullptr ? FindWindowExA(defView, nullptr, LIST_VIEW_CLASS, nullptr) : nullptr;
  if (listView == nullptr) return TRUE;
  HWND* handles = reinterpret_cast<HWND*>(found);
  handles[0] = defView;
  handles[1] = listView;
  return FALSE;
}

void LookUpDesktopHandles() {
  ProgmanWindow = FindWindowA(PROGMAN_CLASS, PROGMAN_TITLE);
  DesktopDefView = GetWindow(ProgmanWindow, GW_CHILD);
  DesktopListView = GetWindow(DesktopDefView, GW_CHILD);
  if (IsListView(DesktopListView)) return;

  HWND found[2] = {nullptr, nullptr};
  EnumWindows(FindWorkerWithIcons, reinterpret_cast<LPARAM>(found));
  if (found[1] == nullptr) return;
  DesktopDefView = found[0];
  DesktopListView = found[1];
}
