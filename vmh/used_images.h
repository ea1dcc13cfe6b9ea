// The pictures that the desktop's items show, taken out of the list view's image list. That list is
// usually the shell's system image list, thousands of icons, of which the desktop shows a few: a
// fresh list of those few is what crosses to the caller.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objidl.h>

#include <cstdint>

#include "hooklib/vmh.h"

// The image-list functions of the common controls that made the list view, which own its list
// (version 5 and version 6 are different modules and do not take each other's lists). Any of them
// but write may be null where that module lacks it.
struct ImageListCalls {
  BOOL(WINAPI* write)(HIMAGELIST, IStream*);
  int(WINAPI* getImageCount)(HIMAGELIST);
  BOOL(WINAPI* getIconSize)(HIMAGELIST, int*, int*);
  DWORD(WINAPI* getFlags)(HIMAGELIST);
  COLORREF(WINAPI* getBkColor)(HIMAGELIST);
  COLORREF(WINAPI* setBkColor)(HIMAGELIST, COLORREF);
  HIMAGELIST(WINAPI* create)(int, int, UINT, int, int);
  HICON(WINAPI* getIcon)(HIMAGELIST, int, UINT);
  int(WINAPI* replaceIcon)(HIMAGELIST, int, HICON);
  BOOL(WINAPI* destroy)(HIMAGELIST);
};

ImageListCalls ImageListCallsOf(HWND listView);

// A new list of source's size, colour depth, mask and background holding the pictures that the
// records show, in the order the records first show them, and the records renumbered to it. An
// index outside source stays as it is (it stays outside the new list too). Null, with the records
// untouched, when the list is not much larger than the pictures shown (then writing it whole is
// quicker) or any copy fails. The caller destroys the list with calls.destroy.
HIMAGELIST CopyUsedImages(const ImageListCalls& calls, HIMAGELIST source, DesktopItem* records,
                          uint32_t count);
