// Building the mirror: the desktop's icons fetched from the hook library, the desktop list view
// measured, MirrorWindow created over it and left hidden, and the picture it will show.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "hooklib/trace.h"
#include "mirror/mirror.h"

DesktopTable DesktopItemTable;
ScreenRect DesktopRect;
HWND MirrorWindow;
bool ShellAwaitsSignOut;

constexpr char TRACE_OTHER_LIBRARY[] = "==古いフックライブラリが残っているため接続しない==\r\n";

// The fetch is tried again while the shell has not yet filled its list view (it is still starting,
// or busy); a desktop that really shows no icons gives up after this long and gets an empty mirror.
constexpr DWORD FETCH_TIME_LIMIT_MS = 2000;
constexpr DWORD FETCH_PAUSE_MS = 200;

constexpr UINT MIRROR_CLASS_STYLE = CS_DBLCLKS | CS_SAVEBITS | CS_BYTEALIGNCLIENT | CS_BYTEALIGNWINDOW;
constexpr DWORD MIRROR_WINDOW_STYLE =
    WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_MAXIMIZEBOX;
static_assert(MIRROR_CLASS_STYLE == 0x3808, "mirror class style");
static_assert(MIRROR_WINDOW_STYLE == 0x96010000, "mirror window style");

static bool TableIsGood() { return DesktopItemTable.imageList != nullptr && DesktopItemTable.count != 0; }

static void FetchOnce() {
  if (DesktopItemTable.imageList != nullptr) ImageList_Destroy(DesktopItemTable.imageList);
  DesktopItemTable.imageList = nullptr;
  DesktopItemTable.count = 0;
  GetDeskTopData(&DesktopItemTable.imageList, &DesktopItemTable.count, DesktopItemTable.items,
                 DESKTOP_ITEM_CAPACITY);
  if (DesktopItemTable.count > DESKTOP_ITEM_CAPACITY) DesktopItemTable.count = DESKTOP_ITEM_CAPACITY;
  ApplyShortcutOverlays();
}

// Fetches until the table holds icons and their images, within FETCH_TIME_LIMIT_MS. Without a
// desktop list view there is nothing to wait for, and one try is made.
static void FetchDesktopTable() {
  DWORD start = GetTickCount();
  bool tried = false;
  while (!TableIsGood()) {
    if (tried) {
      if (DesktopListView == nullptr) return;
      if (GetTickCount() - start + FETCH_PAUSE_MS > FETCH_TIME_LIMIT_MS) return;
      Sleep(FETCH_PAUSE_MS);
    }
    FetchOnce();
    tried = true;
  }
}

// An unknown desktop gives an empty rectangle; a later refresh picks the desktop up.
static void MeasureDesktop() {
  RECT rect = {};
  if (!GetWindowRect(DesktopListView, &rect)) rect = RECT{};
  DesktopRect.left = rect.left;
  DesktopRect.top = rect.top;
  DesktopRect.width = rect.right - rect.left;
  DesktopRect.height = rect.bottom - rect.top;
}

static bool RegisterMirrorClass() {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(AppInstance, MIRROR_WINDOW_CLASS, &windowClass)) return true;
  windowClass.style = MIRROR_CLASS_STYLE;
  windowClass.lpfnWndProc = MirrorWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = AppInstance;
  windowClass.hIcon = nullptr;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = MIRROR_WINDOW_CLASS;
  return RegisterClassA(&windowClass) != 0;
}

int CreateMirror(HWND owner) {
  if (ProgmanWindow == nullptr) {
    LookUpDesktopHandles();
    DesktopItemTable.count = 0;
  }
  InitCommonControls();
  ShellAwaitsSignOut = DesktopListView != nullptr && ShellHoldsOtherHookLibrary();
  if (ShellAwaitsSignOut)
    Trace("%s", TRACE_OTHER_LIBRARY);
  else
    FetchDesktopTable();
  MeasureDesktop();

  if (!RegisterMirrorClass()) return 0;
  // Made invisible and shown without activation: a window made visible is activated, and a new
  // mirror must not take the foreground from the user's window.
  MirrorWindow = CreateWindowExA(0, MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE,
                                 MIRROR_WINDOW_STYLE & ~WS_VISIBLE, DesktopRect.left, DesktopRect.top,
                                 DesktopRect.width, DesktopRect.height, owner, nullptr, AppInstance, nullptr);
  if (MirrorWindow == nullptr) return 0;
  ShowWindow(MirrorWindow, SW_SHOWNOACTIVATE);
  // The remembered selection belongs to the old table.
  LastSelectedItem = NO_SELECTED_ITEM;

  IsMirrorVisible = 1;
  SetIsViewVelmo(1);
  HideMirror();

  MakeMirrorPicture();
  // The icon layer is drawn once the build has returned, while the new mirror waits hidden.
  SetTimer(MirrorWindow, ICON_LAYER_TIMER, ICON_LAYER_DELAY_MS, nullptr);
  return 1;
}
