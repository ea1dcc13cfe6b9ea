// Comparing recorded messages with an expected sequence, as Wine's ok_sequence does. Entries can
// be optional, and wParam, lParam and the sent/posted kind can each be left open:
//
//   const ExpectedMessage expected[] = {
//       {WM_COMMAND, MSG_POSTED, MAKEWPARAM(40001, 1), 2},
//       {WM_TIMER, MSG_SENT | MSG_OPTIONAL | MSG_ANY_LPARAM, 999},
//   };
//   EXPECT_TRUE(MatchesSequence(recorder.Take(), expected));
//
// On a mismatch the assertion prints both sequences with message names.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testbed/message_record.h"

namespace testbed {

enum ExpectedFlags : unsigned {
  MSG_SENT = 0x01,           // must have been sent (neither MSG_SENT nor MSG_POSTED: either)
  MSG_POSTED = 0x02,         // must have come from the queue
  MSG_OPTIONAL = 0x04,       // may be missing
  MSG_ANY_WPARAM = 0x08,     // wParam is not compared
  MSG_ANY_LPARAM = 0x10,     // lParam is not compared
  MSG_LOWORD_WPARAM = 0x20,  // only the low word of wParam is compared
};

struct ExpectedMessage {
  unsigned message;
  unsigned flags;
  uint64_t wParam;
  int64_t lParam;
};

bool Matches(const ExpectedMessage& expected, const MessageRecord& actual);

// One line per message: "WM_COMMAND posted wParam=0x19C41 lParam=0x2".
std::string Describe(const MessageRecord& record);
std::string Describe(const ExpectedMessage& expected);
std::string DescribeAll(const std::vector<MessageRecord>& records);

// Succeeds when the records are exactly the expected sequence, optional entries aside.
::testing::AssertionResult MatchesSequence(const std::vector<MessageRecord>& actual,
                                           const std::vector<ExpectedMessage>& expected);

template <size_t N>
::testing::AssertionResult MatchesSequence(const std::vector<MessageRecord>& actual,
                                           const ExpectedMessage (&expected)[N]) {
  return MatchesSequence(actual, std::vector<ExpectedMessage>(expected, expected + N));
}

// Only the records of the given messages (for instance to ignore painting), order kept.
std::vector<MessageRecord> OnlyMessages(const std::vector<MessageRecord>& records,
                                        const std::vector<unsigned>& messages);

// Number of records of one message.
size_t CountOf(const std::vector<MessageRecord>& records, unsigned message);

}  // namespace testbed
