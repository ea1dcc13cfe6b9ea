// The tray recorder receives this process's Shell_NotifyIconA calls in place of the shell.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "testbed/recorder/message_recorder.h"
#include "testbed/recorder/message_sequence.h"
#include "testbed/recorder/pump.h"
#include "testbed/tray/tray_recorder.h"

using namespace testbed;

namespace {

constexpr char OWNER_CLASS[] = "VelmoTrayTestOwner";
constexpr UINT ICON_ID = 104;
constexpr UINT CALLBACK_MESSAGE = WM_USER + 10;
constexpr DWORD RECORD_TIMEOUT_MS = 5000;
constexpr UINT ALL_FLAGS = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr int ICON_SIDE = 32;
constexpr uint32_t RED = 0x00FF0000;  // BGRA little-endian

LRESULT CALLBACK OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

// A red 32 x 32 icon whose top half is transparent.
HICON MakeHalfRedIcon() {
  std::vector<BYTE> andBits(ICON_SIDE * ICON_SIDE / 8, 0);
  std::fill(andBits.begin(), andBits.begin() + andBits.size() / 2, 0xFF);
  std::vector<DWORD> xorBits(ICON_SIDE * ICON_SIDE, RED);
  return CreateIcon(GetModuleHandleA(nullptr), ICON_SIDE, ICON_SIDE, 1, 32, andBits.data(),
                    reinterpret_cast<const BYTE*>(xorBits.data()));
}

class TrayRecorderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tray_.Start());
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &OwnerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = OWNER_CLASS;
    RegisterClassA(&windowClass);
    owner_ = CreateWindowExA(0, OWNER_CLASS, "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, owner_);
  }
  void TearDown() override {
    if (owner_ != nullptr) DestroyWindow(owner_);
    tray_.Stop();
  }

  // The program's record: the first, 88-byte version in 32-bit code (104 bytes in 64-bit code).
  NOTIFYICONDATAA Data(UINT flags, HICON icon, const char* tip) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner_;
    data.uID = ICON_ID;
    data.uFlags = flags;
    data.uCallbackMessage = CALLBACK_MESSAGE;
    data.hIcon = icon;
    lstrcpynA(data.szTip, tip, sizeof data.szTip);
    return data;
  }

  TrayRecorder tray_;
  HWND owner_ = nullptr;
};

TEST_F(TrayRecorderTest, AddIsRecordedWithEveryField) {
  HICON icon = MakeHalfRedIcon();
  ASSERT_NE(nullptr, icon);
  NOTIFYICONDATAA data = Data(ALL_FLAGS, icon, "Velmo");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  ASSERT_TRUE(tray_.WaitForRecords(1, RECORD_TIMEOUT_MS));
  const std::vector<TrayRecord> records = tray_.Records();
  ASSERT_EQ(1u, records.size()) << Describe(records.back());
  const TrayRecord& added = records[0];
  EXPECT_EQ(static_cast<uint32_t>(NIM_ADD), added.action);
  EXPECT_EQ(1u, added.result);
  EXPECT_EQ(reinterpret_cast<uint64_t>(owner_), added.window);
  EXPECT_EQ(GetCurrentProcessId(), added.senderProcessId);
  EXPECT_EQ(ICON_ID, added.id);
  EXPECT_EQ(ALL_FLAGS, added.flags);
  EXPECT_EQ(CALLBACK_MESSAGE, added.callbackMessage);
  EXPECT_STREQ("Velmo", added.tip);
  EXPECT_EQ(static_cast<uint32_t>(ICON_SIDE), added.iconWidth);
  EXPECT_EQ(static_cast<uint32_t>(ICON_SIDE), added.iconHeight);
  EXPECT_EQ(IconImageOf(icon).hash, added.iconHash);
  EXPECT_EQ(0u, added.pixels[0] >> 24) << "top half transparent";
  EXPECT_EQ(0xFF000000u | RED, added.pixels[ICON_SIDE * ICON_SIDE - 1]) << "bottom half opaque red";
  EXPECT_EQ(1, tray_.IconCount());
  data = Data(0, nullptr, "");
  Shell_NotifyIconA(NIM_DELETE, &data);
  DestroyIcon(icon);
}

TEST_F(TrayRecorderTest, ModifyAndDeleteAreAnsweredAsTheShellWould) {
  HICON first = LoadIconA(nullptr, IDI_APPLICATION);
  HICON second = LoadIconA(nullptr, IDI_WARNING);
  NOTIFYICONDATAA data = Data(ALL_FLAGS, first, "ヴェルモ");
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &data)) << "no such icon yet";
  EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data)) << "already there";
  data.hIcon = second;
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
  EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &data)) << "already gone";
  const std::vector<TrayRecord> records = tray_.Records();
  ASSERT_EQ(6u, records.size());
  const uint32_t actions[] = {NIM_MODIFY, NIM_ADD, NIM_ADD, NIM_MODIFY, NIM_DELETE, NIM_DELETE};
  const uint32_t results[] = {0, 1, 0, 1, 1, 0};
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(i, records[i].sequence);
    EXPECT_EQ(actions[i], records[i].action) << Describe(records[i]);
    EXPECT_EQ(results[i], records[i].result) << Describe(records[i]);
  }
  EXPECT_STREQ("ヴェルモ", records[1].tip);
  EXPECT_EQ(IconImageOf(first).hash, records[1].iconHash);
  EXPECT_EQ(IconImageOf(second).hash, records[3].iconHash);
  EXPECT_EQ(0, tray_.IconCount());
}

TEST_F(TrayRecorderTest, ClearForgetsTheRecordsButNotTheIcons) {
  NOTIFYICONDATAA data = Data(NIF_MESSAGE | NIF_TIP, nullptr, "Velmo");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  tray_.Clear();
  EXPECT_TRUE(tray_.Records().empty());
  EXPECT_EQ(1, tray_.IconCount());
  EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  ASSERT_EQ(1u, tray_.Records().size());
  EXPECT_EQ(0u, tray_.Records()[0].sequence);
}

TEST_F(TrayRecorderTest, RestartedShellForgetsIconsAndAnnouncesItself) {
  MessageRecorder recorder;
  const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
  recorder.SetFilter({{taskbarCreated, taskbarCreated}});
  ASSERT_TRUE(recorder.AttachWindow(owner_));
  NOTIFYICONDATAA data = Data(NIF_MESSAGE | NIF_TIP, nullptr, "Velmo");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  ASSERT_TRUE(tray_.RestartShell());
  EXPECT_EQ(0, tray_.IconCount());
  EXPECT_TRUE(WaitUntil([&] { return !recorder.Records().empty(); }, RECORD_TIMEOUT_MS));
  const ExpectedMessage expected[] = {{taskbarCreated, MSG_SENT, 0, 0}};
  EXPECT_TRUE(MatchesSequence(recorder.Take(), expected));
  EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data)) << "the icon can be added again";
  Shell_NotifyIconA(NIM_DELETE, &data);
}

TEST(TrayRecorder, StartingAgainEndsALeftoverRecorder) {
  TrayRecorder leftover;
  ASSERT_TRUE(leftover.Start());
  const HWND leftoverWindow = leftover.Window();
  TrayRecorder recorder;
  ASSERT_TRUE(recorder.Start());
  EXPECT_FALSE(IsWindow(leftoverWindow));
  EXPECT_EQ(recorder.Window(), FindWindowExA(nullptr, nullptr, TRAY_WINDOW_CLASS, nullptr));
  EXPECT_TRUE(recorder.Records().empty());
}

}  // namespace
