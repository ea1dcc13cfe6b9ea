// The shortcut arrow on the pictures that the hook library reads from the stand-in desktop: the
// shortcuts in its folders get the arrow, every other item keeps its own picture, also one that
// shows the same picture as a shortcut.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "app/app.h"
#include "hooklib/vmh.h"
#include "mirror/mirror.h"
#include "mirror/overlay.h"
#include "testbed/standin/standin_client.h"
#include "testbed/standin/standin_icons.h"
#include "tests/overlay/overlay_fixture.h"

class StandinShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AppInstance = GetModuleHandleA(nullptr);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    arrow_ = std::string(temp) + "velmo_standin_arrow_" + std::to_string(GetCurrentProcessId()) + ".ico";
    WriteArrowIcon(arrow_);
    overlayValue_.Set(arrow_ + ",0");
    StandinOptions options;
    options.commonDesktop = true;
    ASSERT_TRUE(desktop_.Start(items_, options));
    ASSERT_TRUE(GetDeskTopData(&DesktopItemTable.imageList, &DesktopItemTable.count, DesktopItemTable.items,
                               DESKTOP_ITEM_CAPACITY));
    ASSERT_EQ(items_.size(), DesktopItemTable.count);
    own_ = MakeStandinImageList(static_cast<int>(items_.size()));
  }
  void TearDown() override {
    if (DesktopItemTable.imageList != nullptr) ImageList_Destroy(DesktopItemTable.imageList);
    DesktopItemTable.imageList = nullptr;
    DesktopItemTable.count = 0;
    if (own_ != nullptr) ImageList_Destroy(own_);
    DeleteFileA(arrow_.c_str());
  }

  const std::vector<StandinItem> items_ = {
      {STANDIN_LINK, 40, 30, STANDIN_OWN_IMAGE, "Mail"},
      {STANDIN_FILE, 140, 30, STANDIN_OWN_IMAGE, "readme.txt"},
      {STANDIN_COMMON_LINK, 240, 30, STANDIN_OWN_IMAGE, "共有ソフト"},
      {STANDIN_URL, 340, 30, STANDIN_OWN_IMAGE, "Home"},
      {STANDIN_PLAIN, 440, 30, STANDIN_OWN_IMAGE, "ごみ箱"},
      {STANDIN_FILE, 540, 30, 0, "Mail と同じ絵.txt"},
  };
  SavedRegistryValue overlayValue_{HKEY_LOCAL_MACHINE, SHELL_ICONS_KEY, SHORTCUT_OVERLAY_VALUE};
  std::string arrow_;
  StandinDesktop desktop_;
  HIMAGELIST own_ = nullptr;
};

TEST_F(StandinShortcutTest, ShortcutsGetTheArrowOverTheirOwnPictureAndOthersStayAsTheyAre) {
  int imagesBefore = ImageList_GetImageCount(DesktopItemTable.imageList);
  ApplyShortcutOverlays();

  EXPECT_EQ(imagesBefore + 2, ImageList_GetImageCount(DesktopItemTable.imageList)) << "one per shortcut";
  for (size_t i = 0; i < items_.size(); ++i) {
    SCOPED_TRACE(items_[i].name);
    Pixels got = ReadImage(DesktopItemTable.imageList, DesktopItemTable.items[i].image);
    Pixels own = ReadImage(own_, StandinImageOf(items_[i], static_cast<int>(i)));
    bool shortcut = items_[i].kind == STANDIN_LINK || items_[i].kind == STANDIN_COMMON_LINK;
    if (!shortcut) {
      EXPECT_EQ(own, got);
      continue;
    }
    for (int y = 0; y < IMAGE_SIZE; ++y) {
      for (int x = 0; x < IMAGE_SIZE; ++x) {
        bool arrow = x < ARROW_SIZE && y >= IMAGE_SIZE - ARROW_SIZE;
        size_t at = static_cast<size_t>(y) * IMAGE_SIZE + x;
        ASSERT_EQ(arrow ? ARROW_COLOUR : own[at], got[at]) << x << "," << y;
      }
    }
  }
}
