// velmo.exe with the real hook library over the stand-in desktop: the mirror it builds and shows,
// looked at from outside as the user would see it.
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
#include "testbed/process/remote_list_view.h"
#include "testbed/recorder/pump.h"
#include "testbed/standin/standin_client.h"
#include "tests/core/registry_guard.h"

constexpr DWORD START_TIMEOUT_MS = 15000;

using testbed::RemoteListView;

// How long the program and the desktop may take to answer a message sent to them.
constexpr DWORD ANSWER_TIMEOUT_MS = 5000;

// True once the window's thread has handled every message sent to it before this one.
static bool Answers(HWND window) {
  DWORD_PTR answer = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, ANSWER_TIMEOUT_MS, &answer) != 0;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    items_ = {{STANDIN_PLAIN, 20, 20, STANDIN_OWN_IMAGE, "ごみ箱"},
              {STANDIN_LINK, 20, 110, STANDIN_OWN_IMAGE, "表計算"},
              {STANDIN_FILE, 110, 20, STANDIN_OWN_IMAGE, "見積書.txt"},
              {STANDIN_FILE, 200, 290, STANDIN_OWN_IMAGE, "Report"}};
    ASSERT_TRUE(desktop_.Start(items_, options_));
    ASSERT_TRUE(velmo_.Start(testbed::VelmoPath()));
    mainWindow_ = testbed::WaitForWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, START_TIMEOUT_MS, velmo_.Id());
    ASSERT_NE(nullptr, mainWindow_);
    mirror_ = testbed::WaitForWindow(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE, START_TIMEOUT_MS, velmo_.Id());
    ASSERT_NE(nullptr, mirror_);
    // The build is over once the list view holds every item and the program answers again.
    ASSERT_TRUE(testbed::WaitUntil(
        [&] {
          mirrorList_ = GetWindow(mirror_, GW_CHILD);
          return mirrorList_ != nullptr &&
                 SendMessageA(mirrorList_, LVM_GETITEMCOUNT, 0, 0) == static_cast<LRESULT>(items_.size());
        },
        START_TIMEOUT_MS));
    ASSERT_TRUE(Answers(mainWindow_));
  }
  void TearDown() override {
    if (velmo_.IsRunning()) {
      PostMessageA(mainWindow_, WM_COMMAND, IDM_EXIT, 0);
      velmo_.Stop();
    }
    desktop_.Stop();
  }
  void Request(LPARAM request) {
    DWORD_PTR answer = 0;
    ASSERT_NE(0, SendMessageTimeoutA(mainWindow_, WM_COMMAND, MIRROR_REQUEST_WPARAM, request, SMTO_NORMAL,
                                     ANSWER_TIMEOUT_MS, &answer));
  }
  RECT Rect(HWND window) const {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
  }

  // The desktop's spacing, read without changing it.
  static DWORD SpacingOf(HWND listView) {
    return static_cast<DWORD>(SendMessageA(listView, LVM_GETITEMSPACING, FALSE, 0));
  }
  bool DesktopSpacingWasChanged() const {
    for (const MessageRecord& record : desktop_.Messages()) {
      if (record.message == LVM_SETICONSPACING) return true;
    }
    return false;
  }

  RegistryGuard registry_;
  StandinOptions options_;
  std::vector<StandinItem> items_;
  StandinDesktop desktop_;
  testbed::ChildProcess velmo_;
  HWND mainWindow_ = nullptr;
  HWND mirror_ = nullptr;
  HWND mirrorList_ = nullptr;
};

TEST_F(EndToEnd, ShownMirrorLiesExactlyOverTheDesktopInFront) {
  Request(MIRROR_SHOW);
  RECT mirror = Rect(mirror_);
  RECT desktop = Rect(desktop_.ListView());
  EXPECT_TRUE(EqualRect(&mirror, &desktop));
  RECT list = Rect(mirrorList_);
  EXPECT_TRUE(EqualRect(&mirror, &list));
  EXPECT_TRUE(IsWindowVisible(mirror_));
  EXPECT_TRUE(GetWindowLongPtrA(mirror_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(testbed::WaitUntil([&] { return GetForegroundWindow() == mirror_; }, ANSWER_TIMEOUT_MS));
}

TEST_F(EndToEnd, MirrorHoldsEachDesktopItemAtItsPlace) {
  Request(MIRROR_SHOW);
  RemoteListView list(mirrorList_, velmo_.Id());
  ASSERT_TRUE(list.Ready());
  ASSERT_EQ(static_cast<int>(items_.size()), list.Count());
  for (int i = 0; i < list.Count(); ++i) {
    LPARAM record = -1;
    std::string text = list.Text(i, &record);
    ASSERT_GE(record, 0);
    ASSERT_LT(record, static_cast<LPARAM>(items_.size()));
    const StandinItem& item = items_[record];
    EXPECT_EQ(item.name, text) << "item " << i;
    POINT place = list.Position(i);
    EXPECT_EQ(item.x, place.x) << item.name;
    EXPECT_EQ(item.y, place.y) << item.name;
  }
}

TEST_F(EndToEnd, MirrorHasTheDesktopsSpacingAndNothingIsWrittenToTheDesktop) {
  EXPECT_EQ(SpacingOf(desktop_.ListView()), SpacingOf(mirrorList_));
  EXPECT_FALSE(DesktopSpacingWasChanged());
}

// A shell that answers later than the program waits: nothing arrives late to change its spacing.
class LateShell : public EndToEnd {
 protected:
  void SetUp() override {
    options_.lateSpacingMs = 800;
    EndToEnd::SetUp();
  }
};

TEST_F(LateShell, DesktopSpacingIsNeverChanged) {
  DWORD before = SpacingOf(desktop_.ListView());
  HWND old = mirror_;
  PostMessageA(mainWindow_, WM_COMMAND, IDM_REFRESH, 0);
  // Once the new mirror is built, a message sent to the desktop now comes after anything the build
  // sent it, however late the desktop answered.
  ASSERT_TRUE(testbed::WaitUntil(
      [&] {
        HWND mirror = testbed::FindTopLevelWindow(MIRROR_WINDOW_CLASS, MIRROR_WINDOW_TITLE, velmo_.Id());
        HWND list = mirror != nullptr && mirror != old ? GetWindow(mirror, GW_CHILD) : nullptr;
        return list != nullptr &&
               SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == static_cast<LRESULT>(items_.size());
      },
      START_TIMEOUT_MS));
  ASSERT_TRUE(Answers(mainWindow_));
  ASSERT_TRUE(Answers(desktop_.ListView()));
  EXPECT_FALSE(DesktopSpacingWasChanged());
  EXPECT_EQ(before, SpacingOf(desktop_.ListView()));
}

TEST_F(EndToEnd, HiddenMirrorIsParkedOffScreenAndTheNextShowBringsItBack) {
  Request(MIRROR_SHOW);
  Request(MIRROR_HIDE);
  RECT parked = Rect(mirror_);
  EXPECT_EQ(MIRROR_PARK_X, parked.left);
  EXPECT_EQ(MIRROR_PARK_Y, parked.top);
  Request(MIRROR_SHOW);
  RECT shown = Rect(mirror_);
  RECT desktop = Rect(desktop_.ListView());
  EXPECT_EQ(desktop.left, shown.left);
  EXPECT_EQ(desktop.top, shown.top);
}

TEST_F(EndToEnd, ExitEndsTheProgramWithZero) {
  PostMessageA(mainWindow_, WM_COMMAND, IDM_EXIT, 0);
  ASSERT_TRUE(velmo_.WaitForExit(START_TIMEOUT_MS));
  EXPECT_EQ(0u, velmo_.ExitCode());
}
