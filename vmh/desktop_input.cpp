// PostDesktopInput: input the user gave the mirror, posted on to the desktop's list view together
// with the Shift, Ctrl and Alt the user held. A posted message carries no keyboard state: the shell
// reads the modifiers with GetKeyState on its own thread, whose state only that thread's own input
// and SetKeyboardState change. A message hook on the shell's thread therefore sets the modifier
// keys of that thread's state to the user's just before the input leaves the queue, and puts back
// what they were right after the input has been handled (shell_modifiers.cpp). No other key is
// touched and no key is ever kept: between two inputs the thread holds its own state again.
#include <windows.h>
#include <ntsecapi.h>

#include "hooklib/vmh.h"
#include "vmh/modifier_messages.h"
#include "vmh/shared_object_security.h"
#include "vmh/vmh_module.h"

constexpr SHORT HELD_BIT = static_cast<SHORT>(0x8000);

// In the program's process: the hook on the shell's thread, kept while the library runs (removed
// at a hide, it could miss the restore of a key still waiting in the shell's queue), the thread it
// was set on, and the token that the hook's messages carry, published in a section of its own.
static HHOOK ModifierHook = nullptr;
static DWORD HookedThread = 0;
static HANDLE HookedThreadHandle = nullptr;
static HANDLE TokenSection = nullptr;
static DWORD InputToken = NO_INPUT_TOKEN;

// What the calling thread holds now: called while it handles the user's input, what the user held
// when that input came.
static DWORD HeldModifiers() {
  DWORD held = 0;
  for (int i = 0; i < MODIFIER_COUNT; ++i)
    if (GetKeyState(MODIFIER_KEYS[i]) & HELD_BIT) held |= 1u << i;
  return held;
}

static DWORD NewToken() {
  DWORD token = NO_INPUT_TOKEN;
  if (!RtlGenRandom(&token, sizeof token)) {
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    token = static_cast<DWORD>(now.QuadPart) ^ (GetCurrentProcessId() << 16) ^ GetTickCount();
  }
  return token != NO_INPUT_TOKEN ? token : 1;
}

// Publishes a new token for the hook on `thread`: only messages that carry it act there.
static bool PublishToken(DWORD thread) {
  char name[64];
  InputTokenSectionName(name, sizeof name, thread);
  SharedObjectSecurity security;
  TokenSection =
      CreateFileMappingA(INVALID_HANDLE_VALUE, security.Attributes(), PAGE_READWRITE, 0, sizeof(DWORD), name);
  if (TokenSection == nullptr) return false;
  auto* stored = static_cast<DWORD*>(MapViewOfFile(TokenSection, FILE_MAP_WRITE, 0, 0, sizeof(DWORD)));
  if (stored == nullptr) return false;
  InputToken = NewToken();
  *stored = InputToken;
  UnmapViewOfFile(stored);
  return true;
}

// A hook is trusted for the thread it was set on only while that very thread runs.
static bool HookStillHolds(DWORD thread) {
  return ModifierHook != nullptr && thread == HookedThread &&
         WaitForSingleObject(HookedThreadHandle, 0) == WAIT_TIMEOUT;
}

static bool HookThreadOf(HWND listView) {
  DWORD thread = GetWindowThreadProcessId(listView, nullptr);
  if (thread == 0 || ShellOutOfReach()) return false;
  if (HookStillHolds(thread)) return true;
  ReleaseDesktopInput();  // the shell started anew
  if (ShellHoldsOtherLibrary(listView)) return false;
  HookedThreadHandle = OpenThread(SYNCHRONIZE, FALSE, thread);
  if (HookedThreadHandle == nullptr || !PublishToken(thread)) {
    ReleaseDesktopInput();
    return false;
  }
  ModifierHook = SetWindowsHookExA(WH_GETMESSAGE, ModifierHookProc, VmhModule, thread);
  if (ModifierHook == nullptr) {
    ReleaseDesktopInput();
    return false;
  }
  HookedThread = thread;
  return true;
}

// A set the shell's thread has taken is undone there by itself, also after this hook has gone.
void ReleaseDesktopInput() {
  if (ModifierHook != nullptr) UnhookWindowsHookEx(ModifierHook);
  ModifierHook = nullptr;
  HookedThread = 0;
  if (HookedThreadHandle != nullptr) CloseHandle(HookedThreadHandle);
  HookedThreadHandle = nullptr;
  if (TokenSection != nullptr) CloseHandle(TokenSection);
  TokenSection = nullptr;
  InputToken = NO_INPUT_TOKEN;
}

extern "C" BOOL WINAPI PostDesktopInput(HWND listView, UINT message, WPARAM wParam, LPARAM lParam) {
  if (listView == nullptr) return FALSE;  // (a null window would post to this thread)
  if (!HookThreadOf(listView)) return PostMessageA(listView, message, wParam, lParam);
  const LPARAM token = static_cast<LPARAM>(InputToken);
  if (!PostMessageA(listView, SetModifiersMessage(), HeldModifiers(), token)) return FALSE;
  BOOL posted = PostMessageA(listView, message, wParam, lParam);
  PostMessageA(listView, RestoreModifiersMessage(), 0, token);
  return posted;
}
