#include "testbed/recorder/message_recorder.h"

#include <algorithm>
#include <map>

#include "testbed/recorder/pump.h"

namespace testbed {

const std::vector<MessageRange> INPUT_MESSAGES = {
    {WM_NCMOUSEMOVE, WM_NCXBUTTONDBLCLK},
    {WM_KEYFIRST, WM_KEYLAST},
    {WM_MOUSEFIRST, WM_MOUSELAST},
    {WM_NCMOUSEHOVER, WM_MOUSELEAVE},
};

namespace {

struct Subclass {
  MessageRecorder* recorder;
  WNDPROC previous;
};

// What the hooks of one recorder on one thread report to.
struct ThreadHook {
  MessageRecorder* recorder;
  int kind;  // WH_CALLWNDPROC or WH_GETMESSAGE
  DWORD threadId;
  HWND onlyWindow;       // null: every window of the thread
  bool recordsMessages;  // false: only marks queue messages for the subclasses
};

std::mutex RegistryLock;
std::map<HWND, Subclass> Subclasses;
std::map<HHOOK, ThreadHook> ThreadHooks;

// The last message a thread removed from its queue, so that a subclass can tell a dispatched
// message from a sent one.
thread_local MSG LastRemoved;
thread_local bool LastRemovedPending = false;

bool IsLastRemoved(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return LastRemovedPending && LastRemoved.hwnd == window && LastRemoved.message == message &&
         LastRemoved.wParam == wParam && LastRemoved.lParam == lParam;
}

std::vector<ThreadHook> HooksOfThisThread(int kind) {
  std::vector<ThreadHook> found;
  std::lock_guard<std::mutex> guard(RegistryLock);
  const DWORD thread = GetCurrentThreadId();
  for (const auto& hook : ThreadHooks) {
    if (hook.second.threadId == thread && hook.second.kind == kind) found.push_back(hook.second);
  }
  return found;
}

bool HookWants(const ThreadHook& hook, HWND window) {
  return hook.recordsMessages && (hook.onlyWindow == nullptr || hook.onlyWindow == window);
}

LRESULT CALLBACK RecordingWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Subclass subclass{};
  {
    std::lock_guard<std::mutex> guard(RegistryLock);
    auto found = Subclasses.find(window);
    if (found == Subclasses.end()) return DefWindowProcA(window, message, wParam, lParam);
    subclass = found->second;
    if (message == WM_NCDESTROY) {
      if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&RecordingWndProc)) {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass.previous));
      }
      Subclasses.erase(found);
    }
  }
  const bool posted = IsLastRemoved(window, message, wParam, lParam);
  if (posted) LastRemovedPending = false;
  if (subclass.recorder != nullptr) subclass.recorder->Add(window, message, wParam, lParam, posted);
  return CallWindowProcA(subclass.previous, window, message, wParam, lParam);
}

LRESULT CALLBACK SentMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    for (const ThreadHook& hook : HooksOfThisThread(WH_CALLWNDPROC)) {
      if (HookWants(hook, sent->hwnd)) {
        hook.recorder->Add(sent->hwnd, sent->message, sent->wParam, sent->lParam, false);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK QueueMessageHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    const MSG* taken = reinterpret_cast<const MSG*>(lParam);
    LastRemoved = *taken;
    LastRemovedPending = true;
    for (const ThreadHook& hook : HooksOfThisThread(WH_GETMESSAGE)) {
      if (HookWants(hook, taken->hwnd)) {
        hook.recorder->Add(taken->hwnd, taken->message, taken->wParam, taken->lParam, true);
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

MessageRecorder::MessageRecorder() = default;

MessageRecorder::~MessageRecorder() { Detach(); }

void MessageRecorder::SetFilter(std::vector<MessageRange> ranges) {
  std::lock_guard<std::mutex> guard(lock_);
  filter_ = std::move(ranges);
}

bool MessageRecorder::AttachWindow(HWND window) {
  DWORD processId = 0;
  const DWORD threadId = GetWindowThreadProcessId(window, &processId);
  if (threadId == 0 || processId != GetCurrentProcessId()) return false;
  {
    std::lock_guard<std::mutex> guard(RegistryLock);
    if (Subclasses.count(window) != 0) return false;
    Subclasses[window] = Subclass{this, nullptr};
  }
  const LONG_PTR previous =
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingWndProc));
  {
    std::lock_guard<std::mutex> guard(RegistryLock);
    Subclasses[window].previous = reinterpret_cast<WNDPROC>(previous);
  }
  windows_.push_back(window);
  // A queue hook on the window's thread tells dispatched messages from sent ones.
  HHOOK marker = SetWindowsHookExA(WH_GETMESSAGE, &QueueMessageHook, nullptr, threadId);
  if (marker != nullptr) {
    std::lock_guard<std::mutex> guard(RegistryLock);
    ThreadHooks[marker] = ThreadHook{this, WH_GETMESSAGE, threadId, window, false};
    hooks_.push_back(marker);
  }
  return true;
}

bool MessageRecorder::AttachThread(DWORD threadId, HWND onlyWindow) {
  HHOOK sent = SetWindowsHookExA(WH_CALLWNDPROC, &SentMessageHook, nullptr, threadId);
  HHOOK queued = SetWindowsHookExA(WH_GETMESSAGE, &QueueMessageHook, nullptr, threadId);
  if (sent == nullptr || queued == nullptr) {
    if (sent != nullptr) UnhookWindowsHookEx(sent);
    if (queued != nullptr) UnhookWindowsHookEx(queued);
    return false;
  }
  std::lock_guard<std::mutex> guard(RegistryLock);
  ThreadHooks[sent] = ThreadHook{this, WH_CALLWNDPROC, threadId, onlyWindow, true};
  ThreadHooks[queued] = ThreadHook{this, WH_GETMESSAGE, threadId, onlyWindow, true};
  hooks_.push_back(sent);
  hooks_.push_back(queued);
  return true;
}

void MessageRecorder::Detach() {
  for (HHOOK hook : hooks_) {
    UnhookWindowsHookEx(hook);
    std::lock_guard<std::mutex> guard(RegistryLock);
    ThreadHooks.erase(hook);
  }
  hooks_.clear();
  for (HWND window : windows_) {
    std::lock_guard<std::mutex> guard(RegistryLock);
    auto found = Subclasses.find(window);
    if (found == Subclasses.end() || found->second.recorder != this) continue;  // already destroyed
    if (GetWindowLongPtrA(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&RecordingWndProc)) {
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(found->second.previous));
      Subclasses.erase(found);
    } else {
      // Someone subclassed the window after us: keep passing messages on, record nothing more.
      found->second.recorder = nullptr;
    }
  }
  windows_.clear();
}

bool MessageRecorder::Wanted(UINT message) const {
  if (filter_.empty()) return true;
  return std::any_of(filter_.begin(), filter_.end(), [message](const MessageRange& range) {
    return message >= range.first && message <= range.last;
  });
}

void MessageRecorder::Add(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool posted) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!Wanted(message)) return;
  MessageRecord record{};
  record.message = message;
  record.posted = posted ? 1 : 0;
  record.wParam = static_cast<uint64_t>(wParam);
  record.lParam = static_cast<int64_t>(lParam);
  entries_.push_back(Entry{window, record});
}

std::vector<MessageRecord> MessageRecorder::Records(HWND window) const {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<MessageRecord> records;
  for (const Entry& entry : entries_) {
    if (window == nullptr || entry.window == window) records.push_back(entry.record);
  }
  return records;
}

std::vector<MessageRecord> MessageRecorder::Take(HWND window) {
  FlushMessages();
  std::vector<MessageRecord> records = Records(window);
  Clear();
  return records;
}

void MessageRecorder::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  entries_.clear();
}

}  // namespace testbed
