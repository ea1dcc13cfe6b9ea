// The desktop folder's item IDs of the items the copy shows.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "dragout/drag_out.h"

// Child item IDs of the desktop folder, freed with the list.
class ChildIds {
 public:
  ChildIds() = default;
  ~ChildIds();
  ChildIds(const ChildIds&) = delete;
  ChildIds& operator=(const ChildIds&) = delete;
  void Add(PITEMID_CHILD id) { ids_.push_back(id); }
  PCUITEMID_CHILD_ARRAY Array() const { return const_cast<PCUITEMID_CHILD_ARRAY>(ids_.data()); }
  UINT Count() const { return static_cast<UINT>(ids_.size()); }

 private:
  std::vector<PITEMID_CHILD> ids_;
};

enum class FindResult { Found, NotFound, NotUnique, NoView };

// Finds each item of the request in the desktop folder and adds its ID to ids, in the request's
// order: through the shell's own view of the desktop where the platform gives one (it tells items
// of one label apart by their places), else among the folder's items by their labels, where a label
// that two items share is never guessed (NotUnique).
FindResult FindDesktopItems(IShellFolder* desktop, const DragRequest& request, ChildIds* ids);

// The same through the shell's view of the desktop alone (desktop_view.cpp); NoView when the
// platform gives no view with a window, or one of another desktop than the copy's.
FindResult FindInDesktopView(const DragRequest& request, ChildIds* ids);

// The label of a desktop folder item as the copy shows it: the display name in the ANSI code page,
// cut to the copy's label size.
bool AnsiLabelOf(IShellFolder* folder, PCUITEMID_CHILD id, char* label, int size);
