// What the parts of vmh.dll share inside the library.
#pragma once

#include <windows.h>

// The library's own module handle, kept by DllMain: hooks that run in other processes name it.
extern HMODULE VmhModule;

// True for a 32-bit library on 64-bit Windows: its hooks cannot enter the 64-bit shell's process.
bool ShellOutOfReach();

// Removes the hook that carries the user's modifiers to the shell's thread (desktop_input.cpp).
void ReleaseDesktopInput();
