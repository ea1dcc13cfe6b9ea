// A mirror list view under test with everything around it: a stand-in for the shell's desktop list
// view and Progman window on a thread of their own that record every message they receive, a main
// window that records the hide requests, trace lines caught from Dprint, and user input made with
// SendInput.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testbed/message_record.h"

// Where the test puts the mirror on the screen, and its icons inside it.
constexpr int MIRROR_LEFT = 0;
constexpr int MIRROR_TOP = 0;
constexpr int MIRROR_WIDTH = 800;
constexpr int MIRROR_HEIGHT = 600;
constexpr int ICON_SIZE = 32;
constexpr POINT ICON_POSITIONS[] = {{312, 104}, {520, 250}, {136, 388}};
constexpr POINT EMPTY_SPOT = {700, 520};
constexpr COLORREF SNAPSHOT_COLOUR = RGB(40, 80, 120);

// lParam of a mouse message at a point of the list view's client area.
inline LPARAM PointLParam(POINT p) { return MAKELPARAM(p.x, p.y); }
inline POINT OnIcon(int item) { return {ICON_POSITIONS[item].x + 10, ICON_POSITIONS[item].y + 10}; }

// The hide request as MainWindow sees it.
struct HideRequest {
  bool sent;                     // true: sent, false: posted
  size_t desktopMessagesBefore;  // what the desktop had received by then (measured after a pause)
  bool desktopHung;              // the desktop's thread was suspended when it arrived
};

// Set while the desktop's thread is kept from taking messages.
extern volatile bool DesktopSuspended;
// Keeps the desktop's thread from taking messages: it sets `entered`, then waits for `release`.
void HangDesktop(HANDLE entered, HANDLE release);

class MirrorInputTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs this thread's message loop for the given time (once through what is waiting, with 0).
  void Pump(DWORD milliseconds);
  // Handles everything waiting for this thread, then waits until the desktop has received what
  // this thread posted it.
  void Settle();
  // Pumps until the desktop has received at least `count` messages of the kind, then Settle()s.
  void WaitForDesktop(UINT message, size_t count);

  std::vector<MessageRecord> DesktopMessages(UINT first, UINT last) const;
  std::vector<MessageRecord> DesktopMessages(UINT message) const { return DesktopMessages(message, message); }
  std::vector<HideRequest> HideRequests() const;
  std::vector<std::string> TraceLines() const;
  void ClearRecords();

  int ListIndex(int record) const;  // the copy's item made from the record
  bool IsSelected(int item) const;
  void SelectOnly(int item) const;

  // SendInput helpers, in screen coordinates of the list view's client points.
  void MoveTo(POINT client) const;
  void Click(POINT client, DWORD downFlag, DWORD upFlag) const;
  void DoubleClick(POINT client) const;
  void Key(WORD vk, bool up) const;
  void PressKey(WORD vk) const {
    Key(vk, false);
    Key(vk, true);
  }

  HWND mirrorWindow_ = nullptr;
  HWND otherWindow_ = nullptr;  // takes the focus away from the mirror
  HIMAGELIST images_ = nullptr;
  HANDLE desktopThread_ = nullptr;
  DWORD desktopThreadId_ = 0;
};

extern int FreedSnapshots;
