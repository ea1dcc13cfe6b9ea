// The notice that an update finishes when the user signs out: the shell still holds the hook
// library of the Velmo that the update replaced, and this Velmo shows no desktop until it lets go.
#include <windows.h>

#include "app/app.h"
#include "app/ui_language.h"
#include "mirror/mirror.h"
#include "res/resource.h"

constexpr char NOTICE_TITLE[] = "Velmo";
constexpr int NOTICE_TEXT_SIZE = 1024;

static bool NoticeGiven = false;
static bool NoticeOpen = false;

void NoticeSignOutOnce(HWND window) {
  if (ShellAwaitsSignOut && !NoticeGiven) PostMessageA(window, WM_SIGN_OUT_NOTICE, 0, 0);
  NoticeGiven = NoticeGiven || ShellAwaitsSignOut;
}

// Modal, like the program's dialogs: MainWindow's messages go on meanwhile, and a request that
// comes while the notice is open adds none.
void ShowSignOutNotice() {
  if (NoticeOpen) return;
  char text[NOTICE_TEXT_SIZE];
  LoadUiString(IDS_SIGN_OUT_TO_FINISH, text, sizeof text);
  NoticeOpen = true;
  MessageBoxA(nullptr, text, NOTICE_TITLE, MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND | MB_TOPMOST);
  NoticeOpen = false;
}
