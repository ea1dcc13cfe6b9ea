// Records the window messages of windows and threads of the test's own process, in the manner of
// Wine's conformance tests: every message with its wParam and lParam and whether it was sent or
// taken from the queue. A window is watched by subclassing it; a thread by a WH_CALLWNDPROC hook
// (sent messages) and a WH_GETMESSAGE hook (messages removed from its queue, which also sees input
// that a modal loop removes without dispatching).
#pragma once

#include <windows.h>

#include <mutex>
#include <vector>

#include "testbed/message_record.h"

namespace testbed {

struct MessageRange {
  UINT first;
  UINT last;
};

// Keyboard and mouse messages, client and non-client.
extern const std::vector<MessageRange> INPUT_MESSAGES;

class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();  // detaches from everything
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  // Records only messages inside one of the ranges; an empty list records every message.
  void SetFilter(std::vector<MessageRange> ranges);

  // Subclasses a window of this process; records what reaches its window procedure. A window can
  // be watched by one recorder at a time.
  bool AttachWindow(HWND window);

  // Hooks a thread of this process. With onlyWindow set, records only that window's messages.
  bool AttachThread(DWORD threadId = GetCurrentThreadId(), HWND onlyWindow = nullptr);

  // Removes every subclass and hook of this recorder.
  void Detach();

  // Messages recorded so far, oldest first; with a window, only that window's.
  std::vector<MessageRecord> Records(HWND window = nullptr) const;

  // Flushes pending messages (FlushMessages), then returns the records and forgets them.
  std::vector<MessageRecord> Take(HWND window = nullptr);

  void Clear();

  // Called by the subclass and hook procedures.
  void Add(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool posted);

 private:
  struct Entry {
    HWND window;
    MessageRecord record;
  };

  bool Wanted(UINT message) const;

  mutable std::mutex lock_;
  std::vector<MessageRange> filter_;
  std::vector<Entry> entries_;
  std::vector<HWND> windows_;
  std::vector<HHOOK> hooks_;
};

}  // namespace testbed
