// The exports of the hook library, as the fake defines them.
#include "hooklib/vmh.h"

#include "testbed/fakevmh/fake_vmh.h"

using testbed::FakeVmh;
using testbed::VmhFunction;

namespace {

uint64_t HandleValue(const void* handle) {
  return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
}

}  // namespace

extern "C" {

BOOL WINAPI InitDLL(HWND notifyWindow) {
  FakeVmh::Record(VmhFunction::InitDLL, {HandleValue(notifyWindow)});
  FakeVmh::SetNotifyWindow(notifyWindow);
  return TRUE;
}

BOOL WINAPI TermDLL(void) {
  FakeVmh::Record(VmhFunction::TermDLL, {});
  FakeVmh::SetNotifyWindow(nullptr);
  return TRUE;
}

BOOL WINAPI SetShortCutKeyCode(DWORD doublePressKey, DWORD singlePressKey) {
  FakeVmh::Record(VmhFunction::SetShortCutKeyCode, {doublePressKey, singlePressKey});
  return TRUE;
}

BOOL WINAPI SetShortCutMouse(DWORD rightDoubleClick) {
  FakeVmh::Record(VmhFunction::SetShortCutMouse, {rightDoubleClick});
  return TRUE;
}

BOOL WINAPI GetDeskTopData(HIMAGELIST* imageList, DWORD* count, DesktopItem* items, DWORD capacity) {
  const uint64_t imageListOnEntry = imageList != nullptr ? HandleValue(*imageList) : 0;
  const uint64_t countOnEntry = count != nullptr ? *count : 0;
  FakeVmh::Record(VmhFunction::GetDeskTopData, {imageListOnEntry, countOnEntry, capacity});
  return FakeVmh::Fetch(imageList, count, items, capacity);
}

BOOL WINAPI SetIsViewVelmo(DWORD shown) {
  FakeVmh::Record(VmhFunction::SetIsViewVelmo, {shown});
  return TRUE;
}

int WINAPI Dprint(const char* text) {
  FakeVmh::Record(VmhFunction::Dprint, {}, text != nullptr ? text : "");
  return 1;
}

// The fake's desktop draws with a list view's own font; not recorded, as it asks nothing of the
// library's state.
BOOL WINAPI GetDesktopFont(LOGFONTA*) { return FALSE; }

// The input goes on as posted, without the user's modifiers.
BOOL WINAPI PostDesktopInput(HWND listView, UINT message, WPARAM wParam, LPARAM lParam) {
  return listView != nullptr && PostMessageA(listView, message, wParam, lParam);
}

// The fake's desktop never holds another library.
BOOL WINAPI ShellHoldsOtherHookLibrary(void) { return FALSE; }
}
