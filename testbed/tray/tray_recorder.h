// The test's side of the tray recorder: starts trayrec.exe (beside the test in bin/), reads what it
// recorded, clears it, makes it play a restarted shell, and stops it.
//
//   TrayRecorder tray;  ASSERT_TRUE(tray.Start());
//   StartTheProgram();  ASSERT_TRUE(tray.WaitForRecords(1, 5000));
//   EXPECT_EQ(NIM_ADD, tray.Records()[0].action);
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "testbed/process/child_process.h"
#include "testbed/tray/tray_decode.h"
#include "testbed/tray/tray_record.h"

namespace testbed {

class TrayRecorder {
 public:
  TrayRecorder() = default;
  ~TrayRecorder();  // Stop()s
  TrayRecorder(const TrayRecorder&) = delete;
  TrayRecorder& operator=(const TrayRecorder&) = delete;

  // Starts the recorder and waits until Shell_NotifyIcon would reach it; false (with the
  // recorder stopped) when it does not come up within timeoutMs or is not the tray that
  // Shell_NotifyIcon finds. A recorder still running from elsewhere is ended first.
  bool Start(DWORD timeoutMs = 5000);
  // Ends the recorder (its icons vanish with it, as with an ended shell).
  void Stop();

  HWND Window() const { return window_; }

  // The calls recorded so far, oldest first; RecordCount also counts those past the log's capacity.
  std::vector<TrayRecord> Records() const;
  size_t RecordCount() const;
  // Waits (pumping messages) until at least count calls have been recorded.
  bool WaitForRecords(size_t count, DWORD timeoutMs) const;
  void Clear();

  // The number of icons the recorder shows now.
  int IconCount() const;

  // Behaves as a freshly started shell: forgets every icon and broadcasts "TaskbarCreated" to
  // every top-level window (without waiting for them to answer).
  bool RestartShell();

 private:
  ChildProcess process_;
  HWND window_ = nullptr;
  HANDLE mapping_ = nullptr;
  HANDLE mutex_ = nullptr;
  const TrayLog* log_ = nullptr;
};

// "NIM_ADD id=104 window=0x1234 flags=0x7 message=1034 tip="Velmo" icon=32x32/32 #1a2b3c4d -> 1".
std::string Describe(const TrayRecord& record);

}  // namespace testbed
