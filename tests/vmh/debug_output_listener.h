// Catches OutputDebugStringA lines of this process the way a debug viewer does, through the
// DBWIN_BUFFER section and its two events, byte for byte.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class DebugOutputListener {
 public:
  DebugOutputListener();
  DebugOutputListener(const DebugOutputListener&) = delete;
  DebugOutputListener& operator=(const DebugOutputListener&) = delete;
  ~DebugOutputListener();

  bool Listening() const { return thread_ != nullptr; }
  // The lines caught so far, waiting up to timeoutMs for at least count of them.
  std::vector<std::string> Lines(size_t count, DWORD timeoutMs);

 private:
  static DWORD WINAPI Listen(LPVOID self);

  HANDLE buffer_ = nullptr;
  HANDLE bufferReady_ = nullptr;
  HANDLE dataReady_ = nullptr;
  HANDLE stop_ = nullptr;
  HANDLE thread_ = nullptr;
  const BYTE* view_ = nullptr;
  CRITICAL_SECTION lock_;
  std::vector<std::string> lines_;
};
