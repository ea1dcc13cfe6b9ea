// Placeholder until the options dialog is written.
#include "settings/dialogs.h"

HWND OptionsDialog = nullptr;

int OpenOptionsDialog(HWND) { return 1; }
