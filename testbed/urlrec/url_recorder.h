// Test bed: while a UrlRecorder lives, the shell hands http and https addresses and .html files to
// urlrec.exe (built beside the tests), which only writes down what it was asked to open and with
// which show command. No browser starts. The previous handlers come back when it is destroyed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct OpenedTarget {
  int showCommand;  // as the shell passed it in the start-up record; -1 when it passed none
  std::string target;
};

class UrlRecorder {
 public:
  UrlRecorder();
  ~UrlRecorder();
  UrlRecorder(const UrlRecorder&) = delete;
  UrlRecorder& operator=(const UrlRecorder&) = delete;

  // False when the handlers could not be registered.
  bool Installed() const { return installed_; }

  // Takes the files of one more extension (".txt"), as it takes .html; false when it could not.
  bool AlsoOpens(const char* extension);

  // Everything opened so far, oldest first.
  std::vector<OpenedTarget> Opened() const;

  // Waits until at least count targets were opened or the time is up, and returns them all. Each
  // opening starts a new process: on a loaded machine one has been seen unrecorded after 5 s.
  static constexpr DWORD OPEN_TIMEOUT_MS = 15000;
  std::vector<OpenedTarget> WaitForOpened(size_t count, DWORD timeoutMs = OPEN_TIMEOUT_MS) const;

 private:
  struct SavedHandler {
    std::string key;            // under HKEY_CLASSES_ROOT
    std::string createdBranch;  // the first key of the path that did not exist, else empty
    bool hadValue;
    std::string value;  // the key's previous default value
  };

  bool Register(const char* key, const std::string& value);
  void Restore(const SavedHandler& saved);

  std::string log_;
  std::vector<SavedHandler> saved_;
  bool installed_ = false;
};
