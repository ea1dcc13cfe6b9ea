// Long use: show and hide requests in both modes and refreshes, through MainWindow's procedure,
// leave the process's GDI objects, windows and committed memory where they were, and everything
// still works afterwards. Each measure is first seen to catch a leak of one thing per cycle.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "tests/core/velmo_fixture.h"
#include "tests/faults/soak_program.h"

using testbed::ProcessMeasures;

constexpr RECT SOAK_DESKTOP = {0, 0, 400, 300};
constexpr int CYCLES_PER_MODE = 500;
constexpr int REFRESHES = 20;
constexpr int WARM_UP_CYCLES = 20;
constexpr int WARM_UP_REFRESHES = 2;
constexpr int LEAK_PROOF_CYCLES = 20;

constexpr int GDI_TOLERANCE = 2;
constexpr int WINDOW_TOLERANCE = 0;
constexpr SIZE_T MEMORY_TOLERANCE = 64 * 1024;
constexpr double BYTES_PER_KB = 1024.0;
// Committed memory only grows once a leak has used up the freed memory the heap keeps (about
// 100 KB here: 500 blocks of 272 bytes grew it by 36 KB). A leak of this size per cycle outgrows it.
constexpr SIZE_T LEAKED_BLOCK_BYTES = 1024;

struct SoakEnds {
  ProcessMeasures start;
  ProcessMeasures end;
  int gdiGrowth() const { return end.gdiObjects - start.gdiObjects; }
  int windowGrowth() const { return end.windows - start.windows; }
  SIZE_T memoryGrowth() const {
    return end.committed > start.committed ? end.committed - start.committed : 0;
  }
};

static void Print(const char* what, const SoakEnds& ends) {
  printf("%-28s GDI %d -> %d, windows %d -> %d, committed %.0f -> %.0f KB\n", what, ends.start.gdiObjects,
         ends.end.gdiObjects, ends.start.windows, ends.end.windows, ends.start.committed / BYTES_PER_KB,
         ends.end.committed / BYTES_PER_KB);
}

class Soak : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSettings_ = Settings;
    ASSERT_TRUE(StartSoakProgram(SOAK_DESKTOP));
    ASSERT_GE(testbed::TakeProcessMeasures().gdiObjects, 0) << "no way to count GDI objects here";
    // The system keeps some of what it makes on first use.
    RunRefreshes(WARM_UP_REFRESHES);
    RunShowHideCycles(WARM_UP_CYCLES, 1);
    RunShowHideCycles(WARM_UP_CYCLES, 0);
    SettledMeasures();  // the first count of GDI objects has a cost of its own
  }
  void TearDown() override {
    AfterEachSoakCycle = nullptr;
    StopSoakProgram();
    Settings = savedSettings_;
  }
  SettingsRecord savedSettings_ = {};
};

static std::vector<HGDIOBJ> LeakedObjects;
static std::vector<HWND> LeakedWindows;
static std::vector<void*> LeakedBlocks;

static void LeakAGdiObject() { LeakedObjects.push_back(CreateSolidBrush(RGB(1, 2, 3))); }
static void LeakAWindow() {
  LeakedWindows.push_back(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                          GetModuleHandleA(nullptr), nullptr));
}
static void LeakABlock() {
  void* block = HeapAlloc(GetProcessHeap(), 0, LEAKED_BLOCK_BYTES);
  if (block != nullptr) memset(block, 1, LEAKED_BLOCK_BYTES);
  LeakedBlocks.push_back(block);
}

static SoakEnds ShowHideWith(void (*leak)(), int cycles) {
  SoakEnds ends;
  LeakedBlocks.reserve(CYCLES_PER_MODE);
  ends.start = SettledMeasures();
  AfterEachSoakCycle = leak;
  RunShowHideCycles(cycles, 0);
  AfterEachSoakCycle = nullptr;
  ends.end = SettledMeasures();
  return ends;
}

TEST_F(Soak, EachMeasureSeesOneThingLeftBehindPerCycle) {
  SoakEnds memory = ShowHideWith(LeakABlock, CYCLES_PER_MODE);
  SoakEnds gdi = ShowHideWith(LeakAGdiObject, LEAK_PROOF_CYCLES);
  SoakEnds windows = ShowHideWith(LeakAWindow, LEAK_PROOF_CYCLES);
  Print("leaking a block per cycle", memory);
  Print("leaking a brush per cycle", gdi);
  Print("leaking a window per cycle", windows);
  EXPECT_GT(gdi.gdiGrowth(), GDI_TOLERANCE);
  EXPECT_GT(windows.windowGrowth(), WINDOW_TOLERANCE);
  EXPECT_GT(memory.memoryGrowth(), MEMORY_TOLERANCE);
  for (HGDIOBJ object : LeakedObjects) DeleteObject(object);
  for (HWND window : LeakedWindows) DestroyWindow(window);
  for (void* block : LeakedBlocks) HeapFree(GetProcessHeap(), 0, block);
  LeakedObjects.clear();
  LeakedWindows.clear();
  LeakedBlocks.clear();
}

TEST_F(Soak, ShowingHidingAndRefreshingLeaveTheProcessAsTheyFoundIt) {
  SoakEnds ends;
  ends.start = SettledMeasures();
  double moveMs = RunShowHideCycles(CYCLES_PER_MODE, 1);
  double showHideMs = RunShowHideCycles(CYCLES_PER_MODE, 0);
  double refreshMs = RunRefreshes(REFRESHES);
  ends.end = SettledMeasures();
  Print("after the soak", ends);
  printf("per cycle: move mode %.2f ms, show/hide mode %.2f ms, refresh %.2f ms\n", moveMs, showHideMs,
         refreshMs);

  EXPECT_LE(ends.gdiGrowth(), GDI_TOLERANCE);
  EXPECT_LE(ends.windowGrowth(), WINDOW_TOLERANCE);
  EXPECT_LE(ends.memoryGrowth(), MEMORY_TOLERANCE);
  EXPECT_TRUE(MirrorAndTrayStillWork(1)) << "move mode";
  EXPECT_TRUE(MirrorAndTrayStillWork(0)) << "show/hide mode";
}
