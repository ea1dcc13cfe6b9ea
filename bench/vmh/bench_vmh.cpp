// Figures of vmh.dll: how long GetDeskTopData takes against the stand-in desktop, and what its
// low-level keyboard hook adds to every key event of the system compared with an empty one.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "hooklib/vmh.h"
#include "testbed/standin/standin_client.h"

constexpr int FETCH_ROUNDS = 30;
constexpr int KEY_BLOCKS = 40;  // the hooks take turns, so that a busy machine weighs on both alike
constexpr int KEY_EVENTS_PER_BLOCK = 25;
constexpr DWORD TABLE_CAPACITY = 1024;
constexpr WORD BENCH_KEY = VK_F24;  // a key nothing listens to
constexpr int GRID_COLUMNS = 40;
constexpr int GRID_WIDTH = 48;
constexpr int GRID_HEIGHT = 40;

static double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return value;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The value below which the given share of the samples lie.
static double Quantile(std::vector<double> samples, double share) {
  std::sort(samples.begin(), samples.end());
  return samples.empty() ? 0 : samples[static_cast<size_t>(share * (samples.size() - 1))];
}

static double Median(const std::vector<double>& samples) { return Quantile(samples, 0.5); }

static std::vector<StandinItem> GridItems(int count) {
  std::vector<StandinItem> items;
  for (int i = 0; i < count; ++i)
    items.push_back({STANDIN_FILE, (i % GRID_COLUMNS) * GRID_WIDTH, (i / GRID_COLUMNS) * GRID_HEIGHT,
                     STANDIN_OWN_IMAGE, "項目 " + std::to_string(i) + ".txt"});
  return items;
}

struct FetchFigures {
  double first = -1;   // the first call also loads the library into the shell's process
  double median = -1;  // of the calls after it
};

// Milliseconds of GetDeskTopData calls on a desktop of count items; negative on failure.
static FetchFigures FetchMilliseconds(int count) {
  FetchFigures figures;
  StandinDesktop desktop;
  if (!desktop.Start(GridItems(count))) return figures;
  std::vector<DesktopItem> items(TABLE_CAPACITY);
  std::vector<double> samples;
  for (int round = 0; round <= FETCH_ROUNDS; ++round) {
    HIMAGELIST images = nullptr;
    DWORD got = 0;
    double start = Now();
    GetDeskTopData(&images, &got, items.data(), TABLE_CAPACITY);
    double elapsed = Now() - start;
    if (images != nullptr) ImageList_Destroy(images);
    if (got != static_cast<DWORD>(std::min<int>(count, TABLE_CAPACITY)) || images == nullptr) return figures;
    if (round == 0)
      figures.first = elapsed * 1000;
    else
      samples.push_back(elapsed * 1000);
  }
  figures.median = Median(samples);
  return figures;
}

static LRESULT CALLBACK EmptyKeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

static DWORD WINAPI EmptyHookThread(LPVOID ready) {
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  HHOOK hook = SetWindowsHookExA(WH_KEYBOARD_LL, EmptyKeyboardHook, GetModuleHandleA(nullptr), 0);
  SetEvent(ready);
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  return 0;
}

// Microseconds of SendInput for single key events with whatever hooks are installed now.
static void TimeKeyEvents(std::vector<double>& samples) {
  for (int i = 0; i < KEY_EVENTS_PER_BLOCK; ++i) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = BENCH_KEY;
    input.ki.dwFlags = i % 2 == 0 ? 0 : KEYEVENTF_KEYUP;
    double start = Now();
    SendInput(1, &input, sizeof input);
    samples.push_back((Now() - start) * 1e6);
  }
}

static void WithEmptyHook(std::vector<double>& samples) {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, EmptyHookThread, ready, 0, &threadId);
  WaitForSingleObject(ready, INFINITE);
  TimeKeyEvents(samples);
  PostThreadMessageA(threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CloseHandle(ready);
}

static void WithLibraryHook(HWND window, std::vector<double>& samples) {
  SetShortCutKeyCode(VK_CONTROL, VK_F9);
  SetShortCutMouse(1);
  InitDLL(window);
  TimeKeyEvents(samples);
  TermDLL();
}

static void Row(const char* what, double value, const char* unit) {
  printf("| %-52s | %9.3f %-2s |\n", what, value, unit);
}

int main() {
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  FetchFigures fetch100 = FetchMilliseconds(100);
  FetchFigures fetch1024 = FetchMilliseconds(1024);
  std::vector<double> bareSamples, emptySamples, librarySamples;
  for (int block = 0; block < KEY_BLOCKS; ++block) {
    TimeKeyEvents(bareSamples);
    WithEmptyHook(emptySamples);
    WithLibraryHook(window, librarySamples);
  }
  DestroyWindow(window);
  double bare = Median(bareSamples), empty = Median(emptySamples), library = Median(librarySamples);
  // The fastest tenth shows the hooks' own work with the least waiting for a busy processor.
  double emptyFast = Quantile(emptySamples, 0.1), libraryFast = Quantile(librarySamples, 0.1);

  printf("| %-52s | %12s |\n", "vmh.dll", "median");
  printf("|------------------------------------------------------|--------------|\n");
  Row("GetDeskTopData, 100 desktop items", fetch100.median, "ms");
  Row("GetDeskTopData, 1,024 desktop items", fetch1024.median, "ms");
  Row("GetDeskTopData, 1,024 desktop items, first call", fetch1024.first, "ms");
  Row("SendInput per key event, no low-level hook", bare, "us");
  Row("SendInput per key event, empty low-level hook", empty, "us");
  Row("SendInput per key event, vmh.dll's hooks", library, "us");
  Row("Added cost per key event of vmh.dll's hook", library - empty, "us");
  Row("Same, fastest tenth of the events (10th percentile)", libraryFast - emptyFast, "us");
  printf("figure vmh_get_desktop_data_100_ms %.3f\n", fetch100.median);
  printf("figure vmh_get_desktop_data_1024_ms %.3f\n", fetch1024.median);
  printf("figure vmh_key_hook_added_us %.3f\n", library - empty);
  return fetch100.median < 0 || fetch1024.median < 0 ? 1 : 0;
}
