// The program's own code (velmo_core with the real vmh.dll) in this process, over the stand-in
// desktop in another: MainWindow as the program makes it, and the desktops the figures are taken on.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "bench/common/bench_table.h"
#include "testbed/standin/standin_client.h"

// Sets up what start-up sets up before the first build: the instance, the common controls, the
// settings, MainWindow, the AlphaBlend entry point, the tray icon. False when MainWindow failed.
bool StartProgramCore();
void StopProgramCore();

// count items laid out in a grid over a width x height desktop; every eighth is a shortcut, so
// that the overlay has arrows to draw.
std::vector<StandinItem> GridItems(int count, int width, int height);

// Sends a command to MainWindow, as the tray menu and the hook library deliver it.
void Command(WPARAM command, LPARAM request);
// Dispatches what arrives for about `milliseconds`.
void Pump(DWORD milliseconds);

// "1920x1080_1024": the part of a figure's name that says which desktop it was taken on.
std::string DesktopTag(int width, int height, int count);
// "1920x1080, 1,024 items": the same for people.
std::string DesktopLabel(int width, int height, int count);

// Show and hide latency with their parts and the floor, on the desktop that the mirror was last
// built from (width x height with count items); in both modes, or only in the one set.
void MeasureShowAndHide(int width, int height, int count, bool bothModes);
// Paints of a bare list view holding the mirror's items over the mirror's rectangle, in ms.
Samples MeasureBareListViewPaint();
// The text comparisons the list view makes per item while FillMirrorListView fills it again (the
// first item makes none); -1 when they cannot be counted.
double FillComparisonsPerItem();
// CreateMirror and IDM_REFRESH with their parts, on the present desktop of count items.
void MeasureBuild(int width, int height, int count);
