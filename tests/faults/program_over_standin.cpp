#include <gtest/gtest.h>

#include "tests/faults/program_over_standin.h"

#include "app/app.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "testbed/process/binary_path.h"
#include "testbed/process/find_window.h"
#include "testbed/recorder/pump.h"

void ProgramOverStandin::TearDown() {
  if (velmo_.IsRunning()) {
    PostMessageA(mainWindow_, WM_COMMAND, IDM_EXIT, 0);
    velmo_.Stop();
  }
  desktop_.Stop();
}

bool ProgramOverStandin::Start(const std::vector<StandinItem>& items, const StandinOptions& options,
                               int expectedItems) {
  if (!desktop_.Start(items, options) || !velmo_.Start(testbed::VelmoPath())) return false;
  mainWindow_ =
      testbed::WaitForWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, PROGRAM_START_TIMEOUT_MS, velmo_.Id());
  mirror_ = WaitForMirror(nullptr, expectedItems);
  return mainWindow_ != nullptr && mirror_ != nullptr;
}

void ProgramOverStandin::Command(WPARAM command) { PostMessageA(mainWindow_, WM_COMMAND, command, 0); }

HWND ProgramOverStandin::WaitForMirror(HWND old, int expectedItems, DWORD timeoutMs) {
  HWND found = nullptr;
  testbed::WaitUntil(
      [&] {
        HWND mirror = testbed::FindTopLevelWindow(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE, velmo_.Id());
        HWND list = mirror != nullptr ? ListOf(mirror) : nullptr;
        if (mirror == old || list == nullptr) return false;
        if (expectedItems >= 0 && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) != expectedItems) return false;
        found = mirror;
        return true;
      },
      timeoutMs);
  return found;
}

RECT ProgramOverStandin::Rect(HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  return rect;
}
