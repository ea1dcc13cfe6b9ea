// Puts the shell's shortcut arrow on the images of the desktop items that are shortcuts.
#include "mirror/overlay.h"

#include "mirror/mirror.h"

// The merged image as an icon, composed again where the merge mishandled per-pixel alpha. overlay
// is the overlay image as an icon (null when the list could not give it).
static HICON MergedIcon(HIMAGELIST imageList, int image, HICON overlay, HIMAGELIST merged) {
  HICON icon = ImageList_GetIcon(merged, 0, ILD_NORMAL);
  if (icon == nullptr) return nullptr;
  HICON plain = ImageList_GetIcon(imageList, image, ILD_NORMAL);
  HICON composed =
      plain != nullptr && overlay != nullptr ? ComposeOverlayOverPlain(icon, plain, overlay) : nullptr;
  if (plain != nullptr) DestroyIcon(plain);
  if (composed == nullptr) return icon;
  DestroyIcon(icon);
  return composed;
}

// Draws the overlay over one image of the list, in place. A failure leaves the image as it was.
static void MergeOverlayInto(HIMAGELIST imageList, int image, int overlayImage, HICON overlay) {
  HIMAGELIST merged = ImageList_Merge(imageList, image, imageList, overlayImage, 0, 0);
  if (merged == nullptr) return;
  HICON icon = MergedIcon(imageList, image, overlay, merged);
  if (icon != nullptr) {
    ImageList_ReplaceIcon(imageList, image, icon);
    DestroyIcon(icon);
  }
  ImageList_Destroy(merged);
}

static bool IsShortcut(const ShortcutListing& user, const ShortcutListing& common, const DesktopItem& item) {
  return IsListedShortcut(user, item.name, sizeof item.name) ||
         IsListedShortcut(common, item.name, sizeof item.name);
}

void ApplyShortcutOverlays() {
  HIMAGELIST imageList = DesktopItemTable.imageList;
  HICON overlay = LoadShortcutOverlayIcon();
  if (overlay == nullptr) return;
  int overlayImage = ImageList_ReplaceIcon(imageList, -1, overlay);
  DestroyIcon(overlay);
  if (overlayImage == -1) return;

  ShortcutFolder user = ReadShortcutFolder(HKEY_CURRENT_USER, USER_SHELL_FOLDERS_KEY, USER_DESKTOP_VALUE);
  ShortcutFolder common =
      ReadShortcutFolder(HKEY_LOCAL_MACHINE, COMMON_SHELL_FOLDERS_KEY, COMMON_DESKTOP_VALUE);
  if (user.usable || common.usable) {
    ShortcutListing userShortcuts = ListShortcutFiles(user);
    ShortcutListing commonShortcuts = ListShortcutFiles(common);
    // The overlay image stays as it is while the item images change: one icon of it serves all.
    HICON overlayIcon = ImageList_GetIcon(imageList, overlayImage, ILD_NORMAL);
    for (DWORD i = 0; i < DesktopItemTable.count && i < DESKTOP_ITEM_CAPACITY; ++i) {
      const DesktopItem& item = DesktopItemTable.items[i];
      // Only the item images proper: never the overlay itself, never an index the list lacks.
      if (item.image < 0 || item.image >= overlayImage) continue;
      if (IsShortcut(userShortcuts, commonShortcuts, item))
        MergeOverlayInto(imageList, item.image, overlayImage, overlayIcon);
    }
    if (overlayIcon != nullptr) DestroyIcon(overlayIcon);
  }
  ImageList_Remove(imageList, overlayImage);
}
