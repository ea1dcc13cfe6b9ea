// What the system knows about another program's window beyond its style: whether the window
// manager keeps it out of sight.
#pragma once

#include <windows.h>

// True while the window manager hides the window though it counts as visible: a window on another
// virtual desktop, a suspended store app's frame. False where the system has no such notion (no
// dwmapi.dll, or it does not answer).
bool IsWindowCloaked(HWND window);
