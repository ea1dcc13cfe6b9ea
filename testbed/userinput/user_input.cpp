#include "testbed/userinput/user_input.h"

namespace testbed {

constexpr int ABSOLUTE_RANGE = 65535;

void SendMouse(DWORD flags, POINT screen) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = screen.x * ABSOLUTE_RANGE / (GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = screen.y * ABSOLUTE_RANGE / (GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

void ClickAt(POINT screen, DWORD downFlag, DWORD upFlag) {
  SendMouse(0, screen);
  SendMouse(downFlag, screen);
  SendMouse(upFlag, screen);
}

void SendKey(WORD virtualKey, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

void PressKey(WORD virtualKey) {
  INPUT input[2] = {};
  input[0].type = input[1].type = INPUT_KEYBOARD;
  input[0].ki.wVk = input[1].ki.wVk = virtualKey;
  input[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, input, sizeof input[0]);
}

}  // namespace testbed
