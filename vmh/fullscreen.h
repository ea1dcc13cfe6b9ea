// Whether a program has the whole screen to itself: a game, a full-screen video or browser, a
// presentation. The triggers keep quiet then, as the shell does with its notifications.
#pragma once

#include <windows.h>

// True while the foreground window's client area covers its whole monitor and the window is not the
// desktop, the shell's tray or Velmo's own mirror. Asks no other window anything, so it never waits
// on another thread. (The shell's SHQueryUserNotificationState is not asked: called from the hook
// thread under Wine 8 it disturbed the mouse input that followed, and Wine's answer is always
// "accepts notifications".)
bool FullScreenProgramInFront();
