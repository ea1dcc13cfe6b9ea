#include "tests/vmh/debug_output_listener.h"

#include <cstring>

constexpr char DBWIN_BUFFER[] = "DBWIN_BUFFER";
constexpr char DBWIN_BUFFER_READY[] = "DBWIN_BUFFER_READY";
constexpr char DBWIN_DATA_READY[] = "DBWIN_DATA_READY";
constexpr DWORD DBWIN_BUFFER_SIZE = 4096;  // a process id, then the NUL-terminated text
constexpr DWORD POLL_MS = 10;

DebugOutputListener::DebugOutputListener() {
  InitializeCriticalSection(&lock_);
  buffer_ =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DBWIN_BUFFER_SIZE, DBWIN_BUFFER);
  bufferReady_ = CreateEventA(nullptr, FALSE, FALSE, DBWIN_BUFFER_READY);
  dataReady_ = CreateEventA(nullptr, FALSE, FALSE, DBWIN_DATA_READY);
  stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (buffer_ == nullptr || bufferReady_ == nullptr || dataReady_ == nullptr || stop_ == nullptr) return;
  view_ = static_cast<const BYTE*>(MapViewOfFile(buffer_, FILE_MAP_READ, 0, 0, DBWIN_BUFFER_SIZE));
  if (view_ != nullptr) thread_ = CreateThread(nullptr, 0, Listen, this, 0, nullptr);
}

DebugOutputListener::~DebugOutputListener() {
  if (thread_ != nullptr) {
    SetEvent(stop_);
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
  }
  if (view_ != nullptr) UnmapViewOfFile(view_);
  for (HANDLE handle : {buffer_, bufferReady_, dataReady_, stop_})
    if (handle != nullptr) CloseHandle(handle);
  DeleteCriticalSection(&lock_);
}

DWORD WINAPI DebugOutputListener::Listen(LPVOID parameter) {
  auto* self = static_cast<DebugOutputListener*>(parameter);
  HANDLE waits[] = {self->dataReady_, self->stop_};
  for (;;) {
    SetEvent(self->bufferReady_);
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) return 0;
    DWORD processId;
    memcpy(&processId, self->view_, sizeof processId);
    const char* text = reinterpret_cast<const char*>(self->view_ + sizeof processId);
    size_t length = strnlen(text, DBWIN_BUFFER_SIZE - sizeof processId);
    if (processId != GetCurrentProcessId()) continue;
    EnterCriticalSection(&self->lock_);
    self->lines_.emplace_back(text, length);
    LeaveCriticalSection(&self->lock_);
  }
}

std::vector<std::string> DebugOutputListener::Lines(size_t count, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += POLL_MS) {
    EnterCriticalSection(&lock_);
    std::vector<std::string> lines = lines_;
    LeaveCriticalSection(&lock_);
    if (lines.size() >= count || waited >= timeoutMs) return lines;
    Sleep(POLL_MS);
  }
}
