// MirrorListView's paint from MirrorPicture. The picture holds every item as an untouched one
// looks; an item that is selected, focused or hot looks otherwise, and the list view draws the
// area of each such item again over the darkened snapshot, clipped to that area: inside it the
// list view draws every item that reaches there, in its own order, as it would in a paint of its
// own, and outside it the picture is already right.
#include <windows.h>
#include <commctrl.h>

#include "mirror/icon_layer.h"
#include "mirror/mirror.h"

// More changed items than this in one paint (a whole selection, say): the list view draws the whole
// area at once instead, which costs less than many overlapping areas.
constexpr int SEPARATE_REDRAWS = 16;
constexpr LRESULT NO_ITEM = -1;

struct ChangedAreas {
  RECT rects[SEPARATE_REDRAWS];
  int count = 0;
  bool tooMany = false;
};

// Adds the part of the item's rectangle that lies in the area to paint.
static void AddItem(HWND listView, LRESULT item, const RECT& area, ChangedAreas& changed) {
  RECT bounds = {};
  bounds.left = LVIR_BOUNDS;
  if (!SendMessageA(listView, LVM_GETITEMRECT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&bounds)))
    return;
  RECT part = {};
  if (!IntersectRect(&part, &bounds, &area)) return;
  if (changed.count == SEPARATE_REDRAWS) {
    changed.tooMany = true;
    return;
  }
  changed.rects[changed.count++] = part;
}

static bool IsSelected(HWND listView, LRESULT item) {
  return SendMessageA(listView, LVM_GETITEMSTATE, static_cast<WPARAM>(item), LVIS_SELECTED) != 0;
}

// The selected items, then the focused and the hot one unless they are among them.
static ChangedAreas FindChangedAreas(HWND listView, const RECT& area) {
  ChangedAreas changed;
  LRESULT item = NO_ITEM;
  while (!changed.tooMany && (item = SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(item),
                                                  LVNI_SELECTED)) != NO_ITEM)
    AddItem(listView, item, area, changed);
  LRESULT focused = SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(NO_ITEM), LVNI_FOCUSED);
  if (focused != NO_ITEM && !IsSelected(listView, focused)) AddItem(listView, focused, area, changed);
  LRESULT hot = SendMessageA(listView, LVM_GETHOTITEM, 0, 0);
  if (hot != NO_ITEM && hot != focused && !IsSelected(listView, hot)) AddItem(listView, hot, area, changed);
  return changed;
}

// The darkened snapshot under the rectangle, and the list view's own drawing over it.
static void RedrawOverSnapshot(HWND listView, HDC dc, const RECT& rect) {
  int saved = SaveDC(dc);
  IntersectClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
  BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, DesktopSnapshot.dc,
         rect.left, rect.top, SRCCOPY);
  CallWindowProcA(SavedListViewProc, listView, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  RestoreDC(dc, saved);
}

static bool PictureCurrent = false;

void MarkMirrorPictureCurrent() { PictureCurrent = true; }

void ForgetMirrorPicture() { PictureCurrent = false; }

bool MirrorPictureIsCurrent() { return PictureCurrent && MirrorPicture.dc != nullptr; }

bool MirrorPicturePaints(HWND listView) { return MirrorPictureIsCurrent() && GetCapture() != listView; }

bool PaintFromMirrorPicture(HWND listView) {
  if (!MirrorPicturePaints(listView)) return false;
  PAINTSTRUCT paint = {};
  HDC dc = BeginPaint(listView, &paint);
  if (dc != nullptr) {
    const RECT& area = paint.rcPaint;
    BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, MirrorPicture.dc,
           area.left, area.top, SRCCOPY);
    ChangedAreas changed = FindChangedAreas(listView, area);
    if (changed.tooMany) {
      RedrawOverSnapshot(listView, dc, area);
    } else {
      for (int i = 0; i < changed.count; ++i) RedrawOverSnapshot(listView, dc, changed.rects[i]);
    }
  }
  EndPaint(listView, &paint);
  return true;
}
