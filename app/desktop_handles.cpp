// The shell's desktop windows as the program keeps them: the ones the shared lookup finds.
#include <windows.h>

#include "app/app.h"
#include "hooklib/desktop_lookup.h"

HWND ProgmanWindow;
HWND DesktopDefView;
HWND DesktopListView;

void LookUpDesktopHandles() {
  DesktopWindows found = FindDesktopWindows();
  ProgmanWindow = found.progman;
  DesktopDefView = found.defView;
  DesktopListView = found.listView;
}
