#include "testbed/standin/standin_client.h"

#include <cstdio>
#include <cstring>

#include "testbed/process/child_process.h"

constexpr char STANDIN_EXE[] = "standin.exe";
// A desktop of a thousand items takes its time to start on a busy machine.
constexpr DWORD READY_TIMEOUT_MS = 60000;
constexpr DWORD STOP_TIMEOUT_MS = 10000;
constexpr DWORD POLL_MS = 10;
constexpr DWORD STATE_TIMEOUT_MS = 5000;
constexpr int COMMAND_LINE_SIZE = 4096;

static LONG InstanceCounter = 0;

static std::string ExecutableFolder() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  char* slash = strrchr(path, '\\');
  if (slash != nullptr) *slash = '\0';
  return path;
}

StandinDesktop::~StandinDesktop() {
  Stop();
  if (shared_ != nullptr) UnmapViewOfFile(shared_);
  if (section_ != nullptr) CloseHandle(section_);
  RemoveFolders();
}

bool StandinDesktop::MakeFolders(const std::vector<StandinItem>& items) {
  char temp[MAX_PATH];
  DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length >= sizeof temp) return false;
  char name[64];
  snprintf(name, sizeof name, "VelmoStandin.%lu.%ld", GetCurrentProcessId(),
           InterlockedIncrement(&InstanceCounter));
  baseFolder_ = std::string(temp) + name;
  if (!CreateDirectoryA(baseFolder_.c_str(), nullptr)) {
    fprintf(stderr, "stand-in: no folder %s (%lu)\n", baseFolder_.c_str(), GetLastError());
    return false;
  }
  desktopFolder_ = baseFolder_ + "\\Desktop";
  if (options_.commonDesktop) commonFolder_ = baseFolder_ + "\\Common";
  itemsFile_ = baseFolder_ + "\\items.txt";
  return WriteStandinItems(itemsFile_.c_str(), items);
}

static void RemoveFolderFiles(const std::string& folder) {
  if (folder.empty()) return;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        DeleteFileA((folder + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

void StandinDesktop::RemoveFolders() {
  if (baseFolder_.empty()) return;
  RemoveFolderFiles(desktopFolder_);
  RemoveFolderFiles(commonFolder_);
  RemoveFolderFiles(baseFolder_);
  baseFolder_.clear();
}

bool StandinDesktop::Start(const std::vector<StandinItem>& items, const StandinOptions& options) {
  if (section_ != nullptr) return false;  // one desktop per client
  options_ = options;
  if (!MakeFolders(items)) return false;
  char name[64];
  snprintf(name, sizeof name, "Local\\VelmoStandin.%lu.%ld", GetCurrentProcessId(),
           InterlockedIncrement(&InstanceCounter));
  sharedName_ = name;
  section_ =
      CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(StandinShared), name);
  if (section_ == nullptr) return false;
  shared_ = static_cast<StandinShared*>(
      MapViewOfFile(section_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(StandinShared)));
  return shared_ != nullptr && Launch();
}

bool StandinDesktop::Launch() {
  memset(shared_, 0, sizeof *shared_);
  std::string command = "\"" + ExecutableFolder() + "\\" + STANDIN_EXE + "\" \"/items:" + itemsFile_ +
                        "\" \"/folder:" + desktopFolder_ + "\" \"/shared:" + sharedName_ + "\"";
  if (!commonFolder_.empty()) command += " \"/common:" + commonFolder_ + "\"";
  if (options_.width > 0)
    command += " /size:" + std::to_string(options_.width) + "x" + std::to_string(options_.height);
  if (options_.imageCount > 0) command += " /images:" + std::to_string(options_.imageCount);
  if (options_.workerW) command += " /workerw";
  if (options_.innerWorkerW) command += " /innerworkerw";
  if (options_.launch) command += " /launch";
  if (options_.lateSpacingMs > 0) command += " /latespacing:" + std::to_string(options_.lateSpacingMs);
  if (!options_.library.empty()) command += " \"/library:" + options_.library + "\"";
  if (options_.labelFontHeight > 0) command += " /labelfont:" + std::to_string(options_.labelFontHeight);
  char line[COMMAND_LINE_SIZE];
  if (command.size() >= sizeof line) return false;
  strcpy(line, command.c_str());
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!testbed::CreateTestProcess(nullptr, line, false, nullptr, &startup, &process_)) {
    fprintf(stderr, "stand-in: CreateProcess failed (%lu)\n", GetLastError());
    return false;
  }
  for (DWORD waited = 0; waited < READY_TIMEOUT_MS; waited += POLL_MS) {
    if (shared_->state == STANDIN_READY) return true;
    if (shared_->state != STANDIN_STARTING) {
      fprintf(stderr, "stand-in: the desktop could not be made\n");
      return false;
    }
    if (WaitForSingleObject(process_.hProcess, POLL_MS) == WAIT_OBJECT_0) {
      DWORD code = 0;
      GetExitCodeProcess(process_.hProcess, &code);
      fprintf(stderr, "stand-in: ended before it was ready (exit code 0x%lx)\n", code);
      return false;
    }
  }
  fprintf(stderr, "stand-in: not ready in time\n");
  return false;
}

bool StandinDesktop::Running() const {
  return process_.hProcess != nullptr && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

void StandinDesktop::Stop() {
  if (process_.hProcess == nullptr) return;
  HWND progman = Progman();
  if (progman != nullptr) PostMessageA(progman, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, STOP_TIMEOUT_MS) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, STOP_TIMEOUT_MS);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
  process_ = {};
}

bool StandinDesktop::Restart() {
  if (shared_ == nullptr) return false;
  Stop();
  return Launch();
}

std::vector<MessageRecord> StandinDesktop::Messages() const {
  std::vector<MessageRecord> records;
  if (shared_ == nullptr) return records;
  LONG count = shared_->recordCount;
  if (count > static_cast<LONG>(STANDIN_RECORD_CAPACITY)) count = STANDIN_RECORD_CAPACITY;
  records.assign(shared_->records, shared_->records + (count > 0 ? count : 0));
  return records;
}

void StandinDesktop::ClearMessages() {
  if (shared_ != nullptr) InterlockedExchange(&shared_->recordCount, 0);
}

std::vector<uint8_t> StandinDesktop::Held() const {
  size_t count = Messages().size();
  return shared_ != nullptr ? std::vector<uint8_t>(shared_->held, shared_->held + count)
                            : std::vector<uint8_t>();
}

bool StandinDesktop::TakeKeyboardState(BYTE state[STANDIN_KEYBOARD_STATE_SIZE]) const {
  if (shared_ == nullptr) return false;
  LONG taken = shared_->keyboardStates;
  PostMessageA(ListView(), STANDIN_TAKE_KEYBOARD_STATE, 0, 0);
  DWORD start = GetTickCount();
  while (shared_->keyboardStates == taken) {
    if (GetTickCount() - start > STATE_TIMEOUT_MS) return false;
    Sleep(POLL_MS);
  }
  memcpy(state, shared_->keyboardState, STANDIN_KEYBOARD_STATE_SIZE);
  return true;
}

LONG StandinDesktop::OpenedCount() const { return shared_ != nullptr ? shared_->openedCount : 0; }

std::string StandinDesktop::LastOpened() const {
  if (shared_ == nullptr) return std::string();
  char text[STANDIN_OPENED_SIZE];
  memcpy(text, shared_->lastOpened, sizeof text);
  text[sizeof text - 1] = '\0';
  return text;
}
