#include "testbed/tray/tray_log_writer.h"

namespace testbed {

namespace {

HANDLE LogMapping = nullptr;
HANDLE LogMutex = nullptr;
TrayLog* Log = nullptr;

class LogLock {
 public:
  LogLock() { WaitForSingleObject(LogMutex, INFINITE); }
  ~LogLock() { ReleaseMutex(LogMutex); }
  LogLock(const LogLock&) = delete;
  LogLock& operator=(const LogLock&) = delete;
};

}  // namespace

bool OpenTrayLog() {
  // A client of an earlier recorder may still hold the mapping: it is then taken over.
  LogMapping =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(TrayLog), TRAY_LOG_MAPPING);
  LogMutex = CreateMutexA(nullptr, FALSE, TRAY_LOG_MUTEX);
  if (LogMapping != nullptr) Log = static_cast<TrayLog*>(MapViewOfFile(LogMapping, FILE_MAP_WRITE, 0, 0, 0));
  if (Log == nullptr || LogMutex == nullptr) {
    CloseTrayLog();
    return false;
  }
  LogLock lock;
  Log->count = 0;
  Log->magic = TRAY_LOG_MAGIC;
  return true;
}

void CloseTrayLog() {
  if (Log != nullptr) UnmapViewOfFile(Log);
  Log = nullptr;
  if (LogMapping != nullptr) CloseHandle(LogMapping);
  LogMapping = nullptr;
  if (LogMutex != nullptr) CloseHandle(LogMutex);
  LogMutex = nullptr;
}

void AppendTrayRecord(TrayRecord* record) {
  LogLock lock;
  record->sequence = Log->count;
  if (Log->count < TRAY_LOG_CAPACITY) Log->records[Log->count] = *record;
  ++Log->count;
}

void ClearTrayLog() {
  LogLock lock;
  Log->count = 0;
}

}  // namespace testbed
