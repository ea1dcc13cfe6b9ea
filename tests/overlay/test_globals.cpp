// The few pieces of process-wide state that the shortcut-arrow code reads, and a silent trace
// sink, for a test program that links that code alone.
#include "app/app.h"
#include "mirror/mirror.h"

HINSTANCE AppInstance = nullptr;
DesktopTable DesktopItemTable = {};
