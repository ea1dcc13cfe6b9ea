// Long use of the program through MainWindow's procedure, as in the soak test but at full length:
// 10,000 show/hide cycles in each mode and 200 refreshes over a desktop of the screen's size. Prints
// the process's GDI objects, windows and committed memory at each checkpoint, the time per cycle,
// and "figure" lines for the start and end of the run.
#include <windows.h>

#include <cstdio>

#include "settings/settings.h"
#include "tests/faults/soak_program.h"

using testbed::ProcessMeasures;

constexpr int CYCLES_PER_MODE = 10000;
constexpr int REFRESHES = 200;
constexpr int CYCLES_PER_CHECKPOINT = 1000;
constexpr int REFRESHES_PER_CHECKPOINT = 20;
constexpr int WARM_UP_CYCLES = 20;
constexpr int WARM_UP_REFRESHES = 2;
constexpr double BYTES_PER_KB = 1024.0;

static void PrintRow(const char* stage, int done, double msPerCycle, const ProcessMeasures& now) {
  printf("| %-14s | %6d | %9.2f | %5d | %7d | %10.0f |\n", stage, done, msPerCycle, now.gdiObjects,
         now.windows, now.committed / BYTES_PER_KB);
}

// Runs `total` cycles in checkpoints; returns the milliseconds per cycle over the whole stage.
static double RunStage(const char* stage, int total, int perCheckpoint, double (*run)(int, LONG), LONG mode) {
  double sum = 0;
  for (int done = 0; done < total;) {
    double ms = run(perCheckpoint, mode);
    done += perCheckpoint;
    sum += ms * perCheckpoint;
    PrintRow(stage, done, ms, SettledMeasures());
  }
  return total > 0 ? sum / total : 0;
}

static double Refreshes(int count, LONG) { return RunRefreshes(count); }

static void PrintFigure(const char* name, double value, const char* unit) {
  printf("figure %s %.2f %s\n", name, value, unit);
}

static double GrowthPerCycle(const ProcessMeasures& from, const ProcessMeasures& to, int cycles) {
  return (static_cast<double>(to.committed) - static_cast<double>(from.committed)) / cycles;
}

int main() {
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (!StartSoakProgram(screen)) {
    fprintf(stderr, "the program could not be started\n");
    return 1;
  }
  RunShowHideCycles(WARM_UP_CYCLES, 1);
  RunShowHideCycles(WARM_UP_CYCLES, 0);
  RunRefreshes(WARM_UP_REFRESHES);

  printf("soak over a %ldx%ld desktop: %d show/hide cycles per mode, %d refreshes\n", screen.right,
         screen.bottom, CYCLES_PER_MODE, REFRESHES);
  printf("| %-14s | %6s | %9s | %5s | %7s | %10s |\n", "stage", "done", "ms/cycle", "GDI", "windows",
         "committed KB");
  printf("|----------------|--------|-----------|-------|---------|--------------|\n");
  ProcessMeasures start = SettledMeasures();
  PrintRow("start", 0, 0, start);
  double moveMs = RunStage("move mode", CYCLES_PER_MODE, CYCLES_PER_CHECKPOINT, RunShowHideCycles, 1);
  ProcessMeasures afterMove = SettledMeasures();
  double showHideMs =
      RunStage("show/hide mode", CYCLES_PER_MODE, CYCLES_PER_CHECKPOINT, RunShowHideCycles, 0);
  ProcessMeasures afterShowHide = SettledMeasures();
  double refreshMs = RunStage("refresh", REFRESHES, REFRESHES_PER_CHECKPOINT, Refreshes, 0);
  ProcessMeasures end = SettledMeasures();
  bool works = MirrorAndTrayStillWork(1) && MirrorAndTrayStillWork(0);
  printf("afterwards the mirror and the tray icon %s\n", works ? "still work" : "NO LONGER WORK");

  PrintFigure("soak_move_mode_cycle_ms", moveMs, "ms");
  PrintFigure("soak_show_hide_mode_cycle_ms", showHideMs, "ms");
  PrintFigure("soak_refresh_ms", refreshMs, "ms");
  PrintFigure("soak_gdi_objects_start", start.gdiObjects, "objects");
  PrintFigure("soak_gdi_objects_end", end.gdiObjects, "objects");
  PrintFigure("soak_windows_start", start.windows, "windows");
  PrintFigure("soak_windows_end", end.windows, "windows");
  PrintFigure("soak_committed_start_kb", start.committed / BYTES_PER_KB, "KB");
  PrintFigure("soak_committed_end_kb", end.committed / BYTES_PER_KB, "KB");
  PrintFigure("soak_move_mode_growth_per_cycle", GrowthPerCycle(start, afterMove, CYCLES_PER_MODE), "bytes");
  PrintFigure("soak_show_hide_mode_growth_per_cycle",
              GrowthPerCycle(afterMove, afterShowHide, CYCLES_PER_MODE), "bytes");
  PrintFigure("soak_refresh_growth_per_refresh", GrowthPerCycle(afterShowHide, end, REFRESHES), "bytes");
  StopSoakProgram();
  return works ? 0 : 1;
}
