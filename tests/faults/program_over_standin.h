// velmo.exe with the real hook library over the stand-in desktop, watched from outside: the
// pieces the fault tests share.
#pragma once

#include <windows.h>

#include <vector>

#include "testbed/process/child_process.h"
#include "testbed/standin/standin_client.h"
#include "testbed/registry/registry_guard.h"

constexpr DWORD PROGRAM_START_TIMEOUT_MS = 15000;

class ProgramOverStandin : public ::testing::Test {
 protected:
  void TearDown() override;

  // Starts the desktop with the items, then velmo.exe, and waits until its mirror holds
  // `expectedItems` items.
  bool Start(const std::vector<StandinItem>& items, const StandinOptions& options, int expectedItems);
  // Posts a command to MainWindow.
  void Command(WPARAM command);
  // Waits for a mirror other than `old` whose list view holds `expectedItems` items (any number when
  // negative); null when none came in time.
  HWND WaitForMirror(HWND old, int expectedItems, DWORD timeoutMs = PROGRAM_START_TIMEOUT_MS);
  // The list view of a mirror.
  static HWND ListOf(HWND mirror) { return GetWindow(mirror, GW_CHILD); }
  static RECT Rect(HWND window);

  RegistryGuard registry_;
  StandinDesktop desktop_;
  testbed::ChildProcess velmo_;
  HWND mainWindow_ = nullptr;
  HWND mirror_ = nullptr;
};
