// Reading a list view of another process through a block of that process's memory: its items'
// texts, lParams, image indexes, positions and icon rectangles.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace testbed {

class RemoteListView {
 public:
  RemoteListView(HWND listView, DWORD processId);
  ~RemoteListView();
  RemoteListView(const RemoteListView&) = delete;
  RemoteListView& operator=(const RemoteListView&) = delete;

  bool Ready() const { return block_ != nullptr; }
  int Count() const;
  POINT Position(int item) const;
  // The item's text, with its lParam and image index when asked for.
  std::string Text(int item, LPARAM* lParam, int* image = nullptr) const;
  // The item's icon rectangle (or another LVIR_ part) in the list view's client coordinates.
  RECT IconRect(int item, int part = LVIR_ICON) const;
  // Gives the item another picture of the list view's image list.
  bool SetImage(int item, int image) const;

 private:
  HWND listView_;
  HANDLE process_ = nullptr;
  void* block_ = nullptr;
};

}  // namespace testbed
