// velmo.exe with the real vmh.dll over the stand-in desktop, watched from outside: its memory after
// the start (once the start-up refresh has rebuilt the mirror) and after a refresh over 1,024 items,
// and its CPU time while it sits idle. The CPU time is read on the Linux side by scripts/bench: this
// program prints a "cpu-sample" request and keeps still while the script samples.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "bench/common/bench_table.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "testbed/process/binary_path.h"
#include "testbed/process/child_process.h"
#include "testbed/process/find_window.h"
#include "testbed/standin/standin_client.h"

constexpr int MEMORY_ROUNDS = 3;
constexpr DWORD WINDOW_TIMEOUT_MS = 15000;
// The start-up refresh comes 5 s after the start; this is how long it may take to appear.
constexpr DWORD STARTUP_REFRESH_TIMEOUT_MS = 15000;
constexpr DWORD REFRESH_TIMEOUT_MS = 30000;
constexpr DWORD POLL_MS = 50;
constexpr DWORD SETTLE_MS = 1000;
constexpr int IDLE_SECONDS = 60;
constexpr DWORD IDLE_MARGIN_MS = 3000;  // the script's own start and end of sampling
constexpr int MANY_ITEMS = 1024;
constexpr int GRID_COLUMNS = 40;
constexpr int GRID_WIDTH = 48;
constexpr int GRID_HEIGHT = 40;
constexpr double BYTES_PER_MIB = 1024.0 * 1024.0;

static std::vector<StandinItem> FewItems() {
  return {{STANDIN_PLAIN, 20, 20, STANDIN_OWN_IMAGE, "ごみ箱"},
          {STANDIN_LINK, 20, 110, STANDIN_OWN_IMAGE, "表計算"},
          {STANDIN_FILE, 110, 20, STANDIN_OWN_IMAGE, "見積書.txt"},
          {STANDIN_FILE, 200, 290, STANDIN_OWN_IMAGE, "Report"}};
}

static std::vector<StandinItem> ManyItems() {
  std::vector<StandinItem> items;
  for (int i = 0; i < MANY_ITEMS; ++i)
    items.push_back({STANDIN_FILE, (i % GRID_COLUMNS) * GRID_WIDTH, (i / GRID_COLUMNS) * GRID_HEIGHT,
                     STANDIN_OWN_IMAGE, "項目 " + std::to_string(i) + ".txt"});
  return items;
}

// Waits until the program's mirror is another window than `old` and its list view holds count
// items. Null when it did not come in time.
static HWND WaitForNewMirror(DWORD processId, HWND old, int count, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += POLL_MS) {
    HWND mirror = testbed::FindTopLevelWindow(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE, processId);
    HWND list = mirror != nullptr ? GetWindow(mirror, GW_CHILD) : nullptr;
    if (mirror != old && list != nullptr && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == count)
      return mirror;
    Sleep(POLL_MS);
  }
  return nullptr;
}

struct Memory {
  Samples workingSet, committed;
};

static void AddMemory(HANDLE process, Memory& memory) {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return;
  memory.workingSet.Add(static_cast<double>(counters.WorkingSetSize) / BYTES_PER_MIB);
  memory.committed.Add(static_cast<double>(counters.PagefileUsage) / BYTES_PER_MIB);
}

// Asks scripts/bench for the CPU time of velmo.exe over the next IDLE_SECONDS and keeps still.
static void RequestIdleSample() {
  printf(
      "cpu-sample velmo.exe %d idle_cpu_ms_%ds idle velmo.exe CPU time over %d s after the start-up "
      "refresh\n",
      IDLE_SECONDS, IDLE_SECONDS, IDLE_SECONDS);
  fflush(stdout);
  Sleep(IDLE_SECONDS * 1000 + IDLE_MARGIN_MS);
}

// One run of the program: start, idle (first round only), refresh over many items. False on failure.
static bool RunOnce(Memory& started, Memory& built, bool idle) {
  StandinDesktop few;
  if (!few.Start(FewItems())) return false;
  testbed::ChildProcess velmo;
  if (!velmo.Start(testbed::VelmoPath())) return false;
  HWND main = testbed::WaitForWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, WINDOW_TIMEOUT_MS, velmo.Id());
  HWND first = WaitForNewMirror(velmo.Id(), nullptr, static_cast<int>(FewItems().size()), WINDOW_TIMEOUT_MS);
  HWND refreshed = first != nullptr ? WaitForNewMirror(velmo.Id(), first, static_cast<int>(FewItems().size()),
                                                       STARTUP_REFRESH_TIMEOUT_MS)
                                    : nullptr;
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, velmo.Id());
  bool ok = main != nullptr && refreshed != nullptr && process != nullptr;
  if (ok) {
    Sleep(SETTLE_MS);
    AddMemory(process, started);
    if (idle) RequestIdleSample();
    few.Stop();
    StandinDesktop many;
    ok = many.Start(ManyItems());
    if (ok) {
      PostMessageA(main, WM_COMMAND, IDM_REFRESH, 0);
      ok = WaitForNewMirror(velmo.Id(), refreshed, MANY_ITEMS, REFRESH_TIMEOUT_MS) != nullptr;
    }
    if (ok) {
      Sleep(SETTLE_MS);
      AddMemory(process, built);
    }
    PostMessageA(main, WM_COMMAND, IDM_EXIT, 0);
    velmo.WaitForExit(WINDOW_TIMEOUT_MS);
  }
  if (process != nullptr) CloseHandle(process);
  return ok;
}

int main() {
  Memory started, built;
  bool ok = true;
  for (int round = 0; round < MEMORY_ROUNDS && ok; ++round) ok = RunOnce(started, built, round == 0);
  if (started.workingSet.Empty() || built.workingSet.Empty()) {
    FailedRow("velmo.exe memory", "the program or the stand-in desktop did not come up");
  } else {
    Row("velmo_working_set_start_mib", "velmo.exe working set after start (4 items)", started.workingSet,
        "MiB");
    Row("velmo_committed_start_mib", "velmo.exe committed (PagefileUsage) after start", started.committed,
        "MiB");
    Row("velmo_working_set_1024_mib", "velmo.exe working set after a refresh over 1,024 items",
        built.workingSet, "MiB");
    Row("velmo_committed_1024_mib", "velmo.exe committed (PagefileUsage) after it", built.committed, "MiB");
  }
  PrintFigures();
  return ok ? 0 : 1;
}
