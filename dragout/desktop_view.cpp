// Finding the copy's items in the shell's own view of the desktop, the documented way to it:
// IShellWindows::FindWindowSW (SWC_DESKTOP), the top-level browser's active view and its IFolderView.
// The view knows each item's place, so two items with one label are told apart. Wine 8's explorer
// answers with a view that has no window: there, and wherever the view is not the one of the desktop
// the copy was made from, the caller looks the labels up in the folder instead.
#include <windows.h>
#include <exdisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <cstring>
#include <vector>

#include "dragout/com_ref.h"
#include "dragout/shell_items.h"
#include "hooklib/vmh.h"

static bool OpenDesktopView(HWND desktopView, IFolderView** folderView) {
  ComRef<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows, windows.OutVoid())))
    return false;
  VARIANT nowhere;
  VariantInit(&nowhere);
  long window = 0;
  ComRef<IDispatch> dispatch;
  if (windows->FindWindowSW(&nowhere, &nowhere, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, dispatch.Out()) !=
          S_OK ||
      !dispatch)
    return false;
  ComRef<IServiceProvider> services;
  ComRef<IShellBrowser> browser;
  ComRef<IShellView> view;
  HWND viewWindow = nullptr;
  if (FAILED(dispatch->QueryInterface(IID_IServiceProvider, services.OutVoid())) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid())) ||
      FAILED(browser->QueryActiveShellView(view.Out())) || !view || FAILED(view->GetWindow(&viewWindow)))
    return false;
  // The view of the desktop the copy was made from holds its list view.
  if (viewWindow == nullptr || desktopView == nullptr || GetParent(desktopView) != viewWindow) return false;
  return SUCCEEDED(view->QueryInterface(IID_IFolderView, reinterpret_cast<void**>(folderView)));
}

// The request's item at this place, or -1.
static int RequestedAt(const DragRequest& request, POINT place) {
  for (size_t i = 0; i < request.count; ++i)
    if (request.items[i].position.x == place.x && request.items[i].position.y == place.y)
      return static_cast<int>(i);
  return -1;
}

// The desktop list view for which the platform gave no view (asking takes tens of milliseconds under
// Wine, at each drag): asked again only for another list view, after a shell restart.
static HWND ViewlessDesktop = nullptr;

FindResult FindInDesktopView(const DragRequest& request, ChildIds* ids) {
  if (request.desktopView == ViewlessDesktop) return FindResult::NoView;
  ComRef<IFolderView> view;
  if (!OpenDesktopView(request.desktopView, view.Out())) {
    ViewlessDesktop = request.desktopView;
    return FindResult::NoView;
  }
  ComRef<IShellFolder> folder;
  int count = 0;
  if (FAILED(view->GetFolder(IID_IShellFolder, folder.OutVoid())) ||
      FAILED(view->ItemCount(SVGIO_ALLVIEW, &count)))
    return FindResult::NoView;
  // One pass over the view: each of its items at the place of a requested one, with that one's label.
  std::vector<PITEMID_CHILD> found(request.count, nullptr);
  bool twice = false;  // two items of one label at one place: not told apart either
  for (int i = 0; i < count; ++i) {
    PITEMID_CHILD id = nullptr;
    if (FAILED(view->Item(i, &id)) || id == nullptr) continue;
    POINT place = {};
    int wanted = SUCCEEDED(view->GetItemPosition(id, &place)) ? RequestedAt(request, place) : -1;
    char label[DESKTOP_ITEM_NAME_SIZE] = "";
    bool match = wanted >= 0 && AnsiLabelOf(folder.Get(), id, label, sizeof label) &&
                 strcmp(label, request.items[wanted].label) == 0;
    twice = twice || (match && found[wanted] != nullptr);
    if (match && found[wanted] == nullptr) {
      found[wanted] = id;
      continue;
    }
    CoTaskMemFree(id);
  }
  bool all = true;
  for (PITEMID_CHILD id : found) {
    all = all && id != nullptr;
    if (id != nullptr) ids->Add(id);  // freed with ids on every path
  }
  if (twice) return FindResult::NotUnique;
  return all ? FindResult::Found : FindResult::NotFound;
}
