// Where the shell keeps its desktop icons. One lookup serves the program and the hook library.
#pragma once

#include <windows.h>

// The shell's "Progman" window, the "SHELLDLL_DefView" that hosts the icons and its "SysListView32".
struct DesktopWindows {
  HWND progman;
  HWND defView;
  HWND listView;
};

// Finds the desktop's icon list view, trying the shell's arrangements in turn:
//  1. Progman's first child and that window's first child, when the latter is a list view;
//  2. the "SHELLDLL_DefView" among Progman's children wherever it stands (Windows 11 24H2 and
//     later put a "WorkerW" child into Progman, often before the view);
//  3. the view under a top-level "WorkerW" of the process that owns Progman (where a wallpaper
//     slideshow or engine moves it; folder windows of other shell processes have views too).
// progman is Progman (or null when there is none); defView and listView are null when no list view
// was found, except that the first arrangement's chain is kept as it came when nothing else matches.
DesktopWindows FindDesktopWindows();

// The list view alone, null when there is none.
HWND FindDesktopListView();
