// Starting and watching the stand-in desktop from a test: it runs standin.exe (next to the test's
// executable) with the given items in fresh folders, waits until the items stand at their places,
// and reads back what the desktop recorded. The destructor stops it and removes its folders.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "testbed/message_record.h"
#include "testbed/standin/standin_items.h"
#include "testbed/standin/standin_shared.h"

struct StandinOptions {
  int width = 0;  // 0: the screen's size
  int height = 0;
  int imageCount = 0;          // pictures in the image list, when more than one per item
  bool workerW = false;        // the view under a top-level "WorkerW" instead of under Progman
  bool innerWorkerW = false;   // Progman holds a "WorkerW" child before the view (Windows 11 24H2)
  bool commonDesktop = false;  // a common desktop folder too ("Common Desktop" under HKLM)
  bool launch = false;         // a double click really opens the item's file
  int lateSpacingMs = 0;       // the spacing messages, sent from another process, answered this late
  std::string library;         // a library (path) that the desktop's process loads at start and keeps
  int labelFontHeight = 0;     // the labels' font this many pixels high; 0: the list view's own
};

class StandinDesktop {
 public:
  StandinDesktop() = default;
  StandinDesktop(const StandinDesktop&) = delete;
  StandinDesktop& operator=(const StandinDesktop&) = delete;
  ~StandinDesktop();

  // Starts the desktop and waits (up to 60 s) until it is ready. False when it failed or is late.
  bool Start(const std::vector<StandinItem>& items, const StandinOptions& options = StandinOptions());
  // Ends the desktop's process, as when the shell ends, keeping its folders.
  void Stop();
  // A shell restart: the process ends and a new one shows the same items.
  bool Restart();

  bool Running() const;
  HWND Progman() const { return Handle(shared_ != nullptr ? shared_->progman : 0); }
  HWND WorkerW() const { return Handle(shared_ != nullptr ? shared_->workerW : 0); }
  HWND DefView() const { return Handle(shared_ != nullptr ? shared_->defView : 0); }
  HWND ListView() const { return Handle(shared_ != nullptr ? shared_->listView : 0); }
  DWORD ProcessId() const { return process_.dwProcessId; }
  const std::string& DesktopFolder() const { return desktopFolder_; }
  const std::string& CommonFolder() const { return commonFolder_; }

  // Input messages (and icon spacing changes) the list view received, in order, and forgetting them.
  std::vector<MessageRecord> Messages() const;
  void ClearMessages();
  // How many items a double click (or Enter) opened, and the text of the last one.
  LONG OpenedCount() const;
  // For each message of Messages(): the Ctrl and Shift its thread read for a key (STANDIN_HELD_...).
  std::vector<uint8_t> Held() const;
  // The list view thread's whole keyboard state, taken after everything posted to the list view
  // before has been handled. False when it did not come in time.
  bool TakeKeyboardState(BYTE state[STANDIN_KEYBOARD_STATE_SIZE]) const;
  std::string LastOpened() const;

 private:
  static HWND Handle(uint64_t value) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(value)); }
  bool MakeFolders(const std::vector<StandinItem>& items);
  bool Launch();
  void RemoveFolders();

  StandinOptions options_;
  std::string baseFolder_;
  std::string desktopFolder_;
  std::string commonFolder_;
  std::string itemsFile_;
  std::string sharedName_;
  HANDLE section_ = nullptr;
  StandinShared* shared_ = nullptr;
  PROCESS_INFORMATION process_ = {};
};
