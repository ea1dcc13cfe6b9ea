// The shell's side of the user's modifiers, on the desktop list view's thread. A "set" makes that
// thread's Shift, Ctrl and Alt the user's for the one input that follows it; its "restore" puts
// back what the thread had. Nothing of a set may outlive its input, whatever becomes of the
// program: the program's hook goes when Velmo ends or is killed, and a post can fail. So a set
// starts a guard, a message hook that the shell's thread itself owns: it restores at the restore,
// or, when that never comes, at the first message once SET_LIFETIME_MS have passed, and then
// removes itself. (Not at the first message after the input: the input's own handling can run a
// loop that takes messages, and the shell may read the modifiers after it, as for a Shift+right
// click's menu.)
#include <windows.h>

#include <cstdio>

#include "vmh/modifier_messages.h"
#include "vmh/vmh_module.h"

constexpr char SET_MODIFIERS_MESSAGE_NAME[] = "VmhSetModifiers";
constexpr char RESTORE_MODIFIERS_MESSAGE_NAME[] = "VmhRestoreModifiers";
constexpr char INPUT_TOKEN_SECTION_FORMAT[] = "Local\\VmhInput.%lu";
constexpr int KEYBOARD_STATE_SIZE = 256;
constexpr BYTE KEY_DOWN = 0x80;
constexpr BYTE KEY_TOGGLED = 0x01;

// The guard and what it will put back. One list view thread at a time has one.
static HHOOK GuardHook = nullptr;
static DWORD GuardThread = 0;
static FILETIME GuardThreadStart = {};
static BYTE SavedModifiers[MODIFIER_COUNT];
static BYTE SetModifiers[MODIFIER_COUNT];
static DWORD SetTick = 0;
// The token of the set the guard undoes, and the last one the program's section confirmed.
static DWORD GuardToken = NO_INPUT_TOKEN;
static DWORD AcceptedToken = NO_INPUT_TOKEN;

UINT SetModifiersMessage() {
  static UINT message = RegisterWindowMessageA(SET_MODIFIERS_MESSAGE_NAME);
  return message;
}

UINT RestoreModifiersMessage() {
  static UINT message = RegisterWindowMessageA(RESTORE_MODIFIERS_MESSAGE_NAME);
  return message;
}

void InputTokenSectionName(char* name, size_t size, DWORD thread) {
  snprintf(name, size, INPUT_TOKEN_SECTION_FORMAT, static_cast<unsigned long>(thread));
}

// Whether the guard's thread still runs: a thread id can come back for a later thread, so its start
// time must match too.
static bool GuardThreadRuns() {
  HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, GuardThread);
  if (thread == nullptr) return false;
  FILETIME created = {};
  FILETIME unused[3];
  DWORD exitCode = 0;
  bool runs = GetThreadTimes(thread, &created, &unused[0], &unused[1], &unused[2]) &&
              CompareFileTime(&created, &GuardThreadStart) == 0 && GetExitCodeThread(thread, &exitCode) &&
              exitCode == STILL_ACTIVE;
  CloseHandle(thread);
  return runs;
}

enum class Guard { None, Here, Elsewhere };

static Guard GuardState() {
  if (GuardHook == nullptr) return Guard::None;
  if (!GuardThreadRuns()) {
    GuardHook = nullptr;  // it ended with its thread, and nothing of it applies any more
    return Guard::None;
  }
  return GuardThread == GetCurrentThreadId() ? Guard::Here : Guard::Elsewhere;
}

static bool GuardOnThisThread() { return GuardState() == Guard::Here; }

// Only the Velmo whose hook is on this thread says what the thread's modifiers are.
static bool TokenAccepted(LPARAM token) {
  if (static_cast<DWORD>(token) == NO_INPUT_TOKEN) return false;
  if (static_cast<DWORD>(token) == AcceptedToken) return true;
  char name[64];
  InputTokenSectionName(name, sizeof name, GetCurrentThreadId());
  HANDLE section = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
  if (section == nullptr) return false;
  const auto* stored = static_cast<const DWORD*>(MapViewOfFile(section, FILE_MAP_READ, 0, 0, sizeof(DWORD)));
  bool accepted = stored != nullptr && *stored == static_cast<DWORD>(token);
  if (stored != nullptr) UnmapViewOfFile(stored);
  CloseHandle(section);
  if (accepted) AcceptedToken = static_cast<DWORD>(token);
  return accepted;
}

static LRESULT CALLBACK GuardHookProc(int code, WPARAM wParam, LPARAM lParam);

// Only a key still as it was set goes back. One that changed since is newer than the saved value:
// the thread handled real input of that key, or (under Wine) took the key's state over from the
// desktop when it changed there. Put back, a key the user has let go would stay down.
static void EndModifiers() {
  BYTE state[KEYBOARD_STATE_SIZE];
  if (GetKeyboardState(state)) {
    for (int i = 0; i < MODIFIER_COUNT; ++i) {
      BYTE& key = state[MODIFIER_KEYS[i]];
      if (key == SetModifiers[i]) key = SavedModifiers[i];
    }
    SetKeyboardState(state);
  }
  UnhookWindowsHookEx(GuardHook);
  GuardHook = nullptr;
  GuardToken = NO_INPUT_TOKEN;
}

// A set that finds the guard up (its input's restore has not come yet) keeps the first saved state
// as the one to put back.
static void BeginModifiers(const MSG& set) {
  Guard guard = GuardState();
  if (guard == Guard::Elsewhere) return;  // another list view thread's input is still under way
  bool first = guard == Guard::None;
  if (first) {
    // Without a guard nothing could undo the set: the input goes with the thread's own state.
    GuardHook = SetWindowsHookExA(WH_GETMESSAGE, GuardHookProc, VmhModule, GetCurrentThreadId());
    if (GuardHook == nullptr) return;
    GuardThread = GetCurrentThreadId();
    FILETIME unused[3];
    GetThreadTimes(GetCurrentThread(), &GuardThreadStart, &unused[0], &unused[1], &unused[2]);
  }
  BYTE state[KEYBOARD_STATE_SIZE];
  if (!GetKeyboardState(state)) {
    if (first) EndModifiers();
    return;
  }
  DWORD held = static_cast<DWORD>(set.wParam);
  for (int i = 0; i < MODIFIER_COUNT; ++i) {
    BYTE& key = state[MODIFIER_KEYS[i]];
    if (first) SavedModifiers[i] = key;
    key = static_cast<BYTE>((key & KEY_TOGGLED) | ((held & (1u << i)) ? KEY_DOWN : 0));
    SetModifiers[i] = key;
  }
  SetKeyboardState(state);
  GuardToken = static_cast<DWORD>(set.lParam);
  SetTick = GetTickCount();
}

static bool IsPrivateMessage(const MSG& message) {
  return message.message == SetModifiersMessage() || message.message == RestoreModifiersMessage();
}

// The private messages count only for a window of this thread (a null window would be a thread
// message, which any program can post).
static bool ForThisThread(const MSG& message) {
  return message.hwnd != nullptr && GetWindowThreadProcessId(message.hwnd, nullptr) == GetCurrentThreadId();
}

static void TakeMessage(MSG& message) {
  if (IsPrivateMessage(message)) {
    if (!ForThisThread(message)) return;
    if (message.message == SetModifiersMessage()) {
      if (!TokenAccepted(message.lParam)) return;
      BeginModifiers(message);
    } else {
      if (!GuardOnThisThread() || static_cast<DWORD>(message.lParam) != GuardToken) return;
      EndModifiers();
    }
    message.message = WM_NULL;  // the list view never sees them
    return;
  }
  // Its input or its restore never came: the set is over before anything else is handled.
  if (GuardOnThisThread() && GetTickCount() - SetTick >= SET_LIFETIME_MS) EndModifiers();
}

static LRESULT CALLBACK GuardHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) TakeMessage(*reinterpret_cast<MSG*>(lParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

// While a guard is up it takes every message; the program's hook only starts it. (A hook made during
// a hook call sees the messages after that call, so each message is taken once.)
LRESULT CALLBACK ModifierHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (IsPrivateMessage(*message) && !GuardOnThisThread()) TakeMessage(*message);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
