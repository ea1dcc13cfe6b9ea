// A shell that stops answering while the user asks for a refresh: velmo.exe keeps answering its own
// messages, and a refresh after the shell has come back builds the whole mirror again.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "mirror/mirror.h"
#include "res/resource.h"
#include "testbed/process/find_window.h"
#include "testbed/recorder/pump.h"
#include "tests/faults/program_over_standin.h"

constexpr DWORD ANSWER_LIMIT_MS = 1000;
// Longer than a refresh may take with the shell hung: the shell's own give-up time and more.
constexpr DWORD PROBING_MS = 4000;
constexpr DWORD PROBE_PAUSE_MS = 50;
constexpr UINT SHELL_CHECK_MS = 200;

// The shell's desktop thread stopped for as long as this lives.
class SuspendedThread {
 public:
  explicit SuspendedThread(DWORD threadId) {
    thread_ = OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
    suspended_ = thread_ != nullptr && SuspendThread(thread_) != static_cast<DWORD>(-1);
  }
  ~SuspendedThread() { Resume(); }
  SuspendedThread(const SuspendedThread&) = delete;
  SuspendedThread& operator=(const SuspendedThread&) = delete;
  bool suspended() const { return suspended_; }
  void Resume() {
    if (suspended_) ResumeThread(thread_);
    suspended_ = false;
    if (thread_ != nullptr) CloseHandle(thread_);
    thread_ = nullptr;
  }

 private:
  HANDLE thread_ = nullptr;
  bool suspended_ = false;
};

struct Probes {
  int unanswered = 0;
  DWORD longest = 0;
  DWORD doneAfter = 0;  // when `done` first held, 0 if never
};

// Asks MainWindow a WM_NULL at short intervals for `milliseconds`, noting when `done` first holds.
static Probes ProbeFor(HWND mainWindow, DWORD milliseconds, const std::function<bool()>& done) {
  Probes probes;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    if (probes.doneAfter == 0 && done()) probes.doneAfter = GetTickCount() - start;
    DWORD asked = GetTickCount();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(mainWindow, WM_NULL, 0, 0, SMTO_NORMAL, ANSWER_LIMIT_MS, &result))
      ++probes.unanswered;
    DWORD took = GetTickCount() - asked;
    if (took > probes.longest) probes.longest = took;
    Sleep(PROBE_PAUSE_MS);
  }
  return probes;
}

class HungShell : public ProgramOverStandin {
 protected:
  void SetUp() override {
    items_ = {{STANDIN_PLAIN, 20, 20, STANDIN_OWN_IMAGE, "ごみ箱"},
              {STANDIN_FILE, 110, 20, STANDIN_OWN_IMAGE, "見積書.txt"},
              {STANDIN_FILE, 200, 110, STANDIN_OWN_IMAGE, "Report"}};
    ASSERT_TRUE(Start(items_, StandinOptions(), static_cast<int>(items_.size())));
  }
  std::vector<StandinItem> items_;
};

TEST_F(HungShell, RefreshWhileTheShellIsHungKeepsVelmoAnsweringAndALaterOneRecovers) {
  Probes probes;
  HWND duringHang = nullptr;
  {
    SuspendedThread shell(GetWindowThreadProcessId(desktop_.ListView(), nullptr));
    ASSERT_TRUE(shell.suspended());
    DWORD_PTR answer = 0;
    ASSERT_FALSE(
        SendMessageTimeoutA(desktop_.ListView(), WM_NULL, 0, 0, SMTO_NORMAL, SHELL_CHECK_MS, &answer))
        << "the shell still answers";
    Command(IDM_REFRESH);
    probes = ProbeFor(mainWindow_, PROBING_MS, [&] {
      HWND mirror = testbed::FindTopLevelWindow(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE, velmo_.Id());
      return mirror != nullptr && mirror != mirror_;
    });
    duringHang = WaitForMirror(mirror_, -1);
  }
  printf(
      "with the shell hung: %d of the probes unanswered, the longest took %lu ms; a new mirror "
      "came %lu ms after the request, holding %ld items\n",
      probes.unanswered, probes.longest, probes.doneAfter,
      duringHang != nullptr ? static_cast<long>(SendMessageA(ListOf(duringHang), LVM_GETITEMCOUNT, 0, 0))
                            : -1L);
  EXPECT_EQ(0, probes.unanswered);
  EXPECT_LT(probes.longest, ANSWER_LIMIT_MS);
  ASSERT_NE(nullptr, duringHang) << "the refresh did not build a mirror";
  EXPECT_TRUE(velmo_.IsRunning());

  Command(IDM_REFRESH);
  HWND recovered = WaitForMirror(duringHang, static_cast<int>(items_.size()));
  ASSERT_NE(nullptr, recovered) << "no whole mirror after the shell came back";
  // (The new mirror is hidden: parked off-screen, at the desktop's size.)
  RECT mirror = Rect(recovered), desktop = Rect(desktop_.ListView());
  EXPECT_EQ(desktop.right - desktop.left, mirror.right - mirror.left);
  EXPECT_EQ(desktop.bottom - desktop.top, mirror.bottom - mirror.top);
}
