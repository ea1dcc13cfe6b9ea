#include "vmh/used_images.h"

#include <memory>
#include <new>

// What of source's flags the copy keeps: the colour depth and whether it has masks.
constexpr UINT COPIED_FLAGS = ILC_MASK | ILC_COLORDDB;
constexpr int COPY_GROW = 4;  // room the program's later additions take (shortcut overlays)
// A picture copied through an icon costs as much as writing many pictures of a whole list (under
// Wine some 75 times as much): the copy is made only when the list holds this many times the
// pictures the items show, as the system image list does.
constexpr int LIST_TO_USED_FOR_COPY = 16;

template <typename Procedure>
static void Resolve(HMODULE controls, const char* name, Procedure& procedure) {
  FARPROC found = GetProcAddress(controls, name);
  procedure = reinterpret_cast<Procedure>(reinterpret_cast<void*>(found));
}

// The module that registered the list view's class; Wine names the program's own module there,
// and then the process's common controls are the list view's.
static HMODULE ControlsOf(HWND listView) {
  auto owner = reinterpret_cast<HMODULE>(GetClassLongPtrA(listView, GCLP_HMODULE));
  if (owner != nullptr && GetProcAddress(owner, "ImageList_Create") != nullptr) return owner;
  return GetModuleHandleA("comctl32.dll");
}

ImageListCalls ImageListCallsOf(HWND listView) {
  ImageListCalls calls = {};
  HMODULE controls = ControlsOf(listView);
  if (controls != nullptr) {
    Resolve(controls, "ImageList_Write", calls.write);
    Resolve(controls, "ImageList_GetImageCount", calls.getImageCount);
    Resolve(controls, "ImageList_GetIconSize", calls.getIconSize);
    Resolve(controls, "ImageList_GetFlags", calls.getFlags);
    Resolve(controls, "ImageList_GetBkColor", calls.getBkColor);
    Resolve(controls, "ImageList_SetBkColor", calls.setBkColor);
    Resolve(controls, "ImageList_Create", calls.create);
    Resolve(controls, "ImageList_GetIcon", calls.getIcon);
    Resolve(controls, "ImageList_ReplaceIcon", calls.replaceIcon);
    Resolve(controls, "ImageList_Destroy", calls.destroy);
  }
  if (calls.write == nullptr) calls.write = ImageList_Write;
  return calls;
}

static bool CanCopy(const ImageListCalls& calls) {
  return calls.getImageCount != nullptr && calls.getIconSize != nullptr && calls.getFlags != nullptr &&
         calls.getBkColor != nullptr && calls.setBkColor != nullptr && calls.create != nullptr &&
         calls.getIcon != nullptr && calls.replaceIcon != nullptr && calls.destroy != nullptr;
}

// Where picture image of source stands among the first used ones of chosen; used when absent.
static int PositionOf(const int* chosen, int used, int image) {
  int position = 0;
  while (position < used && chosen[position] != image) ++position;
  return position;
}

// Appends picture image of source to copy, through an icon, which carries its colours, alpha and mask.
static bool CopyPicture(const ImageListCalls& calls, HIMAGELIST source, int image, HIMAGELIST copy) {
  HICON icon = calls.getIcon(source, image, ILD_NORMAL);
  if (icon == nullptr) return false;
  bool added = calls.replaceIcon(copy, -1, icon) >= 0;
  DestroyIcon(icon);
  return added;
}

HIMAGELIST CopyUsedImages(const ImageListCalls& calls, HIMAGELIST source, DesktopItem* records,
                          uint32_t count) {
  int width = 0, height = 0;
  if (!CanCopy(calls) || !calls.getIconSize(source, &width, &height)) return nullptr;
  int available = calls.getImageCount(source);
  // chosen[k]: the picture of source that the copy's picture k is.
  std::unique_ptr<int[]> chosen(new (std::nothrow) int[count > 0 ? count : 1]);
  if (!chosen) return nullptr;
  int used = 0;
  for (uint32_t i = 0; i < count; ++i) {
    int image = records[i].image;
    if (image >= 0 && image < available && PositionOf(chosen.get(), used, image) == used)
      chosen[used++] = image;
  }
  if (used * LIST_TO_USED_FOR_COPY > available) return nullptr;  // the whole list is cheaper
  HIMAGELIST copy = calls.create(width, height, calls.getFlags(source) & COPIED_FLAGS, used, COPY_GROW);
  if (copy == nullptr) return nullptr;
  calls.setBkColor(copy, calls.getBkColor(source));
  for (int k = 0; k < used; ++k) {
    if (!CopyPicture(calls, source, chosen[k], copy)) {
      calls.destroy(copy);
      return nullptr;
    }
  }
  for (uint32_t i = 0; i < count; ++i) {
    int image = records[i].image;
    if (image >= 0 && image < available) records[i].image = PositionOf(chosen.get(), used, image);
  }
  return copy;
}
