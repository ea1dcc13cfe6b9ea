// A Windows program started by a test, ended by the test again on every path.
#pragma once

#include <windows.h>

#include <string>

namespace testbed {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess();  // Stop()s a process that still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Starts path with the given arguments (the command line is "path" arguments). The working
  // directory is the program's folder. With an inheritable output handle, the program's standard
  // output goes there.
  bool Start(const std::string& path, const std::string& arguments = std::string(), HANDLE output = nullptr);

  // Asks the program to end (WM_CLOSE to each of its top-level windows), waits up to
  // graceMs, then terminates it. Returns true when it ended by itself.
  bool Stop(DWORD graceMs = 5000);

  // Waits for the process to end by itself; true when it has.
  bool WaitForExit(DWORD timeoutMs);

  bool IsRunning() const;
  DWORD ExitCode() const;  // STILL_ACTIVE while running
  DWORD Id() const { return info_.dwProcessId; }
  HANDLE Handle() const { return info_.hProcess; }

 private:
  void Close();

  PROCESS_INFORMATION info_{};
};

// CreateProcessA, with one more try when Wine reports ERROR_INTERNAL_ERROR: the new process's Unix
// side died before Windows code ran in it (twice in about 3,000 starts of the test programs under
// load), which says nothing of the program the test starts. The second try is reported on stderr.
bool CreateTestProcess(const char* application, char* commandLine, bool inheritHandles, const char* directory,
                       STARTUPINFOA* startup, PROCESS_INFORMATION* process);

// Posts WM_CLOSE to every top-level window of the process.
void CloseWindowsOf(DWORD processId);

// True when the process has loaded a module whose path is path (compared without case).
bool ProcessHasModule(DWORD processId, const std::string& path);

}  // namespace testbed
