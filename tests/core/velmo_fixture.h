// What every test of the program's own logic starts from: no mirror, no desktop handles, the
// settings as the program defaults them, a fresh fake hook library.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include "app/app.h"
#include "mirror/mirror.h"
#include "settings/settings.h"
#include "tests/core/fake_desktop.h"
#include "tests/core/fake_vmh.h"

// Dispatches what arrives for about `milliseconds`.
void PumpMessages(DWORD milliseconds);
// Destroys the mirror (if any) and clears every process-wide handle and flag.
void ResetVelmoState();

constexpr RECT FAKE_DESKTOP_RECT = {0, 0, 1024, 740};

class VelmoTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Three sample items at known places.
  void ServeSampleItems();
  SettingsRecord savedSettings_ = {};
};
