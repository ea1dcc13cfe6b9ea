// trayrec.exe: stands in for the shell's notification area in the test prefix. Its hidden
// "Shell_TrayWnd" window is the one Wine's Shell_NotifyIcon finds first (it is created later than
// the virtual desktop's own tray window and lies in the topmost band, ahead of it); it answers
// each call as Windows' shell would and appends it to the shared log. Exit codes: 1 the window
// could not be made, 2 another recorder is running, 3 the shared log could not be made.
#include <windows.h>
#include <shellapi.h>

#include <set>
#include <utility>

#include "testbed/tray/tray_decode.h"
#include "testbed/tray/tray_log_writer.h"

using testbed::TrayRecord;

namespace {

constexpr int EXIT_NO_WINDOW = 1;
constexpr int EXIT_ALREADY_RUNNING = 2;
constexpr int EXIT_NO_LOG = 3;

// The icons now shown, by owner window and id.
std::set<std::pair<uint64_t, uint32_t>> ShownIcons;

UINT TaskbarCreatedMessage = 0;

// What the shell answers to a call, and how the set of shown icons changes.
uint32_t ApplyToShownIcons(const TrayRecord& record) {
  const auto key = std::make_pair(record.window, record.id);
  const bool shown = ShownIcons.count(key) != 0;
  switch (record.action) {
    case NIM_ADD:
      if (shown) return 0;
      ShownIcons.insert(key);
      return 1;
    case NIM_DELETE:
      return ShownIcons.erase(key) != 0 ? 1 : 0;
    default:  // NIM_MODIFY, NIM_SETFOCUS, NIM_SETVERSION
      return shown ? 1 : 0;
  }
}

LRESULT RecordNotifyCall(HWND sender, const COPYDATASTRUCT* copy) {
  static TrayRecord record;  // 4 KB of pixels: kept off the stack
  record = TrayRecord{};
  if (!testbed::DecodeNotifyData(static_cast<DWORD>(copy->dwData), copy->lpData, copy->cbData, &record))
    return FALSE;
  DWORD processId = 0;
  GetWindowThreadProcessId(sender, &processId);
  record.senderProcessId = processId;
  record.result = ApplyToShownIcons(record);
  testbed::AppendTrayRecord(&record);
  return record.result;
}

void RestartShell() {
  ShownIcons.clear();
  SendNotifyMessageA(HWND_BROADCAST, TaskbarCreatedMessage, 0, 0);
}

LRESULT CALLBACK TrayRecorderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA:
      return RecordNotifyCall(reinterpret_cast<HWND>(wParam),
                              reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case testbed::TRAYREC_CLEAR:
      testbed::ClearTrayLog();
      return 1;
    case testbed::TRAYREC_RESTART_SHELL:
      RestartShell();
      return 1;
    case testbed::TRAYREC_ICON_COUNT:
      return static_cast<LRESULT>(ShownIcons.size());
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRecorderWindow(HINSTANCE instance) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &TrayRecorderProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = testbed::TRAY_WINDOW_CLASS;
  if (!RegisterClassA(&windowClass)) return nullptr;
  return CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, testbed::TRAY_WINDOW_CLASS,
                         testbed::TRAY_RECORDER_TITLE, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                         nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  if (FindWindowA(testbed::TRAY_WINDOW_CLASS, testbed::TRAY_RECORDER_TITLE) != nullptr)
    return EXIT_ALREADY_RUNNING;
  if (!testbed::OpenTrayLog()) return EXIT_NO_LOG;
  TaskbarCreatedMessage = RegisterWindowMessageA(testbed::TASKBAR_CREATED_MESSAGE);
  if (CreateRecorderWindow(instance) == nullptr) {
    testbed::CloseTrayLog();
    return EXIT_NO_WINDOW;
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  testbed::CloseTrayLog();
  return 0;
}
