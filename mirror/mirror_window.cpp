// MirrorWindow's procedure: on creation it takes the first picture of the screen and fills
// MirrorListView with the desktop's icons, their colours and spacing; after the build it draws the
// icon layer; on destruction it empties the table and releases the layer and the picture.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "app/app.h"
#include "mirror/icon_layer.h"
#include "mirror/mirror.h"

HWND MirrorListView;
WNDPROC SavedListViewProc;
// The desktop's label font, made for each build whose desktop has one; deleted with the mirror.
static HFONT MirrorFont;

constexpr DWORD MIRROR_LIST_VIEW_STYLE = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | LVS_ICON |
                                         LVS_SORTDESCENDING | LVS_SHAREIMAGELISTS | LVS_EDITLABELS |
                                         LVS_ALIGNLEFT | LVS_NOSCROLL;
static_assert(MIRROR_LIST_VIEW_STYLE == 0x52002A60, "mirror list view style");

// WM_SYSCOMMAND's low four bits are the system's own.
constexpr WPARAM SYSCOMMAND_MASK = 0xFFF0;

// LVM_GETITEMSPACING's wParam: the spacing of large icons, not of small ones.
constexpr WPARAM LARGE_ICON_SPACING = FALSE;

// The desktop list view lives in the shell's process; a hung shell must not hang us.
constexpr UINT SHELL_MESSAGE_TIMEOUT_MS = 300;

// Sends a message with a plain-value answer to the desktop list view. False when the shell did not
// answer in time (or there is no list view).
static bool AskDesktop(UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* answer) {
  *answer = 0;
  if (DesktopListView == nullptr) return false;
  return SendMessageTimeoutA(DesktopListView, message, wParam, lParam, SMTO_ABORTIFHUNG,
                             SHELL_MESSAGE_TIMEOUT_MS, answer) != 0;
}

static void CreateMirrorListView(HWND mirror) {
  MirrorListView = CreateWindowExA(0, WC_LISTVIEWA, "", MIRROR_LIST_VIEW_STYLE, 0, 0, DesktopRect.width,
                                   DesktopRect.height, mirror, nullptr, AppInstance, nullptr);
  SavedListViewProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(MirrorListView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MirrorListViewProc)));
}

// The labels take the desktop's own font, so that each lies where the desktop's does; without one
// the list view keeps the font it made for itself.
static void CopyDesktopFont() {
  LOGFONTA font = {};
  if (!GetDesktopFont(&font)) return;
  MirrorFont = CreateFontIndirectA(&font);
  if (MirrorFont != nullptr)
    SendMessageA(MirrorListView, WM_SETFONT, reinterpret_cast<WPARAM>(MirrorFont), FALSE);
}

static void CopyDesktopColours() {
  SendMessageA(MirrorListView, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
  DWORD_PTR textColour = 0;
  if (AskDesktop(LVM_GETTEXTCOLOR, 0, 0, &textColour)) {
    SendMessageA(MirrorListView, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(textColour));
  }
  if (AlphaBlendProc != nullptr) {
    SendMessageA(MirrorListView, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
    return;
  }
  DWORD_PTR textBackground = 0;
  if (AskDesktop(LVM_GETTEXTBKCOLOR, 0, 0, &textBackground)) {
    SendMessageA(MirrorListView, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(textBackground));
  }
}

// The desktop's spacing is only read: anything set there, even for a moment, could stay (a send
// that timed out is still carried out later) and re-flows an auto-arranged desktop.
static void CopyDesktopIconSpacing() {
  DWORD_PTR spacing = 0;
  if (!AskDesktop(LVM_GETITEMSPACING, LARGE_ICON_SPACING, 0, &spacing)) return;
  SendMessageA(MirrorListView, LVM_SETICONSPACING, 0, static_cast<LPARAM>(spacing));
}

// The records in the order that a list view sorted in descending order takes fastest: ascending
// by text, equal texts in table order. Each item then goes in front of all the others after one
// comparison, and equal texts end up in the order that table order gives them. Wine's list view
// compares a new item with the items it holds one by one, from the first, as lstrcmpW of its own
// UTF-16 copies, made from our texts in the ANSI code page; Windows documents only that the order
// follows the texts. So the order is taken with the same comparison of the same copies: lstrcmpA
// would convert with the thread locale's code page, which differs from the ANSI one under UTF-8.
static void InsertionOrder(DWORD* order) {
  static WCHAR names[DESKTOP_ITEM_CAPACITY][DESKTOP_ITEM_NAME_SIZE];
  for (DWORD i = 0; i < DesktopItemTable.count; ++i) {
    order[i] = i;
    const char* name = DesktopItemTable.items[i].name;
    int length =
        MultiByteToWideChar(CP_ACP, 0, name, static_cast<int>(strnlen(name, DESKTOP_ITEM_NAME_SIZE - 1)),
                            names[i], DESKTOP_ITEM_NAME_SIZE - 1);
    names[i][length] = L'\0';  // 0 when it failed
  }
  std::stable_sort(order, order + DesktopItemTable.count,
                   [](DWORD a, DWORD b) { return lstrcmpW(names[a], names[b]) < 0; });
}

// Wine's list view lays an icon view out in a grid at its first paint that finds items and drops
// the positions given before. Printed once with its first item into a DC that shows nothing (a
// new memory DC holds a single pixel), it has had that paint and keeps every position given later.
static void LayOutOnce() {
  HDC nowhere = CreateCompatibleDC(nullptr);
  if (nowhere == nullptr) return;
  SendMessageA(MirrorListView, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(nowhere), PRF_CLIENT);
  DeleteDC(nowhere);
}

static void InsertDesktopItems() {
  static DWORD order[DESKTOP_ITEM_CAPACITY];
  InsertionOrder(order);
  for (DWORD n = 0; n < DesktopItemTable.count; ++n) {
    DWORD i = order[n];
    DesktopItem& record = DesktopItemTable.items[i];
    record.name[DESKTOP_ITEM_NAME_SIZE - 1] = '\0';
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = 0;
    item.pszText = record.name;
    item.iImage = record.image;
    item.lParam = static_cast<LPARAM>(i);
    LRESULT index = SendMessageA(MirrorListView, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    record.listIndex = static_cast<LONG>(index);
    if (n == 0) LayOutOnce();
    SendMessageA(MirrorListView, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                 MAKELPARAM(LOWORD(record.x), LOWORD(record.y)));
  }
}

// The list view keeps its items sorted, so an insertion moves the items after it: once all are in,
// each record learns where its item finally stands.
static void RecordFinalListIndexes() {
  int items = static_cast<int>(SendMessageA(MirrorListView, LVM_GETITEMCOUNT, 0, 0));
  for (int index = 0; index < items; ++index) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!SendMessageA(MirrorListView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) continue;
    DWORD record = static_cast<DWORD>(item.lParam);
    if (record < DesktopItemTable.count) DesktopItemTable.items[record].listIndex = index;
  }
}

// The list view redraws after every insertion and move unless told not to; the whole fill is
// drawn once at the end.
void FillMirrorListView() {
  SendMessageA(MirrorListView, WM_SETREDRAW, FALSE, 0);
  InsertDesktopItems();
  RecordFinalListIndexes();
  SendMessageA(MirrorListView, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(MirrorListView, nullptr, TRUE);
}

static void OnCreate(HWND mirror) {
  CaptureDesktopSnapshot();
  CreateMirrorListView(mirror);
  SendMessageA(MirrorListView, LVM_SETIMAGELIST, LVSIL_NORMAL,
               reinterpret_cast<LPARAM>(DesktopItemTable.imageList));
  CopyDesktopFont();
  CopyDesktopColours();
  CopyDesktopIconSpacing();
  FillMirrorListView();
}

static void OnDestroy() {
  FreeIconLayer();
  FreeMirrorPicture();
  if (DesktopItemTable.imageList != nullptr) ImageList_Destroy(DesktopItemTable.imageList);
  DesktopItemTable.imageList = nullptr;
  DesktopItemTable.count = 0;
  MirrorWindow = nullptr;
}

// A slow second click on a selected icon would start label editing in the copy, whose edit control
// takes the focus and so hides the mirror; the click itself has gone on to the desktop.
static bool IsLabelEditStart(LPARAM lParam) {
  UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
  return code == LVN_BEGINLABELEDITA || code == LVN_BEGINLABELEDITW;
}

static bool IsDragStart(LPARAM lParam) {
  UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
  return code == LVN_BEGINDRAG || code == LVN_BEGINRDRAG;
}

LRESULT CALLBACK MirrorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate(window);
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_NCDESTROY:  // the list view that drew with the font is gone
      if (MirrorFont != nullptr) DeleteObject(MirrorFont);
      MirrorFont = nullptr;
      break;
    case WM_TIMER:
      if (wParam != ICON_LAYER_TIMER) break;
      KillTimer(window, ICON_LAYER_TIMER);
      DrawIconLayer();
      return 0;
    case WM_NOTIFY:
      if (IsLabelEditStart(lParam)) return TRUE;  // refused
      if (IsDragStart(lParam)) {
        StartItemDrag(*reinterpret_cast<const NMLISTVIEW*>(lParam));
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      // Alt+F4 puts the mirror away as Esc does; the window itself stays for the next show.
      if ((wParam & SYSCOMMAND_MASK) == SC_CLOSE) {
        PostMessageA(MainWindow, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_HIDE);
        return 0;
      }
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
