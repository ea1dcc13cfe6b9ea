// What painting the same icons costs a bare list view: a window of the mirror's size holding a list
// view with the mirror's style, image list, texts and positions, but none of the program's
// procedures. Its paint against the mirror's own tells how much of the show's paint is the list
// view's drawing of the items.
#include <windows.h>
#include <commctrl.h>

#include "bench/common/bench_table.h"
#include "bench/mirror/mirror_bench.h"
#include "mirror/mirror.h"

constexpr int PAINT_ROUNDS = 21;
constexpr DWORD SETTLE_MS = 20;
constexpr DWORD BARE_LIST_VIEW_STYLE = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | LVS_ICON |
                                       LVS_SORTDESCENDING | LVS_SHAREIMAGELISTS | LVS_EDITLABELS |
                                       LVS_ALIGNLEFT | LVS_NOSCROLL;
constexpr DWORD BARE_WINDOW_STYLE = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;

static void FillLikeTheMirror(HWND list) {
  SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(DesktopItemTable.imageList));
  SendMessageA(list, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
  SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
  for (DWORD i = 0; i < DesktopItemTable.count; ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.pszText = DesktopItemTable.items[i].name;
    item.iImage = DesktopItemTable.items[i].image;
    item.lParam = static_cast<LPARAM>(i);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  // Positions given before the first paint are lost to the grid that paint lays out.
  UpdateWindow(list);
  for (DWORD i = 0; i < DesktopItemTable.count; ++i) {
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(i);
    LRESULT index =
        SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
    const DesktopItem& record = DesktopItemTable.items[i];
    SendMessageA(list, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                 MAKELPARAM(LOWORD(record.x), LOWORD(record.y)));
  }
}

Samples MeasureBareListViewPaint() {
  Samples paint;
  HWND window =
      CreateWindowExA(WS_EX_TOPMOST, WC_STATICA, "", BARE_WINDOW_STYLE, DesktopRect.left, DesktopRect.top,
                      DesktopRect.width, DesktopRect.height, nullptr, nullptr, nullptr, nullptr);
  HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", BARE_LIST_VIEW_STYLE, 0, 0, DesktopRect.width,
                              DesktopRect.height, window, nullptr, nullptr, nullptr);
  if (window == nullptr || list == nullptr) {
    if (window != nullptr) DestroyWindow(window);
    return paint;
  }
  FillLikeTheMirror(list);
  for (int round = 0; round < PAINT_ROUNDS; ++round) {
    paint.Add(MillisecondsOf([list] {
      InvalidateRect(list, nullptr, TRUE);
      UpdateWindow(list);
      GdiFlush();
    }));
    Pump(SETTLE_MS);
  }
  DestroyWindow(window);
  return paint;
}
