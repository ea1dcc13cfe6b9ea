// Comparing recorded messages with expected sequences, and what a mismatch prints.
#include <windows.h>

#include <gtest/gtest.h>

#include "testbed/recorder/message_names.h"
#include "testbed/recorder/message_sequence.h"

using namespace testbed;

namespace {

MessageRecord Posted(unsigned message, uint64_t wParam, int64_t lParam) {
  return {message, 1, wParam, lParam};
}
MessageRecord Sent(unsigned message, uint64_t wParam, int64_t lParam) { return {message, 0, wParam, lParam}; }

TEST(MessageSequence, OptionalEntriesMayBeMissingOrPresent) {
  const ExpectedMessage expected[] = {
      {WM_COMMAND, MSG_POSTED, 0x19C41, 2},
      {WM_TIMER, MSG_OPTIONAL | MSG_ANY_LPARAM, 999, 0},
      {WM_CLOSE, MSG_POSTED, 0, 0},
  };
  EXPECT_TRUE(MatchesSequence({Posted(WM_COMMAND, 0x19C41, 2), Posted(WM_CLOSE, 0, 0)}, expected));
  EXPECT_TRUE(MatchesSequence(
      {Posted(WM_COMMAND, 0x19C41, 2), Sent(WM_TIMER, 999, 1234), Posted(WM_CLOSE, 0, 0)}, expected));
}

TEST(MessageSequence, ExtraOrMissingMessagesFail) {
  const ExpectedMessage expected[] = {{WM_COMMAND, 0, 40001, 0}};
  EXPECT_FALSE(MatchesSequence({}, expected));
  EXPECT_FALSE(MatchesSequence({Sent(WM_COMMAND, 40001, 0), Sent(WM_COMMAND, 40001, 0)}, expected));
}

TEST(MessageSequence, KindAndParametersAreCompared) {
  const ExpectedMessage posted[] = {{WM_COMMAND, MSG_POSTED, 40001, 0}};
  EXPECT_FALSE(MatchesSequence({Sent(WM_COMMAND, 40001, 0)}, posted));
  EXPECT_FALSE(MatchesSequence({Posted(WM_COMMAND, 40002, 0)}, posted));
  EXPECT_FALSE(MatchesSequence({Posted(WM_COMMAND, 40001, 1)}, posted));
  const ExpectedMessage lowWord[] = {{WM_COMMAND, MSG_LOWORD_WPARAM, 40001, 1}};
  EXPECT_TRUE(MatchesSequence({Posted(WM_COMMAND, 0x19C41, 1)}, lowWord));
  const ExpectedMessage anyParameters[] = {{WM_MOUSEMOVE, MSG_ANY_WPARAM | MSG_ANY_LPARAM, 0, 0}};
  EXPECT_TRUE(MatchesSequence({Sent(WM_MOUSEMOVE, 1, MAKELPARAM(10, 20))}, anyParameters));
}

TEST(MessageSequence, OptionalEntryDoesNotSwallowTheNextRequiredOne) {
  const ExpectedMessage expected[] = {
      {WM_KEYDOWN, MSG_OPTIONAL | MSG_ANY_WPARAM | MSG_ANY_LPARAM, 0, 0},
      {WM_KEYDOWN, 0, VK_ESCAPE, 1},
  };
  EXPECT_TRUE(MatchesSequence({Posted(WM_KEYDOWN, VK_ESCAPE, 1)}, expected));
}

TEST(MessageSequence, MismatchPrintsBothSequencesWithNames) {
  const ExpectedMessage expected[] = {{WM_LBUTTONDBLCLK, MSG_POSTED, MK_LBUTTON, MAKELPARAM(5, 6)}};
  const ::testing::AssertionResult result = MatchesSequence({Sent(WM_KEYDOWN, VK_ESCAPE, 1)}, expected);
  ASSERT_FALSE(result);
  const std::string text = result.message();
  EXPECT_NE(std::string::npos,
            text.find("expected:\n  0: WM_LBUTTONDBLCLK posted wParam=0x1 lParam=0x60005"));
  EXPECT_NE(std::string::npos, text.find("recorded:\n  0: WM_KEYDOWN sent wParam=0x1B lParam=0x1"));
}

TEST(MessageNames, PrivateAndRegisteredMessagesAreReadable) {
  EXPECT_EQ("WM_COMMAND", MessageName(WM_COMMAND));
  EXPECT_EQ("WM_USER+10", MessageName(WM_USER + 10));
  EXPECT_EQ("WM_APP+3", MessageName(WM_APP + 3));
  EXPECT_EQ("TaskbarCreated", MessageName(RegisterWindowMessageA("TaskbarCreated")));
  EXPECT_EQ("0x0093", MessageName(0x93));
}

}  // namespace
