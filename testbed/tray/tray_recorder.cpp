#include "testbed/tray/tray_recorder.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>

#include "testbed/process/binary_path.h"
#include "testbed/process/find_window.h"
#include "testbed/recorder/pump.h"

namespace testbed {

namespace {

constexpr char TRAY_RECORDER_EXE[] = "trayrec.exe";
constexpr DWORD STOP_GRACE_MS = 3000;

const char* ActionName(uint32_t action) {
  switch (action) {
    case NIM_ADD:
      return "NIM_ADD";
    case NIM_MODIFY:
      return "NIM_MODIFY";
    case NIM_DELETE:
      return "NIM_DELETE";
    case NIM_SETFOCUS:
      return "NIM_SETFOCUS";
    case NIM_SETVERSION:
      return "NIM_SETVERSION";
  }
  return "NIM_?";
}

// A recorder that an earlier test left running (for instance when it crashed) is ended.
void EndLeftoverRecorder(DWORD timeoutMs) {
  HWND leftover = FindTopLevelWindow(TRAY_WINDOW_CLASS, TRAY_RECORDER_TITLE);
  if (leftover == nullptr) return;
  DWORD processId = 0;
  GetWindowThreadProcessId(leftover, &processId);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  PostMessageA(leftover, WM_CLOSE, 0, 0);
  if (process != nullptr) {
    WaitForSingleObject(process, timeoutMs);
    CloseHandle(process);
  }
}

}  // namespace

TrayRecorder::~TrayRecorder() { Stop(); }

bool TrayRecorder::Start(DWORD timeoutMs) {
  Stop();
  EndLeftoverRecorder(timeoutMs);
  if (!process_.Start(BinaryPath(TRAY_RECORDER_EXE))) return false;
  window_ = WaitForWindow(TRAY_WINDOW_CLASS, TRAY_RECORDER_TITLE, timeoutMs, process_.Id());
  // Shell_NotifyIcon takes the first "Shell_TrayWnd" in z-order: it must be ours.
  if (window_ != nullptr && FindWindowExA(nullptr, nullptr, TRAY_WINDOW_CLASS, nullptr) == window_) {
    mapping_ = OpenFileMappingA(FILE_MAP_READ, FALSE, TRAY_LOG_MAPPING);
    mutex_ = OpenMutexA(SYNCHRONIZE, FALSE, TRAY_LOG_MUTEX);
    if (mapping_ != nullptr)
      log_ = static_cast<const TrayLog*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
  }
  if (log_ == nullptr || mutex_ == nullptr || log_->magic != TRAY_LOG_MAGIC) {
    Stop();
    return false;
  }
  return true;
}

void TrayRecorder::Stop() {
  if (log_ != nullptr) UnmapViewOfFile(log_);
  log_ = nullptr;
  if (mapping_ != nullptr) CloseHandle(mapping_);
  mapping_ = nullptr;
  if (mutex_ != nullptr) CloseHandle(mutex_);
  mutex_ = nullptr;
  window_ = nullptr;
  process_.Stop(STOP_GRACE_MS);
}

std::vector<TrayRecord> TrayRecorder::Records() const {
  std::vector<TrayRecord> records;
  if (log_ == nullptr) return records;
  WaitForSingleObject(mutex_, INFINITE);
  const uint32_t kept = std::min(log_->count, TRAY_LOG_CAPACITY);
  records.assign(log_->records, log_->records + kept);
  ReleaseMutex(mutex_);
  return records;
}

size_t TrayRecorder::RecordCount() const {
  if (log_ == nullptr) return 0;
  WaitForSingleObject(mutex_, INFINITE);
  const size_t count = log_->count;
  ReleaseMutex(mutex_);
  return count;
}

bool TrayRecorder::WaitForRecords(size_t count, DWORD timeoutMs) const {
  return WaitUntil([&] { return RecordCount() >= count; }, timeoutMs);
}

void TrayRecorder::Clear() {
  if (window_ != nullptr) SendMessageA(window_, TRAYREC_CLEAR, 0, 0);
}

int TrayRecorder::IconCount() const {
  if (window_ == nullptr) return 0;
  return static_cast<int>(SendMessageA(window_, TRAYREC_ICON_COUNT, 0, 0));
}

bool TrayRecorder::RestartShell() {
  return window_ != nullptr && SendMessageA(window_, TRAYREC_RESTART_SHELL, 0, 0) != 0;
}

std::string Describe(const TrayRecord& record) {
  char text[512];
  snprintf(text, sizeof text,
           "%s id=%u window=0x%llx flags=0x%x message=%u tip=\"%s\" icon=%ux%u/%u #%08x -> %u",
           ActionName(record.action), record.id, static_cast<unsigned long long>(record.window), record.flags,
           record.callbackMessage, record.tip, record.iconWidth, record.iconHeight, record.iconBitsPerPixel,
           record.iconHash, record.result);
  return text;
}

}  // namespace testbed
