// The triggers that ask the program for its mirror: a key pressed twice, a key pressed once, and a
// right-button double click. The low-level hooks feed single events in; everything here only
// compares and posts.
#pragma once

#include <windows.h>

void SetTriggerWindow(HWND window);
void RefreshDoubleClickMetrics();
void ResetTriggerState();

void OnKeyEvent(DWORD virtualKey, bool down, DWORD time);
void OnRightButtonDown(POINT point, DWORD time);
void OnOtherButtonDown();
void OnMouseBetweenPresses();
