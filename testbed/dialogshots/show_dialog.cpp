// Opens one of the program's dialogs as the tray menu would, for pictures of it:
//   show_dialog.exe options|about PLACE_FILE SECONDS
// Once the dialog is on screen, its window rectangle ("left top width height") is written to
// PLACE_FILE. The dialog is cancelled, and the program ends, when the caller deletes PLACE_FILE or
// after SECONDS at the latest.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "mirror/mirror.h"
#include "settings/dialogs.h"
#include "settings/settings.h"

HINSTANCE AppInstance = GetModuleHandleA(nullptr);
HWND MirrorWindow = nullptr;
ScreenRect DesktopRect = {0, 0, 0, 0};
LONG IsMirrorVisible = 0;

constexpr UINT TICK_MS = 300;
constexpr int MS_PER_SECOND = 1000;

static const char* PlaceFile = nullptr;
static DWORD CloseAt = 0;

static HWND OpenDialog() { return OptionsDialog != nullptr ? OptionsDialog : AboutDialogWindow; }

static void WritePlace(HWND dialog) {
  RECT place = {};
  GetWindowRect(dialog, &place);
  char temporary[MAX_PATH];
  snprintf(temporary, sizeof temporary, "%s.part", PlaceFile);
  FILE* file = fopen(temporary, "w");
  if (file == nullptr) return;
  fprintf(file, "%ld %ld %ld %ld\n", place.left, place.top, place.right - place.left,
          place.bottom - place.top);
  fclose(file);
  MoveFileExA(temporary, PlaceFile, MOVEFILE_REPLACE_EXISTING);
}

static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = OpenDialog();
  if (dialog == nullptr) return;
  static bool placeWritten = false;
  bool placeTaken = placeWritten && GetFileAttributesA(PlaceFile) == INVALID_FILE_ATTRIBUTES;
  if (placeTaken || GetTickCount() >= CloseAt) {
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  if (!placeWritten) {
    SetForegroundWindow(dialog);
    RedrawWindow(dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    WritePlace(dialog);
    placeWritten = true;
  }
}

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: show_dialog options|about PLACE_FILE SECONDS\n");
    return 2;
  }
  PlaceFile = argv[2];
  CloseAt = GetTickCount() + static_cast<DWORD>(atoi(argv[3])) * MS_PER_SECOND;
  InitCommonControls();
  LoadSettings();
  SetTimer(nullptr, 0, TICK_MS, OnTick);
  if (strcmp(argv[1], "about") == 0) {
    OpenAboutDialog(nullptr);
  } else {
    OpenOptionsDialog(nullptr);
  }
  return 0;
}
