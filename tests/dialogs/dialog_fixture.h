// The surroundings the dialogs expect: a first start (no stored settings), a hidden owner window
// that opens the dialogs for the tray commands, a stand-in mirror window and the fake hook library.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/dialogs/dialog_driver.h"

extern const char OPTIONS_TITLE[];
extern const char ABOUT_TITLE[];

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens the options dialog for owner_ and lets drive act on it; returns OpenOptionsDialog's result.
  INT_PTR WithOptionsDialog(const std::function<void(HWND dialog)>& drive);
  INT_PTR WithAboutDialog(const std::function<void(HWND dialog)>& drive);

  // Everything the next start of the program would see: the exit's save, then a fresh load.
  static void Restart();

  HWND owner_ = nullptr;
};

// What the hook library was told since the test began.
struct ShortcutKeyCall {
  DWORD doublePressKey;
  DWORD singlePressKey;
};
std::vector<ShortcutKeyCall> ShortcutKeyCalls();
std::vector<DWORD> ShortcutMouseCalls();

int SelectedItem(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
bool IsChecked(HWND dialog, int id);
bool IsEnabled(HWND dialog, int id);
// Waits until the control's text reads text.
bool WaitForText(HWND dialog, int id, const std::string& text);
// The system's name of a key, from its key-down lParam.
std::string KeyName(LPARAM keyData);
