// MirrorListView's procedure: passes the user's input on to the shell's desktop list view, paints
// the picture of the screen behind the copied icons and asks MainWindow to hide the mirror on the
// chosen triggers.
#include "mirror/mirror.h"

#include <windowsx.h>

#include "app/app.h"
#include "hooklib/trace.h"
#include "mirror/icon_layer.h"
#include "settings/settings.h"

// The desktop list view lives in the shell's process; a hung shell must not hang the mirror. Sent
// messages whose answers are discarded anyway wait this long at most.
constexpr UINT DESKTOP_SEND_TIMEOUT_MS = 50;

// A trigger setting switches its trigger on only with this value.
constexpr LONG TRIGGER_ON = 1;

// GetKeyState's "held down" bit.
constexpr SHORT KEY_DOWN_BIT = static_cast<SHORT>(0x8000);

// WM_CONTEXTMENU's point when the menu comes from the keyboard: the list view puts it at the selection.
constexpr LPARAM CONTEXT_MENU_AT_SELECTION = static_cast<LPARAM>(-1);

constexpr char TRACE_FOCUS_LOST[] = "==ﾌｫｰｶｽを失った==\r\n";
constexpr char TRACE_ESCAPE_PRESSED[] = "==ESC押下==\r\n";
constexpr char TRACE_MISSED_ICON[] = "==ｱｲｺﾝ以外の場所をｸﾘｯｸ==\r\n";
constexpr char TRACE_DOUBLE_CLICK[] = "==応急処置==\r\n";

bool ForegroundGoesToShell = false;
bool DragOutRuns = false;

// Set once the copy's item positions have been checked after the list view's first paint with
// items; cleared with the list view.
static bool ItemPositionsChecked = false;

// Set while a button that went down on the desktop has not come up there: a double click hides the
// mirror between the two.
static bool DesktopHoldsButton = false;

// A press of the left or right button on an item, from its button-down to its button-up. Past the
// system's drag distance it may become a drag out (item_drag.cpp); the desktop's list view must not
// start a drag of its own from it, so its press ends there (finished).
static struct {
  bool held;
  WPARAM button;  // MK_LBUTTON or MK_RBUTTON
  LPARAM at;
  bool finished;
} Press = {false, 0, 0, false};

// Input reaches the desktop only from a mirror the user sees, and not while a drag out runs. A
// parked mirror can keep the foreground, and what is typed then is not meant for the desktop.
static bool ReachesDesktop() { return IsMirrorVisible == 1 && !DragOutRuns; }

// Keys and buttons travel with the Shift, Ctrl and Alt that the user holds now.
static void PostOn(UINT message, WPARAM wParam, LPARAM lParam) {
  PostDesktopInput(DesktopListView, message, wParam, lParam);
}

static void SendOn(UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(DesktopListView, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                      DESKTOP_SEND_TIMEOUT_MS, &ignored);
}

static void PostHideRequest() { PostMessageA(MainWindow, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_HIDE); }

static void OnKillFocus() {
  if (IsMirrorVisible == 1) PreviousForegroundWindow = nullptr;
  if (Settings.KillFocus == TRIGGER_ON && IsMirrorVisible == 1) {
    Trace("%s", TRACE_FOCUS_LOST);
    PostHideRequest();
  }
}

static void PaintSnapshot(HDC target) {
  if (target == nullptr || DesktopSnapshot.dc == nullptr) return;
  BitBlt(target, 0, 0, DesktopRect.width, DesktopRect.height, DesktopSnapshot.dc, 0, 0, SRCCOPY);
}

// An item opened from the mirror is launched by the shell, which needs the right to come to the
// front: only the foreground process (Velmo, still) can give it.
static void LetShellTakeForeground() {
  DWORD shellProcess = 0;
  if (DesktopListView == nullptr || GetWindowThreadProcessId(DesktopListView, &shellProcess) == 0) return;
  AllowSetForegroundWindow(shellProcess);
}

// Alt+F4 on the mirror closes the mirror (as a hide, see MirrorWindowProc), never the desktop:
// passed on, it would open the system's shut-down dialog.
static bool IsCloseKey(UINT message, WPARAM wParam) {
  return (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) && wParam == VK_F4;
}

// The context-menu key and Shift+F10 ask for the selection's context menu. The shell opens it for
// WM_CONTEXTMENU at (-1, -1) but need not make that message from these keys when they come posted.
static bool IsContextMenuKey(WPARAM wParam) {
  return wParam == VK_APPS || (wParam == VK_F10 && (GetKeyState(VK_SHIFT) & KEY_DOWN_BIT));
}

// The context-menu keys open the desktop's menu only: the copy's own list view does not see them
// (F10 would take the copy into menu mode). Returns true for them.
static bool ForwardKey(UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsCloseKey(message, wParam)) return false;
  bool menuKey = IsContextMenuKey(wParam);
  bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  if (ReachesDesktop() && menuKey && down)
    PostOn(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(DesktopListView), CONTEXT_MENU_AT_SELECTION);
  if (ReachesDesktop() && !menuKey) {
    if (message == WM_KEYDOWN && wParam == VK_RETURN) LetShellTakeForeground();
    PostOn(message, wParam, lParam);
  }
  if (Settings.Escape == TRIGGER_ON && wParam == VK_ESCAPE) {
    Trace("%s", TRACE_ESCAPE_PRESSED);
    PostHideRequest();
  }
  return menuKey;
}

static bool HitsNoItem(HWND window, LPARAM lParam) {
  LVHITTESTINFO hit = {};
  hit.pt.x = LOWORD(lParam);
  hit.pt.y = HIWORD(lParam);
  return SendMessageA(window, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == -1;
}

static WPARAM ButtonFlag(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
      return MK_LBUTTON;
    case WM_RBUTTONDOWN:
      return MK_RBUTTON;
    default:
      return MK_MBUTTON;
  }
}

// The button's own flag with Ctrl and Shift as they are held now; other buttons are left out.
static WPARAM RebuiltButtonWParam(UINT message) {
  WPARAM keys = ButtonFlag(message);
  if (GetKeyState(VK_CONTROL) & KEY_DOWN_BIT) keys |= MK_CONTROL;
  if (GetKeyState(VK_SHIFT) & KEY_DOWN_BIT) keys |= MK_SHIFT;
  return keys;
}

static void ForwardButtonDown(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  bool missed = HitsNoItem(window, lParam);
  if (Settings.NoMatchHit == TRIGGER_ON && missed) {
    Trace("%s", TRACE_MISSED_ICON);
    PostHideRequest();
    return;
  }
  if (!ReachesDesktop()) return;
  if (message == WM_LBUTTONDOWN) Press = {!missed, MK_LBUTTON, lParam, false};
  PostOn(message, wParam, lParam);
  DesktopHoldsButton = true;
  // The button-down again, with the keys held now, where it cannot change the result: a plain or
  // Shift click selects the same the second time. A Ctrl click toggles its item, and a second one
  // would take that back.
  WPARAM again = RebuiltButtonWParam(message);
  if (((wParam | again) & MK_CONTROL) == 0) PostOn(message, again, lParam);
}

// The desktop's press ends at the press point: its selection ends as the copy's. (A right press
// that became a drag out never reached it: see RightButtonDown.)
void FinishDesktopPress() {
  if (!Press.held || Press.finished) return;
  Press.finished = true;
  if (!DesktopHoldsButton) return;
  DesktopHoldsButton = false;
  if (Press.button == MK_LBUTTON) PostOn(WM_LBUTTONUP, 0, Press.at);
}

static bool PastDragDistance(LPARAM lParam) {
  RECT around = {GET_X_LPARAM(Press.at), GET_Y_LPARAM(Press.at), GET_X_LPARAM(Press.at),
                 GET_Y_LPARAM(Press.at)};
  InflateRect(&around, GetSystemMetrics(SM_CXDRAG), GetSystemMetrics(SM_CYDRAG));
  POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return !PtInRect(&around, point);
}

static void ForwardMove(WPARAM wParam, LPARAM lParam) {
  if (Press.held && (wParam & Press.button) == 0) Press.held = false;  // its up went elsewhere
  if (Press.held && PastDragDistance(lParam)) FinishDesktopPress();
  if (Press.held && Press.finished) return;
  if (ReachesDesktop() && DesktopListView != nullptr)
    PostMessageA(DesktopListView, WM_MOUSEMOVE, wParam, lParam);
}

static void ForwardButton(UINT message, WPARAM wParam, LPARAM lParam) {
  bool up = message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
  if (up && Press.held) {
    Press.held = false;
    if (Press.finished) return;
  }
  if (!ReachesDesktop() && !(up && DesktopHoldsButton)) return;
  DesktopHoldsButton = !up;
  PostOn(message, wParam, lParam);
}

static bool IsSelected(HWND window, LPARAM lParam) {
  LVHITTESTINFO hit = {};
  hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  LRESULT item = SendMessageA(window, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
  return item >= 0 && SendMessageA(window, LVM_GETITEMSTATE, item, LVIS_SELECTED) != 0;
}

// The copy's right-button handling watches for a drag before it returns. The desktop opens its menu
// from a right press, so it hears of the press only when no drag out came of it; after a drag out
// from an item that was not selected, a left click there selects it alone in the desktop, as the
// right press did in the copy.
static LRESULT RightButtonDown(HWND window, WPARAM wParam, LPARAM lParam) {
  bool wasSelected = IsSelected(window, lParam);
  Press = {ReachesDesktop() && !HitsNoItem(window, lParam), MK_RBUTTON, lParam, false};
  LRESULT result = CallWindowProcA(SavedListViewProc, window, WM_RBUTTONDOWN, wParam, lParam);
  if (!(Press.held && Press.finished)) {
    ForwardButtonDown(window, WM_RBUTTONDOWN, wParam, lParam);
  } else if (!wasSelected && ReachesDesktop()) {
    PostOn(WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    PostOn(WM_LBUTTONUP, 0, lParam);
  }
  return result;
}

static void ForwardDoubleClick(UINT message, WPARAM wParam, LPARAM lParam) {
  Trace("%s", TRACE_DOUBLE_CLICK);
  bool reaches = ReachesDesktop();  // (the hide below ends that)
  LetShellTakeForeground();
  // The hide leaves the foreground where it is, for the shell to take.
  ForegroundGoesToShell = true;
  SendMessageA(MainWindow, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_HIDE);
  ForegroundGoesToShell = false;
  if (!reaches) return;
  PostOn(message, wParam, lParam);
  DesktopHoldsButton = true;
}

static void OnDestroy() {
  FreeDesktopSnapshot();
  MirrorListView = nullptr;
  ItemPositionsChecked = false;
}

// The copy's index of the item made from table record i (its lParam), or -1. Later insertions into
// the sorted list view move earlier items, so the index an insertion returned can be stale.
static LRESULT FindRecordItem(HWND window, DWORD record) {
  LVFINDINFOA find = {};
  find.flags = LVFI_PARAM;
  find.lParam = static_cast<LPARAM>(record);
  return SendMessageA(window, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find));
}

// Wine's list view lays an icon view out in a grid at its first paint that finds items, dropping
// the positions given before. After that paint every item whose position differs from its record
// is put back; where the list view kept the positions (as Windows does) nothing is sent.
static void RestoreItemPositions(HWND window) {
  if (ItemPositionsChecked || SendMessageA(window, LVM_GETITEMCOUNT, 0, 0) <= 0) return;
  ItemPositionsChecked = true;
  for (DWORD i = 0; i < DesktopItemTable.count && i < DESKTOP_ITEM_CAPACITY; ++i) {
    const DesktopItem& record = DesktopItemTable.items[i];
    LRESULT item = FindRecordItem(window, i);
    POINT now = {};
    if (item < 0 || !SendMessageA(window, LVM_GETITEMPOSITION, item, reinterpret_cast<LPARAM>(&now)))
      continue;
    SHORT x = static_cast<SHORT>(LOWORD(record.x));
    SHORT y = static_cast<SHORT>(LOWORD(record.y));
    if (now.x == x && now.y == y) continue;
    SendMessageA(window, LVM_SETITEMPOSITION, item, MAKELPARAM(LOWORD(record.x), LOWORD(record.y)));
  }
}

// Wine's list view fills the background of a CLR_NONE list view with its class brush whenever the
// erase message answers 0, covering the picture just painted. Under Wine the paint is therefore
// begun here (the erase message still reaches this procedure and still answers 0) and the list
// view draws its items into the given DC, a path on which it erases nothing.
static bool IsWine() {
  static const bool wine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

static LRESULT Paint(HWND window, WPARAM wParam, LPARAM lParam) {
  LRESULT result;
  if (wParam == 0 && IsWine()) {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(window, &paint);
    result = CallWindowProcA(SavedListViewProc, window, WM_PAINT, reinterpret_cast<WPARAM>(dc), lParam);
    EndPaint(window, &paint);
  } else {
    result = CallWindowProcA(SavedListViewProc, window, WM_PAINT, wParam, lParam);
  }
  RestoreItemPositions(window);
  return result;
}

LRESULT CALLBACK MirrorListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      OnDestroy();
      break;
    case WM_KILLFOCUS:
      OnKillFocus();
      break;
    case WM_ERASEBKGND:
      if (!MirrorPicturePaints(window)) PaintSnapshot(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_PAINT:
      if (wParam == 0 && PaintFromMirrorPicture(window)) return 0;
      return Paint(window, wParam, lParam);
    case WM_SETCURSOR:
      SendOn(message, reinterpret_cast<WPARAM>(DesktopListView), lParam);
      break;
    case WM_MOUSEACTIVATE:
      SendOn(message, reinterpret_cast<WPARAM>(ProgmanWindow), lParam);
      break;
    case WM_NCHITTEST:
      SendOn(message, wParam, lParam);
      break;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
      if (ForwardKey(message, wParam, lParam)) return 0;
      break;
    case WM_RBUTTONDOWN:
      return RightButtonDown(window, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
      ForwardButtonDown(window, message, wParam, lParam);
      break;
    case WM_LBUTTONDBLCLK:
      ForwardDoubleClick(message, wParam, lParam);
      break;
    case WM_MOUSEMOVE:
      ForwardMove(wParam, lParam);
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      ForwardButton(message, wParam, lParam);
      break;
  }
  return CallWindowProcA(SavedListViewProc, window, message, wParam, lParam);
}
