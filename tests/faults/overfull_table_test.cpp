// A hook library that answers more than it was asked for: a count beyond the table's capacity,
// names that fill their field without a terminator, and image indexes outside the image list. The
// mirror takes what the table holds and shows and hides as usual.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "tests/core/velmo_fixture.h"

constexpr DWORD REPORTED_COUNT = 1500;
constexpr int ITEMS_PER_ROW = 40;
constexpr int ITEM_STEP = 24;
constexpr DWORD PAST_THE_LIST_RECORD = 1;
constexpr LONG IMAGE_PAST_THE_LIST = 5000;
constexpr DWORD NEGATIVE_IMAGE_RECORD = 2;
constexpr LONG NEGATIVE_IMAGE = -7;
constexpr int LETTERS = 26;

class OverfullTable : public VelmoTest {};

TEST_F(OverfullTable, MirrorTakesTheTablesCapacityWithNamesEndedAndBadImagesAsTheyCame) {
  FakeDesktop desktop(FAKE_DESKTOP_RECT);
  testbed::DesktopReply reply;
  for (DWORD i = 0; i < DESKTOP_ITEM_CAPACITY; ++i) {
    DesktopItem item =
        MakeDesktopItem((i % ITEMS_PER_ROW) * ITEM_STEP, (i / ITEMS_PER_ROW) * ITEM_STEP, "", 0);
    memset(item.name, 'a' + i % LETTERS, sizeof item.name);  // no terminator
    if (i == PAST_THE_LIST_RECORD) item.image = IMAGE_PAST_THE_LIST;
    if (i == NEGATIVE_IMAGE_RECORD) item.image = NEGATIVE_IMAGE;
    reply.items.push_back(item);
  }
  reply.images = SampleImages();
  reply.count = REPORTED_COUNT;
  FakeVmh::ServeSequence({reply});
  Settings.MoveWindow = 0;

  ASSERT_EQ(1, CreateMirror(nullptr));
  EXPECT_EQ(DESKTOP_ITEM_CAPACITY, DesktopItemTable.count);
  ASSERT_EQ(static_cast<LRESULT>(DESKTOP_ITEM_CAPACITY),
            SendMessageA(MirrorListView, LVM_GETITEMCOUNT, 0, 0));
  for (DWORD record : {DWORD{0}, PAST_THE_LIST_RECORD, NEGATIVE_IMAGE_RECORD, DESKTOP_ITEM_CAPACITY - 1}) {
    char text[DESKTOP_ITEM_NAME_SIZE * 2] = {};
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = DesktopItemTable.items[record].listIndex;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ASSERT_TRUE(SendMessageA(MirrorListView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(static_cast<LPARAM>(record), item.lParam);
    EXPECT_EQ(static_cast<size_t>(DESKTOP_ITEM_NAME_SIZE - 1), strlen(text)) << "record " << record;
    EXPECT_EQ(reply.items[record].image, item.iImage) << "record " << record;
  }

  EXPECT_EQ(1, ShowMirror());
  UpdateWindow(MirrorListView);  // painted now, with every record
  EXPECT_TRUE(IsWindowVisible(MirrorWindow));
  EXPECT_EQ(1, HideMirror());
  EXPECT_FALSE(IsWindowVisible(MirrorWindow));
}
