// Placeholder until the About dialog is written.
#include "settings/dialogs.h"

HWND AboutDialogWindow = nullptr;

int OpenAboutDialog(HWND) { return 1; }
