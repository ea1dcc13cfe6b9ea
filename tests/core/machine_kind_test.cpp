// Velmo gives up on Windows on ARM only. Wine runs no ARM64 Windows: the decision is tested on what
// IsWow64Process2 can report.
#include <gtest/gtest.h>

#include "app/machine_kind.h"

TEST(MachineKind, OnlyAnArm64MachineIsRefused) {
  const struct {
    bool nativeMachineKnown;
    USHORT nativeMachine;
    bool supported;
  } cases[] = {{false, IMAGE_FILE_MACHINE_UNKNOWN, true},  // before Windows 10 1511
               {false, IMAGE_FILE_MACHINE_ARM64, true},    // no answer: nothing to go by
               {true, IMAGE_FILE_MACHINE_AMD64, true},
               {true, IMAGE_FILE_MACHINE_I386, true},
               {true, IMAGE_FILE_MACHINE_ARM64, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.supported, MachineIsSupported(c.nativeMachineKnown, c.nativeMachine))
        << c.nativeMachineKnown << " " << std::hex << c.nativeMachine;
  }
  EXPECT_TRUE(RunsOnSupportedMachine());  // Wine on x86-64
}
