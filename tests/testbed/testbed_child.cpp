// testbed_child.exe: shows a window of class "VelmoTestbedChild", writes a debug line when it
// starts and one when asked to close, and ends with TESTBED_CHILD_EXIT_CODE. With the argument
// "stubborn" it ignores WM_CLOSE.
#include <windows.h>

#include <cstring>

#include "tests/testbed/testbed_child.h"

namespace {

bool Stubborn = false;

LRESULT CALLBACK ChildProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      OutputDebugStringA(TESTBED_CHILD_CLOSING);
      if (!Stubborn) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(TESTBED_CHILD_EXIT_CODE);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  Stubborn = strstr(commandLine, TESTBED_CHILD_STUBBORN) != nullptr;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = &ChildProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = TESTBED_CHILD_CLASS;
  if (!RegisterClassA(&windowClass)) return 1;
  if (!CreateWindowExA(0, TESTBED_CHILD_CLASS, TESTBED_CHILD_TITLE, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                       nullptr, nullptr, instance, nullptr)) {
    return 1;
  }
  OutputDebugStringA(TESTBED_CHILD_STARTED);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
