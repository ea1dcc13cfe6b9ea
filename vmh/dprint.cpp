// Dprint: the program's trace lines go to the debugger output, unchanged.
#include "hooklib/vmh.h"

extern "C" int WINAPI Dprint(const char* text) {
  if (text == nullptr) return 0;
  OutputDebugStringA(text);
  return 1;
}
