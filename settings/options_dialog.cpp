// The options dialog: edits the settings record, saves it on OK and applies it at once.
#include "settings/dialogs.h"

#include <algorithm>

#include "app/app.h"
#include "app/ui_language.h"
#include "hooklib/vmh.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "settings/options_dialog.h"
#include "settings/settings.h"

HWND OptionsDialog = nullptr;

// What "restore defaults" puts into the controls (the record itself is not touched).
constexpr int DEFAULT_DOUBLE_KEY_ITEM = 0;  // Ctrl(CTRL)
constexpr int DEFAULT_SINGLE_KEY_ITEM = 2;  // vf･5

constexpr UINT KEEP_PLACE_FLAGS = SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW;
constexpr UINT MOVE_ONLY_FLAGS = SWP_NOSIZE | SWP_NOZORDER;
constexpr UINT PUT_BACK_HIDDEN_FLAGS = SWP_NOSIZE | SWP_NOZORDER | SWP_HIDEWINDOW;
static_assert(KEEP_PLACE_FLAGS == 0x000B && MOVE_ONLY_FLAGS == 0x0005 && PUT_BACK_HIDDEN_FLAGS == 0x0085,
              "placement flags");

static LONG CheckedState(HWND dialog, int id) { return static_cast<LONG>(IsDlgButtonChecked(dialog, id)); }

static void EnableKeyBoxes(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDC_DOUBLE_KEY), IsDlgButtonChecked(dialog, IDC_USE_DOUBLE_KEY) != 0);
  EnableWindow(GetDlgItem(dialog, IDC_SINGLE_KEY), IsDlgButtonChecked(dialog, IDC_USE_SINGLE_KEY) != 0);
}

// Fills a combo box with its list and shows the stored key: selected when listed, else by the name
// the system gives for its key data.
static void ShowStoredKey(HWND dialog, int id, const ListedKey* keys, int count, DWORD keyCode,
                          DWORD keyData) {
  AddListedKeyNames(dialog, id, keys, count);
  int item = FindListedKeyCode(keys, count, keyCode);
  if (item != NO_LISTED_KEY) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    return;
  }
  char name[KEY_NAME_SIZE] = "";
  if (GetKeyNameTextA(static_cast<LONG>(keyData), name, KEY_NAME_LIMIT) == 0) name[0] = '\0';
  SetDlgItemTextA(dialog, id, name);
}

static void InstallKeyCapture(HWND dialog) {
  DoubleKeyEdit = GetWindow(GetDlgItem(dialog, IDC_DOUBLE_KEY), GW_CHILD);
  SingleKeyEdit = GetWindow(GetDlgItem(dialog, IDC_SINGLE_KEY), GW_CHILD);
  LONG_PTR capture = reinterpret_cast<LONG_PTR>(KeyCaptureProc);
  DoubleKeyEditOldProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(DoubleKeyEdit, GWLP_WNDPROC, capture));
  SingleKeyEditOldProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(SingleKeyEdit, GWLP_WNDPROC, capture));
}

static void RemoveKeyCapture() {
  if (DoubleKeyEditOldProc != nullptr) {
    SetWindowLongPtrA(DoubleKeyEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DoubleKeyEditOldProc));
  }
  if (SingleKeyEditOldProc != nullptr) {
    SetWindowLongPtrA(SingleKeyEdit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SingleKeyEditOldProc));
  }
}

// The stored place may lie on a monitor that has gone since: the dialog is then moved into the
// nearest monitor's work area (centred there when it does not fit).
static void KeepOnAMonitor(HWND dialog) {
  RECT place = {};
  if (!GetWindowRect(dialog, &place) || MonitorFromRect(&place, MONITOR_DEFAULTTONULL) != nullptr) return;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  LONG width = place.right - place.left;
  LONG height = place.bottom - place.top;
  LONG x = work.left + (work.right - work.left - width) / 2;
  LONG y = work.top + (work.bottom - work.top - height) / 2;
  if (width <= work.right - work.left) x = std::clamp(place.left, work.left, work.right - width);
  if (height <= work.bottom - work.top) y = std::clamp(place.top, work.top, work.bottom - height);
  SetWindowPos(dialog, nullptr, x, y, 0, 0, MOVE_ONLY_FLAGS);
}

static void InitOptionsDialog(HWND dialog) {
  OptionsDialog = dialog;
  CheckDlgButton(dialog, IDC_TOPMOST, static_cast<UINT>(Settings.TopMost));
  CheckDlgButton(dialog, IDC_MIN_AREA, static_cast<UINT>(Settings.DeskTopMiniSize));
  CheckDlgButton(dialog, IDC_MOVE_TO_HIDE, static_cast<UINT>(Settings.MoveWindow));
  CheckDlgButton(dialog, IDC_USE_DOUBLE_KEY, static_cast<UINT>(Settings.UseSKey));
  ShowStoredKey(dialog, IDC_DOUBLE_KEY, DoublePressKeys, DOUBLE_PRESS_KEY_COUNT, Settings.SKeyCode,
                Settings.SKeyCodeData);
  CheckDlgButton(dialog, IDC_USE_SINGLE_KEY, static_cast<UINT>(Settings.UseSKeyS));
  ShowStoredKey(dialog, IDC_SINGLE_KEY, SinglePressKeys, SINGLE_PRESS_KEY_COUNT, Settings.SKeyCodeS,
                Settings.SKeyCodeDataS);
  PendingDoubleKey = Settings.SKeyCode;
  PendingSingleKey = Settings.SKeyCodeS;
  PendingDoubleKeyData = Settings.SKeyCodeData;
  PendingSingleKeyData = Settings.SKeyCodeDataS;
  CheckDlgButton(dialog, IDC_MOUSE_RDBLCLK, static_cast<UINT>(Settings.MouseRdblclk));
  CheckDlgButton(dialog, IDC_HIDE_ON_KILLFOCUS, static_cast<UINT>(Settings.KillFocus));
  CheckDlgButton(dialog, IDC_HIDE_ON_MISS_CLICK, static_cast<UINT>(Settings.NoMatchHit));
  CheckDlgButton(dialog, IDC_HIDE_ON_ESCAPE, static_cast<UINT>(Settings.Escape));
  if (Settings.ox != NO_DIALOG_POSITION && Settings.oy != NO_DIALOG_POSITION) {
    SetWindowPos(dialog, nullptr, Settings.ox, Settings.oy, 0, 0, MOVE_ONLY_FLAGS);
    KeepOnAMonitor(dialog);
  }
  EnableKeyBoxes(dialog);
  InstallKeyCapture(dialog);
}

// A listed name in the combo box wins over the captured key: it stands for its own code, no data.
static void TakeListedKey(HWND dialog, int id, const ListedKey* keys, int count, DWORD& keyCode,
                          DWORD& keyData) {
  int item = FindListedKeyInBox(dialog, id, keys, count);
  if (item == NO_LISTED_KEY) return;
  keyData = 0;
  keyCode = keys[item].keyCode;
}

static void ReadOptions(HWND dialog) {
  Settings.TopMost = CheckedState(dialog, IDC_TOPMOST);
  Settings.DeskTopMiniSize = CheckedState(dialog, IDC_MIN_AREA);
  Settings.MoveWindow = CheckedState(dialog, IDC_MOVE_TO_HIDE);
  Settings.UseSKey = CheckedState(dialog, IDC_USE_DOUBLE_KEY);
  Settings.SKeyCode = PendingDoubleKey;
  Settings.SKeyCodeData = PendingDoubleKeyData;
  TakeListedKey(dialog, IDC_DOUBLE_KEY, DoublePressKeys, DOUBLE_PRESS_KEY_COUNT, Settings.SKeyCode,
                Settings.SKeyCodeData);
  Settings.UseSKeyS = CheckedState(dialog, IDC_USE_SINGLE_KEY);
  Settings.SKeyCodeS = PendingSingleKey;
  Settings.SKeyCodeDataS = PendingSingleKeyData;
  TakeListedKey(dialog, IDC_SINGLE_KEY, SinglePressKeys, SINGLE_PRESS_KEY_COUNT, Settings.SKeyCodeS,
                Settings.SKeyCodeDataS);
  Settings.MouseRdblclk = CheckedState(dialog, IDC_MOUSE_RDBLCLK);
  Settings.KillFocus = CheckedState(dialog, IDC_HIDE_ON_KILLFOCUS);
  Settings.NoMatchHit = CheckedState(dialog, IDC_HIDE_ON_MISS_CLICK);
  Settings.Escape = CheckedState(dialog, IDC_HIDE_ON_ESCAPE);
}

static void CloseOptionsDialog(HWND dialog, int result) {
  RECT place;
  if (GetWindowRect(dialog, &place)) {
    Settings.ox = place.left;
    Settings.oy = place.top;
  }
  RemoveKeyCapture();
  EndDialog(dialog, result);
}

static void RestoreDialogDefaults(HWND dialog) {
  CheckDlgButton(dialog, IDC_TOPMOST, BST_CHECKED);
  CheckDlgButton(dialog, IDC_MIN_AREA, BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_MOVE_TO_HIDE, BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_USE_DOUBLE_KEY, BST_CHECKED);
  SendDlgItemMessageA(dialog, IDC_DOUBLE_KEY, CB_SETCURSEL, DEFAULT_DOUBLE_KEY_ITEM, 0);
  CheckDlgButton(dialog, IDC_USE_SINGLE_KEY, BST_UNCHECKED);
  SendDlgItemMessageA(dialog, IDC_SINGLE_KEY, CB_SETCURSEL, DEFAULT_SINGLE_KEY_ITEM, 0);
  CheckDlgButton(dialog, IDC_MOUSE_RDBLCLK, BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_HIDE_ON_KILLFOCUS, BST_CHECKED);
  CheckDlgButton(dialog, IDC_HIDE_ON_MISS_CLICK, BST_CHECKED);
  CheckDlgButton(dialog, IDC_HIDE_ON_ESCAPE, BST_CHECKED);
  EnableKeyBoxes(dialog);
}

// The whole wParam is compared: only clicks (notification code 0) act.
static INT_PTR OnOptionsCommand(HWND dialog, WPARAM command) {
  switch (command) {
    case IDOK:
      ReadOptions(dialog);
      CloseOptionsDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      CloseOptionsDialog(dialog, IDCANCEL);
      return TRUE;
    case IDC_DEFAULTS:
      RestoreDialogDefaults(dialog);
      return TRUE;
    case IDC_USE_SINGLE_KEY:
    case IDC_USE_DOUBLE_KEY:
      EnableKeyBoxes(dialog);
      return TRUE;
    case IDC_OPTIONS_HELP:
      OpenHelpPage();
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK OptionsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      InitOptionsDialog(dialog);
      return TRUE;
    case WM_COMMAND:
      return OnOptionsCommand(dialog, wParam);
    default:
      return FALSE;
  }
}

// Hands the confirmed record to the hook library and the mirror. A mirror parked off-screen by the
// moving mode goes back over the desktop, hidden, when moving has been turned off; a shown one is
// put away first by the owner (MainWindow), so that the mirror's state and the tray icon follow.
static void ApplySettings(HWND owner, LONG previousMoveWindow) {
  if (Settings.MoveWindow != previousMoveWindow && previousMoveWindow == 1 && IsMirrorVisible == 1) {
    SendMessageA(owner, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_HIDE);
  }
  SaveSettings();
  SetShortCutKeyCode(Settings.UseSKey != 0 ? Settings.SKeyCode : 0,
                     Settings.UseSKeyS != 0 ? Settings.SKeyCodeS : 0);
  SetShortCutMouse(static_cast<DWORD>(Settings.MouseRdblclk));
  SetWindowPos(MirrorWindow, Settings.TopMost == 1 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               KEEP_PLACE_FLAGS);
  if (Settings.MoveWindow != previousMoveWindow && previousMoveWindow == 1) {
    SetWindowPos(MirrorWindow, nullptr, DesktopRect.left, DesktopRect.top, 0, 0, PUT_BACK_HIDDEN_FLAGS);
  }
}

int OpenOptionsDialog(HWND owner) {
  if (OptionsDialog != nullptr) {
    BringWindowToTop(OptionsDialog);
    return 1;
  }
  LONG previousMoveWindow = Settings.MoveWindow;
  INT_PTR result = UiDialogBox(IDD_OPTIONS, owner, OptionsDialogProc);
  if (result == IDOK) ApplySettings(owner, previousMoveWindow);
  OptionsDialog = nullptr;
  return 1;
}
