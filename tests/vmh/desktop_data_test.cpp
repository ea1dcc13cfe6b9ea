// GetDeskTopData against the stand-in desktop: the texts, positions and pictures that the shell's
// list view shows arrive in the caller's records and image list.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "hooklib/vmh.h"
#include "testbed/standin/standin_client.h"
#include "testbed/standin/standin_icons.h"
#include "tests/vmh/image_pixels.h"
#include "vmh/ansi_text.h"

constexpr DWORD TABLE_CAPACITY = 1024;
constexpr LONG UNTOUCHED = 0x5A5A5A5A;

// A caller's table whose records start out filled with a pattern, to see which bytes were written.
struct Table {
  HIMAGELIST images = nullptr;
  DWORD count = 0;
  std::vector<DesktopItem> items;

  explicit Table(size_t size = TABLE_CAPACITY) : items(size) {
    memset(items.data(), 0x5A, items.size() * sizeof(DesktopItem));
  }
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;
  ~Table() {
    if (images != nullptr) ImageList_Destroy(images);
  }
  BOOL Fetch(DWORD capacity) { return GetDeskTopData(&images, &count, items.data(), capacity); }
  BOOL Fetch() { return Fetch(static_cast<DWORD>(items.size())); }
};

// Equal pixels, and not those of the next picture: lists that draw nothing would match too.
static bool SamePicture(HIMAGELIST fetched, int fetchedIndex, HIMAGELIST expected, int index) {
  std::vector<uint32_t> got = ImagePixels(fetched, fetchedIndex);
  return !got.empty() && got == ImagePixels(expected, index) && got != ImagePixels(expected, index + 1);
}

static bool SamePicture(HIMAGELIST fetched, HIMAGELIST expected, int index) {
  return SamePicture(fetched, index, expected, index);
}

class DesktopDataTest : public ::testing::Test {
 protected:
  const std::vector<StandinItem> items_ = {
      {STANDIN_FILE, 40, 30, STANDIN_OWN_IMAGE, "表示.txt"},
      {STANDIN_LINK, 40, 130, STANDIN_OWN_IMAGE, "ソフト"},
      {STANDIN_FILE, 140, 30, STANDIN_OWN_IMAGE, "readme.txt"},
      {STANDIN_URL, 140, 130, STANDIN_OWN_IMAGE, "Mail"},
      {STANDIN_PLAIN, 600, 500, STANDIN_OWN_IMAGE, "ごみ箱"},
  };
  StandinDesktop desktop_;

  void SetUp() override { ASSERT_TRUE(desktop_.Start(items_)); }
};

TEST_F(DesktopDataTest, TextsPositionsAndImageIndicesMatchTheDesktop) {
  Table table;
  EXPECT_TRUE(table.Fetch());
  ASSERT_EQ(items_.size(), table.count);
  ASSERT_NE(nullptr, table.images);
  for (size_t i = 0; i < items_.size(); ++i) {
    SCOPED_TRACE(items_[i].name);
    EXPECT_STREQ(items_[i].name.c_str(), table.items[i].name);
    EXPECT_EQ(items_[i].x, table.items[i].x);
    EXPECT_EQ(items_[i].y, table.items[i].y);
    EXPECT_EQ(static_cast<LONG>(i), table.items[i].image);
  }
}

TEST_F(DesktopDataTest, ImageListHoldsTheDesktopsOwnPictures) {
  Table table;
  ASSERT_TRUE(table.Fetch());
  ASSERT_NE(nullptr, table.images);
  HIMAGELIST expected = MakeStandinImageList(static_cast<int>(items_.size()));
  ASSERT_NE(nullptr, expected);
  EXPECT_EQ(ImageList_GetImageCount(expected), ImageList_GetImageCount(table.images));
  for (int i = 0; i < static_cast<int>(items_.size()); ++i)
    EXPECT_TRUE(SamePicture(table.images, expected, i)) << i;
  ImageList_Destroy(expected);
}

TEST_F(DesktopDataTest, RecordsKeepTheirLayoutAndTheCallersFields) {
  Table table;
  ASSERT_TRUE(table.Fetch());
  ASSERT_EQ(items_.size(), table.count);
  const BYTE* raw = reinterpret_cast<const BYTE*>(table.items.data()) + sizeof(DesktopItem);  // record 1
  LONG x, y, image, listIndex;
  memcpy(&x, raw + 0, sizeof x);
  memcpy(&y, raw + 4, sizeof y);
  memcpy(&image, raw + 136, sizeof image);
  memcpy(&listIndex, raw + 144, sizeof listIndex);
  EXPECT_EQ(items_[1].x, x);
  EXPECT_EQ(items_[1].y, y);
  EXPECT_STREQ(items_[1].name.c_str(), reinterpret_cast<const char*>(raw + 8));
  EXPECT_EQ(1, image);
  EXPECT_EQ(UNTOUCHED, listIndex);  // the program's own field
  EXPECT_EQ(UNTOUCHED, table.items[items_.size()].x);
}

TEST_F(DesktopDataTest, CapacitySmallerThanTheDesktopFillsOnlyThatMany) {
  Table table;
  EXPECT_TRUE(table.Fetch(3));
  EXPECT_EQ(3u, table.count);
  EXPECT_STREQ(items_[2].name.c_str(), table.items[2].name);
  EXPECT_EQ(UNTOUCHED, table.items[3].x);
  EXPECT_EQ(UNTOUCHED, table.items[3].image);
  ASSERT_NE(nullptr, table.images);
  EXPECT_EQ(static_cast<int>(items_.size()), ImageList_GetImageCount(table.images));
}

TEST_F(DesktopDataTest, NullArgumentsWriteNothing) {
  Table table;
  table.count = 77;
  EXPECT_FALSE(GetDeskTopData(nullptr, &table.count, table.items.data(), TABLE_CAPACITY));
  EXPECT_EQ(77u, table.count);
  EXPECT_EQ(UNTOUCHED, table.items[0].x);
  HIMAGELIST marker = reinterpret_cast<HIMAGELIST>(static_cast<uintptr_t>(0x1234));
  table.images = marker;
  EXPECT_FALSE(GetDeskTopData(&table.images, nullptr, table.items.data(), TABLE_CAPACITY));
  EXPECT_FALSE(GetDeskTopData(&table.images, &table.count, nullptr, TABLE_CAPACITY));
  EXPECT_EQ(marker, table.images);
  EXPECT_EQ(77u, table.count);
  EXPECT_EQ(UNTOUCHED, table.items[0].x);
  table.images = nullptr;
}

TEST_F(DesktopDataTest, RepeatedFetchesGiveTheSameTable) {
  for (int round = 0; round < 3; ++round) {
    Table table;
    EXPECT_TRUE(table.Fetch());
    EXPECT_EQ(items_.size(), table.count);
    EXPECT_STREQ(items_[4].name.c_str(), table.items[4].name);
  }
}

TEST_F(DesktopDataTest, ShellRestartIsReadAgain) {
  ASSERT_TRUE(desktop_.Restart());
  Table table;
  EXPECT_TRUE(table.Fetch());
  EXPECT_EQ(items_.size(), table.count);
  EXPECT_STREQ(items_[1].name.c_str(), table.items[1].name);
}

TEST(DesktopDataNames, LongNamesAreCutAtACharacterBoundary) {
  const std::string ascii(150, 'a');
  std::string kanji;
  for (int i = 0; i < 75; ++i) kanji += "表";  // 150 bytes, every trail byte a backslash
  StandinDesktop desktop;
  ASSERT_TRUE(desktop.Start(
      {{STANDIN_FILE, 40, 30, STANDIN_OWN_IMAGE, ascii}, {STANDIN_FILE, 40, 130, STANDIN_OWN_IMAGE, kanji}}));
  Table table;
  EXPECT_TRUE(table.Fetch());
  ASSERT_EQ(2u, table.count);
  EXPECT_EQ(ascii.substr(0, 127), table.items[0].name);
  EXPECT_EQ(kanji.substr(0, 126), table.items[1].name);  // the 64th 表 would not fit whole
}

// Under the UTF-8 code page a name is cut before a sequence that would not fit whole.
TEST(DesktopDataNames, UnderUtf8NamesAreCutBeforeASequence) {
  char cut[5] = "";
  CopyTextWhole(cut, sizeof cut, "\xE3\x81\x82\xE3\x81\x82", 6, CP_UTF8);  // あ twice
  EXPECT_STREQ("\xE3\x81\x82", cut);  // (in code page 932 the bytes pair up otherwise)
}

TEST(DesktopDataNames, ImageIndexOutsideTheListIsReportedAsItIs) {
  StandinDesktop desktop;
  ASSERT_TRUE(desktop.Start(
      {{STANDIN_FILE, 40, 30, STANDIN_OWN_IMAGE, "a.txt"}, {STANDIN_FILE, 40, 130, 5000, "b.txt"}}));
  Table table;
  EXPECT_TRUE(table.Fetch());
  ASSERT_EQ(2u, table.count);
  EXPECT_EQ(0, table.items[0].image);
  EXPECT_EQ(5000, table.items[1].image);
  EXPECT_EQ(2, ImageList_GetImageCount(table.images));
}

TEST(DesktopDataWhere, ViewUnderWorkerWIsFoundWhenProgmanHoldsNone) {
  StandinOptions options;
  options.workerW = true;
  StandinDesktop desktop;
  ASSERT_TRUE(desktop.Start({{STANDIN_LINK, 40, 30, STANDIN_OWN_IMAGE, "ソフト"}}, options));
  ASSERT_NE(nullptr, desktop.WorkerW());
  EXPECT_EQ(nullptr, GetWindow(desktop.Progman(), GW_CHILD));
  Table table;
  EXPECT_TRUE(table.Fetch());
  ASSERT_EQ(1u, table.count);
  EXPECT_STREQ("ソフト", table.items[0].name);
}

TEST(DesktopDataWhere, NoDesktopGivesNothing) {
  ASSERT_EQ(nullptr, FindWindowA("Progman", "Program Manager"));
  Table table;
  table.count = 77;
  table.images = reinterpret_cast<HIMAGELIST>(static_cast<uintptr_t>(0x1234));
  EXPECT_FALSE(table.Fetch());
  EXPECT_EQ(0u, table.count);
  EXPECT_EQ(nullptr, table.images);
  EXPECT_EQ(UNTOUCHED, table.items[0].x);
}

TEST(DesktopDataWhere, ManyItemsFillTheWholeCapacity) {
  std::vector<StandinItem> items;
  for (int i = 0; i < 1500; ++i)
    items.push_back(
        {STANDIN_PLAIN, (i % 40) * 24, (i / 40) * 20, STANDIN_OWN_IMAGE, "item " + std::to_string(i)});
  StandinDesktop desktop;
  ASSERT_TRUE(desktop.Start(items));
  Table table;
  EXPECT_TRUE(table.Fetch());
  ASSERT_EQ(TABLE_CAPACITY, table.count);
  EXPECT_STREQ("item 1023", table.items[1023].name);
  EXPECT_EQ(items[1023].x, table.items[1023].x);
  EXPECT_EQ(items[1023].y, table.items[1023].y);
  EXPECT_EQ(1500, ImageList_GetImageCount(table.images));
}

// The desktop's list is usually the system image list: of its thousands of pictures only those the
// items show arrive, each once, and every record points at its own picture.
TEST(DesktopDataWhere, OnlyThePicturesTheItemsShowArrive) {
  constexpr int LIST_SIZE = 4000;
  const int shown[] = {3999, 17, 2500, 17, 0, 1234, 3999, 42, 777, 3000, LIST_SIZE + 1000, 9};
  constexpr int DISTINCT_INSIDE = 9;
  std::vector<StandinItem> items;
  for (int i = 0; i < static_cast<int>(std::size(shown)); ++i)
    items.push_back(
        {STANDIN_FILE, 40 + i % 4 * 100, 30 + i / 4 * 100, shown[i], "item " + std::to_string(i)});
  StandinOptions options;
  options.imageCount = LIST_SIZE;
  StandinDesktop desktop;
  ASSERT_TRUE(desktop.Start(items, options));
  Table table;
  EXPECT_TRUE(table.Fetch());
  ASSERT_EQ(items.size(), table.count);
  ASSERT_NE(nullptr, table.images);
  EXPECT_EQ(DISTINCT_INSIDE, ImageList_GetImageCount(table.images));
  HIMAGELIST expected = MakeStandinImageList(LIST_SIZE);
  ASSERT_NE(nullptr, expected);
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(i);
    if (shown[i] >= LIST_SIZE)
      EXPECT_EQ(shown[i], table.items[i].image);  // outside any list, as the desktop reported it
    else
      EXPECT_TRUE(SamePicture(table.images, table.items[i].image, expected, shown[i]));
  }
  ImageList_Destroy(expected);
}
