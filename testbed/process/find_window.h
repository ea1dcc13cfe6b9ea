// Waiting for a top-level window to appear or to go, while the test's own messages are pumped.
#pragma once

#include <windows.h>

namespace testbed {

// The first top-level window (visible or not) of the class and title; null class or title
// matches any. With processId non-zero, only that process's windows count.
HWND FindTopLevelWindow(const char* className, const char* title, DWORD processId = 0);

// Waits up to timeoutMs for such a window, pumping messages; null when none came.
HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs, DWORD processId = 0);

// Waits up to timeoutMs until no such window exists; true when it is gone.
bool WaitForWindowGone(const char* className, const char* title, DWORD timeoutMs, DWORD processId = 0);

}  // namespace testbed
