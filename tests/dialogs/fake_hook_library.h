// A stand-in for vmh.dll inside the test program: it records what the program tells it.
#pragma once

#include <windows.h>

#include <vector>

struct ShortcutKeyCall {
  DWORD doublePressKey;
  DWORD singlePressKey;
};

struct FakeHookLibrary {
  std::vector<ShortcutKeyCall> keyCalls;
  std::vector<DWORD> mouseCalls;
};

extern FakeHookLibrary FakeHook;
