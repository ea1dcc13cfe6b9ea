// The hook library vmh.dll: its exports and the desktop item record it fills.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>

// One desktop icon as the hook library reports it. The layout is shared with vmh.dll and must not
// change: 148 bytes on 32-bit and 64-bit Windows alike.
constexpr int DESKTOP_ITEM_NAME_SIZE = 128;

struct DesktopItem {
  LONG x;  // position in the desktop list view's client coordinates
  LONG y;
  char name[DESKTOP_ITEM_NAME_SIZE];  // NUL-terminated ANSI text
  LONG image;                         // index into the image list returned with the table
  LONG shellImage;  // the index of the item's picture in the shell's own image list: what identifies
                    // the picture there (image is renumbered for the list returned)
  LONG listIndex;   // written by the program: the mirror list view's index of the item
};

static_assert(sizeof(DesktopItem) == 148, "DesktopItem is 148 bytes");
static_assert(offsetof(DesktopItem, x) == 0, "x at 0");
static_assert(offsetof(DesktopItem, y) == 4, "y at 4");
static_assert(offsetof(DesktopItem, name) == 8, "name at 8");
static_assert(offsetof(DesktopItem, image) == 136, "image at 136");
static_assert(offsetof(DesktopItem, shellImage) == 140, "shellImage at 140");
static_assert(offsetof(DesktopItem, listIndex) == 144, "listIndex at 144");

// The high word of wParam in the library's requests (WM_COMMAND IDM_TOGGLE_MIRROR), so that the
// program can tell a trigger from the tray icon (0) and from its own requests (1): only a trigger
// keeps quiet while a full-screen program is in front.
constexpr WORD TRIGGER_REQUEST_SOURCE = 2;

extern "C" {
BOOL WINAPI InitDLL(HWND notifyWindow);
BOOL WINAPI TermDLL(void);
BOOL WINAPI SetShortCutKeyCode(DWORD doublePressKey, DWORD singlePressKey);
BOOL WINAPI SetShortCutMouse(DWORD rightDoubleClick);
BOOL WINAPI GetDeskTopData(HIMAGELIST* imageList, DWORD* count, DesktopItem* items, DWORD capacity);
BOOL WINAPI SetIsViewVelmo(DWORD shown);
int WINAPI Dprint(const char* text);
// Posts input that the calling thread is handling on to the desktop's list view, so that the
// shell's thread reads the Shift, Ctrl and Alt (left and right) held now while it handles it, and
// its own state of those keys afterwards. The shell's thread is not waited for.
BOOL WINAPI PostDesktopInput(HWND listView, UINT message, WPARAM wParam, LPARAM lParam);
// TRUE when the shell's process still holds another image of this library (an older Velmo's that
// an update replaced): the library then hooks nothing into the shell, and reads no desktop, until
// the shell has let go of it (at the latest when the user signs out).
BOOL WINAPI ShellHoldsOtherHookLibrary(void);
// The font the desktop list view drew its labels with when GetDeskTopData last read the items;
// FALSE (font untouched) when that read found none or failed.
BOOL WINAPI GetDesktopFont(LOGFONTA* font);
}
