// InitDLL and TermDLL: the library's own thread holds the low-level keyboard and mouse hooks and
// pumps their messages. Every input event of the system waits on these hooks, and the program's
// thread blocks at times (building the mirror, sending to the shell), so the hooks cannot live there.
#include <windows.h>

#include "hooklib/vmh.h"
#include "vmh/triggers.h"
#include "vmh/vmh_module.h"

constexpr DWORD HOOK_THREAD_STOP_TIMEOUT_MS = 5000;

static HANDLE HookThread = nullptr;
static DWORD HookThreadId = 0;

static LRESULT CALLBACK KeyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    switch (wParam) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
        OnKeyEvent(event->vkCode, true, event->time);
        break;
      case WM_KEYUP:
      case WM_SYSKEYUP:
        OnKeyEvent(event->vkCode, false, event->time);
        break;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

static LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    switch (wParam) {
      case WM_RBUTTONDOWN:
        OnRightButtonDown(event->pt, event->time);
        break;
      case WM_LBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_XBUTTONDOWN:
        OnOtherButtonDown();
        break;
      case WM_MOUSEWHEEL:
      case WM_MOUSEHWHEEL:
        OnMouseBetweenPresses();
        break;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct HookThreadStart {
  HANDLE ready;
  bool hooked;
};

static DWORD WINAPI HookThreadMain(LPVOID parameter) {
  auto* start = static_cast<HookThreadStart*>(parameter);
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before TermDLL can post
  HHOOK keyboard = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHookProc, VmhModule, 0);
  HHOOK mouse = SetWindowsHookExA(WH_MOUSE_LL, MouseHookProc, VmhModule, 0);
  start->hooked = keyboard != nullptr && mouse != nullptr;
  bool hooked = start->hooked;
  SetEvent(start->ready);  // start is gone after this
  if (hooked) {
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  }
  if (mouse != nullptr) UnhookWindowsHookEx(mouse);
  if (keyboard != nullptr) UnhookWindowsHookEx(keyboard);
  return 0;
}

static void CloseHookThread() {
  CloseHandle(HookThread);
  HookThread = nullptr;
  HookThreadId = 0;
}

extern "C" BOOL WINAPI InitDLL(HWND notifyWindow) {
  SetTriggerWindow(notifyWindow);
  if (HookThread != nullptr) return TRUE;
  RefreshDoubleClickMetrics();
  ResetTriggerState();
  HookThreadStart start = {CreateEventA(nullptr, TRUE, FALSE, nullptr), false};
  if (start.ready == nullptr) return FALSE;
  HookThread = CreateThread(nullptr, 0, HookThreadMain, &start, 0, &HookThreadId);
  if (HookThread == nullptr) {
    CloseHandle(start.ready);
    return FALSE;
  }
  HANDLE waitFor[] = {start.ready, HookThread};
  // The start only creates a queue and two hooks; the thread writes to start until it signals.
  DWORD waited = WaitForMultipleObjects(2, waitFor, FALSE, INFINITE);
  CloseHandle(start.ready);
  if (waited == WAIT_OBJECT_0 && start.hooked) return TRUE;
  // Without its hooks the thread ends by itself.
  PostThreadMessageA(HookThreadId, WM_QUIT, 0, 0);
  WaitForSingleObject(HookThread, HOOK_THREAD_STOP_TIMEOUT_MS);
  CloseHookThread();
  return FALSE;
}

extern "C" BOOL WINAPI TermDLL(void) {
  if (HookThread != nullptr) {
    PostThreadMessageA(HookThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(HookThread, HOOK_THREAD_STOP_TIMEOUT_MS);
    CloseHookThread();
  }
  ReleaseDesktopInput();
  SetTriggerWindow(nullptr);
  return TRUE;
}
