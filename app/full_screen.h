// Whether a program has the whole screen to itself: a game, a full-screen video or browser, a
// presentation. The hotkeys and the right double click keep quiet then, as the shell's
// notifications do; the tray icon and a second start still call the mirror up.
#pragma once

#include <windows.h>

// True while the foreground window is a full-screen program: the shell says that one runs (busy,
// Direct3D full screen, presentation mode), or the window is visible, not cloaked, has neither a
// caption nor a sizing border and covers its monitor with its window rectangle. A window with a
// caption or a sizing border never counts, maximised or not (browsers that draw their own title bar
// cover the whole monitor with their client area when the taskbar hides itself). The desktop, the
// taskbar and Velmo's own windows never count. Called on the program's thread: it asks the shell.
bool FullScreenProgramInFront();
