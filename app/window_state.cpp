#include "app/window_state.h"

#include <dwmapi.h>

typedef HRESULT(WINAPI* WindowAttributeFunction)(HWND, DWORD, PVOID, DWORD);

// dwmapi.dll is loaded once, at the first question, and kept; systems before Vista lack it.
static WindowAttributeFunction LoadWindowAttributeFunction() {
  HMODULE dwm = LoadLibraryA("dwmapi.dll");
  if (dwm == nullptr) return nullptr;
  return reinterpret_cast<WindowAttributeFunction>(
      reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetWindowAttribute")));
}

bool IsWindowCloaked(HWND window) {
  static const WindowAttributeFunction getAttribute = LoadWindowAttributeFunction();
  DWORD cloaked = 0;
  return getAttribute != nullptr &&
         SUCCEEDED(getAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}
