// shelldesk.exe: the platform shell's own view of the Desktop folder, hosted as a desktop hosts it.
// shell32 makes the "SHELLDLL_DefView" and its "SysListView32" icon view under our "Progman" window,
// fills them from the Desktop folder with its own names and icons, opens items with their registered
// verbs and shows its own context menu. Like the real desktop, the window stays at the bottom of the
// Z order and never takes the activation. Once the view has filled, one line goes to stdout:
//   ready progman=HWND defview=HWND listview=HWND items=N
// With /record, a line follows for every mouse message the list view takes from its queue:
//   mouse message=HEX wparam=HEX x=X y=Y
//   shelldesk.exe [/size:WxH] [/record]
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>

constexpr char PROGMAN_CLASS[] = "Progman";
constexpr char PROGMAN_TITLE[] = "Program Manager";
constexpr char SIZE_ARGUMENT[] = "/size:%dx%d";
constexpr char RECORD_ARGUMENT[] = "/record";
constexpr DWORD HOST_STYLE = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD HOST_EX_STYLE = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
constexpr int READY_LINE_SIZE = 160;

static HWND Progman = nullptr;
static IShellView* View = nullptr;
static HWND ViewWindow = nullptr;
static HHOOK ActivationHook = nullptr;
static HHOOK QueueHook = nullptr;
static HWND ListView = nullptr;

// The smallest browser a view accepts: it names the window to live in and answers for the view;
// menus, toolbars and a status bar it has none. It lives as long as the process.
class DesktopBrowser : public IShellBrowser {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = id == IID_IUnknown || id == IID_IOleWindow || id == IID_IShellBrowser ? this : nullptr;
    return *object != nullptr ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = Progman;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnableModelessSB(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TranslateAcceleratorSB(MSG*, WORD) override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetViewStateStream(DWORD, IStream** stream) override {
    *stream = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetControlWindow(UINT, HWND* window) override {
    *window = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT* result) override {
    if (result != nullptr) *result = 0;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE QueryActiveShellView(IShellView** view) override {
    *view = View;
    if (View == nullptr) return E_FAIL;
    View->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnViewWindowActive(IShellView*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return E_NOTIMPL; }
};

static DesktopBrowser Browser;

// A clicked list view calls SetFocus, which would activate our window and, under Wine, bring it to
// the foreground in front of the program that passed the click on.
static LRESULT CALLBACK ActivationHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && reinterpret_cast<HWND>(wParam) == Progman) return 1;  // refused
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

static void WriteOut(const char* line, int length) {
  DWORD written = 0;
  if (length > 0)
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, static_cast<DWORD>(length), &written, nullptr);
}

static LRESULT CALLBACK QueueHookProc(int code, WPARAM wParam, LPARAM lParam) {
  const auto* queued = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE && queued->hwnd == ListView &&
      queued->message >= WM_MOUSEFIRST && queued->message <= WM_MOUSELAST) {
    char line[READY_LINE_SIZE];
    int length = snprintf(line, sizeof line, "mouse message=%x wparam=%x x=%d y=%d\n", queued->message,
                          static_cast<unsigned>(queued->wParam), static_cast<short>(LOWORD(queued->lParam)),
                          static_cast<short>(HIWORD(queued->lParam)));
    if (length < static_cast<int>(sizeof line)) WriteOut(line, length);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

static bool CreateDesktopView() {
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop))) return false;
  HRESULT made = desktop->CreateViewObject(Progman, IID_IShellView, reinterpret_cast<void**>(&View));
  desktop->Release();
  if (FAILED(made)) return false;
  FOLDERSETTINGS settings = {FVM_ICON, FWF_DESKTOP};
  RECT client;
  GetClientRect(Progman, &client);
  if (FAILED(View->CreateViewWindow(nullptr, &settings, &Browser, &client, &ViewWindow))) return false;
  View->UIActivate(SVUIA_ACTIVATE_NOFOCUS);
  return true;
}

static void DestroyDesktopView() {
  if (View == nullptr) return;
  View->UIActivate(SVUIA_DEACTIVATE);
  if (ViewWindow != nullptr) View->DestroyViewWindow();
  View->Release();
  View = nullptr;
  ViewWindow = nullptr;
}

static LRESULT CALLBACK ProgmanProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_WINDOWPOSCHANGING: {
      auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!(position->flags & SWP_NOZORDER)) position->hwndInsertAfter = HWND_BOTTOM;
      position->flags |= SWP_NOACTIVATE;
      return 0;
    }
    case WM_CLOSE:
      DestroyDesktopView();
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static bool CreateProgman(HINSTANCE instance, int width, int height) {
  WNDCLASSA windowClass = {};
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_DESKTOP + 1);
  windowClass.lpfnWndProc = ProgmanProc;
  windowClass.lpszClassName = PROGMAN_CLASS;
  if (!RegisterClassA(&windowClass)) return false;
  Progman = CreateWindowExA(HOST_EX_STYLE, PROGMAN_CLASS, PROGMAN_TITLE, HOST_STYLE, 0, 0, width, height,
                            nullptr, nullptr, instance, nullptr);
  return Progman != nullptr;
}

// The icon view arranges its items at its first paint: the line goes out after it.
static void ShowAndReport() {
  ShowWindow(Progman, SW_SHOWNOACTIVATE);
  SetWindowPos(Progman, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  HWND listView = FindWindowExA(ViewWindow, nullptr, WC_LISTVIEWA, nullptr);
  ListView = listView;
  // Wine's view paints white around its icons, where a desktop shows its colour.
  SendMessageA(listView, LVM_SETBKCOLOR, 0, GetSysColor(COLOR_DESKTOP));
  RedrawWindow(Progman, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  char line[READY_LINE_SIZE];
  int length =
      snprintf(line, sizeof line, "ready progman=%p defview=%p listview=%p items=%d\n",
               static_cast<void*>(Progman), static_cast<void*>(ViewWindow), static_cast<void*>(listView),
               static_cast<int>(SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0)));
  if (length < static_cast<int>(sizeof line)) WriteOut(line, length);
}

// Keys go to the view first, as a browser offers them (F5 reads the folder again, Del, F2...).
static void RunDesktop() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    bool isKey = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
    if (isKey && View != nullptr && View->TranslateAccelerator(&message) == S_OK) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  int width = GetSystemMetrics(SM_CXSCREEN);
  int height = GetSystemMetrics(SM_CYSCREEN);
  bool record = false;
  for (int i = 1; i < __argc; ++i) {
    bool isRecord = strcmp(__argv[i], RECORD_ARGUMENT) == 0;
    record = record || isRecord;
    if (!isRecord && sscanf(__argv[i], SIZE_ARGUMENT, &width, &height) != 2) return 1;
  }
  if (FAILED(OleInitialize(nullptr))) return 1;
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  ActivationHook = SetWindowsHookExA(WH_CBT, ActivationHookProc, nullptr, GetCurrentThreadId());
  bool ready = ActivationHook != nullptr && CreateProgman(instance, width, height) && CreateDesktopView();
  if (ready) {
    ShowAndReport();
    if (record) QueueHook = SetWindowsHookExA(WH_GETMESSAGE, QueueHookProc, nullptr, GetCurrentThreadId());
    RunDesktop();
  }
  DestroyDesktopView();
  if (Progman != nullptr && IsWindow(Progman)) DestroyWindow(Progman);
  if (ActivationHook != nullptr) UnhookWindowsHookEx(ActivationHook);
  if (QueueHook != nullptr) UnhookWindowsHookEx(QueueHook);
  OleUninitialize();
  return ready ? 0 : 2;
}
