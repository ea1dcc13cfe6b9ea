// Bringing the mirror in front of the user and sending it away again, in either mode: moved
// off-screen and back (move mode) or hidden and shown in place.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "mirror/mirror.h"
#include "settings/settings.h"

LONG IsMirrorVisible;
HWND PreviousForegroundWindow;
LONG LastSelectedItem = -1;

constexpr LONG NO_SELECTED_ITEM = -1;
// The re-selection click lands this far inside the item's top-left corner.
constexpr WORD RESELECT_OFFSET = 10;
constexpr BYTE HALF_BRIGHTNESS_ALPHA = 128;
constexpr UINT SHOW_FLAGS = SWP_SHOWWINDOW | SWP_NOSIZE;
constexpr UINT PARK_FLAGS = SWP_NOACTIVATE | SWP_NOSIZE;
static_assert(SHOW_FLAGS == 0x41 && PARK_FLAGS == 0x11, "placement flags");

// Darkens the new picture to about half brightness with the black shade.
static void DarkenSnapshot() {
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, HALF_BRIGHTNESS_ALPHA, 0};
  AlphaBlendProc(DesktopSnapshot.dc, 0, 0, ShadeBitmap.width, ShadeBitmap.height, ShadeBitmap.dc, 0, 0,
                 ShadeBitmap.width, ShadeBitmap.height, blend);
}

static void BringMirrorBack() {
  HWND insertAfter = Settings.TopMost == 1 ? HWND_TOPMOST : HWND_TOP;
  SetWindowPos(MirrorWindow, insertAfter, DesktopRect.left, DesktopRect.top, 0, 0, SHOW_FLAGS);
  ForceForeground(MirrorWindow);
  BringWindowToTop(MirrorWindow);
}

static void PostClick(HWND window, LPARAM point) {
  if (window == nullptr) return;  // (a null window would make these messages to this thread)
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, point);
  PostMessageA(window, WM_LBUTTONUP, MK_LBUTTON, point);
}

// Clicks the item selected at the last hide (the first item before any), in the desktop and in
// the copy.
static void ReselectLastItem() {
  LONG index = LastSelectedItem == NO_SELECTED_ITEM ? 0 : LastSelectedItem;
  const DesktopItem& record = DesktopItemTable.items[index];
  LPARAM point = MAKELPARAM(static_cast<WORD>(LOWORD(record.x) + RESELECT_OFFSET),
                            static_cast<WORD>(LOWORD(record.y) + RESELECT_OFFSET));
  PostClick(DesktopListView, point);
  PostClick(MirrorListView, point);
}

static void RememberSelectedItem() {
  for (DWORD i = 0; i < DesktopItemTable.count; ++i) {
    if (SendMessageA(MirrorListView, LVM_GETITEMSTATE, i, LVIS_SELECTED) == 0) continue;
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = static_cast<int>(i);
    SendMessageA(MirrorListView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    LastSelectedItem = static_cast<LONG>(item.lParam);
    return;
  }
}

int ShowMirror() {
  if (MirrorWindow == nullptr) return 0;
  if (IsMirrorVisible != 0) return 1;
  IsMirrorVisible = 1;
  SetIsViewVelmo(1);
  PreviousForegroundWindow = GetForegroundWindow();

  CaptureDesktopSnapshot();
  if (AlphaBlendProc != nullptr) DarkenSnapshot();

  if (Settings.MoveWindow == 1) {
    BringMirrorBack();
  } else {
    ShowWindow(MirrorWindow, SW_SHOWNORMAL);
  }
  // Where the system kept the window's old pixels (a composited desktop, a parked mirror still on
  // a large screen), bringing it back repaints nothing: have the new picture painted.
  if (MirrorListView != nullptr) InvalidateRect(MirrorListView, nullptr, TRUE);
  ReselectLastItem();
  return 1;
}

int HideMirror() {
  if (MirrorWindow == nullptr) return 0;
  if (IsMirrorVisible != 1) return 1;
  IsMirrorVisible = 0;
  SetIsViewVelmo(0);
  RememberSelectedItem();
  if (DesktopListView != nullptr) PostMessageA(DesktopListView, WM_KILLFOCUS, 0, 0);

  if (Settings.MoveWindow == 1) {
    SetWindowPos(MirrorWindow, HWND_BOTTOM, MIRROR_PARK_X, MIRROR_PARK_Y, 0, 0, PARK_FLAGS);
    if (PreviousForegroundWindow != nullptr) SetForegroundWindow(PreviousForegroundWindow);
  } else {
    ShowWindow(MirrorWindow, SW_HIDE);
  }
  return 1;
}

void ForceForeground(HWND window) {
  DWORD foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  DWORD ownThread = GetCurrentThreadId();
  AttachThreadInput(ownThread, foregroundThread, TRUE);
  SetForegroundWindow(window);
  AttachThreadInput(ownThread, foregroundThread, FALSE);
}
