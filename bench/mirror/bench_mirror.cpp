// Figures of the mirror, taken with the program's own code and the real vmh.dll over stand-in
// desktops: build, refresh, show and hide, with their parts, and the floor that a show cannot beat.
#include <windows.h>

#include <cstdio>

#include "bench/common/bench_table.h"
#include "bench/mirror/mirror_bench.h"
#include "mirror/mirror.h"
#include "res/resource.h"

struct DesktopCase {
  int width;
  int height;
  int count;
  bool build;      // the build figures are taken on this desktop (the show figures on every one)
  bool bothModes;  // the show figures are taken in both modes
};

constexpr DesktopCase DESKTOPS[] = {
    {1024, 768, 10, false, false},  {1024, 768, 1024, false, false}, {1920, 1080, 10, true, false},
    {1920, 1080, 100, true, false}, {1920, 1080, 300, true, false},  {1920, 1080, 1024, true, true},
};

static bool MeasureOn(const DesktopCase& desktopCase) {
  StandinDesktop desktop;
  StandinOptions options;
  options.width = desktopCase.width;
  options.height = desktopCase.height;
  std::string label = DesktopLabel(desktopCase.width, desktopCase.height, desktopCase.count);
  if (!desktop.Start(GridItems(desktopCase.count, desktopCase.width, desktopCase.height), options)) {
    FailedRow(label, "the stand-in desktop did not start");
    return false;
  }
  Command(IDM_REFRESH, 0);  // looks the new desktop up and builds over it
  if (desktopCase.build) MeasureBuild(desktopCase.width, desktopCase.height, desktopCase.count);
  MeasureShowAndHide(desktopCase.width, desktopCase.height, desktopCase.count, desktopCase.bothModes);
  return true;
}

int main() {
  if (!StartProgramCore()) {
    printf("MainWindow could not be made\n");
    return 1;
  }
  bool allRan = true;
  for (const DesktopCase& desktopCase : DESKTOPS) allRan = MeasureOn(desktopCase) && allRan;
  StopProgramCore();
  PrintFigures();
  return allRan ? 0 : 1;
}
