// PostDesktopInput: input the user gave the mirror, posted on to the desktop's list view together
// with the Shift, Ctrl and Alt the user held. A posted message carries no keyboard state: the shell
// reads the modifiers with GetKeyState on its own thread, whose state only that thread's own input
// and SetKeyboardState change. A message hook on the shell's thread therefore sets the modifier
// keys of that thread's state to the user's just before the input leaves the queue, and puts back
// what they were right after the input has been handled. No other key is touched and no key is
// ever kept: between two inputs the thread holds its own state again.
#include <windows.h>

#include "hooklib/vmh.h"
#include "vmh/vmh_module.h"

constexpr char SET_MODIFIERS_MESSAGE_NAME[] = "VmhSetModifiers";
constexpr char RESTORE_MODIFIERS_MESSAGE_NAME[] = "VmhRestoreModifiers";
constexpr int KEYBOARD_STATE_SIZE = 256;
constexpr BYTE KEY_DOWN = 0x80;
constexpr BYTE KEY_TOGGLED = 0x01;
constexpr SHORT HELD_BIT = static_cast<SHORT>(0x8000);

// The keys that travel with the input; bit i of a held mask stands for MODIFIER_KEYS[i].
constexpr BYTE MODIFIER_KEYS[] = {VK_SHIFT,    VK_CONTROL,  VK_MENU,  VK_LSHIFT, VK_RSHIFT,
                                  VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU};
constexpr int MODIFIER_COUNT = sizeof MODIFIER_KEYS;

// In the program's process: the hook on the shell's thread, kept while the library runs. Removed
// at a hide, it could miss the restore of a key still waiting in the shell's queue.
static HHOOK ModifierHook = nullptr;
static DWORD HookedThread = 0;

// In the shell's process, on the list view's thread, from a set to its restore.
static BYTE SavedModifiers[MODIFIER_COUNT];
static BYTE SetModifiers[MODIFIER_COUNT];
static bool ModifiersSet = false;

static UINT SetModifiersMessage() {
  static UINT message = RegisterWindowMessageA(SET_MODIFIERS_MESSAGE_NAME);
  return message;
}

static UINT RestoreModifiersMessage() {
  static UINT message = RegisterWindowMessageA(RESTORE_MODIFIERS_MESSAGE_NAME);
  return message;
}

// What the calling thread holds now: called while it handles the user's input, what the user held
// when that input came.
static DWORD HeldModifiers() {
  DWORD held = 0;
  for (int i = 0; i < MODIFIER_COUNT; ++i)
    if (GetKeyState(MODIFIER_KEYS[i]) & HELD_BIT) held |= 1u << i;
  return held;
}

static void SetHeldModifiers(DWORD held) {
  BYTE state[KEYBOARD_STATE_SIZE];
  if (!GetKeyboardState(state)) return;
  for (int i = 0; i < MODIFIER_COUNT; ++i) {
    BYTE& key = state[MODIFIER_KEYS[i]];
    // A restore that never came (the queue lost it) leaves the first saved state the one to restore.
    if (!ModifiersSet) SavedModifiers[i] = key;
    key = static_cast<BYTE>((key & KEY_TOGGLED) | ((held & (1u << i)) ? KEY_DOWN : 0));
    SetModifiers[i] = key;
  }
  if (SetKeyboardState(state)) ModifiersSet = true;
}

// Only a key still as it was set goes back. One that changed since is newer than the saved value:
// the thread handled real input of that key, or (under Wine) took the key's state over from the
// desktop when it changed there. Put back, a key the user has let go would stay down.
static void RestoreModifiers() {
  if (!ModifiersSet) return;
  ModifiersSet = false;
  BYTE state[KEYBOARD_STATE_SIZE];
  if (!GetKeyboardState(state)) return;
  for (int i = 0; i < MODIFIER_COUNT; ++i) {
    BYTE& key = state[MODIFIER_KEYS[i]];
    if (key == SetModifiers[i]) key = SavedModifiers[i];
  }
  SetKeyboardState(state);
}

static LRESULT CALLBACK ModifierHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    bool ours = message->message == SetModifiersMessage() || message->message == RestoreModifiersMessage();
    // Only on the list view's own thread (see DesktopReaderHookProc).
    if (ours && message->hwnd != nullptr &&
        GetWindowThreadProcessId(message->hwnd, nullptr) == GetCurrentThreadId()) {
      if (message->message == SetModifiersMessage())
        SetHeldModifiers(static_cast<DWORD>(message->wParam));
      else
        RestoreModifiers();
      message->message = WM_NULL;  // the list view never sees them
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

static bool HookThreadOf(HWND listView) {
  DWORD thread = GetWindowThreadProcessId(listView, nullptr);
  if (thread == 0 || ShellOutOfReach()) return false;
  if (ModifierHook != nullptr && thread == HookedThread) return true;
  ReleaseDesktopInput();  // the shell started anew
  ModifierHook = SetWindowsHookExA(WH_GETMESSAGE, ModifierHookProc, VmhModule, thread);
  HookedThread = ModifierHook != nullptr ? thread : 0;
  return ModifierHook != nullptr;
}

void ReleaseDesktopInput() {
  if (ModifierHook != nullptr) UnhookWindowsHookEx(ModifierHook);
  ModifierHook = nullptr;
  HookedThread = 0;
}

extern "C" BOOL WINAPI PostDesktopInput(HWND listView, UINT message, WPARAM wParam, LPARAM lParam) {
  if (listView == nullptr) return FALSE;  // (a null window would post to this thread)
  if (!HookThreadOf(listView)) return PostMessageA(listView, message, wParam, lParam);
  DWORD held = HeldModifiers();
  if (!PostMessageA(listView, SetModifiersMessage(), held, 0)) return FALSE;
  BOOL posted = PostMessageA(listView, message, wParam, lParam);
  PostMessageA(listView, RestoreModifiersMessage(), 0, 0);
  return posted;
}
