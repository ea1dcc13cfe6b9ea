#include "tests/dialogs/fake_hook_library.h"

#include "hooklib/vmh.h"

FakeHookLibrary FakeHook;

extern "C" {
BOOL WINAPI InitDLL(HWND) { return TRUE; }
BOOL WINAPI TermDLL(void) { return TRUE; }
BOOL WINAPI SetShortCutKeyCode(DWORD doublePressKey, DWORD singlePressKey) {
  FakeHook.keyCalls.push_back(ShortcutKeyCall{doublePressKey, singlePressKey});
  return TRUE;
}
BOOL WINAPI SetShortCutMouse(DWORD rightDoubleClick) {
  FakeHook.mouseCalls.push_back(rightDoubleClick);
  return TRUE;
}
BOOL WINAPI GetDeskTopData(HIMAGELIST* imageList, DWORD* count, DesktopItem*, DWORD) {
  *imageList = nullptr;
  *count = 0;
  return FALSE;
}
BOOL WINAPI SetIsViewVelmo(DWORD) { return TRUE; }
int WINAPI Dprint(const char*) { return 0; }
}
