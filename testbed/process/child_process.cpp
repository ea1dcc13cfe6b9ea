#include "testbed/process/child_process.h"

#include <tlhelp32.h>

#include <cstdio>
#include <vector>

#include "testbed/process/binary_path.h"

namespace testbed {

namespace {

struct WindowSearch {
  DWORD processId;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM lParam) {
  WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == search->processId) search->windows.push_back(window);
  return TRUE;
}

}  // namespace

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Start(const std::string& path, const std::string& arguments, HANDLE output) {
  Stop();
  std::string commandLine = "\"" + path + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  std::string directory = path.substr(0, path.find_last_of("\\/") + 1);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (output != nullptr) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
  }
  return CreateTestProcess(path.c_str(), buffer.data(), output != nullptr,
                           directory.empty() ? nullptr : directory.c_str(), &startup, &info_);
}

bool CreateTestProcess(const char* application, char* commandLine, bool inheritHandles, const char* directory,
                       STARTUPINFOA* startup, PROCESS_INFORMATION* process) {
  auto create = [&] {
    return CreateProcessA(application, commandLine, nullptr, nullptr, inheritHandles, 0, nullptr, directory,
                          startup, process) != FALSE;
  };
  if (create()) return true;
  if (GetLastError() != ERROR_INTERNAL_ERROR) return false;
  fprintf(stderr, "%s did not start (ERROR_INTERNAL_ERROR): starting it once more\n", commandLine);
  return create();
}

bool ChildProcess::Stop(DWORD graceMs) {
  if (info_.hProcess == nullptr) return true;
  bool endedByItself = true;
  if (IsRunning()) {
    CloseWindowsOf(info_.dwProcessId);
    endedByItself = WaitForExit(graceMs);
    if (!endedByItself) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, graceMs);
    }
  }
  Close();
  return endedByItself;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) {
  if (info_.hProcess == nullptr) return true;
  return WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::IsRunning() const {
  return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

DWORD ChildProcess::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (info_.hProcess != nullptr) GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void ChildProcess::Close() {
  if (info_.hThread != nullptr) CloseHandle(info_.hThread);
  if (info_.hProcess != nullptr) CloseHandle(info_.hProcess);
  info_ = PROCESS_INFORMATION{};
}

void CloseWindowsOf(DWORD processId) {
  WindowSearch search{processId, {}};
  EnumWindows(&CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  for (HWND window : search.windows) PostMessageA(window, WM_CLOSE, 0, 0);
}

bool ProcessHasModule(DWORD processId, const std::string& path) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  MODULEENTRY32 module = {};
  module.dwSize = sizeof module;
  bool found = false;
  for (BOOL more = Module32First(snapshot, &module); more && !found; more = Module32Next(snapshot, &module))
    found = lstrcmpiA(module.szExePath, path.c_str()) == 0;
  CloseHandle(snapshot);
  return found;
}

}  // namespace testbed
