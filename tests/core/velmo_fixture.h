// What every test of the program's own logic starts from: no mirror, no desktop handles, the
// settings as the program defaults them, a fresh fake hook library.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "mirror/mirror.h"
#include "settings/settings.h"
#include "testbed/fakevmh/fake_vmh.h"
#include "tests/core/fake_desktop.h"

using testbed::FakeVmh;
using testbed::MakeDesktopItem;

// Dispatches what arrives for about `milliseconds`.
void PumpMessages(DWORD milliseconds);
// Destroys the mirror (if any) and clears every process-wide handle and flag.
void ResetVelmoState();

// The fake library's calls as text: "InitDLL", "SetShortCutKeyCode 29 0", "SetIsViewVelmo 1", ...
// (Dprint left out).
std::vector<std::string> VmhCallTexts();
std::vector<std::string> CallsStartingWith(const char* prefix);
size_t FetchCount();
// An image list with one picture per item, kept for the whole test program.
HIMAGELIST SampleImages();
// Every fetch answers these items.
void ServeItems(const std::vector<DesktopItem>& items);
// The first `emptyFetches` fetches answer an image list without items, then the items come.
void ServeItemsAfterEmptyFetches(const std::vector<DesktopItem>& items, int emptyFetches);

constexpr RECT FAKE_DESKTOP_RECT = {0, 0, 1024, 740};

class VelmoTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Three sample items at known places: (20, 10), (20, 110), (120, 10).
  std::vector<DesktopItem> SampleItems() const;
  void ServeSampleItems() { ServeItems(SampleItems()); }
  SettingsRecord savedSettings_ = {};
};
