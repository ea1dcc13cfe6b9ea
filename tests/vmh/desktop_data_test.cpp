// GetDeskTopData against the stand-in desktop: the texts, positions and pictures that the shell's
// list view shows arrive in the caller's records and image list.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hooklib/vmh.h"
#include "testbed/standin/standin_client.h"
#include "testbed/standin/standin_icons.h"
#include "tests/vmh/image_pixels.h"

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

static bool SamePicture(HIMAGELIST fetched, HIMAGELIST expected, int index) {
  std::vector<uint32_t> got = ImagePixels(fetched, index);
  return !got.empty() && got == ImagePixels(expected, index);
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
