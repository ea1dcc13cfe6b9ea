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
#include "testbed/standin/standin_client.h"
#include "tests/core/registry_guard.h"

constexpr DWORD START_TIMEOUT_MS = 15000;

using testbed::RemoteListView;

static void Pump(DWORD milliseconds) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(10);
  }
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
    // The list view is made while the mirror is being created; wait for the build to finish.
    for (int i = 0; i < 100 && (mirrorList_ = GetWindow(mirror_, GW_CHILD)) == nullptr; ++i) Pump(50);
    ASSERT_NE(nullptr, mirrorList_);
    Pump(300);
  }
  void TearDown() override {
    if (velmo_.IsRunning()) {
      PostMessageA(mainWindow_, WM_COMMAND, IDM_EXIT, 0);
      velmo_.Stop();
    }
    desktop_.Stop();
  }
  void Request(LPARAM request) {
    PostMessageA(mainWindow_, WM_COMMAND, MIRROR_REQUEST_WPARAM, request);
    Pump(500);
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
  EXPECT_EQ(mirror_, GetForegroundWindow());
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
  PostMessageA(mainWindow_, WM_COMMAND, IDM_REFRESH, 0);
  Pump(2000);
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
