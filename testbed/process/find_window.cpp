#include "testbed/process/find_window.h"

#include "testbed/recorder/pump.h"

namespace testbed {

HWND FindTopLevelWindow(const char* className, const char* title, DWORD processId) {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, className, title)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (processId == 0 || owner == processId) return window;
  }
  return nullptr;
}

HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs, DWORD processId) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        found = FindTopLevelWindow(className, title, processId);
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool WaitForWindowGone(const char* className, const char* title, DWORD timeoutMs, DWORD processId) {
  return WaitUntil([&] { return FindTopLevelWindow(className, title, processId) == nullptr; }, timeoutMs);
}

}  // namespace testbed
