#include "tests/core/fake_desktop.h"

#include <commctrl.h>

static FakeDesktop* Current;
static HHOOK PostedMessageHook;
static WNDPROC OriginalListViewProc;

static bool IsRecorded(UINT message) {
  return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
         (message >= WM_KEYFIRST && message <= WM_KEYLAST) || message == WM_KILLFOCUS;
}

// Posted messages are seen where the queue hands them out, before any dispatching.
static LRESULT CALLBACK RecordPostedMessage(int code, WPARAM removal, LPARAM lParam) {
  const MSG* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && removal == PM_REMOVE && Current != nullptr && msg->hwnd == Current->listView() &&
      IsRecorded(msg->message)) {
    MessageRecord record = {msg->message, 1u, static_cast<uint64_t>(msg->wParam),
                            static_cast<int64_t>(msg->lParam)};
    Current->received.push_back(record);
  }
  return CallNextHookEx(nullptr, code, removal, lParam);
}

// The shell's list view lives in another process, and a click on it does not take the focus from
// the mirror. This one lives in the test's own thread, where it would: mouse buttons stop here.
static LRESULT CALLBACK InertListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  bool button = message >= WM_LBUTTONDOWN && message <= WM_MBUTTONDBLCLK;
  if (button) return 0;
  if (message == LVM_SETICONSPACING && Current != nullptr) ++Current->spacingChanges;
  return CallWindowProcA(OriginalListViewProc, window, message, wParam, lParam);
}

static void RegisterPlainClass(const char* name) {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(GetModuleHandleA(nullptr), name, &windowClass)) return;
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = name;
  RegisterClassA(&windowClass);
}

FakeDesktop::FakeDesktop(RECT rect, bool underWorker) {
  RegisterPlainClass("Progman");
  RegisterPlainClass("WorkerW");
  RegisterPlainClass("SHELLDLL_DefView");
  int width = rect.right - rect.left;
  int height = rect.bottom - rect.top;
  DWORD style = WS_POPUP | WS_CLIPCHILDREN;
  progman_ = CreateWindowExA(WS_EX_TOOLWINDOW, "Progman", "Program Manager", style, rect.left, rect.top,
                             width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  HWND host = progman_;
  if (underWorker) {
    worker_ = CreateWindowExA(WS_EX_TOOLWINDOW, "WorkerW", "", style, rect.left, rect.top, width, height,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    host = worker_;
  }
  HWND view = CreateWindowExA(0, "SHELLDLL_DefView", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                              height, host, nullptr, GetModuleHandleA(nullptr), nullptr);
  listView_ = CreateWindowExA(0, WC_LISTVIEWA, "FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON, 0, 0, width,
                              height, view, nullptr, GetModuleHandleA(nullptr), nullptr);
  SendMessageA(listView_, LVM_SETTEXTCOLOR, 0, FAKE_DESKTOP_TEXT);
  SendMessageA(listView_, LVM_SETTEXTBKCOLOR, 0, FAKE_DESKTOP_TEXT_BACKGROUND);
  SendMessageA(listView_, LVM_SETICONSPACING, 0, MAKELPARAM(FAKE_DESKTOP_SPACING_X, FAKE_DESKTOP_SPACING_Y));
  OriginalListViewProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(listView_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(InertListViewProc)));
  PostedMessageHook = SetWindowsHookExA(WH_GETMESSAGE, RecordPostedMessage, nullptr, GetCurrentThreadId());
  Current = this;
}

FakeDesktop::~FakeDesktop() {
  Current = nullptr;
  UnhookWindowsHookEx(PostedMessageHook);
  DestroyWindow(progman_);
  if (worker_ != nullptr) DestroyWindow(worker_);
}

DWORD FakeDesktop::spacing() const {
  return static_cast<DWORD>(SendMessageA(listView_, LVM_GETITEMSPACING, FALSE, 0));
}
