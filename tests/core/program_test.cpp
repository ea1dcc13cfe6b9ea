// velmo.exe as the user runs it, watched from outside: its tray icon as the notification area
// sees it, a second start, the exit, and a restarted shell.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "app/app.h"
#include "res/resource.h"
#include "testbed/process/binary_path.h"
#include "testbed/process/child_process.h"
#include "testbed/process/find_window.h"
#include "testbed/recorder/pump.h"
#include "testbed/tray/tray_decode.h"
#include "testbed/tray/tray_recorder.h"
#include "testbed/registry/registry_guard.h"

using testbed::TrayRecord;

constexpr DWORD START_TIMEOUT_MS = 15000;

static uint32_t HashOfIcon(int id) {
  HICON icon =
      static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
  uint32_t hash = testbed::IconImageOf(icon).hash;
  DestroyIcon(icon);
  return hash;
}

class Program : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tray_.Start());
    ASSERT_TRUE(velmo_.Start(testbed::VelmoPath()));
    mainWindow_ = testbed::WaitForWindow(MAIN_WINDOW_CLASS, MAIN_WINDOW_TITLE, START_TIMEOUT_MS, velmo_.Id());
    ASSERT_NE(nullptr, mainWindow_);
    ASSERT_TRUE(tray_.WaitForRecords(1, START_TIMEOUT_MS));
  }
  void TearDown() override {
    if (velmo_.IsRunning()) {
      PostMessageA(mainWindow_, WM_COMMAND, IDM_EXIT, 0);
      velmo_.Stop();
    }
    tray_.Stop();
  }
  // The first record of the action, or null.
  const TrayRecord* First(uint32_t action) {
    records_ = tray_.Records();
    for (const TrayRecord& record : records_) {
      if (record.action == action) return &record;
    }
    return nullptr;
  }
  // The last record of the action, or null.
  const TrayRecord* Last(uint32_t action) {
    records_ = tray_.Records();
    for (size_t i = records_.size(); i-- > 0;) {
      if (records_[i].action == action) return &records_[i];
    }
    return nullptr;
  }
  RegistryGuard registry_;
  testbed::TrayRecorder tray_;
  testbed::ChildProcess velmo_;
  HWND mainWindow_ = nullptr;
  std::vector<TrayRecord> records_;
};

TEST_F(Program, TrayIconIsAddedIdleWithItsTipAndCallback) {
  const TrayRecord* add = Last(NIM_ADD);
  ASSERT_NE(nullptr, add);
  EXPECT_EQ(1u, add->result);
  EXPECT_EQ(reinterpret_cast<uint64_t>(mainWindow_), add->window);
  EXPECT_EQ(TRAY_ICON_ID, add->id);
  EXPECT_EQ(static_cast<uint32_t>(NIF_MESSAGE | NIF_ICON | NIF_TIP), add->flags);
  EXPECT_EQ(WM_TRAYNOTIFY, add->callbackMessage);
  EXPECT_STREQ("Velmo", add->tip);
  EXPECT_EQ(HashOfIcon(IDI_TRAY_IDLE), add->iconHash);
  EXPECT_FALSE(IsWindowVisible(mainWindow_));
}

TEST_F(Program, SecondStartEndsWithZeroAndTheRunningCopyLightsItsIcon) {
  tray_.Clear();
  testbed::ChildProcess second;
  ASSERT_TRUE(second.Start(testbed::VelmoPath()));
  ASSERT_TRUE(second.WaitForExit(START_TIMEOUT_MS));
  EXPECT_EQ(0u, second.ExitCode());

  ASSERT_TRUE(tray_.WaitForRecords(1, START_TIMEOUT_MS));
  // (Without a desktop the mirror may lose the focus at once and go away again: the first change
  // is the one the request made.)
  const TrayRecord* modify = First(NIM_MODIFY);
  ASSERT_NE(nullptr, modify);
  EXPECT_EQ(HashOfIcon(IDI_TRAY_ACTIVE), modify->iconHash);
  EXPECT_EQ(1, tray_.IconCount()) << "still one icon";
  EXPECT_TRUE(velmo_.IsRunning());
}

TEST_F(Program, ExitRemovesTheIconAndEndsWithZero) {
  tray_.Clear();
  PostMessageA(mainWindow_, WM_COMMAND, IDM_EXIT, 0);
  ASSERT_TRUE(velmo_.WaitForExit(START_TIMEOUT_MS));
  EXPECT_EQ(0u, velmo_.ExitCode());
  EXPECT_NE(nullptr, Last(NIM_DELETE));
  EXPECT_EQ(0, tray_.IconCount());
}

TEST_F(Program, RestartedShellGetsTheIconBackIdle) {
  PostMessageA(mainWindow_, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
  ASSERT_TRUE(tray_.WaitForRecords(2, START_TIMEOUT_MS));
  tray_.Clear();
  ASSERT_TRUE(tray_.RestartShell());
  // (Without a desktop the shown mirror may lose the focus and go away meanwhile: a change of the
  // old icon can come before the new add.)
  ASSERT_TRUE(testbed::WaitUntil([&] { return Last(NIM_ADD) != nullptr; }, START_TIMEOUT_MS));
  const TrayRecord* add = Last(NIM_ADD);
  ASSERT_NE(nullptr, add);
  EXPECT_EQ(1u, add->result);
  EXPECT_EQ(HashOfIcon(IDI_TRAY_IDLE), add->iconHash);
  EXPECT_EQ(1, tray_.IconCount());
}
