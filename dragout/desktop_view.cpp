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

// The view's item at the copy item's place with its label; null when there is none.
static PITEMID_CHILD ItemAt(IFolderView* view, IShellFolder* folder, int count, const DragItem& wanted) {
  for (int i = 0; i < count; ++i) {
    PITEMID_CHILD id = nullptr;
    if (FAILED(view->Item(i, &id)) || id == nullptr) continue;
    POINT place = {};
    char label[DESKTOP_ITEM_NAME_SIZE] = "";
    if (SUCCEEDED(view->GetItemPosition(id, &place)) && place.x == wanted.position.x &&
        place.y == wanted.position.y && AnsiLabelOf(folder, id, label, sizeof label) &&
        strcmp(label, wanted.label) == 0)
      return id;
    CoTaskMemFree(id);
  }
  return nullptr;
}

FindResult FindInDesktopView(const DragRequest& request, ChildIds* ids) {
  ComRef<IFolderView> view;
  if (!OpenDesktopView(request.desktopView, view.Out())) return FindResult::NoView;
  ComRef<IShellFolder> folder;
  int count = 0;
  if (FAILED(view->GetFolder(IID_IShellFolder, folder.OutVoid())) ||
      FAILED(view->ItemCount(SVGIO_ALLVIEW, &count)))
    return FindResult::NoView;
  for (size_t i = 0; i < request.count; ++i) {
    PITEMID_CHILD id = ItemAt(view.Get(), folder.Get(), count, request.items[i]);
    if (id == nullptr) return FindResult::NotFound;
    ids->Add(id);
  }
  return FindResult::Found;
}
