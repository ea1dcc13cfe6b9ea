// A desktop of the test's own: a "Progman" window titled "Program Manager" with a view window and
// an icon list view beneath it, as the shell lays them out. The mouse, key and focus messages posted
// to the list view are recorded; its mouse buttons do nothing, as a click on the shell (another
// process) does not take the focus from the mirror.
#pragma once

#include <windows.h>

#include <vector>

#include "testbed/message_record.h"

constexpr COLORREF FAKE_DESKTOP_TEXT = RGB(250, 240, 10);
constexpr COLORREF FAKE_DESKTOP_TEXT_BACKGROUND = RGB(0, 100, 120);
constexpr WORD FAKE_DESKTOP_SPACING_X = 90;
constexpr WORD FAKE_DESKTOP_SPACING_Y = 84;

class FakeDesktop {
 public:
  // The list view covers `rect` (screen coordinates). With `underWorker` the icons live in a
  // top-level "WorkerW" window and Progman has no list view.
  explicit FakeDesktop(RECT rect, bool underWorker = false);
  ~FakeDesktop();
  FakeDesktop(const FakeDesktop&) = delete;
  FakeDesktop& operator=(const FakeDesktop&) = delete;

  HWND progman() const { return progman_; }
  HWND listView() const { return listView_; }
  // Mouse, key and focus messages posted to the list view, in the order they were taken.
  std::vector<MessageRecord> received;
  // The list view's icon spacing now, and how often it was set after the desktop was made.
  DWORD spacing() const;
  int spacingChanges = 0;

 private:
  HWND progman_ = nullptr;
  HWND worker_ = nullptr;
  HWND listView_ = nullptr;
};
