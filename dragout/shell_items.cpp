// Finding the copy's items among the desktop folder's items (the user's Desktop, the public Desktop
// and the shell's own items such as Computer) by their labels.
#include "dragout/shell_items.h"

#include <shlwapi.h>

#include <cstring>

#include "dragout/com_ref.h"
#include "hooklib/vmh.h"

constexpr SHCONTF DESKTOP_ITEMS = SHCONTF_FOLDERS | SHCONTF_NONFOLDERS;
constexpr size_t NOT_MATCHED = static_cast<size_t>(-1);

ChildIds::~ChildIds() {
  for (PITEMID_CHILD id : ids_) CoTaskMemFree(id);
}

// The copy reads its labels from the desktop's list view in the ANSI code page (with the system's
// default replacement for what the code page lacks) into DESKTOP_ITEM_NAME_SIZE bytes: the display
// name takes the same way.
bool AnsiLabelOf(IShellFolder* folder, PCUITEMID_CHILD id, char* label, int size) {
  STRRET name = {};
  if (FAILED(folder->GetDisplayNameOf(id, SHGDN_NORMAL, &name))) return false;
  WCHAR* wide = nullptr;
  HRESULT converted = StrRetToStrW(&name, id, &wide);
  if (FAILED(converted)) return false;
  char ansi[MAX_PATH * 2 + 2] = "";  // a file name of MAX_PATH characters, each of two bytes
  int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, sizeof ansi, nullptr, nullptr);
  CoTaskMemFree(wide);
  if (length == 0 || size <= 0) return false;
  // Cut at a character's start, never inside a double-byte one.
  int room = (size < DESKTOP_ITEM_NAME_SIZE ? size : DESKTOP_ITEM_NAME_SIZE) - 1;
  const char* end = ansi;
  for (const char* next = CharNextExA(CP_ACP, end, 0); *end != '\0' && next - ansi <= room;
       next = CharNextExA(CP_ACP, end, 0))
    end = next;
  size_t kept = static_cast<size_t>(end - ansi);
  memcpy(label, ansi, kept);
  label[kept] = '\0';
  return true;
}

// The request's item with this label, NOT_MATCHED when none has it.
static size_t RequestedWithLabel(const DragRequest& request, const char* label) {
  for (size_t i = 0; i < request.count; ++i)
    if (strcmp(request.items[i].label, label) == 0) return i;
  return NOT_MATCHED;
}

static FindResult FindByLabel(IShellFolder* desktop, const DragRequest& request, ChildIds* ids) {
  ComRef<IEnumIDList> items;
  if (desktop->EnumObjects(nullptr, DESKTOP_ITEMS, items.Out()) != S_OK || !items)
    return FindResult::NotFound;
  std::vector<PITEMID_CHILD> found(request.count, nullptr);
  bool twice = false;
  PITEMID_CHILD id = nullptr;
  while (!twice && items->Next(1, &id, nullptr) == S_OK) {
    char label[DESKTOP_ITEM_NAME_SIZE] = "";
    size_t match =
        AnsiLabelOf(desktop, id, label, sizeof label) ? RequestedWithLabel(request, label) : NOT_MATCHED;
    if (match != NOT_MATCHED && found[match] == nullptr) {
      found[match] = id;
      continue;
    }
    twice = match != NOT_MATCHED;
    CoTaskMemFree(id);
  }
  bool all = true;
  for (PITEMID_CHILD item : found) all = all && item != nullptr;
  for (PITEMID_CHILD item : found)
    if (item != nullptr) ids->Add(item);  // freed with ids on every path
  if (twice) return FindResult::NotUnique;
  return all ? FindResult::Found : FindResult::NotFound;
}

FindResult FindDesktopItems(IShellFolder* desktop, const DragRequest& request, ChildIds* ids) {
  FindResult inView = FindInDesktopView(request, ids);
  if (inView != FindResult::NoView) return inView;
  return FindByLabel(desktop, request, ids);
}
