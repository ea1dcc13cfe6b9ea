// The stand-in desktop's windows: "Progman" titled "Program Manager", whose first child is a
// "SHELLDLL_DefView" whose first child is the "SysListView32" icon view; or, when asked, the view
// under a top-level "WorkerW" with an empty Progman beside it, or with a hidden "WorkerW" child of
// Progman before the view, as Windows 11 24H2 has it. Like the real desktop they stay at
// the bottom of the Z order and never take the activation, not even when a click arrives.
#include "testbed/standin/standin.h"

constexpr char PROGMAN_CLASS[] = "Progman";
constexpr char PROGMAN_TITLE[] = "Program Manager";
constexpr char WORKERW_CLASS[] = "WorkerW";
constexpr char DEFVIEW_CLASS[] = "SHELLDLL_DefView";
constexpr char LIST_VIEW_TITLE[] = "FolderView";
constexpr COLORREF DESKTOP_COLOUR = RGB(0, 78, 152);
constexpr COLORREF ITEM_TEXT_COLOUR = RGB(255, 255, 255);
constexpr DWORD TOP_LEVEL_STYLE = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD TOP_LEVEL_EX_STYLE = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
constexpr DWORD LIST_VIEW_STYLE = WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_SHAREIMAGELISTS | LVS_SHOWSELALWAYS;
constexpr int PLACE_ATTEMPTS = 3;
constexpr BYTE KEY_HELD = 0x80;

HWND ProgmanWindow = nullptr;
HWND WorkerWWindow = nullptr;
HWND DefViewWindow = nullptr;
HWND ListViewWindow = nullptr;
static WNDPROC OriginalListViewProc = nullptr;
static HHOOK ActivationHook = nullptr;
static HFONT LabelFont = nullptr;  // /labelfont

static bool IsTopLevelDesktop(HWND window) {
  return window != nullptr && (window == ProgmanWindow || window == WorkerWWindow);
}

// A list view that gets a click calls SetFocus, which would activate its top-level window and, under
// Wine, bring it to the foreground in front of the program that passed the click on.
static LRESULT CALLBACK ActivationHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && IsTopLevelDesktop(reinterpret_cast<HWND>(wParam))) return 1;  // refused
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

static void KeepAtBottom(WINDOWPOS* position) {
  if (!(position->flags & SWP_NOZORDER)) position->hwndInsertAfter = HWND_BOTTOM;
  position->flags |= SWP_NOACTIVATE;
}

static void PaintDesktopColour(HDC dc, HWND window) {
  RECT client;
  GetClientRect(window, &client);
  HBRUSH brush = CreateSolidBrush(DESKTOP_COLOUR);
  FillRect(dc, &client, brush);
  DeleteObject(brush);
}

static LRESULT CALLBACK TopLevelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGING:
      KeepAtBottom(reinterpret_cast<WINDOWPOS*>(lParam));
      return 0;
    case WM_ERASEBKGND:
      PaintDesktopColour(reinterpret_cast<HDC>(wParam), window);
      return 1;
    case WM_CLOSE:
      DestroyWindow(ProgmanWindow);  // the whole desktop goes, as when the shell ends
      return 0;
    case WM_DESTROY:
      if (window == ProgmanWindow) {
        if (WorkerWWindow != nullptr) DestroyWindow(WorkerWWindow);
        PostQuitMessage(0);
      }
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static LRESULT CALLBACK DefViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom == ListViewWindow && header->code == LVN_ITEMACTIVATE)
        RecordOpened(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static bool IsInputMessage(UINT message) {
  return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
         (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_CONTEXTMENU;
}

// A change of the icon spacing is recorded with the input; asked from another process, the
// spacing messages are answered as late as the test chose.
static void OnSpacingMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == LVM_SETICONSPACING) RecordListViewMessage(message, wParam, lParam, false);
  if (InSendMessage() && Config.lateSpacingMs > 0) Sleep(static_cast<DWORD>(Config.lateSpacingMs));
}

static LRESULT CALLBACK ListViewSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (IsInputMessage(message) && !IsQueuedListViewMessage(message, wParam, lParam))
    RecordListViewMessage(message, wParam, lParam, false);
  if (message == LVM_SETICONSPACING || message == LVM_GETITEMSPACING)
    OnSpacingMessage(message, wParam, lParam);
  if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  if (message == STANDIN_HOLD_CONTROL) {
    BYTE state[STANDIN_KEYBOARD_STATE_SIZE];
    GetKeyboardState(state);
    state[VK_CONTROL] |= KEY_HELD;
    state[VK_LCONTROL] |= KEY_HELD;
    SetKeyboardState(state);
    return 0;
  }
  if (message == STANDIN_TAKE_KEYBOARD_STATE && Shared != nullptr) {
    GetKeyboardState(Shared->keyboardState);
    InterlockedIncrement(&Shared->keyboardStates);
    return 0;
  }
  return CallWindowProcA(OriginalListViewProc, window, message, wParam, lParam);
}

static bool RegisterClasses(HINSTANCE instance) {
  WNDCLASSA windowClass = {};
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpfnWndProc = TopLevelProc;
  windowClass.lpszClassName = PROGMAN_CLASS;
  if (!RegisterClassA(&windowClass)) return false;
  windowClass.lpszClassName = WORKERW_CLASS;
  if (!RegisterClassA(&windowClass)) return false;
  windowClass.lpfnWndProc = DefViewProc;
  windowClass.lpszClassName = DEFVIEW_CLASS;
  return RegisterClassA(&windowClass) != 0;
}

static bool FillListView(HIMAGELIST images) {
  SendMessageA(ListViewWindow, LVM_SETBKCOLOR, 0, DESKTOP_COLOUR);
  SendMessageA(ListViewWindow, LVM_SETTEXTBKCOLOR, 0, DESKTOP_COLOUR);
  SendMessageA(ListViewWindow, LVM_SETTEXTCOLOR, 0, ITEM_TEXT_COLOUR);
  SendMessageA(ListViewWindow, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  SendMessageA(ListViewWindow, LVM_SETITEMCOUNT, Items.size(), 0);
  for (size_t i = 0; i < Items.size(); ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(Items[i].name.c_str());
    item.iImage = StandinImageOf(Items[i], static_cast<int>(i));
    if (SendMessageA(ListViewWindow, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) != item.iItem)
      return false;
  }
  return true;
}

bool CreateDesktopWindows(HIMAGELIST images) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!RegisterClasses(instance)) return false;
  int width = Config.width > 0 ? Config.width : GetSystemMetrics(SM_CXSCREEN);
  int height = Config.height > 0 ? Config.height : GetSystemMetrics(SM_CYSCREEN);
  ActivationHook = SetWindowsHookExA(WH_CBT, ActivationHookProc, nullptr, GetCurrentThreadId());
  ProgmanWindow = CreateWindowExA(TOP_LEVEL_EX_STYLE, PROGMAN_CLASS, PROGMAN_TITLE, TOP_LEVEL_STYLE, 0, 0,
                                  width, height, nullptr, nullptr, instance, nullptr);
  HWND host = ProgmanWindow;
  if (Config.workerW && ProgmanWindow != nullptr) {
    WorkerWWindow = CreateWindowExA(TOP_LEVEL_EX_STYLE, WORKERW_CLASS, "", TOP_LEVEL_STYLE, 0, 0, width,
                                    height, nullptr, nullptr, instance, nullptr);
    host = WorkerWWindow;
  }
  if (ActivationHook == nullptr || host == nullptr) return false;
  // A new child comes after its older siblings: made first, the hidden "WorkerW" stays before the
  // view among Progman's children.
  if (Config.innerWorkerW && host == ProgmanWindow)
    WorkerWWindow = CreateWindowExA(0, WORKERW_CLASS, "", WS_CHILD, 0, 0, width, height, ProgmanWindow,
                                    nullptr, instance, nullptr);
  DefViewWindow = CreateWindowExA(0, DEFVIEW_CLASS, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                                  height, host, nullptr, instance, nullptr);
  ListViewWindow = DefViewWindow == nullptr
                       ? nullptr
                       : CreateWindowExA(0, WC_LISTVIEWA, LIST_VIEW_TITLE, LIST_VIEW_STYLE, 0, 0, width,
                                         height, DefViewWindow, nullptr, instance, nullptr);
  if (ListViewWindow == nullptr) return false;
  LOGFONTA font = {};
  if (Config.labelFontHeight > 0 && SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) {
    font.lfHeight = -Config.labelFontHeight;  // the icon title font, larger
    LabelFont = CreateFontIndirectA(&font);
    SendMessageA(ListViewWindow, WM_SETFONT, reinterpret_cast<WPARAM>(LabelFont), FALSE);
  }
  if (!FillListView(images)) return false;
  OriginalListViewProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(ListViewWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListViewSubclassProc)));
  // With the view under WorkerW, Progman stays hidden behind it, as on such desktops.
  ShowWindow(host, SW_SHOWNOACTIVATE);
  SetWindowPos(host, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return true;
}

static bool ItemsAtTheirPlaces() {
  for (size_t i = 0; i < Items.size(); ++i) {
    POINT position = {0, 0};
    SendMessageA(ListViewWindow, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&position));
    if (position.x != Items[i].x || position.y != Items[i].y) return false;
  }
  return true;
}

// The list view arranges its icons into a grid at the first paint that finds items, forgetting
// positions set before: paint first, then place, and check.
bool PlaceItems() {
  for (int attempt = 0; attempt < PLACE_ATTEMPTS; ++attempt) {
    UpdateWindow(ListViewWindow);
    for (size_t i = 0; i < Items.size(); ++i) {
      POINT position = {Items[i].x, Items[i].y};
      SendMessageA(ListViewWindow, LVM_SETITEMPOSITION32, i, reinterpret_cast<LPARAM>(&position));
    }
    InvalidateRect(ListViewWindow, nullptr, TRUE);
    UpdateWindow(ListViewWindow);
    if (ItemsAtTheirPlaces()) return true;
  }
  return false;
}

void DestroyDesktopWindows() {
  if (ProgmanWindow != nullptr && IsWindow(ProgmanWindow)) DestroyWindow(ProgmanWindow);
  if (LabelFont != nullptr) DeleteObject(LabelFont);
  LabelFont = nullptr;
  if (ActivationHook != nullptr) UnhookWindowsHookEx(ActivationHook);
  ActivationHook = nullptr;
}
