// The real program with the real hook library over the stand-in desktop, used as a user would with
// SendInput: the triggers call the mirror up and put it away, and input on the mirror reaches the
// desktop.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "testbed/process/binary_path.h"
#include "testbed/process/child_process.h"
#include "testbed/process/find_window.h"
#include "testbed/recorder/pump.h"
#include "testbed/standin/standin_client.h"
#include "testbed/trace/dbwin_listener.h"
#include "testbed/userinput/user_input.h"
#include "testbed/registry/registry_guard.h"

constexpr DWORD DOUBLE_PRESS_KEY = VK_NONCONVERT;
constexpr DWORD SINGLE_PRESS_KEY = VK_F15;
constexpr DWORD WAIT_MS = 15000;  // a safety net: every wait ends on its condition
constexpr WORD MARKER_KEY = VK_F24;
constexpr DWORD START_TIMEOUT_MS = 15000;
constexpr char TRACE_SHOW[] = "==表示へ!==\r\n";
constexpr char TRACE_FULL_SCREEN[] = "==全画面のため無視==\r\n";

using testbed::ClickAt;
using testbed::PressKey;
using testbed::SendKey;
using testbed::WaitUntil;

static void SetNumber(const char* name, DWORD number) {
  RegSetKeyValueA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, name, REG_DWORD, &number, sizeof number);
}

class VelmoOverStandin : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNumber("UseSKey", 1);
    SetNumber("SKeyCode", DOUBLE_PRESS_KEY);
    SetNumber("UseSKeyS", 1);
    SetNumber("SKeyCodeS", SINGLE_PRESS_KEY);
    SetNumber("MouseRdblclk", 1);
    SetNumber("MoveWindow", 1);
    SetNumber("KillFocus", 0);
    SetNumber("NoMatchHit", 1);
    SetNumber("Escape", 1);
    items_ = {{STANDIN_LINK, 40, 40, STANDIN_OWN_IMAGE, "Mail"},
              {STANDIN_FILE, 160, 40, STANDIN_OWN_IMAGE, "Notes.txt"},
              {STANDIN_URL, 280, 40, STANDIN_OWN_IMAGE, "Home"}};
    ASSERT_TRUE(trace_.Start());
    ASSERT_TRUE(standin_.Start(items_));
    ASSERT_TRUE(velmo_.Start(testbed::VelmoPath()));
    main_ = testbed::WaitForWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, START_TIMEOUT_MS, velmo_.Id());
    ASSERT_TRUE(WaitForParkedMirror(nullptr));
  }

  void TearDown() override {
    if (velmo_.IsRunning()) {
      PostMessageA(main_, WM_COMMAND, IDM_EXIT, 0);
      velmo_.Stop();
    }
    trace_.Stop();
  }

  // Waits until a mirror other than `old` is built, hidden and parked, and the program's thread is
  // back in its message loop.
  bool WaitForParkedMirror(HWND old) {
    return WaitUntil(
               [&] {
                 mirror_ = testbed::FindTopLevelWindow(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE, velmo_.Id());
                 HWND list = mirror_ != nullptr ? GetWindow(mirror_, GW_CHILD) : nullptr;
                 return mirror_ != old && list != nullptr && !MirrorShown() &&
                        SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == static_cast<LRESULT>(items_.size());
               },
               START_TIMEOUT_MS) &&
           Answers();
  }

  bool Answers() const {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutA(main_, WM_NULL, 0, 0, SMTO_NORMAL, WAIT_MS, &answer) != 0;
  }

  // In move mode the shown mirror lies over the desktop list view; the hidden one is parked.
  bool MirrorShown() const {
    RECT mirror = {};
    RECT desktop = {};
    if (!GetWindowRect(mirror_, &mirror) || !GetWindowRect(standin_.ListView(), &desktop)) return false;
    return IsWindowVisible(mirror_) && mirror.left == desktop.left && mirror.top == desktop.top;
  }

  bool WaitShown(bool shown) {
    return WaitUntil([&] { return MirrorShown() == shown; }, WAIT_MS);
  }

  // Each show clicks the item selected last, on the desktop and on the mirror, which passes its click
  // on: two button-ups reach the desktop. Once they have, so has everything the program sent before.
  bool WaitForReselection(size_t upsBefore) {
    return WaitUntil([&] { return DesktopMessages(WM_LBUTTONUP).size() >= upsBefore + 2; }, WAIT_MS);
  }

  // Shows the mirror with the single-press key; true once the show's re-selection has gone through.
  // The pointer rests where the test clicks next. Under Wine, SendInput moves Windows' cursor but not
  // the X server's pointer; the mirror coming up under that pointer makes the X11 driver report its
  // place as a move, possibly late enough to overtake a click. SetCursorPos moves the X pointer too,
  // so that the report names the click's own place. (Not while a modifier is held: the pointer's
  // crossing events make the driver set the modifiers back to the X server's keyboard.)
  bool Show(POINT pointer) {
    SetCursorPos(pointer.x, pointer.y);
    size_t ups = DesktopMessages(WM_LBUTTONUP).size();
    PressKey(SINGLE_PRESS_KEY);
    return WaitShown(true) && WaitForReselection(ups);
  }
  bool Show() { return Show(OnItem(0)); }

  // True once keys typed now go to the shown mirror's list view: the mirror is in front, its list view
  // has the focus and nothing holds the mouse (a click's drag detection takes the keys meanwhile).
  bool WaitForKeys() const {
    return WaitUntil(
        [&] {
          GUITHREADINFO thread = {sizeof thread, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
          return GetForegroundWindow() == mirror_ &&
                 GetGUIThreadInfo(GetWindowThreadProcessId(mirror_, nullptr), &thread) &&
                 thread.hwndFocus == GetWindow(mirror_, GW_CHILD) && thread.hwndCapture == nullptr;
        },
        WAIT_MS);
  }

  // A key with no meaning on the desktop, pressed on the shown mirror: once the desktop has it, it
  // has everything the mirror passed on before.
  bool PassMarkerKey() {
    auto markers = [&] {
      size_t count = 0;
      for (const MessageRecord& key : DesktopMessages(WM_KEYDOWN)) count += key.wParam == MARKER_KEY;
      return count;
    };
    size_t before = markers();
    EXPECT_TRUE(WaitForKeys()) << "the mirror in front";
    PressKey(MARKER_KEY);
    return WaitUntil([&] { return markers() > before; }, WAIT_MS);
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

  size_t TraceCount(const char* text) const {
    size_t count = 0;
    for (const std::string& line : trace_.Texts(velmo_.Id())) count += line == text;
    return count;
  }

  std::vector<StandinItem> items_;
  RegistryGuard savedSettings_;
  testbed::DbwinListener trace_;
  StandinDesktop standin_;
  testbed::ChildProcess velmo_;
  HWND main_ = nullptr;
  HWND mirror_ = nullptr;
};

TEST_F(VelmoOverStandin, DoublePressKeyCallsTheMirrorUpAndPutsItAway) {
  PressKey(DOUBLE_PRESS_KEY);
  PressKey(DOUBLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(true));
  Sleep(GetDoubleClickTime() + 100);  // the next two presses are a new double press, not a third press
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
  ClickAt(empty, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  ClickAt(empty, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  EXPECT_TRUE(WaitShown(true));
  PressKey(SINGLE_PRESS_KEY);
  EXPECT_TRUE(WaitShown(false));
}

TEST_F(VelmoOverStandin, ClickOnAnIconThroughTheMirrorReachesTheDesktopTwice) {
  ASSERT_TRUE(Show(OnItem(1)));
  standin_.ClearMessages();
  ClickAt(OnItem(1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  // The mirror has handled the button-down once the desktop has it; the marker key follows once the
  // list view's drag detection is over (it takes the keys typed meanwhile).
  ASSERT_TRUE(WaitUntil([&] { return !DesktopMessages(WM_LBUTTONDOWN).empty(); }, WAIT_MS));
  ASSERT_TRUE(PassMarkerKey());
  auto downs = DesktopMessages(WM_LBUTTONDOWN);
  ASSERT_EQ(2u, downs.size());
  EXPECT_EQ(static_cast<uint64_t>(MK_LBUTTON), downs[1].wParam);
  EXPECT_TRUE(MirrorShown());
}

TEST_F(VelmoOverStandin, DoubleClickOnAnIconHidesTheMirrorAndOpensTheItem) {
  ASSERT_TRUE(Show(OnItem(1)));
  LONG openedBefore = standin_.OpenedCount();
  ClickAt(OnItem(1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  ClickAt(OnItem(1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitShown(false));
  EXPECT_TRUE(WaitUntil([&] { return standin_.OpenedCount() > openedBefore; }, WAIT_MS));
  EXPECT_EQ("Notes.txt", standin_.LastOpened());
}

TEST_F(VelmoOverStandin, EscapeOnTheMirrorPutsItAway) {
  ASSERT_TRUE(Show());
  ASSERT_TRUE(WaitForKeys());
  PressKey(VK_ESCAPE);
  EXPECT_TRUE(WaitShown(false));
}

TEST_F(VelmoOverStandin, ClickBesideTheIconsPutsTheMirrorAwayWithoutReachingTheDesktop) {
  RECT desktop = {};
  GetWindowRect(standin_.ListView(), &desktop);
  POINT beside = {desktop.left + 600, desktop.top + 400};
  ASSERT_TRUE(Show(beside));
  standin_.ClearMessages();
  ClickAt(beside, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(WaitShown(false));
  // The next show's re-selection comes after anything the click could have sent.
  ASSERT_TRUE(Show(beside));
  ScreenToClient(standin_.ListView(), &beside);
  for (const MessageRecord& down : DesktopMessages(WM_LBUTTONDOWN))
    EXPECT_NE(static_cast<uint64_t>(MAKELPARAM(beside.x, beside.y)), down.lParam);
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
  WaitUntil([&] { return GetForegroundWindow() == window; }, WAIT_MS);
}

TEST_F(VelmoOverStandin, TriggersKeepQuietOverAFullScreenWindowButTheTrayIconStillShowsTheMirror) {
  HWND cover = CreateCover();
  ASSERT_NE(nullptr, cover);
  BringToFront(cover);
  POINT middle = {GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2};
  PressKey(DOUBLE_PRESS_KEY);
  PressKey(DOUBLE_PRESS_KEY);
  ClickAt(middle, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  ClickAt(middle, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  EXPECT_TRUE(WaitUntil([&] { return TraceCount(TRACE_FULL_SCREEN) == 2; }, WAIT_MS))
      << "both triggers heard";
  EXPECT_EQ(0u, TraceCount(TRACE_SHOW));
  EXPECT_FALSE(MirrorShown());

  PostMessageA(main_, WM_TRAYNOTIFY, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
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
  ClickAt(onCover, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  ClickAt(onCover, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
  EXPECT_TRUE(WaitShown(true));
  DestroyWindow(cover);
}

// (After a hide Wine can hand the foreground back to the parked mirror: a re-selection click that
// its list view takes late activates it there, which Windows does not allow a background window.)
TEST_F(VelmoOverStandin, NoMirrorKeepsTheForegroundAfterStartUpOrARefresh) {
  EXPECT_NE(mirror_, GetForegroundWindow()) << "after start-up";
  HWND old = mirror_;
  PostMessageA(main_, WM_COMMAND, IDM_REFRESH, 0);
  ASSERT_TRUE(WaitForParkedMirror(old));
  EXPECT_NE(mirror_, GetForegroundWindow()) << "after a refresh";
}

// The keys come posted as the keyboard delivers them, Alt's flag on each. (Through SendInput, Alt is
// not reliable under Wine: when the focus change of the show reaches its X11 driver after the key,
// the driver sets the modifiers back to the X server's keyboard, where nothing is held.)
TEST_F(VelmoOverStandin, AltF4PutsTheMirrorAwayAndNeverReachesTheDesktop) {
  ASSERT_TRUE(Show());
  ASSERT_TRUE(WaitForKeys());
  standin_.ClearMessages();
  HWND list = GetWindow(mirror_, GW_CHILD);
  constexpr LPARAM F4_WITH_ALT = 0x203E0001;  // scan code 0x3E, Alt held, once
  constexpr LPARAM RELEASED = static_cast<LPARAM>(KF_REPEAT | KF_UP) << 16;
  PostMessageA(list, WM_SYSKEYDOWN, VK_F4, F4_WITH_ALT);
  PostMessageA(list, WM_SYSKEYUP, VK_F4, F4_WITH_ALT | RELEASED);
  EXPECT_TRUE(WaitShown(false));
  EXPECT_TRUE(IsWindow(mirror_)) << "the mirror was closed, not hidden";
  EXPECT_TRUE(Show()) << "the mirror comes up again";
  for (const MessageRecord& record : standin_.Messages()) {
    bool down = record.message == WM_KEYDOWN || record.message == WM_SYSKEYDOWN;
    EXPECT_FALSE(down && record.wParam == VK_F4) << "message 0x" << std::hex << record.message;
  }
}

// A window of this process in the foreground whose thread stops taking messages until released, as
// a hung program's. (It waits on an event rather than being suspended: a thread suspended at an
// arbitrary point can hold a lock this process needs.)
struct HungWindow {
  HWND window = nullptr;
  HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
};

static DWORD WINAPI RunHungWindow(void* context) {
  auto* hung = static_cast<HungWindow*>(context);
  hung->window = CreateWindowExA(0, "STATIC", "hung", WS_POPUP | WS_VISIBLE, 700, 500, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
  SetForegroundWindow(hung->window);
  SetEvent(hung->created);
  WaitForSingleObject(hung->release, INFINITE);
  DestroyWindow(hung->window);
  return 0;
}

TEST_F(VelmoOverStandin, ShowBesideAHungForegroundWindowCompletesAndVelmoKeepsAnswering) {
  HungWindow hung;
  HANDLE thread = CreateThread(nullptr, 0, RunHungWindow, &hung, 0, nullptr);
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hung.created, WAIT_MS));
  EXPECT_EQ(hung.window, GetForegroundWindow());
  PostMessageA(main_, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
  bool shown = WaitShown(true);
  bool answering = Answers();
  SetEvent(hung.release);
  WaitForSingleObject(thread, WAIT_MS);
  CloseHandle(thread);
  CloseHandle(hung.created);
  CloseHandle(hung.release);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(answering);
}

// ---- The user's modifiers travel with each key -------------------------------------------------

// The stand-in's thread believes Ctrl is held, as a shell's thread can after input of its own. Each
// key from the mirror reaches it with the modifiers the user holds, none, not with its own Ctrl.
// (Under Wine a thread with no state of its own reads the desktop's; this one has one, as every
// thread has on Windows. The user holds no modifier here: Wine copies the desktop's key state into
// the program's thread whenever it likes, so a modifier pressed during the test could reach a key
// typed before it. The user's modifiers themselves, and the shell's thread getting its own state
// back afterwards, are shown where Wine copies nothing: tests/vmh/modifier_test.cpp.)
TEST_F(VelmoOverStandin, KeysReachTheDesktopWithTheUsersModifiersNotItsOwn) {
  constexpr WORD LETTER = 'K';
  PostMessageA(standin_.ListView(), STANDIN_HOLD_CONTROL, 0, 0);
  BYTE before[STANDIN_KEYBOARD_STATE_SIZE];
  ASSERT_TRUE(standin_.TakeKeyboardState(before));
  ASSERT_TRUE(before[VK_CONTROL] & 0x80);
  size_t ups = DesktopMessages(WM_LBUTTONUP).size();
  PostMessageA(main_, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
  ASSERT_TRUE(WaitShown(true) && WaitForReselection(ups));
  ASSERT_TRUE(WaitForKeys());
  standin_.ClearMessages();
  PressKey(LETTER);
  PressKey(LETTER);
  ASSERT_TRUE(WaitUntil([&] { return DesktopMessages(WM_KEYUP).size() == 2; }, WAIT_MS));

  std::vector<MessageRecord> records = standin_.Messages();
  std::vector<uint8_t> held = standin_.Held();
  int letters = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    if (records[i].message != WM_KEYDOWN && records[i].message != WM_KEYUP) continue;
    letters += records[i].wParam == LETTER;
    SCOPED_TRACE(testing::Message() << "key " << records[i].wParam << " message " << records[i].message);
    EXPECT_EQ(0, held[i]);
  }
  EXPECT_EQ(4, letters);
}
