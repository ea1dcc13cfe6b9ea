// Pressing an item of the copy and moving past the drag distance carries the selected items out as
// a real drag (dragout/): the copy takes no room on the screen while it runs (an empty window
// region: the windows beneath are seen and take the drop, and the drag keeps the input, which a
// hidden window would lose under Wine) and is put away as any hide puts it away once it ended.
#include <vector>

#include "app/app.h"
#include "dragout/drag_out.h"
#include "hooklib/trace.h"
#include "mirror/mirror.h"

constexpr char TRACE_DRAG_NOT_UNIQUE[] = "==同名の項目のためドラッグしない==\r\n";
constexpr char TRACE_DRAG_NOT_FOUND[] = "==項目が見つからないためドラッグしない==\r\n";
constexpr char TRACE_DRAG_FAILED[] = "==ドラッグを始められない==\r\n";

static bool RegionEmptied = false;

static void EmptyMirrorRegion() {
  HRGN nothing = CreateRectRgn(0, 0, 0, 0);
  if (nothing == nullptr) return;
  if (SetWindowRgn(MirrorWindow, nothing, TRUE)) {
    RegionEmptied = true;  // the window owns the region now
  } else {
    DeleteObject(nothing);
  }
}

void RestoreMirrorRegion() {
  if (!RegionEmptied || MirrorWindow == nullptr) return;
  SetWindowRgn(MirrorWindow, nullptr, TRUE);
  RegionEmptied = false;
}

static void OnDragStarted() {
  DragOutRuns = true;
  EmptyMirrorRegion();
}

// The copy's selected items; labels point into the item table, which lives as long as the copy.
static std::vector<DragItem> SelectedItems() {
  std::vector<DragItem> items;
  for (LRESULT index = SendMessageA(MirrorListView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
       index >= 0; index = SendMessageA(MirrorListView, LVM_GETNEXTITEM, index, LVNI_SELECTED)) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = static_cast<int>(index);
    if (!SendMessageA(MirrorListView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) continue;
    DWORD record = static_cast<DWORD>(item.lParam);
    if (record >= DesktopItemTable.count) continue;
    const DesktopItem& desktopItem = DesktopItemTable.items[record];
    DragItem drag = {
        desktopItem.name, {desktopItem.x, desktopItem.y}, static_cast<int>(desktopItem.image), {}};
    drag.icon.left = LVIR_ICON;
    SendMessageA(MirrorListView, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&drag.icon));
    items.push_back(drag);
  }
  return items;
}

static void TraceRefusal(DragOutcome outcome) {
  if (outcome == DragOutcome::NotUnique) Trace("%s", TRACE_DRAG_NOT_UNIQUE);
  if (outcome == DragOutcome::NotFound) Trace("%s", TRACE_DRAG_NOT_FOUND);
  if (outcome == DragOutcome::Failed) Trace("%s", TRACE_DRAG_FAILED);
}

void StartItemDrag(const NMLISTVIEW& start) {
  FinishDesktopPress();
  if (IsMirrorVisible != 1 || DragOutRuns) return;
  std::vector<DragItem> items = SelectedItems();
  DragRequest request = {};
  request.items = items.data();
  request.count = items.size();
  request.images = DesktopItemTable.imageList;
  request.grab = start.ptAction;
  request.button = start.hdr.code == LVN_BEGINRDRAG ? MK_RBUTTON : MK_LBUTTON;
  request.desktopView = DesktopListView;
  request.started = OnDragStarted;
  DragOutcome outcome = DragOutItems(request);
  bool ran = DragOutRuns;
  DragOutRuns = false;
  if (!ran) {
    TraceRefusal(outcome);
    return;
  }
  PostMessageA(MainWindow, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_HIDE);
}
