// The user's Shift, Ctrl and Alt on their way to the shell's thread: the two private messages that
// frame each input posted on to the desktop's list view, and the token that says which Velmo posted
// them. The program's side (desktop_input.cpp) posts them; the shell's side (shell_modifiers.cpp)
// acts on them on the list view's thread.
//   "set":     wParam the held mask, lParam the token
//   "restore": lParam the token
#pragma once

#include <windows.h>

#include <cstddef>

// The keys that travel with the input; bit i of a held mask stands for MODIFIER_KEYS[i].
constexpr BYTE MODIFIER_KEYS[] = {VK_SHIFT,    VK_CONTROL,  VK_MENU,  VK_LSHIFT, VK_RSHIFT,
                                  VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU};
constexpr int MODIFIER_COUNT = sizeof MODIFIER_KEYS;

// A set that its input or its restore does not follow within this time is over: the thread takes
// its own state back at the first message after it. (The program posts the three at once; only a
// failed post or a killed program leaves one out.)
constexpr DWORD SET_LIFETIME_MS = 500;

// The token is made anew each time the program hooks a shell thread; 0 is never one.
constexpr DWORD NO_INPUT_TOKEN = 0;

UINT SetModifiersMessage();
UINT RestoreModifiersMessage();

// "Local\VmhInput.<thread>": the section, made by the program while its hook is on that thread,
// that holds the token (one DWORD) the shell's side accepts.
void InputTokenSectionName(char* name, size_t size, DWORD thread);

// The program's hook on the list view's thread, in the shell's process.
LRESULT CALLBACK ModifierHookProc(int code, WPARAM wParam, LPARAM lParam);
