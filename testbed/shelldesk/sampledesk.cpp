// sampledesk.exe [DIR]: puts the sample items on the desktop folder DIR, by default the user's own
// Desktop folder. Exits with 0 when every item was made.
#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "testbed/shelldesk/sample_desktop.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char folder[MAX_PATH] = "";
  if (__argc > 2) return 1;
  if (__argc == 2) {
    if (strlen(__argv[1]) >= sizeof folder) return 1;
    strcpy(folder, __argv[1]);
  } else if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return 1;
  }
  if (FAILED(CoInitialize(nullptr))) return 1;
  bool made = MakeSampleDesktop(folder);
  CoUninitialize();
  return made ? 0 : 2;
}
