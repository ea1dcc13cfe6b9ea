#include "app/machine_kind.h"

using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE process, USHORT* processMachine, USHORT* nativeMachine);

bool MachineIsSupported(bool nativeMachineKnown, USHORT nativeMachine) {
  return !nativeMachineKnown || nativeMachine != IMAGE_FILE_MACHINE_ARM64;
}

bool RunsOnSupportedMachine() {
  HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  auto isWow64Process2 = reinterpret_cast<IsWow64Process2Function>(
      reinterpret_cast<void*>(GetProcAddress(kernel32, "IsWow64Process2")));
  USHORT processMachine = IMAGE_FILE_MACHINE_UNKNOWN;
  USHORT nativeMachine = IMAGE_FILE_MACHINE_UNKNOWN;
  const bool known =
      isWow64Process2 != nullptr && isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine);
  return MachineIsSupported(known, nativeMachine);
}
