// Placeholder until input forwarding is written: only what the list view's life needs.
#include "mirror/mirror.h"

LRESULT CALLBACK MirrorListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    FreeDesktopSnapshot();
    MirrorListView = nullptr;
  }
  return CallWindowProcA(SavedListViewProc, window, message, wParam, lParam);
}
