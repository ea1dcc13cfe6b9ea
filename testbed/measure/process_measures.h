// The process's own use of the system, as a long run must leave it: live GDI objects, windows and
// committed memory.
//
// Under Wine PROCESS_MEMORY_COUNTERS_EX.PrivateUsage reads 0; PagefileUsage is the process's
// anonymous resident memory (RssAnon plus swap), so memory counts once it has been written to.
#pragma once

#include <windows.h>

namespace testbed {

struct ProcessMeasures {
  int gdiObjects = 0;    // -1 when they cannot be counted
  int windows = 0;       // top-level windows of this process and all their descendants
  SIZE_T committed = 0;  // bytes, GetProcessMemoryInfo's PagefileUsage
};

ProcessMeasures TakeProcessMeasures();

// Windows of this process: every top-level window it owns and every window beneath one.
int CountProcessWindows();

}  // namespace testbed
