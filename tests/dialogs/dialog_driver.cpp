#include "tests/dialogs/dialog_driver.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "testbed/recorder/pump.h"

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  return testbed::WaitUntil(condition, timeoutMs);
}

static HWND FindShownDialog(const char* title, DWORD thread) {
  HWND dialog = FindWindowA(DIALOG_CLASS, title);
  if (dialog == nullptr || !IsWindowVisible(dialog)) return nullptr;
  if (GetWindowThreadProcessId(dialog, nullptr) != thread) return nullptr;
  return dialog;
}

INT_PTR RunDialog(const char* title, const std::function<INT_PTR()>& open,
                  const std::function<void(HWND dialog)>& drive) {
  DWORD dialogThread = GetCurrentThreadId();
  std::thread driver([&] {
    HWND dialog = nullptr;
    if (!WaitUntil([&] { return (dialog = FindShownDialog(title, dialogThread)) != nullptr; })) return;
    drive(dialog);
    if (IsWindow(dialog)) {
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      WaitUntil([&] { return !IsWindow(dialog); });
    }
  });
  INT_PTR result = open();
  driver.join();
  return result;
}

HWND FocusOf(HWND dialog) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool FocusControl(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  HWND field = GetWindow(control, GW_CHILD);
  HWND target = field != nullptr ? field : control;
  SetForegroundWindow(dialog);
  SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  return WaitUntil([&] { return FocusOf(dialog) == target && GetForegroundWindow() == dialog; });
}

static INPUT KeyInput(WORD virtualKey, bool extended, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

void PressKey(WORD virtualKey, bool extended) {
  INPUT inputs[2] = {KeyInput(virtualKey, extended, false), KeyInput(virtualKey, extended, true)};
  SendInput(2, inputs, sizeof(INPUT));
}

void ClickButton(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string WindowText(HWND window) {
  char text[512] = "";
  GetWindowTextA(window, text, sizeof text);
  return text;
}

static BOOL CALLBACK CountTitled(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<std::pair<const char*, int>*>(context);
  char className[32] = "";
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  GetClassNameA(window, className, sizeof className);
  if (process == GetCurrentProcessId() && strcmp(className, DIALOG_CLASS) == 0 &&
      WindowText(window) == search->first) {
    ++search->second;
  }
  return TRUE;
}

int CountDialogs(const char* title) {
  std::pair<const char*, int> search(title, 0);
  EnumWindows(CountTitled, reinterpret_cast<LPARAM>(&search));
  return search.second;
}

static std::mutex RaiseLock;
static std::vector<HWND> RaisedWindows;

RaiseRecorder::RaiseRecorder() {
  std::lock_guard<std::mutex> lock(RaiseLock);
  RaisedWindows.clear();
  hook_ = SetWindowsHookExA(WH_CALLWNDPROC, Hook, nullptr, GetCurrentThreadId());
}

RaiseRecorder::~RaiseRecorder() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
}

LRESULT CALLBACK RaiseRecorder::Hook(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && message->message == WM_WINDOWPOSCHANGING) {
    const WINDOWPOS* place = reinterpret_cast<const WINDOWPOS*>(message->lParam);
    if ((place->flags & SWP_NOZORDER) == 0 && place->hwndInsertAfter == HWND_TOP) {
      std::lock_guard<std::mutex> lock(RaiseLock);
      RaisedWindows.push_back(message->hwnd);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

int RaiseRecorder::RaisesOf(HWND window) const {
  std::lock_guard<std::mutex> lock(RaiseLock);
  return static_cast<int>(std::count(RaisedWindows.begin(), RaisedWindows.end(), window));
}

static std::mutex RecorderLock;
static std::vector<KeyDownRecorder::KeyDown> RecordedKeyDowns;

KeyDownRecorder::KeyDownRecorder() {
  std::lock_guard<std::mutex> lock(RecorderLock);
  RecordedKeyDowns.clear();
  hook_ = SetWindowsHookExA(WH_GETMESSAGE, Hook, nullptr, GetCurrentThreadId());
}

KeyDownRecorder::~KeyDownRecorder() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
}

LRESULT CALLBACK KeyDownRecorder::Hook(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* message = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_KEYDOWN) {
    std::lock_guard<std::mutex> lock(RecorderLock);
    RecordedKeyDowns.push_back(KeyDown{message->hwnd, message->wParam, message->lParam});
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<KeyDownRecorder::KeyDown> KeyDownRecorder::Seen() const {
  std::lock_guard<std::mutex> lock(RecorderLock);
  return RecordedKeyDowns;
}

KeyDownRecorder::KeyDown KeyDownRecorder::WaitFor(WPARAM keyCode) const {
  KeyDown found = {nullptr, 0, 0};
  WaitUntil([&] {
    for (const KeyDown& seen : Seen()) {
      if (seen.keyCode == keyCode) found = seen;
    }
    return found.keyData != 0;
  });
  return found;
}
