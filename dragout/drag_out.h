// Carrying desktop items out of the copy: an OLE drag of the shell's own data object for the
// items, owned by this thread. Finding the items in the shell's namespace, the data object, the
// drag picture and the drop source live here; the mirror hands over what the user pressed.
#pragma once

#include <windows.h>
#include <commctrl.h>

// One item of the copy as the user sees it: its label (ANSI, as the copy shows it), its place in
// the desktop list view's client coordinates, its image and where its icon lies in the copy.
struct DragItem {
  const char* label;
  POINT position;
  int image;
  RECT icon;
};

struct DragRequest {
  const DragItem* items;
  size_t count;
  HIMAGELIST images;  // the copy's images, for the picture under the pointer
  POINT grab;         // where the pointer holds the items, in the copy's client coordinates
  DWORD button;       // MK_LBUTTON or MK_RBUTTON: the drag ends when it goes up
  HWND desktopView;   // the desktop's list view, to recognise the shell's own view of it
  void (*started)();  // called once everything is ready, just before the drag runs
};

enum class DragOutcome { Dropped, Cancelled, NotFound, NotUnique, Failed };

// Runs the drag to its end (COM must be initialised for OLE on this thread). The drop's effect is
// the target's business alone: nothing is moved or deleted here, whatever it answers.
DragOutcome DragOutItems(const DragRequest& request);
