// A stand-in for the hook library inside the test process: it records every call in order and
// serves the desktop table that the test gives it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "hooklib/vmh.h"

struct FakeVmhState {
  std::vector<std::string> calls;  // "InitDLL", "SetIsViewVelmo 1", ...
  std::vector<std::string> traces;
  std::vector<DesktopItem> items;  // what GetDeskTopData reports
  int emptyFetches = 0;            // this many fetches yet deliver nothing
  int fetches = 0;
};

extern FakeVmhState FakeVmh;

void ResetFakeVmh();
DesktopItem MakeItem(LONG x, LONG y, const char* name, LONG image);
// The calls whose text starts with the prefix, in order.
std::vector<std::string> CallsStartingWith(const char* prefix);
