// The message recorder sees what a window or a thread of the test receives, sent or posted.
#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "testbed/recorder/message_recorder.h"
#include "testbed/userinput/user_input.h"
#include "testbed/recorder/message_sequence.h"
#include "testbed/recorder/pump.h"

using namespace testbed;

namespace {

constexpr char WATCHED_CLASS[] = "VelmoRecorderTestWindow";
constexpr UINT PRIVATE_SENT = WM_APP + 1;
constexpr UINT PRIVATE_POSTED = WM_APP + 2;
constexpr UINT_PTR TEST_TIMER = 5;

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class RecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &PlainProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = WATCHED_CLASS;
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, WATCHED_CLASS, "watched", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window_);
    FlushMessages();
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    FlushMessages();
  }

  HWND window_ = nullptr;
};

TEST_F(RecorderTest, SubclassTellsSentFromPostedMessages) {
  MessageRecorder recorder;
  ASSERT_TRUE(recorder.AttachWindow(window_));
  SendMessageA(window_, PRIVATE_SENT, 1, 2);
  PostMessageA(window_, PRIVATE_POSTED, 3, -4);
  const ExpectedMessage expected[] = {
      {PRIVATE_SENT, MSG_SENT, 1, 2},
      {PRIVATE_POSTED, MSG_POSTED, 3, -4},
  };
  EXPECT_TRUE(MatchesSequence(recorder.Take(), expected));
}

TEST_F(RecorderTest, MessageSentFromAnotherThreadCountsAsSent) {
  MessageRecorder recorder;
  ASSERT_TRUE(recorder.AttachWindow(window_));
  HWND target = window_;
  std::thread sender([target] { SendMessageA(target, PRIVATE_SENT, 7, 8); });
  WaitUntil([&] { return !recorder.Records().empty(); }, 5000);
  sender.join();
  const ExpectedMessage expected[] = {{PRIVATE_SENT, MSG_SENT, 7, 8}};
  EXPECT_TRUE(MatchesSequence(recorder.Take(), expected));
}

TEST_F(RecorderTest, FilterKeepsOnlyInputMessages) {
  MessageRecorder recorder;
  recorder.SetFilter(INPUT_MESSAGES);
  ASSERT_TRUE(recorder.AttachWindow(window_));
  SendMessageA(window_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
  PostMessageA(window_, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageA(window_, PRIVATE_POSTED, 0, 0);
  PostMessageA(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
  const ExpectedMessage expected[] = {
      {WM_KEYDOWN, MSG_POSTED, VK_ESCAPE, 1},
      {WM_LBUTTONDOWN, MSG_POSTED, MK_LBUTTON, MAKELPARAM(3, 4)},
      {WM_CHAR, MSG_POSTED, VK_ESCAPE, 1},  // made by the pump's TranslateMessage
  };
  EXPECT_TRUE(MatchesSequence(recorder.Take(), expected));
}

TEST_F(RecorderTest, ThreadHooksSeeInputThatIsRemovedWithoutDispatch) {
  MessageRecorder recorder;
  ASSERT_TRUE(recorder.AttachThread(GetCurrentThreadId(), window_));
  PostMessageA(window_, WM_RBUTTONUP, 0, MAKELPARAM(5, 6));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, window_, WM_RBUTTONUP, WM_RBUTTONUP, PM_REMOVE));  // not dispatched
  SendMessageA(window_, PRIVATE_SENT, 9, 10);
  const ExpectedMessage expected[] = {
      {WM_RBUTTONUP, MSG_POSTED, 0, MAKELPARAM(5, 6)},
      {PRIVATE_SENT, MSG_SENT, 9, 10},
  };
  EXPECT_TRUE(MatchesSequence(recorder.Take(), expected));
}

TEST_F(RecorderTest, TakeWaitsForMessagesPostedInReply) {
  MessageRecorder recorder;
  ASSERT_TRUE(recorder.AttachWindow(window_));
  SetTimer(window_, TEST_TIMER, 10, nullptr);
  const bool ticked = WaitUntil([&] { return CountOf(recorder.Records(), WM_TIMER) > 0; }, 5000);
  KillTimer(window_, TEST_TIMER);
  ASSERT_TRUE(ticked);
  const std::vector<MessageRecord> records = OnlyMessages(recorder.Take(), {WM_TIMER});
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(TEST_TIMER, records[0].wParam);
  EXPECT_EQ(1u, records[0].posted);
}

TEST_F(RecorderTest, DetachPutsTheWindowProcedureBack) {
  const LONG_PTR original = GetWindowLongPtrA(window_, GWLP_WNDPROC);
  {
    MessageRecorder recorder;
    ASSERT_TRUE(recorder.AttachWindow(window_));
    EXPECT_NE(original, GetWindowLongPtrA(window_, GWLP_WNDPROC));
    EXPECT_FALSE(MessageRecorder().AttachWindow(window_)) << "one recorder per window";
  }
  EXPECT_EQ(original, GetWindowLongPtrA(window_, GWLP_WNDPROC));
  MessageRecorder again;
  EXPECT_TRUE(again.AttachWindow(window_));
}

TEST_F(RecorderTest, WatchedWindowCanBeDestroyed) {
  MessageRecorder recorder;
  ASSERT_TRUE(recorder.AttachWindow(window_));
  DestroyWindow(window_);
  const std::vector<MessageRecord> records = recorder.Take();
  EXPECT_EQ(1u, CountOf(records, WM_DESTROY));
  EXPECT_EQ(1u, CountOf(records, WM_NCDESTROY));
  recorder.Detach();  // nothing left to put back
}

TEST_F(RecorderTest, RecordsCanBeReadPerWindow) {
  HWND other = CreateWindowExA(0, WATCHED_CLASS, "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(nullptr, other);
  MessageRecorder recorder;
  recorder.SetFilter({{PRIVATE_SENT, PRIVATE_SENT}});
  ASSERT_TRUE(recorder.AttachWindow(window_));
  ASSERT_TRUE(recorder.AttachWindow(other));
  SendMessageA(window_, PRIVATE_SENT, 1, 0);
  SendMessageA(other, PRIVATE_SENT, 2, 0);
  EXPECT_EQ(2u, recorder.Records().size());
  const std::vector<MessageRecord> ofOther = recorder.Records(other);
  ASSERT_EQ(1u, ofOther.size());
  EXPECT_EQ(2u, ofOther[0].wParam);
  recorder.Detach();
  DestroyWindow(other);
}

TEST_F(RecorderTest, RealClickArrivesAsPostedButtonMessages) {
  constexpr int LEFT = 100, TOP = 120, SIDE = 200, CLICK_X = 50, CLICK_Y = 60;
  SetWindowPos(window_, HWND_TOPMOST, LEFT, TOP, SIDE, SIDE, SWP_SHOWWINDOW);
  SetForegroundWindow(window_);
  const POINT click = {LEFT + CLICK_X, TOP + CLICK_Y};
  ASSERT_TRUE(
      WaitUntil([&] { return WindowFromPoint(click) == window_ && GetForegroundWindow() == window_; }, 5000))
      << "the window is not in front where the click goes";
  MessageRecorder recorder;
  recorder.SetFilter({{WM_LBUTTONDOWN, WM_LBUTTONUP}});
  ASSERT_TRUE(recorder.AttachThread(GetCurrentThreadId(), window_));
  testbed::ClickAt(click, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  WaitUntil([&] { return recorder.Records().size() >= 2; }, 5000);
  const ExpectedMessage expected[] = {
      {WM_LBUTTONDOWN, MSG_POSTED, MK_LBUTTON, MAKELPARAM(CLICK_X, CLICK_Y)},
      {WM_LBUTTONUP, MSG_POSTED, 0, MAKELPARAM(CLICK_X, CLICK_Y)},
  };
  EXPECT_TRUE(MatchesSequence(recorder.Take(), expected));
}

TEST(WaitUntil, GivesUpWhenTheConditionNeverHolds) {
  EXPECT_FALSE(WaitUntil([] { return false; }, 50));
}

TEST(WaitUntil, ReturnsOnceTheConditionHolds) {
  int polls = 0;
  EXPECT_TRUE(WaitUntil([&] { return ++polls == 3; }, 5000));
  EXPECT_EQ(3, polls);
}

}  // namespace
