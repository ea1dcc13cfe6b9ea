// Captures the OutputDebugStringA lines of every process of the session through the DBWIN
// protocol: the listener owns the "DBWIN_BUFFER" mapping (4 KB: the writer's process id, then the
// text) and the events "DBWIN_BUFFER_READY" (set by the listener when the buffer is free) and
// "DBWIN_DATA_READY" (set by the writer when a line is in it). Wine 8's OutputDebugStringA writes
// to a listener found by those names, with the text's exact bytes (Shift-JIS stays Shift-JIS).
//
// Only one listener can exist in a session at a time (the names are the session's): Start fails
// while another one (in this or any other process, a debug viewer included) holds the buffer.
// While a listener is started, every OutputDebugStringA call in the session waits until the
// listener has taken its line (at most 10 s under Wine), so stop it when done.
//
//   DbwinListener listener;  ASSERT_TRUE(listener.Start());
//   RunSomethingThatTraces();
//   EXPECT_TRUE(listener.WaitForLine("==表示へ!==\r\n", 2000));
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testbed {

struct DebugLine {
  DWORD processId;
  std::string text;  // exactly the bytes written, without the terminating NUL
};

class DbwinListener {
 public:
  DbwinListener() = default;
  ~DbwinListener();  // Stop()s
  DbwinListener(const DbwinListener&) = delete;
  DbwinListener& operator=(const DbwinListener&) = delete;

  // Creates the buffer and the events and starts taking lines; false when another listener
  // exists or the objects cannot be made.
  bool Start();
  // Stops taking lines and releases the buffer and the events. Lines already taken are kept.
  void Stop();
  bool IsRunning() const { return thread_.joinable(); }

  // The lines taken so far, oldest first.
  std::vector<DebugLine> Lines() const;
  // The texts only; with processId non-zero only that process's.
  std::vector<std::string> Texts(DWORD processId = 0) const;
  // Returns the lines taken so far and forgets them.
  std::vector<DebugLine> Take();
  void Clear();

  // Waits (pumping this thread's messages) until a line with exactly this text has been taken,
  // from processId or from any process when it is 0; true when it came. The line is kept.
  bool WaitForLine(const std::string& text, DWORD timeoutMs, DWORD processId = 0);
  // Waits until at least count lines have been taken.
  bool WaitForLineCount(size_t count, DWORD timeoutMs);

 private:
  void Listen();
  void CloseObjects();
  bool HasLine(const std::string& text, DWORD processId) const;

  HANDLE buffer_ = nullptr;
  HANDLE bufferReady_ = nullptr;
  HANDLE dataReady_ = nullptr;
  HANDLE stop_ = nullptr;
  const char* view_ = nullptr;
  std::thread thread_;
  mutable std::mutex lock_;
  std::vector<DebugLine> lines_;
};

}  // namespace testbed
