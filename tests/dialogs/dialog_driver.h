// Driving the program's modal dialogs as a user would. The dialog runs on the test's own thread,
// inside the call that opens it; a second thread waits for it to appear and acts on it with real
// input (SendInput) and clicks, then lets the test check what the dialog left behind.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

constexpr char DIALOG_CLASS[] = "#32770";
constexpr DWORD DIALOG_WAIT_MS = 5000;

// Runs open() on this thread; once a dialog titled title is shown, drive(dialog) runs on another
// thread. A dialog still open when drive returns is cancelled. Returns what open() returned.
INT_PTR RunDialog(const char* title, const std::function<INT_PTR()>& open,
                  const std::function<void(HWND dialog)>& drive);

// Polls condition until it holds or the time is up; returns its last value.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = DIALOG_WAIT_MS);

// The window that has the keyboard focus in the dialog's thread.
HWND FocusOf(HWND dialog);

// Gives control (a combo box: its edit field) the focus, as the dialog manager does on a click.
bool FocusControl(HWND dialog, int id);

// A key pressed and released through the system's input queue, with its scan code.
void PressKey(WORD virtualKey, bool extended = false);

// A button clicked (as with the mouse, through BM_CLICK); returns at once.
void ClickButton(HWND dialog, int id);

std::string WindowText(HWND window);

// Top-level dialogs of this process with this title.
int CountDialogs(const char* title);

// Counts the requests to bring a window of this thread to the top (SetWindowPos with HWND_TOP, as
// BringWindowToTop makes them). The z-order alone cannot tell who raised a dialog: Wine raises a
// newly shown dialog once more, some time later, without a message to it.
class RaiseRecorder {
 public:
  RaiseRecorder();
  ~RaiseRecorder();
  RaiseRecorder(const RaiseRecorder&) = delete;
  RaiseRecorder& operator=(const RaiseRecorder&) = delete;

  bool Installed() const { return hook_ != nullptr; }
  int RaisesOf(HWND window) const;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  HHOOK hook_;
};

// Records the key-downs that reach this thread's windows through the message queue.
class KeyDownRecorder {
 public:
  KeyDownRecorder();
  ~KeyDownRecorder();
  KeyDownRecorder(const KeyDownRecorder&) = delete;
  KeyDownRecorder& operator=(const KeyDownRecorder&) = delete;

  struct KeyDown {
    HWND window;
    WPARAM keyCode;
    LPARAM keyData;
  };
  std::vector<KeyDown> Seen() const;
  // The last key-down of this key, waiting for it up to the usual time; keyData 0 when none came.
  KeyDown WaitFor(WPARAM keyCode) const;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  HHOOK hook_;
};
