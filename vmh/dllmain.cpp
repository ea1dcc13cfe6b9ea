// Placeholder exports, replaced by the real library.
#include "hooklib/vmh.h"

extern "C" {
BOOL WINAPI InitDLL(HWND) { return FALSE; }
BOOL WINAPI TermDLL(void) { return FALSE; }
BOOL WINAPI SetShortCutKeyCode(DWORD, DWORD) { return FALSE; }
BOOL WINAPI SetShortCutMouse(DWORD) { return FALSE; }
BOOL WINAPI GetDeskTopData(HIMAGELIST*, DWORD*, DesktopItem*, DWORD) { return FALSE; }
BOOL WINAPI SetIsViewVelmo(DWORD) { return FALSE; }
int WINAPI Dprint(const char* text) {
  OutputDebugStringA(text);
  return 1;
}
}
