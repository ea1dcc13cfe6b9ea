// Entry point of vmh.dll. Loading runs in the program's process and, through the desktop reader's
// hook, in the shell's process too, so nothing starts here.
#include "vmh/vmh_module.h"

HMODULE VmhModule = nullptr;

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    VmhModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}
