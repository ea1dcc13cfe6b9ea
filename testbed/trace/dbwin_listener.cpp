#include "testbed/trace/dbwin_listener.h"

#include <cstring>

#include "testbed/recorder/pump.h"

namespace testbed {

namespace {

constexpr DWORD DBWIN_BUFFER_SIZE = 4096;
constexpr char DBWIN_BUFFER_NAME[] = "DBWIN_BUFFER";
constexpr char DBWIN_BUFFER_READY_NAME[] = "DBWIN_BUFFER_READY";
constexpr char DBWIN_DATA_READY_NAME[] = "DBWIN_DATA_READY";

// The buffer's layout: the writer's process id, then the NUL-terminated text.
constexpr size_t DBWIN_TEXT_OFFSET = sizeof(DWORD);
constexpr size_t DBWIN_TEXT_SIZE = DBWIN_BUFFER_SIZE - DBWIN_TEXT_OFFSET;

}  // namespace

DbwinListener::~DbwinListener() { Stop(); }

bool DbwinListener::Start() {
  if (IsRunning()) return true;
  buffer_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DBWIN_BUFFER_SIZE,
                               DBWIN_BUFFER_NAME);
  const bool alreadyThere = GetLastError() == ERROR_ALREADY_EXISTS;
  bufferReady_ = CreateEventA(nullptr, FALSE, FALSE, DBWIN_BUFFER_READY_NAME);
  dataReady_ = CreateEventA(nullptr, FALSE, FALSE, DBWIN_DATA_READY_NAME);
  stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (buffer_ != nullptr && !alreadyThere)
    view_ = static_cast<const char*>(MapViewOfFile(buffer_, FILE_MAP_READ, 0, 0, 0));
  if (alreadyThere || view_ == nullptr || bufferReady_ == nullptr || dataReady_ == nullptr ||
      stop_ == nullptr) {
    CloseObjects();
    return false;
  }
  thread_ = std::thread(&DbwinListener::Listen, this);
  return true;
}

void DbwinListener::Stop() {
  if (thread_.joinable()) {
    SetEvent(stop_);
    thread_.join();
  }
  CloseObjects();
}

void DbwinListener::CloseObjects() {
  if (view_ != nullptr) UnmapViewOfFile(view_);
  view_ = nullptr;
  for (HANDLE* handle : {&buffer_, &bufferReady_, &dataReady_, &stop_}) {
    if (*handle != nullptr) CloseHandle(*handle);
    *handle = nullptr;
  }
}

void DbwinListener::Listen() {
  const HANDLE waits[] = {dataReady_, stop_};
  for (;;) {
    SetEvent(bufferReady_);
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) return;
    DebugLine line;
    memcpy(&line.processId, view_, sizeof line.processId);
    const char* text = view_ + DBWIN_TEXT_OFFSET;
    line.text.assign(text, strnlen(text, DBWIN_TEXT_SIZE));
    std::lock_guard<std::mutex> guard(lock_);
    lines_.push_back(std::move(line));
  }
}

std::vector<DebugLine> DbwinListener::Lines() const {
  std::lock_guard<std::mutex> guard(lock_);
  return lines_;
}

std::vector<std::string> DbwinListener::Texts(DWORD processId) const {
  std::vector<std::string> texts;
  for (const DebugLine& line : Lines()) {
    if (processId == 0 || line.processId == processId) texts.push_back(line.text);
  }
  return texts;
}

std::vector<DebugLine> DbwinListener::Take() {
  std::lock_guard<std::mutex> guard(lock_);
  std::vector<DebugLine> taken;
  taken.swap(lines_);
  return taken;
}

void DbwinListener::Clear() {
  std::lock_guard<std::mutex> guard(lock_);
  lines_.clear();
}

bool DbwinListener::HasLine(const std::string& text, DWORD processId) const {
  std::lock_guard<std::mutex> guard(lock_);
  for (const DebugLine& line : lines_) {
    if (line.text == text && (processId == 0 || line.processId == processId)) return true;
  }
  return false;
}

bool DbwinListener::WaitForLine(const std::string& text, DWORD timeoutMs, DWORD processId) {
  return WaitUntil([&] { return HasLine(text, processId); }, timeoutMs);
}

bool DbwinListener::WaitForLineCount(size_t count, DWORD timeoutMs) {
  return WaitUntil(
      [&] {
        std::lock_guard<std::mutex> guard(lock_);
        return lines_.size() >= count;
      },
      timeoutMs);
}

}  // namespace testbed
