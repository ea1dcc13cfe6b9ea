// What the stand-in desktop tells its client: every input message its list view received, taken
// both where it leaves the queue (a WH_GETMESSAGE hook: the list view's right-button handling
// removes the next button message in a loop of its own without dispatching it) and in the list
// view's subclass (sent messages), and which item a double click opened.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "testbed/standin/standin.h"

constexpr char OPEN_VERB[] = "open";

static HHOOK QueueHook = nullptr;

// The last input message taken from the queue, until the subclass sees it dispatched.
static struct {
  bool pending;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
} Queued = {false, 0, 0, 0};

void RecordListViewMessage(UINT message, WPARAM wParam, LPARAM lParam, bool posted) {
  if (Shared == nullptr) return;
  LONG index = InterlockedIncrement(&Shared->recordCount) - 1;
  if (index < 0 || static_cast<uint32_t>(index) >= STANDIN_RECORD_CAPACITY) return;
  MessageRecord& record = Shared->records[index];
  record.message = message;
  record.posted = posted ? 1 : 0;
  record.wParam = static_cast<uint64_t>(wParam);
  record.lParam = static_cast<int64_t>(lParam);
  bool key = message >= WM_KEYFIRST && message <= WM_KEYLAST;
  Shared->held[index] = static_cast<uint8_t>((key && GetKeyState(VK_CONTROL) < 0 ? STANDIN_HELD_CONTROL : 0) |
                                             (key && GetKeyState(VK_SHIFT) < 0 ? STANDIN_HELD_SHIFT : 0));
}

bool IsQueuedListViewMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Queued.pending || Queued.message != message || Queued.wParam != wParam || Queued.lParam != lParam)
    return false;
  Queued.pending = false;
  return true;
}

static bool IsInputMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_CONTEXTMENU;
}

static LRESULT CALLBACK QueueHookProc(int code, WPARAM wParam, LPARAM lParam) {
  const auto* queued = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && queued->hwnd == ListViewWindow &&
      IsInputMessage(queued->message)) {
    RecordListViewMessage(queued->message, queued->wParam, queued->lParam, true);
    Queued = {true, queued->message, queued->wParam, queued->lParam};
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool StartRecording() {
  QueueHook = SetWindowsHookExA(WH_GETMESSAGE, QueueHookProc, nullptr, GetCurrentThreadId());
  return QueueHook != nullptr;
}

void StopRecording() {
  if (QueueHook != nullptr) UnhookWindowsHookEx(QueueHook);
  QueueHook = nullptr;
}

void RecordOpened(int item) {
  if (item < 0 || static_cast<size_t>(item) >= Items.size()) return;
  if (Shared != nullptr) {
    lstrcpynA(Shared->lastOpened, Items[item].name.c_str(), sizeof Shared->lastOpened);
    InterlockedIncrement(&Shared->openedCount);
  }
  std::string path = ItemFilePath(Items[item]);
  if (Config.launch && !path.empty())
    ShellExecuteA(nullptr, OPEN_VERB, path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
