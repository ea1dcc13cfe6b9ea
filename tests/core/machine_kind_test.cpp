// Velmo gives up on Windows on ARM only. Wine runs no ARM64 Windows: the decision is tested on what
// IsWow64Process2 can report.
#include <gtest/gtest.h>

#include "app/machine_kind.h"

TEST(MachineKind, OnlyAnArm64MachineIsRefused) {
  EXPECT_TRUE(MachineIsSupported(false, IMAGE_FILE_MACHINE_UNKNOWN));  // before Windows 10 1511
  EXPECT_TRUE(MachineIsSupported(false, IMAGE_FILE_MACHINE_ARM64));    // no answer: nothing to go by
  EXPECT_TRUE(MachineIsSupported(true, IMAGE_FILE_MACHINE_AMD64));
  EXPECT_TRUE(MachineIsSupported(true, IMAGE_FILE_MACHINE_I386));
  EXPECT_FALSE(MachineIsSupported(true, IMAGE_FILE_MACHINE_ARM64));
  EXPECT_TRUE(RunsOnSupportedMachine());  // Wine on x86-64
}
