// What the parts of vmh.dll share inside the library.
#pragma once

#include <windows.h>

// The library's own module handle, kept by DllMain: hooks that run in other processes name it.
extern HMODULE VmhModule;
