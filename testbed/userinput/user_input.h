// Input as a user gives it, through SendInput, so that it passes the system's hooks and reaches
// whatever window lies under the point or has the focus.
#pragma once

#include <windows.h>

namespace testbed {

// Moves the mouse to a point of the screen, with the buttons of `flags` (MOUSEEVENTF_...) there.
void SendMouse(DWORD flags, POINT screen);

// Moves to the point, then presses and releases a button there (MOUSEEVENTF_LEFTDOWN, ..._LEFTUP).
void ClickAt(POINT screen, DWORD downFlag, DWORD upFlag);

// Presses a key down, or lets it up.
void SendKey(WORD virtualKey, bool up);

// Presses and releases a key.
void PressKey(WORD virtualKey);

}  // namespace testbed
