// PostDesktopInput with a window of this process standing in for the desktop's list view: a thread
// of ours with a keyboard state of its own plays the shell's thread, the test's thread the user's.
// Both states are known and nothing else touches them (each thread takes the desktop's state once,
// before it sets its own), so what the shell's thread reads is exactly what the library made it.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "hooklib/vmh.h"

constexpr DWORD WAIT_MS = 15000;  // a safety net: every wait ends on its event
constexpr UINT PROBE = WM_APP + 1;
constexpr BYTE DOWN = 0x80;
constexpr BYTE MODIFIERS[] = {VK_SHIFT,    VK_CONTROL,  VK_MENU,  VK_LSHIFT, VK_RSHIFT,
                              VK_LCONTROL, VK_RCONTROL, VK_LMENU, VK_RMENU};

using Modifiers = std::vector<BYTE>;

// The shell's own state (left Shift, right Alt) and the user's (right Shift, right Ctrl).
static const Modifiers SHELL_OWN = {DOWN, 0, DOWN, DOWN, 0, 0, 0, 0, DOWN};
static const Modifiers USER_HELD = {DOWN, DOWN, 0, 0, DOWN, 0, DOWN, 0, 0};
static const Modifiers NONE_HELD(sizeof MODIFIERS, 0);

static Modifiers ReadModifiers() {
  BYTE state[256] = {};
  GetKeyboardState(state);
  Modifiers read;
  for (BYTE key : MODIFIERS) read.push_back(state[key]);
  return read;
}

static void MakeOwnState(const Modifiers& modifiers) {
  MSG message;
  PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  GetKeyState(VK_SHIFT);  // the desktop's state is taken now, not later over ours
  BYTE state[256] = {};
  GetKeyboardState(state);
  for (size_t i = 0; i < modifiers.size(); ++i) state[MODIFIERS[i]] = modifiers[i];
  SetKeyboardState(state);
}

// The stand-in shell's thread: its window notes what it reads for each key and at each probe. With
// holdInput it waits in the middle of handling a key until goOn.
struct ShellThread {
  bool holdInput = false;
  HWND window = nullptr;
  HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE goOn = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE probed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::vector<Modifiers> duringKeys;
  Modifiers atProbe;
  HANDLE thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);

  ~ShellThread() {
    PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(thread, WAIT_MS);
    for (HANDLE handle : {thread, ready, goOn, probed}) CloseHandle(handle);
  }

  bool Probe() {
    PostMessageA(window, PROBE, 0, 0);
    return WaitForSingleObject(probed, WAIT_MS) == WAIT_OBJECT_0;
  }

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<ShellThread*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
      case WM_KEYDOWN:
        self->duringKeys.push_back(ReadModifiers());
        if (self->holdInput) SignalObjectAndWait(self->ready, self->goOn, WAIT_MS, FALSE);
        return 0;
      case PROBE:
        self->atProbe = ReadModifiers();
        SetEvent(self->probed);
        return 0;
      case WM_CLOSE:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  static DWORD WINAPI Run(void* context) {
    auto* self = static_cast<ShellThread*>(context);
    MakeOwnState(SHELL_OWN);
    HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure));
    self->window = window;
    SetEvent(self->ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    DestroyWindow(window);
    return 0;
  }
};

// The test's thread is the program's: it posts the input, holding the user's modifiers, and its
// hook goes when it stops the library.
class ModifierTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeOwnState(USER_HELD);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(shell_.ready, WAIT_MS));
  }
  void TearDown() override {
    TermDLL();
    MakeOwnState(NONE_HELD);
  }
  ShellThread shell_;
};

TEST_F(ModifierTransfer, TheShellReadsTheUsersModifiersForTheInputAndItsOwnAfterwards) {
  ASSERT_TRUE(PostDesktopInput(shell_.window, WM_KEYDOWN, 'K', 0));
  ASSERT_TRUE(shell_.Probe());
  ASSERT_EQ(1u, shell_.duringKeys.size());
  EXPECT_EQ(USER_HELD, shell_.duringKeys[0]);
  EXPECT_EQ(SHELL_OWN, shell_.atProbe);

  // Another program's "set" (it cannot know the token) changes nothing, also while the hook is on.
  PostMessageA(shell_.window, RegisterWindowMessageA("VmhSetModifiers"), 0x1FF, 0x1234);
  PostMessageA(shell_.window, WM_KEYDOWN, 'K', 0);
  ASSERT_TRUE(shell_.Probe());
  ASSERT_EQ(2u, shell_.duringKeys.size());
  EXPECT_EQ(SHELL_OWN, shell_.duringKeys[1]);
}

// The library's hook goes while the shell's thread handles the input (Velmo ends, or is killed):
// the shell's thread still gets its own state back when it takes the restore.
TEST_F(ModifierTransfer, TheShellGetsItsOwnModifiersBackWhenTheHookGoesDuringTheInput) {
  shell_.holdInput = true;
  ASSERT_TRUE(PostDesktopInput(shell_.window, WM_KEYDOWN, 'K', 0));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(shell_.ready, WAIT_MS));
  TermDLL();
  SetEvent(shell_.goOn);
  ASSERT_TRUE(shell_.Probe());
  ASSERT_EQ(1u, shell_.duringKeys.size());
  EXPECT_EQ(USER_HELD, shell_.duringKeys[0]);
  EXPECT_EQ(SHELL_OWN, shell_.atProbe);
}
