// Whether the mirror still matches the desktop. Clicks on the copy go on to the desktop by
// position, so a copy of an older layout would open whatever item now lies at that spot: before a
// show the desktop is read again and compared with the table the mirror was built from.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "app/app.h"
#include "mirror/mirror.h"

bool MirrorIsStale = false;

// A shell that does not answer this fast is not read: it is busy or hung, and a fetch would wait
// for it far longer. The mirror is then shown as it is.
constexpr UINT SHELL_ANSWER_MS = 100;

static DesktopTable FreshTable;  // (150 KB: kept off the stack)
static DWORD LastReadTick;
static bool ReadBefore = false;

static bool ListViewMoved() {
  RECT rect = {};
  if (!GetWindowRect(DesktopListView, &rect)) return true;
  return rect.left != DesktopRect.left || rect.top != DesktopRect.top ||
         rect.right - rect.left != DesktopRect.width || rect.bottom - rect.top != DesktopRect.height;
}

static bool ShellAnswers() {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(DesktopListView, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, SHELL_ANSWER_MS,
                             &ignored) != 0;
}

static bool SameItem(const DesktopItem& held, const DesktopItem& fresh) {
  return held.x == fresh.x && held.y == fresh.y && held.shellImage == fresh.shellImage &&
         strncmp(held.name, fresh.name, DESKTOP_ITEM_NAME_SIZE) == 0;
}

// A fetch that failed (no image list) tells nothing, and leaves the mirror as it is.
static bool ItemsChanged() {
  HIMAGELIST images = nullptr;
  FreshTable.count = 0;
  GetDeskTopData(&images, &FreshTable.count, FreshTable.items, DESKTOP_ITEM_CAPACITY);
  if (images == nullptr) return false;
  ImageList_Destroy(images);
  if (FreshTable.count > DESKTOP_ITEM_CAPACITY) FreshTable.count = DESKTOP_ITEM_CAPACITY;
  if (FreshTable.count != DesktopItemTable.count) return true;
  for (DWORD i = 0; i < FreshTable.count; ++i) {
    if (!SameItem(DesktopItemTable.items[i], FreshTable.items[i])) return true;
  }
  return false;
}

bool DesktopChangedSinceBuild() {
  if (MirrorIsStale) return true;
  if (DesktopListView == nullptr) return false;  // no desktop at the build: a refresh finds it
  if (!IsWindow(DesktopListView)) return true;   // the shell's windows are new
  if (ListViewMoved()) return true;
  if (ReadBefore && GetTickCount() - LastReadTick < DESKTOP_REREAD_MS) return false;
  bool changed = ShellAnswers() && ItemsChanged();
  LastReadTick = GetTickCount();
  ReadBefore = true;
  return changed;
}
