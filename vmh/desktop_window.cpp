#include "vmh/desktop_window.h"

#include <cstring>

constexpr char PROGMAN_CLASS[] = "Progman";
constexpr char PROGMAN_TITLE[] = "Program Manager";
constexpr char WORKERW_CLASS[] = "WorkerW";
constexpr char DEFVIEW_CLASS[] = "SHELLDLL_DefView";
constexpr char LIST_VIEW_CLASS[] = "SysListView32";
constexpr int CLASS_NAME_SIZE = 64;

static bool IsListView(HWND window) {
  char className[CLASS_NAME_SIZE];
  return window != nullptr && GetClassNameA(window, className, sizeof className) > 0 &&
         strcmp(className, LIST_VIEW_CLASS) == 0;
}

static HWND ListViewOfProgman() {
  HWND progman = FindWindowA(PROGMAN_CLASS, PROGMAN_TITLE);
  HWND view = progman != nullptr ? GetWindow(progman, GW_CHILD) : nullptr;
  HWND list = view != nullptr ? GetWindow(view, GW_CHILD) : nullptr;
  return IsListView(list) ? list : nullptr;
}

static HWND ListViewOfWorkerW() {
  HWND worker = nullptr;
  while ((worker = FindWindowExA(nullptr, worker, WORKERW_CLASS, nullptr)) != nullptr) {
    HWND view = FindWindowExA(worker, nullptr, DEFVIEW_CLASS, nullptr);
    HWND list = view != nullptr ? FindWindowExA(view, nullptr, LIST_VIEW_CLASS, nullptr) : nullptr;
    if (list != nullptr) return list;
  }
  return nullptr;
}

HWND FindDesktopListView() {
  HWND list = ListViewOfProgman();
  return list != nullptr ? list : ListViewOfWorkerW();
}
