// Whether Velmo can work on this machine. On Windows on ARM the program runs under emulation, but
// the desktop is a native ARM64 process that its hook library cannot enter.
#pragma once

#include <windows.h>

// The decision, from what the system says: whether IsWow64Process2 was there and answered (it is
// missing before Windows 10 1511, where no ARM64 Windows exists), and the native machine it gave.
bool MachineIsSupported(bool nativeMachineKnown, USHORT nativeMachine);

// Asks the system: IsWow64Process2 of this process, looked up at run time.
bool RunsOnSupportedMachine();
