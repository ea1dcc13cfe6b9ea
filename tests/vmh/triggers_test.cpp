// The triggers, driven as a user would with SendInput: every request reaches the window given to
// InitDLL as WM_COMMAND IDM_TOGGLE_MIRROR marked as a trigger's, lParam 0 for a key, 1 for the
// right-button double click.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "hooklib/vmh.h"
#include "res/resource.h"

constexpr LPARAM TOGGLE = 0;
constexpr LPARAM SHOW = 1;
constexpr DWORD SINGLE_KEY = VK_F9;

static void SendKey(WORD key, bool down) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
}

static void PressKey(WORD key) {
  SendKey(key, true);
  SendKey(key, false);
}

static void SendMouseButton(DWORD flags) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

static void RightClick() {
  SendMouseButton(MOUSEEVENTF_RIGHTDOWN);
  SendMouseButton(MOUSEEVENTF_RIGHTUP);
}

static void MiddleClick() {
  SendMouseButton(MOUSEEVENTF_MIDDLEDOWN);
  SendMouseButton(MOUSEEVENTF_MIDDLEUP);
}

static void LeftClick() {
  SendMouseButton(MOUSEEVENTF_LEFTDOWN);
  SendMouseButton(MOUSEEVENTF_LEFTUP);
}

static void TurnWheel() {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
  input.mi.dwFlags = MOUSEEVENTF_WHEEL;
  SendInput(1, &input, sizeof input);
}

static void MoveMouseBy(LONG dx, LONG dy) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.dwFlags = MOUSEEVENTF_MOVE;
  SendInput(1, &input, sizeof input);
}

class TriggersTest : public ::testing::Test {
 protected:
  HWND window_ = nullptr;

  void SetUp() override {
    window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window_);
    SetShortCutKeyCode(VK_CONTROL, SINGLE_KEY);
    SetShortCutMouse(1);
    SetIsViewVelmo(0);
    ASSERT_TRUE(InitDLL(window_));
  }
  void TearDown() override {
    TermDLL();
    DestroyWindow(window_);
  }

  // The requests posted to the window so far, taken from its queue.
  std::vector<LPARAM> TakeRequests() {
    std::vector<LPARAM> requests;
    MSG message;
    while (PeekMessageA(&message, window_, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
      EXPECT_EQ(static_cast<WPARAM>(MAKEWPARAM(IDM_TOGGLE_MIRROR, TRIGGER_REQUEST_SOURCE)), message.wParam);
      requests.push_back(message.lParam);
    }
    return requests;
  }
};

using Requests = std::vector<LPARAM>;

TEST_F(TriggersTest, ControlPressedTwiceAsksToToggle) {
  PressKey(VK_LCONTROL);
  EXPECT_EQ(Requests{}, TakeRequests());
  PressKey(VK_LCONTROL);
  EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
}

TEST_F(TriggersTest, RightAndLeftControlBothCountForControl) {
  PressKey(VK_RCONTROL);
  PressKey(VK_LCONTROL);
  EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
}

TEST_F(TriggersTest, ThreePressesMakeOneRequestAndStartAFreshPair) {
  PressKey(VK_LCONTROL);
  PressKey(VK_LCONTROL);
  PressKey(VK_LCONTROL);
  EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
  PressKey(VK_LCONTROL);
  EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
}

TEST_F(TriggersTest, PressesFartherApartThanTheDoubleClickTimeDoNothing) {
  PressKey(VK_LCONTROL);
  Sleep(GetDoubleClickTime() + 200);
  PressKey(VK_LCONTROL);
  EXPECT_EQ(Requests{}, TakeRequests());
  PressKey(VK_LCONTROL);  // the late press was a first press of its own
  EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
}

TEST_F(TriggersTest, AnotherKeyBetweenThePressesCancelsThem) {
  PressKey(VK_LCONTROL);
  PressKey(VK_LSHIFT);
  PressKey(VK_LCONTROL);
  EXPECT_EQ(Requests{}, TakeRequests());
}

// Ctrl or Shift held for a click or a turn of the wheel, twice in a row, is no double press.
TEST_F(TriggersTest, MouseUseBetweenThePressesCancelsThem) {
  struct Case {
    const char* what;
    DWORD configured;
    WORD pressed;
    void (*useMouse)();
  };
  const Case cases[] = {{"Ctrl+click", VK_CONTROL, VK_LCONTROL, LeftClick},
                        {"Shift+click", VK_SHIFT, VK_RSHIFT, LeftClick},
                        {"Ctrl+middle click", VK_CONTROL, VK_RCONTROL, MiddleClick},
                        {"Ctrl+wheel", VK_CONTROL, VK_LCONTROL, TurnWheel}};
  for (const Case& held : cases) {
    SCOPED_TRACE(held.what);
    SetShortCutKeyCode(held.configured, SINGLE_KEY);
    for (int time = 0; time < 2; ++time) {
      SendKey(held.pressed, true);
      held.useMouse();
      SendKey(held.pressed, false);
    }
    EXPECT_EQ(Requests{}, TakeRequests());
    PressKey(held.pressed);
    PressKey(held.pressed);
    EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
  }
}

TEST_F(TriggersTest, AutoRepeatIsNotASecondPress) {
  SendKey(VK_LCONTROL, true);
  SendKey(VK_LCONTROL, true);
  SendKey(VK_LCONTROL, true);
  SendKey(VK_LCONTROL, false);
  EXPECT_EQ(Requests{}, TakeRequests());
}

TEST_F(TriggersTest, SinglePressKeyAsksOncePerPress) {
  SendKey(SINGLE_KEY, true);
  SendKey(SINGLE_KEY, true);  // auto-repeat
  SendKey(SINGLE_KEY, false);
  EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
  PressKey(SINGLE_KEY);
  EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
}

TEST_F(TriggersTest, KeyCodesZeroTurnTheKeysOff) {
  SetShortCutKeyCode(0, 0);
  PressKey(VK_LCONTROL);
  PressKey(VK_LCONTROL);
  PressKey(SINGLE_KEY);
  EXPECT_EQ(Requests{}, TakeRequests());
}

TEST_F(TriggersTest, NewKeyCodesApplyAtOnce) {
  SetShortCutKeyCode(VK_SHIFT, 0);
  PressKey(VK_LCONTROL);
  PressKey(VK_LCONTROL);
  PressKey(SINGLE_KEY);
  EXPECT_EQ(Requests{}, TakeRequests());
  PressKey(VK_RSHIFT);
  PressKey(VK_RSHIFT);
  EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
}

TEST_F(TriggersTest, RightDoubleClickAsksToShow) {
  RightClick();
  EXPECT_EQ(Requests{}, TakeRequests());
  RightClick();
  EXPECT_EQ(Requests{SHOW}, TakeRequests());
}

TEST_F(TriggersTest, RightClicksFarApartInSpaceDoNothing) {
  RightClick();
  MoveMouseBy(GetSystemMetrics(SM_CXDOUBLECLK) * 4, 0);
  RightClick();
  EXPECT_EQ(Requests{}, TakeRequests());
  MoveMouseBy(-GetSystemMetrics(SM_CXDOUBLECLK) * 4, 0);
}

TEST_F(TriggersTest, AnotherButtonBetweenTheRightClicksCancelsThem) {
  RightClick();
  MiddleClick();
  RightClick();
  EXPECT_EQ(Requests{}, TakeRequests());
}

TEST_F(TriggersTest, RightDoubleClickDoesNothingWhileTheMirrorIsShown) {
  SetIsViewVelmo(1);
  RightClick();
  RightClick();
  EXPECT_EQ(Requests{}, TakeRequests());
  SetIsViewVelmo(0);
  RightClick();
  RightClick();
  EXPECT_EQ(Requests{SHOW}, TakeRequests());
}

TEST_F(TriggersTest, RightDoubleClickTurnedOffDoesNothing) {
  SetShortCutMouse(0);
  RightClick();
  RightClick();
  EXPECT_EQ(Requests{}, TakeRequests());
}

static DWORD WINAPI PressControlTwice(LPVOID) {
  PressKey(VK_LCONTROL);
  PressKey(VK_LCONTROL);
  RightClick();
  RightClick();
  return 0;
}

TEST_F(TriggersTest, TriggersFireWhileTheCallersThreadIsBlocked) {
  HANDLE presser = CreateThread(nullptr, 0, PressControlTwice, nullptr, 0, nullptr);
  ASSERT_NE(nullptr, presser);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(presser, 10000));  // this thread pumps nothing meanwhile
  CloseHandle(presser);
  EXPECT_EQ((Requests{TOGGLE, SHOW}), TakeRequests());
}

TEST_F(TriggersTest, InitAndTermTwiceAreHarmless) {
  EXPECT_TRUE(InitDLL(window_));
  PressKey(VK_LCONTROL);
  PressKey(VK_LCONTROL);
  EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
  TermDLL();
  TermDLL();
  PressKey(VK_LCONTROL);
  PressKey(VK_LCONTROL);
  EXPECT_EQ(Requests{}, TakeRequests());
  EXPECT_TRUE(InitDLL(window_));
  PressKey(VK_LCONTROL);
  PressKey(VK_LCONTROL);
  EXPECT_EQ(Requests{TOGGLE}, TakeRequests());
}
