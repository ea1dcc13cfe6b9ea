// The About box: product name, version, copyright and a button to the home page.
#include "settings/dialogs.h"

#include "app/ui_language.h"
#include "res/resource.h"

HWND AboutDialogWindow = nullptr;

int OpenAboutDialog(HWND owner) {
  if (AboutDialogWindow != nullptr) {
    BringWindowToTop(AboutDialogWindow);
    return 1;
  }
  INT_PTR result = UiDialogBox(IDD_ABOUT, owner, AboutDialogProc);
  AboutDialogWindow = nullptr;
  return static_cast<int>(result);
}

// The whole wParam is compared: only clicks (notification code 0) act.
static void OnAboutCommand(HWND dialog, WPARAM command) {
  switch (command) {
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog, static_cast<INT_PTR>(command));
      break;
    case IDC_HOMEPAGE:
      OpenHomePage();
      break;
    default:
      break;
  }
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      AboutDialogWindow = dialog;
      return TRUE;
    case WM_COMMAND:
      OnAboutCommand(dialog, wParam);
      return FALSE;
    default:
      return FALSE;
  }
}
