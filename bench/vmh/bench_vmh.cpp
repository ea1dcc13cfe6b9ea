// Figures of vmh.dll: how long GetDeskTopData takes against the stand-in desktop, and what its
// low-level keyboard and mouse hooks add to every input event of the system, compared with the same
// events with no hook at all and with empty hooks.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/common/bench_table.h"
#include "hooklib/vmh.h"
#include "testbed/standin/standin_client.h"

constexpr int FETCH_ROUNDS = 30;
constexpr int INPUT_BLOCKS = 40;  // the hooks take turns, so that a busy machine weighs on all alike
constexpr int EVENTS_PER_BLOCK = 25;
constexpr DWORD TABLE_CAPACITY = 1024;
constexpr int FEW_ITEMS = 100;
constexpr int MANY_ITEMS = 1024;
constexpr int SYSTEM_LIST_ITEMS = 12;     // a dozen desktop items, whose pictures lie in
constexpr int SYSTEM_LIST_IMAGES = 4000;  // a list as large as the shell's system image list
constexpr int SYSTEM_LIST_STRIDE = 331;   // the items' pictures lie spread over the whole list
constexpr WORD BENCH_KEY = VK_F24;        // a key nothing listens to
constexpr LONG MOUSE_STEP = 1;            // the pointer moves one pixel and back
constexpr int GRID_COLUMNS = 40;
constexpr int GRID_WIDTH = 48;
constexpr int GRID_HEIGHT = 40;
constexpr double MICROSECONDS_PER_SECOND = 1e6;
constexpr double MILLISECONDS_PER_SECOND = 1e3;

// count items on a grid; with a stride, item i shows picture i * stride of a larger list.
static std::vector<StandinItem> GridItems(int count, int stride = 0) {
  std::vector<StandinItem> items;
  for (int i = 0; i < count; ++i)
    items.push_back({STANDIN_FILE, (i % GRID_COLUMNS) * GRID_WIDTH, (i / GRID_COLUMNS) * GRID_HEIGHT,
                     stride != 0 ? i * stride : STANDIN_OWN_IMAGE, "項目 " + std::to_string(i) + ".txt"});
  return items;
}

struct FetchFigures {
  bool ok = false;
  Samples first;  // the first call also loads the library into the shell's process
  Samples later;
};

// Milliseconds of GetDeskTopData calls on a desktop of count items, whose image list holds
// imageCount pictures (0: one per item).
static FetchFigures FetchMilliseconds(int count, int imageCount) {
  FetchFigures figures;
  StandinDesktop desktop;
  StandinOptions options;
  options.imageCount = imageCount;
  int stride = imageCount > count ? SYSTEM_LIST_STRIDE : 0;
  if (!desktop.Start(GridItems(count, stride), options)) return figures;
  std::vector<DesktopItem> items(TABLE_CAPACITY);
  for (int round = 0; round <= FETCH_ROUNDS; ++round) {
    HIMAGELIST images = nullptr;
    DWORD got = 0;
    double start = Now();
    GetDeskTopData(&images, &got, items.data(), TABLE_CAPACITY);
    double elapsed = Now() - start;
    if (images != nullptr) ImageList_Destroy(images);
    if (got != static_cast<DWORD>(std::min<int>(count, TABLE_CAPACITY)) || images == nullptr) return figures;
    (round == 0 ? figures.first : figures.later).Add(elapsed * MILLISECONDS_PER_SECOND);
  }
  figures.ok = true;
  return figures;
}

static LRESULT CALLBACK EmptyHook(int code, WPARAM wParam, LPARAM lParam) {
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Empty keyboard and mouse hooks on a thread of their own, as vmh.dll holds its hooks.
static DWORD WINAPI EmptyHookThread(LPVOID ready) {
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  HHOOK keyboard = SetWindowsHookExA(WH_KEYBOARD_LL, EmptyHook, GetModuleHandleA(nullptr), 0);
  HHOOK mouse = SetWindowsHookExA(WH_MOUSE_LL, EmptyHook, GetModuleHandleA(nullptr), 0);
  SetEvent(ready);
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  if (mouse != nullptr) UnhookWindowsHookEx(mouse);
  if (keyboard != nullptr) UnhookWindowsHookEx(keyboard);
  return 0;
}

struct EventSamples {
  Samples key, mouse;
};

// Microseconds of SendInput for single key events and single pointer moves with whatever hooks
// are installed now.
static void TimeEvents(EventSamples& samples) {
  for (int i = 0; i < EVENTS_PER_BLOCK; ++i) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = BENCH_KEY;
    input.ki.dwFlags = i % 2 == 0 ? 0 : KEYEVENTF_KEYUP;
    double start = Now();
    SendInput(1, &input, sizeof input);
    samples.key.Add((Now() - start) * MICROSECONDS_PER_SECOND);
  }
  for (int i = 0; i < EVENTS_PER_BLOCK; ++i) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = i % 2 == 0 ? MOUSE_STEP : -MOUSE_STEP;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;
    double start = Now();
    SendInput(1, &input, sizeof input);
    samples.mouse.Add((Now() - start) * MICROSECONDS_PER_SECOND);
  }
}

static void WithEmptyHooks(EventSamples& samples) {
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, EmptyHookThread, ready, 0, &threadId);
  WaitForSingleObject(ready, INFINITE);
  TimeEvents(samples);
  PostThreadMessageA(threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  CloseHandle(ready);
}

static void WithLibraryHooks(HWND window, EventSamples& samples) {
  SetShortCutKeyCode(VK_CONTROL, VK_F9);
  SetShortCutMouse(1);
  InitDLL(window);
  TimeEvents(samples);
  TermDLL();
}

static void FetchRows(int count, const char* label, int imageCount = 0) {
  FetchFigures fetch = FetchMilliseconds(count, imageCount);
  std::string name = std::string("GetDeskTopData, ") + label;
  if (!fetch.ok) {
    FailedRow(name, "the stand-in desktop or the fetch failed");
    return;
  }
  std::string figure = "vmh_get_desktop_data_" + std::to_string(count);
  if (imageCount != 0) figure += "_of_" + std::to_string(imageCount) + "_images";
  Row(figure + "_ms", name, fetch.later, "ms");
  Row(figure + "_first_ms", name + ", first call", fetch.first, "ms");
}

// The fastest tenth shows the hooks' own work with the least waiting for a busy processor.
constexpr double FAST_SHARE = 0.1;

static void HookRows(const char* event, const Samples& bare, const Samples& empty, const Samples& library) {
  std::string what = std::string("SendInput per ") + event;
  std::string name = std::string("vmh_") + (event[0] == 'k' ? "key" : "mouse");
  Row(name + "_no_hook_us", what + ", no low-level hook", bare, "us");
  Row(name + "_empty_hook_us", what + ", empty low-level hooks", empty, "us");
  Row(name + "_vmh_hook_us", what + ", vmh.dll's hooks", library, "us");
  DerivedRow(name + "_hook_added_us", "  added by vmh.dll's hooks over empty ones (medians)",
             library.Median() - empty.Median(), "us");
  DerivedRow(name + "_hook_added_over_none_us", "  added by vmh.dll's hooks over none (medians)",
             library.Median() - bare.Median(), "us");
  DerivedRow(name + "_hook_added_fast_us", "  added over empty ones, fastest tenth (10th percentiles)",
             library.Quantile(FAST_SHARE) - empty.Quantile(FAST_SHARE), "us");
}

int main() {
  HWND window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  FetchRows(FEW_ITEMS, "100 desktop items");
  FetchRows(MANY_ITEMS, "1,024 desktop items");
  FetchRows(SYSTEM_LIST_ITEMS, "12 items in a list of 4,000 pictures", SYSTEM_LIST_IMAGES);
  EventSamples bare, empty, library;
  for (int block = 0; block < INPUT_BLOCKS; ++block) {
    TimeEvents(bare);
    WithEmptyHooks(empty);
    WithLibraryHooks(window, library);
  }
  DestroyWindow(window);
  HookRows("key event", bare.key, empty.key, library.key);
  HookRows("mouse move", bare.mouse, empty.mouse, library.mouse);
  PrintFigures();
  return 0;
}
