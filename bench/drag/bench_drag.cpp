// velmo.exe with the real vmh.dll over the stand-in desktop, whose items are real files of the
// Desktop folder: the time from the press on an item passing the drag distance to the mirror being
// out of sight (its window region empty) with the drag running, at 10 and 1,024 items. Each drag ends
// over the stand-in desktop, which takes no drops, so nothing is dropped anywhere.
#include <windows.h>
#include <commctrl.h>

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
#include "testbed/process/remote_list_view.h"
#include "testbed/standin/standin_client.h"
#include "testbed/userinput/user_input.h"

constexpr int ROUNDS = 10;
constexpr int ITEM_COUNTS[] = {10, 1024};
constexpr DWORD WINDOW_TIMEOUT_MS = 15000;
constexpr DWORD STARTUP_REFRESH_TIMEOUT_MS = 15000;
constexpr DWORD DRAG_TIMEOUT_MS = 10000;
constexpr DWORD POLL_MS = 20;
constexpr int GRID_COLUMNS = 40;
constexpr int GRID_WIDTH = 48;
constexpr int GRID_HEIGHT = 40;
constexpr int DRAG_STEP = 24;                                   // well past the drag distance
constexpr char DRAG_TRACKER_CLASS[] = "WineDragDropTracker32";  // kept by every drag under Wine

static std::vector<StandinItem> GridOfFiles(int count) {
  std::vector<StandinItem> items;
  for (int i = 0; i < count; ++i)
    items.push_back({STANDIN_FILE, (i % GRID_COLUMNS) * GRID_WIDTH, (i / GRID_COLUMNS) * GRID_HEIGHT,
                     STANDIN_OWN_IMAGE, "項目 " + std::to_string(i) + ".txt"});
  return items;
}

template <typename Condition>
static bool PollUntil(Condition condition, DWORD timeoutMs, DWORD pauseMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(pauseMs);
  }
  return true;
}

// The program's mirror once it is another window than `old` and holds count items.
static HWND WaitForNewMirror(DWORD processId, HWND old, int count, DWORD timeoutMs) {
  HWND found = nullptr;
  PollUntil(
      [&] {
        HWND mirror = testbed::FindTopLevelWindow(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE, processId);
        HWND list = mirror != nullptr ? GetWindow(mirror, GW_CHILD) : nullptr;
        bool built = mirror != old && list != nullptr && SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == count;
        found = built ? mirror : nullptr;
        return built;
      },
      timeoutMs, POLL_MS);
  return found;
}

struct Drag {
  DWORD processId;
  HWND main;
  HWND mirror;
  HWND desktopList;
};

static bool MirrorShown(const Drag& drag) {
  RECT mirror = {}, desktop = {};
  GetWindowRect(drag.mirror, &mirror);
  GetWindowRect(drag.desktopList, &desktop);
  return IsWindowVisible(drag.mirror) && mirror.left == desktop.left && mirror.top == desktop.top;
}

// The list view has handled everything posted to it before (the show's click on the item selected
// last): a hover time posted after it has come. The hover time is put back afterwards.
static bool HandledAllPosted(HWND list) {
  static LPARAM marker = 0;
  ++marker;
  LRESULT hoverTime = SendMessageA(list, LVM_GETHOVERTIME, 0, 0);
  PostMessageA(list, LVM_SETHOVERTIME, 0, marker);
  bool handled =
      PollUntil([&] { return SendMessageA(list, LVM_GETHOVERTIME, 0, 0) == marker; }, WINDOW_TIMEOUT_MS, 0);
  SendMessageA(list, LVM_SETHOVERTIME, 0, hoverTime);
  return handled;
}

static bool RegionEmpty(HWND window) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  int kind = GetWindowRgn(window, region);
  DeleteObject(region);
  return kind == NULLREGION;
}

static HWND DragWindow(const Drag& drag) {
  return testbed::FindTopLevelWindow(DRAG_TRACKER_CLASS, nullptr, drag.processId);
}

// The drag's window exists and holds the mouse: from then on the drag sees the button go up.
static bool DragRuns(const Drag& drag) {
  HWND tracker = DragWindow(drag);
  GUITHREADINFO thread = {};
  thread.cbSize = sizeof thread;
  return tracker != nullptr && GetGUIThreadInfo(GetWindowThreadProcessId(tracker, nullptr), &thread) &&
         thread.hwndCapture == tracker;
}

// One drag of the item at press: milliseconds from the move past the drag distance to the mirror's
// empty region with the drag running; negative when it did not come.
static double TimeOneDrag(const Drag& drag, POINT press) {
  SetCursorPos(press.x, press.y);
  PostMessageA(drag.main, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
  if (!PollUntil([&] { return MirrorShown(drag); }, WINDOW_TIMEOUT_MS, POLL_MS) ||
      !HandledAllPosted(GetWindow(drag.mirror, GW_CHILD)) || !HandledAllPosted(drag.desktopList))
    return -1;
  testbed::SendMouse(MOUSEEVENTF_LEFTDOWN, press);
  double start = Now();
  testbed::SendMouse(0, {press.x + DRAG_STEP, press.y + DRAG_STEP});
  bool running = PollUntil([&] { return RegionEmpty(drag.mirror) && DragRuns(drag); }, DRAG_TIMEOUT_MS, 0);
  double ms = (Now() - start) * 1000;
  testbed::SendMouse(MOUSEEVENTF_LEFTUP, {press.x + DRAG_STEP, press.y + DRAG_STEP});
  bool ended = PollUntil([&] { return DragWindow(drag) == nullptr && !MirrorShown(drag); }, WINDOW_TIMEOUT_MS,
                         POLL_MS);
  return running && ended ? ms : -1;
}

static bool MeasureOn(int count, Samples* samples) {
  StandinDesktop desktop;
  if (!desktop.Start(GridOfFiles(count))) return false;
  testbed::ChildProcess velmo;
  if (!velmo.Start(testbed::VelmoPath())) return false;
  Drag drag = {velmo.Id(), nullptr, nullptr, desktop.ListView()};
  drag.main = testbed::WaitForWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, WINDOW_TIMEOUT_MS, velmo.Id());
  HWND first = WaitForNewMirror(velmo.Id(), nullptr, count, WINDOW_TIMEOUT_MS);
  // The start-up refresh builds the mirror once more a few seconds after the start.
  drag.mirror =
      first != nullptr ? WaitForNewMirror(velmo.Id(), first, count, STARTUP_REFRESH_TIMEOUT_MS) : nullptr;
  bool ok = drag.main != nullptr && drag.mirror != nullptr;
  if (ok) {
    // Two items in turn: two presses on one place within the double-click time make a double click.
    POINT presses[2] = {};
    testbed::RemoteListView list(GetWindow(drag.mirror, GW_CHILD), velmo.Id());
    for (int item = 0; item < 2; ++item) {
      RECT icon = list.IconRect(item);
      presses[item] = {(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
      ClientToScreen(drag.desktopList, &presses[item]);
    }
    for (int round = 0; round < ROUNDS && ok; ++round) {
      double ms = TimeOneDrag(drag, presses[round % 2]);
      ok = ms >= 0;
      if (ok) samples->Add(ms);
    }
    PostMessageA(drag.main, WM_COMMAND, IDM_EXIT, 0);
    velmo.WaitForExit(WINDOW_TIMEOUT_MS);
  }
  return ok;
}

int main() {
  bool allRan = true;
  for (int count : ITEM_COUNTS) {
    std::string label = "drag out: press past the drag distance to mirror gone, drag running (" +
                        std::to_string(count) + " files)";
    Samples samples;
    if (!MeasureOn(count, &samples) || samples.Empty()) {
      FailedRow(label, "the drag did not start or end");
      allRan = false;
      continue;
    }
    Row("drag_start_ms_" + std::to_string(count), label, samples, "ms");
  }
  PrintFigures();
  return allRan ? 0 : 1;
}
