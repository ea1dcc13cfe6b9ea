#include "testbed/measure/process_measures.h"

#include <psapi.h>

#include "testbed/gdicount/gdi_count.h"

namespace testbed {

static BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

static BOOL CALLBACK CountOwnTopLevel(HWND window, LPARAM count) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(window, CountChild, count);
  return TRUE;
}

int CountProcessWindows() {
  int count = 0;
  EnumWindows(CountOwnTopLevel, reinterpret_cast<LPARAM>(&count));
  return count;
}

ProcessMeasures TakeProcessMeasures() {
  ProcessMeasures measures;
  measures.gdiObjects = CountGdiObjects();
  measures.windows = CountProcessWindows();
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof memory)) {
    measures.committed = memory.PagefileUsage;
  }
  return measures;
}

}  // namespace testbed
