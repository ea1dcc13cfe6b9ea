#include "tests/core/fake_vmh.h"

#include <cstring>
#include <string>

FakeVmhState FakeVmh;

constexpr int FAKE_ICON_SIZE = 32;

void ResetFakeVmh() { FakeVmh = FakeVmhState{}; }

DesktopItem MakeItem(LONG x, LONG y, const char* name, LONG image) {
  DesktopItem item = {};
  item.x = x;
  item.y = y;
  strncpy(item.name, name, sizeof item.name - 1);
  item.image = image;
  return item;
}

std::vector<std::string> CallsStartingWith(const char* prefix) {
  std::vector<std::string> found;
  for (const std::string& call : FakeVmh.calls) {
    if (call.rfind(prefix, 0) == 0) found.push_back(call);
  }
  return found;
}

static HIMAGELIST MakeImageList(size_t images) {
  HIMAGELIST list = ImageList_Create(FAKE_ICON_SIZE, FAKE_ICON_SIZE, ILC_COLOR32 | ILC_MASK, 1, 1);
  HICON icon = LoadIconA(nullptr, IDI_APPLICATION);
  for (size_t i = 0; i < images; ++i) ImageList_AddIcon(list, icon);
  return list;
}

extern "C" {
BOOL WINAPI InitDLL(HWND) {
  FakeVmh.calls.push_back("InitDLL");
  return TRUE;
}

BOOL WINAPI TermDLL(void) {
  FakeVmh.calls.push_back("TermDLL");
  return TRUE;
}

BOOL WINAPI SetShortCutKeyCode(DWORD doublePressKey, DWORD singlePressKey) {
  FakeVmh.calls.push_back("SetShortCutKeyCode " + std::to_string(doublePressKey) + " " +
                          std::to_string(singlePressKey));
  return TRUE;
}

BOOL WINAPI SetShortCutMouse(DWORD rightDoubleClick) {
  FakeVmh.calls.push_back("SetShortCutMouse " + std::to_string(rightDoubleClick));
  return TRUE;
}

BOOL WINAPI GetDeskTopData(HIMAGELIST* imageList, DWORD* count, DesktopItem* items, DWORD capacity) {
  FakeVmh.calls.push_back("GetDeskTopData");
  ++FakeVmh.fetches;
  if (FakeVmh.emptyFetches > 0) {
    --FakeVmh.emptyFetches;
    *imageList = MakeImageList(0);  // an image list but no items: not good enough
    *count = 0;
    return FALSE;
  }
  DWORD n = 0;
  for (; n < FakeVmh.items.size() && n < capacity; ++n) items[n] = FakeVmh.items[n];
  *count = n;
  *imageList = MakeImageList(n > 0 ? n : 1);
  return n > 0;
}

BOOL WINAPI SetIsViewVelmo(DWORD shown) {
  FakeVmh.calls.push_back("SetIsViewVelmo " + std::to_string(shown));
  return TRUE;
}

int WINAPI Dprint(const char* text) {
  FakeVmh.traces.push_back(text);
  return 1;
}
}
