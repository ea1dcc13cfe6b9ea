#include "vmh/triggers.h"

#include <cstdlib>

#include "hooklib/vmh.h"
#include "res/resource.h"

// lParam of the request posted to the program's window.
constexpr LPARAM REQUEST_TOGGLE = 0;
constexpr LPARAM REQUEST_SHOW = 1;

// Written by the program's thread through the exports, read by the hook thread.
static volatile LONG DoublePressKey = 0;
static volatile LONG SinglePressKey = 0;
static volatile LONG RightDoubleClickOn = 0;
static volatile LONG MirrorShown = 0;
static HWND volatile TriggerWindow = nullptr;

// The system's double-click time and rectangle, read outside the hook procedures.
static volatile LONG DoubleClickTime = 500;
static volatile LONG DoubleClickWidth = 4;
static volatile LONG DoubleClickHeight = 4;

// Owned by the hook thread: the down state of the configured keys, the first press of the key
// pressed twice, and the last right-button press.
struct KeyState {
  DWORD key;  // the configured code this state belongs to
  bool down;
};
static KeyState DoubleKey = {0, false};
static KeyState SingleKey = {0, false};
static bool FirstPressPending = false;
static DWORD FirstPressTime = 0;
static bool RightPressPending = false;
static POINT RightPressPoint = {0, 0};
static DWORD RightPressTime = 0;

void SetTriggerWindow(HWND window) { TriggerWindow = window; }

void RefreshDoubleClickMetrics() {
  InterlockedExchange(&DoubleClickTime, static_cast<LONG>(GetDoubleClickTime()));
  InterlockedExchange(&DoubleClickWidth, GetSystemMetrics(SM_CXDOUBLECLK));
  InterlockedExchange(&DoubleClickHeight, GetSystemMetrics(SM_CYDOUBLECLK));
}

void ResetTriggerState() {
  DoubleKey = {0, false};
  SingleKey = {0, false};
  FirstPressPending = false;
  RightPressPending = false;
}

extern "C" BOOL WINAPI SetShortCutKeyCode(DWORD doublePressKey, DWORD singlePressKey) {
  InterlockedExchange(&DoublePressKey, static_cast<LONG>(doublePressKey));
  InterlockedExchange(&SinglePressKey, static_cast<LONG>(singlePressKey));
  RefreshDoubleClickMetrics();
  return TRUE;
}

extern "C" BOOL WINAPI SetShortCutMouse(DWORD rightDoubleClick) {
  InterlockedExchange(&RightDoubleClickOn, rightDoubleClick != 0);
  RefreshDoubleClickMetrics();
  return TRUE;
}

extern "C" BOOL WINAPI SetIsViewVelmo(DWORD shown) {
  InterlockedExchange(&MirrorShown, shown != 0);
  return TRUE;
}

// Whether a full-screen program keeps the trigger quiet is the program's to judge, on its own
// thread: the request says that a trigger made it.
static void PostRequest(LPARAM request) {
  HWND window = TriggerWindow;
  if (window != nullptr) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_TOGGLE_MIRROR, TRIGGER_REQUEST_SOURCE), request);
  }
}

// Low-level hooks name the left and right keys; the settings may hold the generic code.
static DWORD GenericKey(DWORD virtualKey) {
  switch (virtualKey) {
    case VK_LSHIFT:
    case VK_RSHIFT:
      return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
      return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
      return VK_MENU;
  }
  return virtualKey;
}

static bool KeyMatches(DWORD configured, DWORD virtualKey) {
  return configured != 0 && (virtualKey == configured || GenericKey(virtualKey) == configured);
}

// A state kept for an earlier configuration starts afresh.
static KeyState& StateFor(KeyState& state, DWORD configured) {
  if (state.key != configured) state = {configured, false};
  return state;
}

static void OnDoublePressKey(DWORD virtualKey, bool down, DWORD time) {
  DWORD configured = static_cast<DWORD>(DoublePressKey);
  KeyState& state = StateFor(DoubleKey, configured);
  if (!KeyMatches(configured, virtualKey)) {
    if (down) FirstPressPending = false;  // another key between the two presses
    return;
  }
  if (!down) {
    state.down = false;
    return;
  }
  if (state.down) return;  // auto-repeat
  state.down = true;
  if (FirstPressPending && time - FirstPressTime <= static_cast<DWORD>(DoubleClickTime)) {
    FirstPressPending = false;
    PostRequest(REQUEST_TOGGLE);
    return;
  }
  FirstPressPending = true;
  FirstPressTime = time;
}

static void OnSinglePressKey(DWORD virtualKey, bool down) {
  DWORD configured = static_cast<DWORD>(SinglePressKey);
  KeyState& state = StateFor(SingleKey, configured);
  if (!KeyMatches(configured, virtualKey)) return;
  if (!down) {
    state.down = false;
    return;
  }
  if (state.down) return;  // auto-repeat
  state.down = true;
  PostRequest(REQUEST_TOGGLE);
}

void OnKeyEvent(DWORD virtualKey, bool down, DWORD time) {
  OnDoublePressKey(virtualKey, down, time);
  OnSinglePressKey(virtualKey, down);
}

static bool InsideDoubleClickRect(POINT first, POINT second) {
  return std::abs(second.x - first.x) <= DoubleClickWidth / 2 &&
         std::abs(second.y - first.y) <= DoubleClickHeight / 2;
}

// A mouse button or the wheel between the two presses of the key pressed twice makes them no
// double press: Ctrl or Shift as that key are pressed with a click or a turn of the wheel.
void OnMouseBetweenPresses() { FirstPressPending = false; }

void OnRightButtonDown(POINT point, DWORD time) {
  OnMouseBetweenPresses();
  if (RightPressPending && time - RightPressTime <= static_cast<DWORD>(DoubleClickTime) &&
      InsideDoubleClickRect(RightPressPoint, point)) {
    RightPressPending = false;
    if (RightDoubleClickOn && !MirrorShown) PostRequest(REQUEST_SHOW);
    return;
  }
  RightPressPending = true;
  RightPressPoint = point;
  RightPressTime = time;
}

// Another button between the two right presses makes them no double click; like any button, it
// also ends a pending press of the key pressed twice.
void OnOtherButtonDown() {
  OnMouseBetweenPresses();
  RightPressPending = false;
}
