// How long the mirror takes to build, to show and to hide over a full-screen desktop with many
// icons, in both modes. Prints a table and one "figure" line per measure.
#include <windows.h>

#include <cstdio>

#include "tests/core/velmo_fixture.h"

constexpr int ICON_COUNT = 200;
constexpr int ROUNDS = 20;

static double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Operation>
static double Time(Operation operation) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  operation();
  QueryPerformanceCounter(&end);
  return Milliseconds(start, end);
}

static void Report(const char* name, double milliseconds) {
  printf("%-34s %9.2f ms\n", name, milliseconds);
  printf("figure %s %.2f ms\n", name, milliseconds);
}

static void MeasureMode(LONG moveWindow, const char* buildName, const char* showName, const char* hideName) {
  Settings.MoveWindow = moveWindow;
  Settings.TopMost = 1;
  double build = Time([] { CreateMirror(nullptr); });
  double show = 0, hide = 0;
  for (int i = 0; i < ROUNDS; ++i) {
    show += Time([] { ShowMirror(); });
    PumpMessages(20);
    hide += Time([] { HideMirror(); });
    PumpMessages(20);
  }
  Report(buildName, build);
  Report(showName, show / ROUNDS);
  Report(hideName, hide / ROUNDS);
  DestroyWindow(MirrorWindow);
  PumpMessages(20);
}

int main() {
  AppInstance = GetModuleHandleA(nullptr);
  AlphaBlendProc = reinterpret_cast<AlphaBlendFunction>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("MSIMG32.DLL"), "AlphaBlend")));
  RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  FakeDesktop desktop(screen);
  std::vector<DesktopItem> items;
  for (int i = 0; i < ICON_COUNT; ++i) {
    char name[32];
    snprintf(name, sizeof name, "項目 %d", i);
    items.push_back(MakeDesktopItem(20 + (i / 10) * 90, 10 + (i % 10) * 90, name, 0));
  }
  ServeItems(items);
  printf("mirror over %ldx%ld with %d icons, %d show/hide rounds\n", screen.right, screen.bottom, ICON_COUNT,
         ROUNDS);
  MeasureMode(1, "build_move_mode", "show_move_mode", "hide_move_mode");
  MeasureMode(0, "build_show_hide_mode", "show_show_hide_mode", "hide_show_hide_mode");
  return 0;
}
