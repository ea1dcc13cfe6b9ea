// The fake hook library records calls in order and serves the desktop data the test scripts.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "hooklib/trace.h"
#include "hooklib/vmh.h"
#include "testbed/fakevmh/fake_vmh.h"

using namespace testbed;

namespace {

constexpr DWORD CAPACITY = 1024;

// A 32 x 32 image list with count icons.
HIMAGELIST MakeImages(int count) {
  HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, count, 0);
  for (int i = 0; i < count; ++i) ImageList_AddIcon(images, LoadIconA(nullptr, IDI_APPLICATION));
  return images;
}

struct Fetched {
  HIMAGELIST images = nullptr;
  DWORD count = 0;
  std::vector<DesktopItem> items = std::vector<DesktopItem>(CAPACITY);
  BOOL result = FALSE;
};

Fetched FetchDesktop() {
  Fetched fetched;
  fetched.result = GetDeskTopData(&fetched.images, &fetched.count, fetched.items.data(), CAPACITY);
  return fetched;
}

class FakeVmhTest : public ::testing::Test {
 protected:
  void SetUp() override { FakeVmh::Reset(); }
  void TearDown() override { FakeVmh::Reset(); }
};

TEST_F(FakeVmhTest, CallsAreRecordedInOrderWithTheirArguments) {
  HWND window = reinterpret_cast<HWND>(0x1234);
  SetShortCutKeyCode(VK_CONTROL, 0);
  SetShortCutMouse(1);
  InitDLL(window);
  SetIsViewVelmo(1);
  TermDLL();
  const std::vector<std::string> names = {"SetShortCutKeyCode", "SetShortCutMouse", "InitDLL",
                                          "SetIsViewVelmo", "TermDLL"};
  EXPECT_EQ(names, FakeVmh::CallNames());
  const std::vector<VmhCall> calls = FakeVmh::Calls();
  EXPECT_EQ((std::vector<uint64_t>{VK_CONTROL, 0}), calls[0].arguments);
  EXPECT_EQ(std::vector<uint64_t>{1}, calls[1].arguments);
  EXPECT_EQ(std::vector<uint64_t>{0x1234}, calls[2].arguments);
  EXPECT_EQ(std::vector<uint64_t>{1}, calls[3].arguments);
}

TEST_F(FakeVmhTest, InitDllRemembersTheWindowUntilTermDll) {
  HWND window = reinterpret_cast<HWND>(0x5678);
  InitDLL(window);
  EXPECT_EQ(window, FakeVmh::NotifyWindow());
  TermDLL();
  EXPECT_EQ(nullptr, FakeVmh::NotifyWindow());
}

TEST_F(FakeVmhTest, TraceTextsAreKeptByteForByte) {
  Dprint("==表示へ!==\r\n");
  Dprint("==非表示へ!==\r\n");
  const std::vector<std::string> expected = {"==表示へ!==\r\n", "==非表示へ!==\r\n"};
  EXPECT_EQ(expected, FakeVmh::Traces());
}

TEST_F(FakeVmhTest, ServesTheItemsWithAFreshImageListEachTime) {
  HIMAGELIST images = MakeImages(2);
  FakeVmh::Serve({MakeDesktopItem(10, 20, "メモ帳", 1), MakeDesktopItem(90, 20, "ごみ箱", 0)}, images);
  Fetched first = FetchDesktop();
  Fetched second = FetchDesktop();
  ASSERT_NE(nullptr, first.images);
  ASSERT_NE(nullptr, second.images);
  EXPECT_NE(first.images, second.images);
  EXPECT_NE(images, first.images);
  EXPECT_EQ(2, ImageList_GetImageCount(first.images));
  ASSERT_EQ(2u, first.count);
  EXPECT_EQ(10, first.items[0].x);
  EXPECT_STREQ("メモ帳", first.items[0].name);
  EXPECT_EQ(1, first.items[0].image);
  EXPECT_STREQ("ごみ箱", first.items[1].name);
  EXPECT_EQ((std::vector<HIMAGELIST>{first.images, second.images}), FakeVmh::ImageListsHandedOut());
  ImageList_Destroy(first.images);
  ImageList_Destroy(second.images);
  EXPECT_EQ(2, ImageList_GetImageCount(images)) << "the test's own list stays intact";
  ImageList_Destroy(images);
}

TEST_F(FakeVmhTest, FetchRecordsWhatThePointersHeldOnEntry) {
  HIMAGELIST stale = reinterpret_cast<HIMAGELIST>(0x99);
  DWORD count = 5;
  DesktopItem items[4];
  GetDeskTopData(&stale, &count, items, 4);
  const std::vector<VmhCall> fetches = FakeVmh::CallsOf(VmhFunction::GetDeskTopData);
  ASSERT_EQ(1u, fetches.size());
  EXPECT_EQ((std::vector<uint64_t>{0x99, 5, 4}), fetches[0].arguments);
  EXPECT_EQ(nullptr, stale) << "unscripted, the fake answers nothing";
  EXPECT_EQ(0u, count);
}

TEST_F(FakeVmhTest, ScriptedRepliesComeInTurnAndTheLastRepeats) {
  HIMAGELIST images = MakeImages(1);
  DesktopReply emptyButWithImages;
  emptyButWithImages.images = images;
  emptyButWithImages.count = 0;
  DesktopReply good;
  good.items = {MakeDesktopItem(1, 2, "a", 0)};
  good.images = images;
  FakeVmh::ServeSequence({emptyButWithImages, good});

  Fetched first = FetchDesktop();
  EXPECT_NE(nullptr, first.images);
  EXPECT_EQ(0u, first.count);
  for (int i = 0; i < 2; ++i) {
    Fetched later = FetchDesktop();
    EXPECT_NE(nullptr, later.images);
    EXPECT_EQ(1u, later.count);
    ImageList_Destroy(later.images);
  }
  ImageList_Destroy(first.images);
  ImageList_Destroy(images);
}

TEST_F(FakeVmhTest, NeverAnsweringLibraryGivesNothingEveryTime) {
  FakeVmh::ServeSequence({DesktopReply{}});
  for (int i = 0; i < 3; ++i) {
    Fetched fetched = FetchDesktop();
    EXPECT_EQ(nullptr, fetched.images);
    EXPECT_EQ(0u, fetched.count);
  }
  EXPECT_EQ(3u, FakeVmh::CallsOf(VmhFunction::GetDeskTopData).size());
}

TEST_F(FakeVmhTest, CountIsCutToTheCallersCapacity) {
  std::vector<DesktopItem> many;
  for (int i = 0; i < 10; ++i) many.push_back(MakeDesktopItem(i, i, "x", 0));
  FakeVmh::Serve(many, nullptr);
  HIMAGELIST images = nullptr;
  DWORD count = 0;
  DesktopItem items[4];
  GetDeskTopData(&images, &count, items, 4);
  EXPECT_EQ(4u, count);
  EXPECT_EQ(3, items[3].x);
}

TEST_F(FakeVmhTest, ProgramTraceLinkedWithTheFakeReachesIt) {
  Trace("==応急処置==\r\n");
  const std::vector<std::string> expected = {"==応急処置==\r\n"};
  EXPECT_EQ(expected, FakeVmh::Traces());
}

TEST(MakeDesktopItem, LongNameIsCutToTheField) {
  const std::string longName(300, 'n');
  const DesktopItem item = MakeDesktopItem(0, 0, longName.c_str(), 0);
  EXPECT_EQ(static_cast<size_t>(DESKTOP_ITEM_NAME_SIZE - 1), strlen(item.name));
}

}  // namespace
