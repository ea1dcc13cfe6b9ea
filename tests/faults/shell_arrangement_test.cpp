// The shell's other desktop arrangements through velmo.exe and the real hook library: icons hosted by
// a top-level "WorkerW" window instead of Progman, a "WorkerW" child of Progman before the view (as
// Windows 11 24H2 has it), and a shell that restarts with new windows.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "testbed/process/remote_list_view.h"
#include "testbed/recorder/pump.h"
#include "tests/faults/program_over_standin.h"

constexpr DWORD CLICK_WAIT_MS = 5000;

enum Arrangement { VIEW_UNDER_TOP_LEVEL_WORKERW, WORKERW_CHILD_BEFORE_VIEW };

class ShellArrangement : public ProgramOverStandin, public ::testing::WithParamInterface<Arrangement> {
 protected:
  void SetUp() override {
    items_ = {{STANDIN_LINK, 20, 20, STANDIN_OWN_IMAGE, "表計算"},
              {STANDIN_FILE, 110, 20, STANDIN_OWN_IMAGE, "見積書.txt"},
              {STANDIN_FILE, 200, 110, STANDIN_OWN_IMAGE, "Report"}};
    options_.workerW = GetParam() == VIEW_UNDER_TOP_LEVEL_WORKERW;
    options_.innerWorkerW = GetParam() == WORKERW_CHILD_BEFORE_VIEW;
    ASSERT_TRUE(Start(items_, options_, static_cast<int>(items_.size())));
    ASSERT_NE(nullptr, desktop_.WorkerW());
    if (options_.workerW) {
      ASSERT_EQ(nullptr, GetWindow(desktop_.Progman(), GW_CHILD)) << "Progman holds no view";
    } else {
      ASSERT_EQ(desktop_.WorkerW(), GetWindow(desktop_.Progman(), GW_CHILD)) << "the WorkerW comes first";
      ASSERT_EQ(desktop_.Progman(), GetParent(desktop_.DefView()));
    }
  }

  std::set<std::string> MirroredNames(HWND mirror) const {
    testbed::RemoteListView list(ListOf(mirror), velmo_.Id());
    std::set<std::string> names;
    for (int i = 0; i < list.Count(); ++i) {
      LPARAM record = 0;
      names.insert(list.Text(i, &record));
    }
    return names;
  }

  std::set<std::string> DesktopNames() const {
    std::set<std::string> names;
    for (const StandinItem& item : items_) names.insert(item.name);
    return names;
  }

  // Shows the mirror: it lies over the desktop's list view, and its replayed selection click reaches
  // that list view.
  void ExpectShownOverTheDesktop(HWND mirror) {
    desktop_.ClearMessages();
    PostMessageA(mainWindow_, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
    bool clicked = testbed::WaitUntil(
        [&] {
          for (const MessageRecord& record : desktop_.Messages())
            if (record.message == WM_LBUTTONDOWN) return true;
          return false;
        },
        CLICK_WAIT_MS);
    EXPECT_TRUE(clicked) << "the desktop's list view got no click";
    RECT shown = Rect(mirror), desktop = Rect(desktop_.ListView());
    EXPECT_TRUE(EqualRect(&shown, &desktop));
  }

  std::vector<StandinItem> items_;
  StandinOptions options_;
};

TEST_P(ShellArrangement, AllIconsAreMirroredOverTheDesktopsListView) {
  EXPECT_EQ(DesktopNames(), MirroredNames(mirror_));
  ExpectShownOverTheDesktop(mirror_);
}

TEST_P(ShellArrangement, ARestartedShellIsMirroredAgainOverItsNewWindows) {
  HWND oldList = desktop_.ListView();
  ASSERT_TRUE(desktop_.Restart());
  ASSERT_NE(oldList, desktop_.ListView());
  SendNotifyMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);

  HWND rebuilt = WaitForMirror(mirror_, static_cast<int>(items_.size()));
  ASSERT_NE(nullptr, rebuilt) << "no new mirror after the shell restarted";
  EXPECT_EQ(DesktopNames(), MirroredNames(rebuilt));
  ExpectShownOverTheDesktop(rebuilt);
}

INSTANTIATE_TEST_SUITE_P(Arrangements, ShellArrangement,
                         ::testing::Values(VIEW_UNDER_TOP_LEVEL_WORKERW, WORKERW_CHILD_BEFORE_VIEW));
