// Capturing debug output of this and other processes, byte for byte.
#include <windows.h>

#include <gtest/gtest.h>

#include "testbed/process/binary_path.h"
#include "testbed/process/child_process.h"
#include "testbed/process/find_window.h"
#include "testbed/trace/dbwin_listener.h"
#include "tests/testbed/testbed_child.h"

using namespace testbed;

namespace {

constexpr DWORD LINE_TIMEOUT_MS = 10000;

TEST(DbwinListener, TakesLinesOfThisProcessWithTheirExactBytes) {
  DbwinListener listener;
  ASSERT_TRUE(listener.Start());
  OutputDebugStringA("==ESC押下==\r\n");
  ASSERT_TRUE(listener.WaitForLine("==ESC押下==\r\n", LINE_TIMEOUT_MS, GetCurrentProcessId()));
  const std::vector<DebugLine> lines = listener.Take();
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ(GetCurrentProcessId(), lines[0].processId);
  EXPECT_TRUE(listener.Lines().empty()) << "Take forgets what it returned";
}

TEST(DbwinListener, TakesLinesOfAnotherProcess) {
  DbwinListener listener;
  ASSERT_TRUE(listener.Start());
  ChildProcess child;
  ASSERT_TRUE(child.Start(BinaryPath("testbed_child.exe")));
  EXPECT_TRUE(listener.WaitForLine(TESTBED_CHILD_STARTED, LINE_TIMEOUT_MS, child.Id()));
  ASSERT_NE(nullptr, WaitForWindow(TESTBED_CHILD_CLASS, nullptr, LINE_TIMEOUT_MS, child.Id()));
  EXPECT_TRUE(child.Stop());
  EXPECT_TRUE(listener.WaitForLine(TESTBED_CHILD_CLOSING, LINE_TIMEOUT_MS, child.Id()));
  const std::vector<std::string> expected = {TESTBED_CHILD_STARTED, TESTBED_CHILD_CLOSING};
  EXPECT_EQ(expected, listener.Texts(child.Id()));
}

TEST(DbwinListener, KeepsLinesInOrder) {
  DbwinListener listener;
  ASSERT_TRUE(listener.Start());
  OutputDebugStringA("one\r\n");
  OutputDebugStringA("two\r\n");
  OutputDebugStringA("three\r\n");
  ASSERT_TRUE(listener.WaitForLineCount(3, LINE_TIMEOUT_MS));
  const std::vector<std::string> expected = {"one\r\n", "two\r\n", "three\r\n"};
  EXPECT_EQ(expected, listener.Texts(GetCurrentProcessId()));
}

TEST(DbwinListener, LongLineIsCutToTheBuffer) {
  DbwinListener listener;
  ASSERT_TRUE(listener.Start());
  const std::string longLine(5000, 'x');
  OutputDebugStringA(longLine.c_str());
  ASSERT_TRUE(listener.WaitForLineCount(1, LINE_TIMEOUT_MS));
  // 4 KB less the process id and the terminating NUL.
  EXPECT_EQ(longLine.substr(0, 4096 - 4 - 1), listener.Lines()[0].text);
}

TEST(DbwinListener, OnlyOneListenerAtATime) {
  DbwinListener first;
  ASSERT_TRUE(first.Start());
  DbwinListener second;
  EXPECT_FALSE(second.Start());
  first.Stop();
  EXPECT_TRUE(second.Start()) << "the buffer is free again once the first one stopped";
}

TEST(DbwinListener, NothingIsTakenAfterStop) {
  DbwinListener listener;
  ASSERT_TRUE(listener.Start());
  listener.Stop();
  OutputDebugStringA("unheard\r\n");  // returns at once: nobody holds the buffer
  EXPECT_TRUE(listener.Lines().empty());
}

}  // namespace
