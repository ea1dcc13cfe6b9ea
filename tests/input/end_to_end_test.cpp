// The real program with the real hook library over the stand-in desktop, used as a user would with
// SendInput: the triggers call the mirror up and put it away, and input on the mirror reaches the
// desktop.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "res/resource.h"
#include "testbed/standin/standin_client.h"

constexpr char VELMO_KEY[] = "Software\\Morvane\\Velmo";
constexpr DWORD DOUBLE_PRESS_KEY = VK_NONCONVERT;
constexpr DWORD SINGLE_PRESS_KEY = VK_F15;
constexpr DWORD WAIT_MS = 5000;

// Every value of a registry key as it was, put back afterwards (the key removed if it was absent).
class SavedKey {
 public:
  explicit SavedKey(const char* subkey) : subkey_(subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    existed_ = true;
    for (DWORD index = 0;; ++index) {
      char name[256];
      DWORD nameSize = sizeof name;
      BYTE data[1024];
      DWORD dataSize = sizeof data;
      DWORD type = 0;
      if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
      values_.push_back({name, type, std::vector<BYTE>(data, data + dataSize)});
    }
    RegCloseKey(key);
  }
  ~SavedKey() {
    RegDeleteKeyA(HKEY_CURRENT_USER, subkey_.c_str());
    if (!existed_) return;
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subkey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
      return;
    }
    for (const Value& value : values_) {
      RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(),
                     static_cast<DWORD>(value.data.size()));
    }
    RegCloseKey(key);
  }
  static void SetNumber(const char* subkey, const char* name, DWORD number) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
      return;
    }
    RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegCloseKey(key);
  }

 private:
  struct Value {
    std::string name;
    DWORD type;
    std::vector<BYTE> data;
  };
  std::string subkey_;
  bool existed_ = false;
  std::vector<Value> values_;
};

static void SendKey(WORD key, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

static void PressKey(WORD key) {
  SendKey(key, false);
  SendKey(key, true);
}

static void SendMouse(DWORD flags, POINT screen) {
  INPUT input = {};
  input.type = INPUT_MOUSE;
  input.mi.dx = screen.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = screen.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

static void Click(POINT screen, DWORD down, DWORD up) {
  SendMouse(0, screen);
  SendMouse(down, screen);
  SendMouse(up, screen);
}

// Dispatches what arrives for this thread's windows for a while.
static void PumpFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Sleep(20);
  } while (GetTickCount() - start < milliseconds);
}

static bool WaitFor(bool (*condition)(void*), void* context, DWORD milliseconds = WAIT_MS) {
  DWORD start = GetTickCount();
  while (!condition(context)) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(20);
  }
  return true;
}

class VelmoOverStandin : public ::testing::Test {
 protected:
  void SetUp() override {
    SavedKey::SetNumber(VELMO_KEY, "UseSKey", 1);
    SavedKey::SetNumber(VELMO_KEY, "SKeyCode", DOUBLE_PRESS_KEY);
    SavedKey::SetNumber(VELMO_KEY, "UseSKeyS", 1);
    SavedKey::SetNumber(VELMO_KEY, "SKeyCodeS", SINGLE_PRESS_KEY);
    SavedKey::SetNumber(VELMO_KEY, "MouseRdblclk", 1);
    SavedKey::SetNumber(VELMO_KEY, "MoveWindow", 1);
    SavedKey::SetNumber(VELMO_KEY, "KillFocus", 0);
    SavedKey::SetNumber(VELMO_KEY, "NoMatchHit", 1);
    SavedKey::SetNumber(VELMO_KEY, "Escape", 1);
    items_ = {{STANDIN_LINK, 40, 40, STANDIN_OWN_IMAGE, "Mail"},
              {STANDIN_FILE, 160, 40, STANDIN_OWN_IMAGE, "Notes.txt"},
              {STANDIN_URL, 280, 40, STANDIN_OWN_IMAGE, "Home"}};
    ASSERT_TRUE(standin_.Start(items_));
    ASSERT_TRUE(StartVelmo());
  }

  void TearDown() override {
    HWND main = FindWindowA("Velmo Main", "Velmo");
    if (main != nullptr) PostMessageA(main, WM_CLOSE, 0, 0);
    if (velmo_.hProcess != nullptr) {
      if (WaitForSingleObject(velmo_.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(velmo_.hProcess, 1);
      CloseHandle(velmo_.hProcess);
      CloseHandle(velmo_.hThread);
    }
  }

  bool StartVelmo() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    folder.resize(folder.rfind('\\'));
    std::string command = "\"" + folder + "\\velmo.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &velmo_)) {
      return false;
    }
    // The mirror is built, hidden and parked once the start-up is through.
    return WaitFor(
        [](void* self) {
          auto* test = static_cast<VelmoOverStandin*>(self);
          test->mirror_ = FindWindowA("Velmo", "Velmo");
          return test->mirror_ != nullptr && !test->MirrorShown();
        },
        this, 15000);
  }

  // In move mode the shown mirror lies over the desktop list view; the hidden one is parked.
  bool MirrorShown() const {
    RECT mirror = {};
    RECT desktop = {};
    if (!GetWindowRect(mirror_, &mirror) || !GetWindowRect(standin_.ListView(), &desktop)) return false;
    return IsWindowVisible(mirror_) && mirror.left == desktop.left && mirror.top == desktop.top;
  }

  bool WaitShown(bool shown) {
    struct Wait {
      VelmoOverStandin* test;
      bool shown;
    } wait = {this, shown};
    return WaitFor(
        [](void* context) {
          auto* w = static_cast<Wait*>(context);
          return w->test->MirrorShown() == w->shown;
        },
        &wait);
  }

  // A point on an item's icon, on the screen.
  POINT OnItem(size_t item) const {
    RECT desktop = {};
    GetWindowRect(standin_.ListView(), &desktop);
    return {desktop.left + items_[item].x + 10, desktop.top + items_[item].y + 10};
  }

  std::vector<MessageRecord> DesktopMessages(UINT message) const {
    std::vector<MessageRecord> found;
    for (const MessageRecord& record : standin_.Messages()) {
      if (record.message == message) found.push_back(record);
    }
    return found;
  }

  // Keys typed now must not reach the desktop through a mirror that kept the foreground.
  void ExpectKeysReachNoItem(const char* when) {
    EXPECT_NE(mirror_, GetForegroundWindow()) << when;
    standin_.ClearMessages();
    PressKey(VK_DELETE);
    Sleep(300);
    for (const MessageRecord& key : DesktopMessages(WM_KEYDOWN))
      EXPECT_NE(static_cast<uint64_t>(VK_DELETE), key.wParam) << when;
  }

  std::vector<StandinItem> items_;
  StandinDesktop standin_;
  PROCESS_INFORMATION velmo_ = {};
  HWND mirror_ = nullptr;
  SavedKey savedSettings_{VELMO_KEY};
};

TEST_F(VelmoOverStandin, DoublePressKeyCallsTheMirrorUpAndPutsItAway) {
  PressKey(DOUBLE_PRESS_KEY);
  PressKey(DOUBLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(true));
  Sleep(GetDoubleClickTime() + 100);
  PressKey(DOUBLE_PRESS_KEY);
  PressKey(DOUBLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(false));
}

TEST_F(VelmoOverStandin, SinglePressKeyCallsTheMirrorUpAndPutsItAway) {
  PressKey(SINGLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(true));
  PressKey(SINGLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(false));
}

TEST_F(VelmoOverStandin, RightDoubleClickCallsTheMirrorUpAndTheKeyPutsItAway) {
  RECT desktop = {};
  GetWindowRect(standin_.ListView(), &desktop);
  POINT empty = {desktop.left + 600, desktop.top + 400};
  Click(empty, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  Click(empty, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  EXPECT_TRUE(WaitShown(true));
  PressKey(SINGLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(false));
}

TEST_F(VelmoOverStandin, ClickOnAnIconThroughTheMirrorReachesTheDesktopTwice) {
  PressKey(SINGLE_PRESS_KEY);
  ASSERT_TRUE(WaitShown(true));
  Sleep(500);  // the replayed selection click has gone through
  standin_.ClearMessages();
  Click(OnItem(1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  Sleep(500);
  auto downs = DesktopMessages(WM_LBUTTONDOWN);
  ASSERT_EQ(2u, downs.size());
  EXPECT_EQ(static_cast<uint64_t>(MK_LBUTTON), downs[1].wParam);
  EXPECT_TRUE(MirrorShown());
}

TEST_F(VelmoOverStandin, DoubleClickOnAnIconHidesTheMirrorAndOpensTheItem) {
  PressKey(SINGLE_PRESS_KEY);
  ASSERT_TRUE(WaitShown(true));
  Sleep(500);
  LONG openedBefore = standin_.OpenedCount();
  Click(OnItem(1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  Click(OnItem(1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitShown(false));
  struct Opened {
    StandinDesktop* standin;
    LONG before;
  } opened = {&standin_, openedBefore};
  EXPECT_TRUE(WaitFor(
      [](void* context) {
        auto* o = static_cast<Opened*>(context);
        return o->standin->OpenedCount() > o->before;
      },
      &opened));
  EXPECT_EQ("Notes.txt", standin_.LastOpened());
}

TEST_F(VelmoOverStandin, EscapeOnTheMirrorPutsItAway) {
  PressKey(SINGLE_PRESS_KEY);
  ASSERT_TRUE(WaitShown(true));
  Sleep(300);
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitShown(false));
}

TEST_F(VelmoOverStandin, ClickBesideTheIconsPutsTheMirrorAwayWithoutReachingTheDesktop) {
  PressKey(SINGLE_PRESS_KEY);
  ASSERT_TRUE(WaitShown(true));
  Sleep(500);
  standin_.ClearMessages();
  RECT desktop = {};
  GetWindowRect(standin_.ListView(), &desktop);
  Click({desktop.left + 600, desktop.top + 400}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitShown(false));
  EXPECT_TRUE(DesktopMessages(WM_LBUTTONDOWN).empty());
}

// A borderless window in front, as a game or a full-screen video has it.
static HWND CreateCover() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszClassName = "Full Screen Program";
  RegisterClassA(&windowClass);
  return CreateWindowExA(WS_EX_TOPMOST, windowClass.lpszClassName, "full screen", WS_POPUP | WS_VISIBLE, 0, 0,
                         GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                         windowClass.hInstance, nullptr);
}

static void BringToFront(HWND window) {
  SetForegroundWindow(window);
  WaitFor([](void* front) { return GetForegroundWindow() == static_cast<HWND>(front); }, window);
}

TEST_F(VelmoOverStandin, TriggersKeepQuietOverAFullScreenWindowButTheTrayIconStillShowsTheMirror) {
  HWND cover = CreateCover();
  ASSERT_NE(nullptr, cover);
  BringToFront(cover);
  POINT middle = {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
  PressKey(DOUBLE_PRESS_KEY);
  PressKey(DOUBLE_PRESS_KEY);
  Click(middle, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  Click(middle, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  PumpFor(1000);
  EXPECT_FALSE(MirrorShown());

  PostMessageA(FindWindowA(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE), WM_TRAYNOTIFY, TRAY_ICON_ID,
               WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitShown(true));
  EXPECT_EQ(mirror_, GetAncestor(WindowFromPoint(OnItem(0)), GA_ROOT)) << "in front of the cover";
  PressKey(SINGLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(false));

  // Smaller than the screen, the same window is an ordinary one.
  SetWindowPos(cover, nullptr, 0, 0, middle.x, middle.y, SWP_NOZORDER);
  BringToFront(cover);
  PressKey(DOUBLE_PRESS_KEY);
  PressKey(DOUBLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(true));
  PressKey(SINGLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(false));
  BringToFront(cover);
  POINT onCover = {middle.x / 2, middle.y / 2};
  Click(onCover, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  Click(onCover, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  EXPECT_TRUE(WaitShown(true));
  DestroyWindow(cover);
}

// (After a hide Wine can hand the foreground back to the parked mirror: a re-selection click that
// its list view takes late activates it there, which Windows does not allow a background window.)
TEST_F(VelmoOverStandin, NoMirrorKeepsTheForegroundAfterStartUpOrARefresh) {
  ExpectKeysReachNoItem("after start-up");
  HWND old = mirror_;
  PostMessageA(FindWindowA(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE), WM_COMMAND, IDM_REFRESH, 0);
  Sleep(2000);  // (a refresh of three items takes well under a second)
  mirror_ = FindWindowA("Velmo", "Velmo");
  ASSERT_NE(old, mirror_);
  ExpectKeysReachNoItem("after a refresh");
}

TEST_F(VelmoOverStandin, AltF4PutsTheMirrorAwayAndNeverReachesTheDesktop) {
  PressKey(SINGLE_PRESS_KEY);
  ASSERT_TRUE(WaitShown(true));
  Sleep(300);
  standin_.ClearMessages();
  SendKey(VK_MENU, false);
  PressKey(VK_F4);
  SendKey(VK_MENU, true);
  EXPECT_TRUE(WaitShown(false));
  EXPECT_TRUE(IsWindow(mirror_)) << "the mirror was closed, not hidden";
  for (const MessageRecord& record : standin_.Messages())
    EXPECT_NE(static_cast<uint64_t>(VK_F4), record.wParam);
  PressKey(SINGLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(true)) << "the mirror comes up again";
}

// A window of this process in the foreground whose thread stops answering, as a hung program's.
static DWORD WINAPI RunForegroundWindow(void* created) {
  HWND window = CreateWindowExA(0, "STATIC", "hung", WS_POPUP | WS_VISIBLE, 700, 500, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
  SetForegroundWindow(window);
  *static_cast<HWND*>(created) = window;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  DestroyWindow(window);
  return 0;
}

TEST_F(VelmoOverStandin, ShowBesideAHungForegroundWindowCompletesAndVelmoKeepsAnswering) {
  HWND hung = nullptr;
  DWORD threadId = 0;
  HANDLE thread = CreateThread(nullptr, 0, RunForegroundWindow, &hung, 0, &threadId);
  ASSERT_TRUE(WaitFor([](void* window) { return *static_cast<HWND*>(window) != nullptr; }, &hung));
  ASSERT_EQ(hung, GetForegroundWindow());
  SuspendThread(thread);
  HWND main = FindWindowA(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE);
  PostMessageA(main, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
  bool shown = WaitShown(true);
  DWORD_PTR answer = 0;
  bool answering = SendMessageTimeoutA(main, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer) != 0;
  ResumeThread(thread);
  PostThreadMessageA(threadId, WM_QUIT, 0, 0);
  WaitForSingleObject(thread, WAIT_MS);
  CloseHandle(thread);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(answering);
}

// ---- The user's modifiers travel with each key -------------------------------------------------

// The stand-in's thread believes Ctrl is held, as a shell's thread can after input of its own. Each
// key from the mirror reaches it with the Ctrl and Shift the user held, and afterwards it holds its
// own state again. (Under Wine a thread with no state of its own reads the desktop's; this one has
// one, as every thread has on Windows.)
TEST_F(VelmoOverStandin, KeysReachTheDesktopWithTheUsersModifiersAndLeaveItsOwnState) {
  constexpr WORD LETTER = 'K';
  PostMessageA(standin_.ListView(), STANDIN_HOLD_CONTROL, 0, 0);
  BYTE before[STANDIN_KEYBOARD_STATE_SIZE];
  ASSERT_TRUE(standin_.TakeKeyboardState(before));
  ASSERT_TRUE(before[VK_CONTROL] & 0x80);
  HWND main = FindWindowA(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE);
  PostMessageA(main, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
  ASSERT_TRUE(WaitShown(true));
  ASSERT_TRUE(
      WaitFor([](void* mirror) { return GetForegroundWindow() == static_cast<HWND>(mirror); }, mirror_));
  standin_.ClearMessages();
  PressKey(LETTER);
  SendKey(VK_CONTROL, false);
  PressKey(LETTER);
  SendKey(VK_CONTROL, true);
  ASSERT_TRUE(WaitFor(
      [](void* standin) {
        for (const MessageRecord& r : static_cast<StandinDesktop*>(standin)->Messages())
          if (r.message == WM_KEYUP && r.wParam == VK_CONTROL) return true;
        return false;
      },
      &standin_));
  PostMessageA(main, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_HIDE);
  ASSERT_TRUE(WaitShown(false));
  BYTE after[STANDIN_KEYBOARD_STATE_SIZE];
  ASSERT_TRUE(standin_.TakeKeyboardState(after));

  std::vector<MessageRecord> records = standin_.Messages();
  std::vector<uint8_t> held = standin_.Held();
  bool userHoldsControl = false;
  int letters = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].message != WM_KEYDOWN && records[i].message != WM_KEYUP) continue;
    if (records[i].wParam == VK_CONTROL) userHoldsControl = records[i].message == WM_KEYDOWN;
    if (records[i].wParam == LETTER) ++letters;
    SCOPED_TRACE(testing::Message() << "key " << records[i].wParam << " message " << records[i].message);
    EXPECT_EQ(userHoldsControl, (held[i] & STANDIN_HELD_CONTROL) != 0);
    EXPECT_EQ(0, held[i] & STANDIN_HELD_SHIFT);
  }
  EXPECT_EQ(4, letters);
  EXPECT_EQ(std::vector<BYTE>(before, before + sizeof before),
            std::vector<BYTE>(after, after + sizeof after));
}
