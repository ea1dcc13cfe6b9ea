// Bringing the mirror in front of the user and sending it away again, in either mode: moved
// off-screen and back (move mode) or hidden and shown in place.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "app/window_state.h"
#include "mirror/icon_layer.h"
#include "mirror/mirror.h"
#include "settings/settings.h"

LONG IsMirrorVisible;
HWND PreviousForegroundWindow;
LONG LastSelectedItem = -1;

// The re-selection click lands this far inside the item's top-left corner.
constexpr WORD RESELECT_OFFSET = 10;
constexpr UINT SHOW_FLAGS = SWP_SHOWWINDOW | SWP_NOSIZE;
constexpr UINT PARK_FLAGS = SWP_NOACTIVATE | SWP_NOSIZE;
static_assert(SHOW_FLAGS == 0x41 && PARK_FLAGS == 0x11, "placement flags");
// A foreground window that does not answer this fast is not attached to: its thread may be hung.
constexpr UINT FOREGROUND_ANSWER_MS = 100;

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

// Clicks the item selected at the last hide (the first item before any, or when the remembered one
// lies beyond the table), in the desktop and in the copy. An empty table gets no click: it would
// land on an empty spot.
static void ReselectLastItem() {
  if (DesktopItemTable.count == 0) return;
  LONG index = LastSelectedItem;
  if (index == NO_SELECTED_ITEM || index < 0 || static_cast<DWORD>(index) >= DesktopItemTable.count)
    index = 0;
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

// A window that can take the foreground without surprising anyone: shown where the user can see it
// (not minimised, not cloaked on another virtual desktop), enabled, and answering (a hung window
// would take the foreground and show nothing new).
static bool CanTakeForeground(HWND window) {
  return window != nullptr && IsWindowVisible(window) && IsWindowEnabled(window) && !IsIconic(window) &&
         !IsWindowCloaked(window) && !IsHungAppWindow(window);
}

// The first window in the Z order that the system itself would activate in the parked mirror's
// place: top-level, not a tool window, not ours, and able to take the foreground.
static HWND NextWindowToActivate() {
  for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
    if (window == MirrorWindow || window == MainWindow || !CanTakeForeground(window)) continue;
    LONG_PTR extended = GetWindowLongPtrA(window, GWL_EXSTYLE);
    if ((extended & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) == 0) return window;
  }
  return nullptr;
}

// A parked mirror stays visible, so nothing takes the foreground from it by itself; kept, keys
// typed later would go on to the desktop. Only a mirror that holds the foreground gives it away
// (a new mirror's first hide, or a mirror the user has left, has nothing to give): to the window
// that had it before this show, else the one the system would choose, else no window at all.
static void GiveForegroundAway() {
  if (GetForegroundWindow() != MirrorWindow) return;
  if (CanTakeForeground(PreviousForegroundWindow)) SetForegroundWindow(PreviousForegroundWindow);
  if (GetForegroundWindow() != MirrorWindow) return;
  HWND next = NextWindowToActivate();
  if (next != nullptr) SetForegroundWindow(next);
  if (GetForegroundWindow() != MirrorWindow) return;
  SetFocus(nullptr);  // keys typed now are ignored
  SetActiveWindow(nullptr);
}

int ShowMirror() {
  if (MirrorWindow == nullptr) return 0;
  if (IsMirrorVisible != 0) return 1;
  IsMirrorVisible = 1;
  SetIsViewVelmo(1);
  // The mirror (or MainWindow) is never the window to give the foreground back to.
  HWND foreground = GetForegroundWindow();
  bool ours = foreground == MirrorWindow || foreground == MainWindow;
  PreviousForegroundWindow = ours ? nullptr : foreground;

  CaptureDesktopSnapshot();
  ComposeMirrorPicture();

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
    if (!ForegroundGoesToShell) GiveForegroundAway();
  } else {
    ShowWindow(MirrorWindow, SW_HIDE);
  }
  RestoreMirrorRegion();
  // The window to give the foreground back to belongs to one show.
  PreviousForegroundWindow = nullptr;
  return 1;
}

// Attaching to the thread of a window that does not answer would make this thread wait for it.
static bool AnswersPromptly(HWND window) {
  if (IsHungAppWindow(window)) return false;
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, FOREGROUND_ANSWER_MS, &ignored) != 0;
}

void ForceForeground(HWND window) {
  HWND foreground = GetForegroundWindow();
  DWORD foregroundThread = foreground != nullptr ? GetWindowThreadProcessId(foreground, nullptr) : 0;
  DWORD ownThread = GetCurrentThreadId();
  bool attached = foregroundThread != 0 && foregroundThread != ownThread && AnswersPromptly(foreground) &&
                  AttachThreadInput(ownThread, foregroundThread, TRUE);
  SetForegroundWindow(window);
  if (attached) AttachThreadInput(ownThread, foregroundThread, FALSE);
}
