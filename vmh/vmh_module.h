// What the parts of vmh.dll share inside the library.
#pragma once

#include <windows.h>

// The library's own module handle, kept by DllMain: hooks that run in other processes name it.
extern HMODULE VmhModule;

// True for a 32-bit library on 64-bit Windows: its hooks cannot enter the 64-bit shell's process.
bool ShellOutOfReach();

// True when the process of the desktop list view has a hook library of our name loaded that is
// not this image (an older Velmo's, which an update replaced on disk): the system would hand a hook
// of ours the image already loaded under that path, and the shell would run the old code at our
// offsets. Nothing of ours may be hooked into that shell then (shell_library.cpp).
bool ShellHoldsOtherLibrary(HWND listView);

// Removes the hook that carries the user's modifiers to the shell's thread (desktop_input.cpp).
void ReleaseDesktopInput();
