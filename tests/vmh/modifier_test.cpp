// PostDesktopInput with a window of this process standing in for the desktop's list view: a thread
// of ours with a keyboard state of its own plays the shell's thread, another one the user's. Both
// states are known and nothing else touches them (a fresh thread takes the desktop's state once,
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
constexpr char SHELL_CLASS[] = "VmhModifierTestShell";

using Modifiers = std::vector<BYTE>;

// The shell's own state (left Shift, right Alt) and the user's (right Shift, right Ctrl).
static const Modifiers SHELL_OWN = {DOWN, 0, DOWN, DOWN, 0, 0, 0, 0, DOWN};
static const Modifiers USER_HELD = {DOWN, DOWN, 0, 0, DOWN, 0, DOWN, 0, 0};

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
  for (size_t i = 0; i < modifiers.size(); ++i) state[MODIFIERS[i]] = modifiers[i];
  SetKeyboardState(state);
}

// The stand-in shell's thread and what its window read. With holdInput, it waits in the middle of
// handling the input until the test lets it go on.
struct ShellThread {
  bool holdInput = false;
  HWND window = nullptr;
  HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE inInput = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE goOn = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE probed = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  std::vector<Modifiers> duringKeys;
  Modifiers atProbe;
  HANDLE thread = nullptr;

  ~ShellThread() {
    if (window != nullptr) PostMessageA(window, WM_CLOSE, 0, 0);
    if (thread != nullptr) WaitForSingleObject(thread, WAIT_MS);
    for (HANDLE handle : {thread, ready, inInput, goOn, probed})
      if (handle != nullptr) CloseHandle(handle);
  }

  bool Start() {
    thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
    return thread != nullptr && WaitForSingleObject(ready, WAIT_MS) == WAIT_OBJECT_0;
  }

  bool Probe() {
    PostMessageA(window, PROBE, 0, 0);
    return WaitForSingleObject(probed, WAIT_MS) == WAIT_OBJECT_0;
  }

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
      SetWindowLongPtrA(window, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<ShellThread*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    switch (message) {
      case WM_KEYDOWN:
        self->duringKeys.push_back(ReadModifiers());
        if (self->holdInput) SignalObjectAndWait(self->inInput, self->goOn, WAIT_MS, FALSE);
        return 0;
      case PROBE:
        self->atProbe = ReadModifiers();
        SetEvent(self->probed);
        return 0;
      case WM_CLOSE:
        DestroyWindow(window);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  static DWORD WINAPI Run(void* context) {
    auto* self = static_cast<ShellThread*>(context);
    MakeOwnState(SHELL_OWN);
    self->window = CreateWindowExA(0, SHELL_CLASS, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, self);
    SetEvent(self->ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
  }
};

// The user's thread, as the program's one thread: it posts each input with the modifiers it holds
// and, at the end, stops the library (its hook is this thread's).
constexpr UINT POST_INPUT = WM_APP + 10;
constexpr UINT STOP_LIBRARY = WM_APP + 11;

struct UserThread {
  HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  bool posted = false;
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, Run, this, 0, &id);

  ~UserThread() {
    PostThreadMessageA(id, WM_QUIT, 0, 0);
    WaitForSingleObject(thread, WAIT_MS);
    for (HANDLE handle : {thread, ready, done}) CloseHandle(handle);
  }

  bool Ask(UINT request, HWND window) {
    return WaitForSingleObject(ready, WAIT_MS) == WAIT_OBJECT_0 &&
           PostThreadMessageA(id, request, reinterpret_cast<WPARAM>(window), 0) &&
           WaitForSingleObject(done, WAIT_MS) == WAIT_OBJECT_0;
  }
  bool PostKey(HWND window) { return Ask(POST_INPUT, window) && posted; }
  bool StopLibrary() { return Ask(STOP_LIBRARY, nullptr); }

  static DWORD WINAPI Run(void* context) {
    auto* self = static_cast<UserThread*>(context);
    MakeOwnState(USER_HELD);
    SetEvent(self->ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      if (message.message == POST_INPUT)
        self->posted = PostDesktopInput(reinterpret_cast<HWND>(message.wParam), WM_KEYDOWN, 'K', 0);
      else if (message.message == STOP_LIBRARY)
        TermDLL();
      SetEvent(self->ready);
      SetEvent(self->done);
    }
    TermDLL();
    return 0;
  }
};

class ModifierTransfer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ShellThread::Procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = SHELL_CLASS;
    RegisterClassA(&windowClass);
  }
};

TEST_F(ModifierTransfer, TheShellReadsTheUsersModifiersForTheInputAndItsOwnAfterwards) {
  ShellThread shell;
  UserThread user;
  ASSERT_TRUE(shell.Start());
  ASSERT_TRUE(user.PostKey(shell.window));
  ASSERT_TRUE(shell.Probe());
  ASSERT_EQ(1u, shell.duringKeys.size());
  EXPECT_EQ(USER_HELD, shell.duringKeys[0]);
  EXPECT_EQ(SHELL_OWN, shell.atProbe);

  // Another program's "set" (it cannot know the token) changes nothing, also while the hook is on.
  PostMessageA(shell.window, RegisterWindowMessageA("VmhSetModifiers"), 0x1FF, 0x1234);
  PostMessageA(shell.window, WM_KEYDOWN, 'K', 0);
  ASSERT_TRUE(shell.Probe());
  ASSERT_EQ(2u, shell.duringKeys.size());
  EXPECT_EQ(SHELL_OWN, shell.duringKeys[1]);
  EXPECT_EQ(SHELL_OWN, shell.atProbe);
}

// The library's hook goes while the shell's thread handles the input (Velmo ends, or is killed):
// the shell's thread still gets its own state back when it takes the restore.
TEST_F(ModifierTransfer, TheShellGetsItsOwnModifiersBackWhenTheHookGoesDuringTheInput) {
  ShellThread shell;
  UserThread user;
  shell.holdInput = true;
  ASSERT_TRUE(shell.Start());
  ASSERT_TRUE(user.PostKey(shell.window));
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(shell.inInput, WAIT_MS));
  ASSERT_TRUE(user.StopLibrary());
  SetEvent(shell.goOn);
  ASSERT_TRUE(shell.Probe());
  ASSERT_EQ(1u, shell.duringKeys.size());
  EXPECT_EQ(USER_HELD, shell.duringKeys[0]);
  EXPECT_EQ(SHELL_OWN, shell.atProbe);
}
