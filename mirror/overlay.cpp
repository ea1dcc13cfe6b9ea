// Puts the shell's shortcut arrow on the desktop items that are shortcuts. The desktop's images
// are shared by type (every folder shows the same one), so a shortcut gets a copy of its image with
// the arrow, appended to the list; the shared image stays plain for the other items that use it.
#include "mirror/overlay.h"

#include <algorithm>
#include <vector>

#include "mirror/mirror.h"

static bool IsShortcut(const ShortcutListing& user, const ShortcutListing& common, const DesktopItem& item) {
  return IsListedShortcut(user, item.name, sizeof item.name) ||
         IsListedShortcut(common, item.name, sizeof item.name);
}

// The records that are shortcuts and have an image of the list.
static std::vector<DWORD> FindShortcutRecords(int imageCount) {
  std::vector<DWORD> shortcuts;
  ShortcutFolder user = ReadShortcutFolder(HKEY_CURRENT_USER, USER_SHELL_FOLDERS_KEY, USER_DESKTOP_VALUE);
  ShortcutFolder common =
      ReadShortcutFolder(HKEY_LOCAL_MACHINE, COMMON_SHELL_FOLDERS_KEY, COMMON_DESKTOP_VALUE);
  if (!user.usable && !common.usable) return shortcuts;
  ShortcutListing userShortcuts = ListShortcutFiles(user);
  ShortcutListing commonShortcuts = ListShortcutFiles(common);
  for (DWORD i = 0; i < DesktopItemTable.count && i < DESKTOP_ITEM_CAPACITY; ++i) {
    const DesktopItem& item = DesktopItemTable.items[i];
    if (item.image < 0 || item.image >= imageCount) continue;
    if (IsShortcut(userShortcuts, commonShortcuts, item)) shortcuts.push_back(i);
  }
  return shortcuts;
}

void ApplyShortcutOverlays() {
  HIMAGELIST imageList = DesktopItemTable.imageList;
  if (imageList == nullptr) return;
  std::vector<DWORD> shortcuts = FindShortcutRecords(ImageList_GetImageCount(imageList));
  if (shortcuts.empty()) return;
  HICON arrow = LoadShortcutOverlayIcon();
  if (arrow == nullptr) return;

  // One copy with the arrow for each image that shortcuts show, however many of them show it.
  std::vector<int> images;
  for (DWORD record : shortcuts) images.push_back(DesktopItemTable.items[record].image);
  std::sort(images.begin(), images.end());
  images.erase(std::unique(images.begin(), images.end()), images.end());
  int first = AppendImagesWithArrow(imageList, images, arrow);
  DestroyIcon(arrow);
  if (first < 0) return;
  for (DWORD record : shortcuts) {
    LONG& image = DesktopItemTable.items[record].image;
    image = first + static_cast<LONG>(std::lower_bound(images.begin(), images.end(), image) - images.begin());
  }
}
