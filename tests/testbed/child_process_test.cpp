// Starting and stopping a program in the prefix and waiting for its window.
#include <windows.h>

#include <gtest/gtest.h>

#include "testbed/process/binary_path.h"
#include "testbed/process/child_process.h"
#include "testbed/process/find_window.h"
#include "tests/testbed/testbed_child.h"

using namespace testbed;

namespace {

constexpr DWORD WINDOW_TIMEOUT_MS = 10000;

TEST(BinaryPath, ProgramsLieBesideTheTest) {
  const std::string directory = ExeDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ('\\', directory.back());
  EXPECT_EQ(directory + "velmo.exe", VelmoPath());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(BinaryPath("testbed_child.exe").c_str()));
}

TEST(ChildProcess, EndsWhenItsWindowsAreClosed) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(BinaryPath("testbed_child.exe")));
  HWND window = WaitForWindow(TESTBED_CHILD_CLASS, TESTBED_CHILD_TITLE, WINDOW_TIMEOUT_MS, child.Id());
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(child.IsRunning());
  EXPECT_TRUE(child.Stop());
  EXPECT_TRUE(WaitForWindowGone(TESTBED_CHILD_CLASS, TESTBED_CHILD_TITLE, WINDOW_TIMEOUT_MS));
}

TEST(ChildProcess, ExitCodeIsKept) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(BinaryPath("testbed_child.exe")));
  ASSERT_NE(nullptr, WaitForWindow(TESTBED_CHILD_CLASS, nullptr, WINDOW_TIMEOUT_MS, child.Id()));
  EXPECT_EQ(STILL_ACTIVE, child.ExitCode());
  CloseWindowsOf(child.Id());
  ASSERT_TRUE(child.WaitForExit(WINDOW_TIMEOUT_MS));
  EXPECT_EQ(static_cast<DWORD>(TESTBED_CHILD_EXIT_CODE), child.ExitCode());
}

TEST(ChildProcess, ProgramThatIgnoresCloseIsTerminated) {
  ChildProcess child;
  ASSERT_TRUE(child.Start(BinaryPath("testbed_child.exe"), TESTBED_CHILD_STUBBORN));
  ASSERT_NE(nullptr, WaitForWindow(TESTBED_CHILD_CLASS, nullptr, WINDOW_TIMEOUT_MS, child.Id()));
  EXPECT_FALSE(child.Stop(300));
  EXPECT_FALSE(child.IsRunning());
  EXPECT_EQ(nullptr, FindTopLevelWindow(TESTBED_CHILD_CLASS, nullptr));
}

TEST(ChildProcess, MissingProgramDoesNotStart) {
  ChildProcess child;
  EXPECT_FALSE(child.Start(BinaryPath("no-such-program.exe")));
  EXPECT_FALSE(child.IsRunning());
}

TEST(FindWindow, WaitGivesUpOnAWindowThatNeverComes) {
  EXPECT_EQ(nullptr, WaitForWindow("VelmoNoSuchClass", nullptr, 100));
}

}  // namespace
