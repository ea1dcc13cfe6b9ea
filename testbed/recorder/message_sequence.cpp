#include "testbed/recorder/message_sequence.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "testbed/recorder/message_names.h"

namespace testbed {

namespace {

std::string Hex(uint64_t value) {
  char text[32];
  snprintf(text, sizeof text, "0x%" PRIX64, value);
  return text;
}

// Whether actual[from..] matches expected[at..]; memo holds 0 unknown, 1 yes, 2 no.
bool MatchFrom(const std::vector<MessageRecord>& actual, size_t from,
               const std::vector<ExpectedMessage>& expected, size_t at, std::vector<unsigned char>& memo) {
  const size_t key = from * (expected.size() + 1) + at;
  if (memo[key] != 0) return memo[key] == 1;
  bool result;
  if (at == expected.size()) {
    result = from == actual.size();
  } else {
    const bool optional = (expected[at].flags & MSG_OPTIONAL) != 0;
    result = (from < actual.size() && Matches(expected[at], actual[from]) &&
              MatchFrom(actual, from + 1, expected, at + 1, memo)) ||
             (optional && MatchFrom(actual, from, expected, at + 1, memo));
  }
  memo[key] = result ? 1 : 2;
  return result;
}

}  // namespace

bool Matches(const ExpectedMessage& expected, const MessageRecord& actual) {
  if (expected.message != actual.message) return false;
  if ((expected.flags & MSG_SENT) != 0 && actual.posted != 0) return false;
  if ((expected.flags & MSG_POSTED) != 0 && actual.posted == 0) return false;
  if ((expected.flags & MSG_ANY_WPARAM) == 0) {
    const uint64_t mask = (expected.flags & MSG_LOWORD_WPARAM) != 0 ? 0xFFFF : ~uint64_t{0};
    if ((expected.wParam & mask) != (actual.wParam & mask)) return false;
  }
  if ((expected.flags & MSG_ANY_LPARAM) == 0 && expected.lParam != actual.lParam) return false;
  return true;
}

std::string Describe(const MessageRecord& record) {
  return MessageName(record.message) + (record.posted != 0 ? " posted" : " sent") +
         " wParam=" + Hex(record.wParam) + " lParam=" + Hex(static_cast<uint64_t>(record.lParam));
}

std::string Describe(const ExpectedMessage& expected) {
  std::string text = MessageName(expected.message);
  if ((expected.flags & MSG_SENT) != 0) text += " sent";
  if ((expected.flags & MSG_POSTED) != 0) text += " posted";
  if ((expected.flags & (MSG_SENT | MSG_POSTED)) == 0) text += " sent-or-posted";
  if ((expected.flags & MSG_ANY_WPARAM) != 0) {
    text += " wParam=any";
  } else if ((expected.flags & MSG_LOWORD_WPARAM) != 0) {
    text += " LOWORD(wParam)=" + Hex(expected.wParam & 0xFFFF);
  } else {
    text += " wParam=" + Hex(expected.wParam);
  }
  text += (expected.flags & MSG_ANY_LPARAM) != 0 ? " lParam=any"
                                                 : " lParam=" + Hex(static_cast<uint64_t>(expected.lParam));
  if ((expected.flags & MSG_OPTIONAL) != 0) text += " (optional)";
  return text;
}

std::string DescribeAll(const std::vector<MessageRecord>& records) {
  std::string text;
  for (size_t i = 0; i < records.size(); ++i) {
    text += "  " + std::to_string(i) + ": " + Describe(records[i]) + "\n";
  }
  return text.empty() ? "  (none)\n" : text;
}

::testing::AssertionResult MatchesSequence(const std::vector<MessageRecord>& actual,
                                           const std::vector<ExpectedMessage>& expected) {
  std::vector<unsigned char> memo((actual.size() + 1) * (expected.size() + 1), 0);
  if (MatchFrom(actual, 0, expected, 0, memo)) return ::testing::AssertionSuccess();
  std::string wanted;
  for (size_t i = 0; i < expected.size(); ++i) {
    wanted += "  " + std::to_string(i) + ": " + Describe(expected[i]) + "\n";
  }
  if (wanted.empty()) wanted = "  (none)\n";
  return ::testing::AssertionFailure() << "message sequence differs\nexpected:\n"
                                       << wanted << "recorded:\n"
                                       << DescribeAll(actual);
}

std::vector<MessageRecord> OnlyMessages(const std::vector<MessageRecord>& records,
                                        const std::vector<unsigned>& messages) {
  std::vector<MessageRecord> kept;
  for (const MessageRecord& record : records) {
    if (std::find(messages.begin(), messages.end(), record.message) != messages.end()) kept.push_back(record);
  }
  return kept;
}

size_t CountOf(const std::vector<MessageRecord>& records, unsigned message) {
  return static_cast<size_t>(
      std::count_if(records.begin(), records.end(),
                    [message](const MessageRecord& record) { return record.message == message; }));
}

}  // namespace testbed
