// A desktop with more icons than the table holds, names longer than its field and an icon whose
// image index lies outside the image list, through velmo.exe and the real hook library: the mirror
// holds the table's 1,024 items, each name cut whole at a character, the bad index passed on as it
// came (the list view draws no picture for it), and the shown mirror paints them all.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "hooklib/vmh.h"
#include "testbed/process/remote_list_view.h"
#include "testbed/recorder/pump.h"
#include "tests/faults/program_over_standin.h"

constexpr int DESKTOP_ITEMS = 1500;
constexpr int TABLE_ITEMS = 1024;
constexpr size_t LONG_NAME_BYTES = 300;
constexpr int ITEMS_PER_ROW = 40;
constexpr int ITEM_STEP_X = 24;
constexpr int ITEM_STEP_Y = 20;
constexpr int BAD_IMAGE_ITEM = 1;
constexpr int BAD_IMAGE_INDEX = 5000;
constexpr UINT SHIFT_JIS = 932;
constexpr DWORD SHOW_WAIT_MS = 10000;
constexpr UINT ANSWER_LIMIT_MS = 10000;  // (a hung program never answers)

// Every other name is ASCII, the rest double-byte characters whose trail byte is a backslash.
static std::string LongName(int number) {
  std::string name = (number % 2 == 0 ? "item " : "項目") + std::to_string(number) + " ";
  while (name.size() < LONG_NAME_BYTES) name += number % 2 == 0 ? "a" : "表";
  return name;
}

// The longest head of the text that fits `room` bytes without splitting a character.
static std::string CutWhole(const std::string& text, size_t room) {
  size_t end = 0;
  while (end < text.size()) {
    size_t step = IsDBCSLeadByteEx(SHIFT_JIS, static_cast<BYTE>(text[end])) ? 2 : 1;
    if (end + step > room) break;
    end += step;
  }
  return text.substr(0, end);
}

class CrowdedDesktop : public ProgramOverStandin {};

TEST_F(CrowdedDesktop, MirrorHoldsTheTablesItemsWithNamesCutWholeAndTheBadImageIndexAsReported) {
  std::vector<StandinItem> items;
  for (int i = 0; i < DESKTOP_ITEMS; ++i) {
    int image = i == BAD_IMAGE_ITEM ? BAD_IMAGE_INDEX : STANDIN_OWN_IMAGE;
    items.push_back({STANDIN_PLAIN, (i % ITEMS_PER_ROW) * ITEM_STEP_X, (i / ITEMS_PER_ROW) * ITEM_STEP_Y,
                     image, LongName(i)});
  }
  ASSERT_TRUE(Start(items, StandinOptions(), TABLE_ITEMS)) << "no mirror of 1,024 items";
  // The refresh a few seconds after start-up makes the mirror anew: read the one it leaves.
  mirror_ = WaitForMirror(mirror_, TABLE_ITEMS);
  ASSERT_NE(nullptr, mirror_) << "no mirror after the start-up refresh";
  EXPECT_TRUE(velmo_.IsRunning());

  testbed::RemoteListView list(ListOf(mirror_), velmo_.Id());
  ASSERT_TRUE(list.Ready());
  std::vector<bool> seen(TABLE_ITEMS, false);
  for (int i = 0; i < list.Count(); ++i) {
    LPARAM record = -1;
    int image = -1;
    std::string text = list.Text(i, &record, &image);
    ASSERT_TRUE(record >= 0 && record < TABLE_ITEMS) << "item " << i;
    seen[record] = true;
    EXPECT_EQ(CutWhole(items[record].name, DESKTOP_ITEM_NAME_SIZE - 1), text) << "record " << record;
    EXPECT_EQ(record == BAD_IMAGE_ITEM ? BAD_IMAGE_INDEX : record, image) << "record " << record;
  }
  for (int record = 0; record < TABLE_ITEMS; ++record) EXPECT_TRUE(seen[record]) << "record " << record;

  PostMessageA(mainWindow_, WM_COMMAND, MIRROR_REQUEST_WPARAM, MIRROR_SHOW);
  EXPECT_TRUE(testbed::WaitUntil([&] { return IsWindowVisible(mirror_) != FALSE; }, SHOW_WAIT_MS));
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutA(mirror_, WM_NULL, 0, 0, SMTO_NORMAL, ANSWER_LIMIT_MS, &answer));
  EXPECT_TRUE(velmo_.IsRunning());
}
