// The process-wide handles that the dialogs use and that the program's start-up and mirror
// building would otherwise provide.
#include "app/app.h"
#include "mirror/mirror.h"

HINSTANCE AppInstance = GetModuleHandleA(nullptr);
HWND MirrorWindow = nullptr;
ScreenRect DesktopRect = {0, 0, 0, 0};
