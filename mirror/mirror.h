// The mirror: MirrorWindow and MirrorListView over the desktop, its picture of the screen, and
// showing, hiding and forwarding input.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "hooklib/vmh.h"

constexpr char MIRROR_WINDOW_CLASS[] = "Velmo";
constexpr char MIRROR_WINDOW_TITLE[] = "Velmo";
constexpr DWORD DESKTOP_ITEM_CAPACITY = 1024;

// Where move mode parks the hidden mirror.
constexpr int MIRROR_PARK_X = 1600;
constexpr int MIRROR_PARK_Y = 1200;

struct DesktopTable {
  DesktopItem items[DESKTOP_ITEM_CAPACITY];
  DWORD count;
  HIMAGELIST imageList;
};

// Left, top, width and height of the desktop list view in screen pixels, taken at each build.
struct ScreenRect {
  LONG left;
  LONG top;
  LONG width;
  LONG height;
};

// A picture of the mirror's size in a memory DC of its own, its pixels at hand (see pixel_strip.h).
struct SnapshotBitmap {
  HDC dc;
  HBITMAP bitmap;
  HBITMAP previousBitmap;
  DWORD* pixels;
  LONG width;
  LONG height;
};

extern DesktopTable DesktopItemTable;
extern ScreenRect DesktopRect;
extern HWND MirrorWindow;
extern HWND MirrorListView;
extern WNDPROC SavedListViewProc;
extern SnapshotBitmap DesktopSnapshot;
// What MirrorListView shows: the snapshot, darkened, with the copy's icons over it (icon_layer.h).
extern SnapshotBitmap MirrorPicture;

extern LONG IsMirrorVisible;
extern HWND PreviousForegroundWindow;
extern LONG LastSelectedItem;
constexpr LONG NO_SELECTED_ITEM = -1;

// Each build has MirrorWindow draw the icon layer (icon_layer.h) on this timer: a timer comes only
// when no other message waits, so a build that is closed again at once (a refresh) draws none.
constexpr UINT_PTR ICON_LAYER_TIMER = 1;
constexpr UINT ICON_LAYER_DELAY_MS = USER_TIMER_MINIMUM;

int CreateMirror(HWND owner);
LRESULT CALLBACK MirrorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Fills the empty MirrorListView with one item per table record, at the record's place (part of
// MirrorWindow's creation; the benchmark times it alone).
void FillMirrorListView();
void CaptureDesktopSnapshot();
void FreeDesktopSnapshot();
// Makes MirrorPicture at DesktopRect's size (at each build); released with the mirror.
void MakeMirrorPicture();
void FreeMirrorPicture();

void ApplyShortcutOverlays();

// Set by each build whose shell still holds an older Velmo's hook library: that build reads no
// desktop and hooks nothing into the shell, and the mirror stays empty until the user signs out.
extern bool ShellAwaitsSignOut;

// Set when the display changed: the mirror's layout is old, whatever the desktop's items say.
extern bool MirrorIsStale;
// True when the mirror no longer matches the desktop (its place, its items, their positions or their
// pictures as the shell identifies them: a Recycle Bin gone full, an icon the user changed), or
// MirrorIsStale is set. Reads the desktop again, unless it was read less than DESKTOP_REREAD_MS
// ago (for the last show: the mirror has covered the desktop since, and quick show and hide
// cycles stay cheap); call it only before a show.
bool DesktopChangedSinceBuild();
constexpr DWORD DESKTOP_REREAD_MS = 1000;

int ShowMirror();
int HideMirror();
void ForceForeground(HWND window);

// Set while a double click's hide runs: the shell is about to open the item and may take the
// foreground, so the hide gives it to no one.
extern bool ForegroundGoesToShell;

LRESULT CALLBACK MirrorListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A press on an item that moves past the drag distance ends for the desktop there: it gets the
// button-up at the press point and none of the later moves (list_view_proc.cpp).
void FinishDesktopPress();

// Carries the copy's selected items out as a drag, from the copy's LVN_BEGINDRAG or LVN_BEGINRDRAG
// (item_drag.cpp); returns when the drag ended and the hide has been asked for.
void StartItemDrag(const NMLISTVIEW& start);
// Set while a drag out runs: nothing goes on to the desktop then.
extern bool DragOutRuns;
// Makes the copy whole again after a drag out emptied its region (at the hide).
void RestoreMirrorRegion();
