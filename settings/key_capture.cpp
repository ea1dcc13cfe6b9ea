// Capturing a shortcut key by pressing it in one of the options dialog's combo box fields: the
// key-down replaces the field's text with the key's name and is remembered with its lParam.
#include "settings/dialogs.h"
#include "settings/options_dialog.h"

HWND DoubleKeyEdit = nullptr;
HWND SingleKeyEdit = nullptr;
WNDPROC DoubleKeyEditOldProc = nullptr;
WNDPROC SingleKeyEditOldProc = nullptr;
DWORD PendingDoubleKey = 0;
DWORD PendingDoubleKeyData = 0;
DWORD PendingSingleKey = 0;
DWORD PendingSingleKeyData = 0;
LONG IsCapturingKey = 0;

static void CaptureKey(HWND field, WPARAM keyCode, LPARAM keyData) {
  IsCapturingKey = 1;
  char name[KEY_NAME_SIZE] = "";
  if (GetKeyNameTextA(static_cast<LONG>(keyData), name, KEY_NAME_LIMIT) == 0) name[0] = '\0';
  SetWindowTextA(field, name);
  if (field == DoubleKeyEdit) {
    PendingDoubleKeyData = static_cast<DWORD>(keyData);
    PendingDoubleKey = static_cast<DWORD>(keyCode);
  }
  if (field == SingleKeyEdit) {
    PendingSingleKeyData = static_cast<DWORD>(keyData);
    PendingSingleKey = static_cast<DWORD>(keyCode);
  }
  IsCapturingKey = 0;
}

static LRESULT CallFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC own = field == DoubleKeyEdit   ? DoubleKeyEditOldProc
                : field == SingleKeyEdit ? SingleKeyEditOldProc
                                         : nullptr;
  if (own == nullptr) return DefWindowProcA(field, message, wParam, lParam);
  return CallWindowProcA(own, field, message, wParam, lParam);
}

LRESULT CALLBACK KeyCaptureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (IsCapturingKey == 0) CaptureKey(window, wParam, lParam);
      return 0;
    case WM_KEYUP:
    case WM_CHAR:
      return 0;
    default:
      return CallFieldProc(window, message, wParam, lParam);
  }
}
