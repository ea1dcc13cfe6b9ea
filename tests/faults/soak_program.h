// The program's own code run for a long time in this process, through MainWindow's procedure as the
// user drives it: show and hide requests in either mode, and refreshes. Used by the soak test and the
// soak benchmark, which judge it by the process's GDI objects, windows and committed memory.
#pragma once

#include <windows.h>

#include "testbed/measure/process_measures.h"

// Builds what the running program has: a test desktop over `desktop` with a few icons served by
// the fake hook library, MainWindow with its tray icon and menu, and a hidden mirror.
bool StartSoakProgram(RECT desktop);
void StopSoakProgram();

// Runs after every cycle when set: a test leaks through it on purpose, to see the measures react.
extern void (*AfterEachSoakCycle)();

// Show and hide requests to MainWindow, `cycles` pairs with the MoveWindow setting given.
// Returns the milliseconds one pair took on average.
double RunShowHideCycles(int cycles, LONG moveWindow);
// IDM_REFRESH to MainWindow `count` times; the milliseconds one took on average.
double RunRefreshes(int count);

// After the run: a show request still shows the mirror over the desktop and lights the tray icon,
// a hide request puts it away and dims the icon.
bool MirrorAndTrayStillWork(LONG moveWindow);

// The three measures taken with every queued message dispatched first.
testbed::ProcessMeasures SettledMeasures();
