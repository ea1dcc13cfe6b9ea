// The text of the tray menu's first item, which follows the mirror's state.
#pragma once

#include <windows.h>

// Sets the item IDM_TOGGLE_MIRROR of the popup to "show" or, while the mirror is shown, "put back",
// in the language in use.
void SetToggleItemText(HMENU popup, bool mirrorShown);
