// Dprint hands each trace line to the debugger output unchanged, Shift-JIS bytes and CR LF included,
// so that a debug viewer shows what the program traced.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hooklib/trace.h"
#include "hooklib/vmh.h"
#include "testbed/trace/dbwin_listener.h"

constexpr DWORD CATCH_TIMEOUT_MS = 3000;

using Lines = std::vector<std::string>;

// The lines of this process once count of them came (or the wait ended).
static Lines LinesOfThisProcess(testbed::DbwinListener& listener, size_t count) {
  listener.WaitForLineCount(count, CATCH_TIMEOUT_MS);
  return listener.Texts(GetCurrentProcessId());
}

TEST(TraceOutput, DprintLinesArriveByteForByte) {
  testbed::DbwinListener listener;
  ASSERT_TRUE(listener.Start());
  EXPECT_EQ(1, Dprint("==表示へ!==\r\n"));
  EXPECT_EQ(1, Dprint("==ﾌｫｰｶｽを失った==\r\n"));
  EXPECT_EQ((Lines{"==表示へ!==\r\n", "==ﾌｫｰｶｽを失った==\r\n"}), LinesOfThisProcess(listener, 2));
}

TEST(TraceOutput, TraceGoesThroughDprint) {
  testbed::DbwinListener listener;
  ASSERT_TRUE(listener.Start());
  Trace("==ESC押下==\r\n");
  Trace("==応急処置==\r\n");
  Lines lines = LinesOfThisProcess(listener, 2);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("==ESC押下==\r\n", lines[0]);
  EXPECT_EQ(std::string("==\x89\x9e\x8b\x7d\x8f\x88\x92\x75==\r\n"), lines[1]);  // as Shift-JIS
}

TEST(TraceOutput, NullTextIsIgnored) {
  testbed::DbwinListener listener;
  ASSERT_TRUE(listener.Start());
  EXPECT_EQ(0, Dprint(nullptr));
  Dprint("==多重起動==\r\n");
  EXPECT_EQ(Lines{"==多重起動==\r\n"}, LinesOfThisProcess(listener, 1));
}
