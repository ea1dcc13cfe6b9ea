// Where the shell keeps its desktop icons.
#pragma once

#include <windows.h>

// The desktop's "SysListView32": Progman's first child's first child, or, on desktops where that
// chain holds no list view, the one under the top-level "WorkerW" window that hosts
// "SHELLDLL_DefView". Null when there is none.
HWND FindDesktopListView();
