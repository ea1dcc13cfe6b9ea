// Building the mirror over the desktop: geometry, items, colours, spacing, the fetch, and the
// state a new mirror is left in.
#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "mirror/icon_layer.h"
#include "tests/core/velmo_fixture.h"

static AlphaBlendFunction RealAlphaBlend() {
  return reinterpret_cast<AlphaBlendFunction>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("MSIMG32.DLL"), "AlphaBlend")));
}

class MirrorBuild : public VelmoTest {
 protected:
  void SetUp() override {
    VelmoTest::SetUp();
    AlphaBlendProc = RealAlphaBlend();
  }
  // A grey of `level` at a spot that no icon covers, through the show's pass: what the snapshot
  // and the picture then hold there.
  static std::pair<DWORD, DWORD> ComposedAtClearSpot(BYTE level) {
    size_t spot = static_cast<size_t>(DesktopSnapshot.width) * (DesktopSnapshot.height - 1) + 1;
    DesktopSnapshot.pixels[spot] = RGB(level, level, level);
    ComposeMirrorPicture();
    return {DesktopSnapshot.pixels[spot], MirrorPicture.pixels[spot]};
  }
};

TEST_F(MirrorBuild, MirrorLiesExactlyOverTheDesktopListView) {
  FakeDesktop desktop(RECT{30, 20, 830, 620});
  ServeSampleItems();
  Settings.MoveWindow = 0;
  ASSERT_EQ(1, CreateMirror(nullptr));

  RECT mirror = {};
  GetWindowRect(MirrorWindow, &mirror);
  EXPECT_EQ(30, mirror.left);
  EXPECT_EQ(20, mirror.top);
  EXPECT_EQ(800, mirror.right - mirror.left);
  EXPECT_EQ(600, mirror.bottom - mirror.top);
  RECT list = {};
  GetWindowRect(MirrorListView, &list);
  EXPECT_TRUE(EqualRect(&mirror, &list));

  char className[32] = {};
  GetClassNameA(MirrorWindow, className, sizeof className);
  EXPECT_STREQ("Velmo", className);
  EXPECT_EQ(0x96010000u & ~static_cast<DWORD>(WS_VISIBLE),
            static_cast<DWORD>(GetWindowLongPtrA(MirrorWindow, GWL_STYLE)) & ~static_cast<DWORD>(WS_VISIBLE));
  EXPECT_EQ(0x52002A60u, static_cast<DWORD>(GetWindowLongPtrA(MirrorListView, GWL_STYLE)));
  EXPECT_EQ(reinterpret_cast<LONG_PTR>(MirrorListViewProc), GetWindowLongPtrA(MirrorListView, GWLP_WNDPROC));
}

TEST_F(MirrorBuild, EachRecordBecomesOneItemAtItsPlace) {
  FakeDesktop desktop(FAKE_DESKTOP_RECT);
  ServeSampleItems();
  ASSERT_EQ(1, CreateMirror(nullptr));
  ASSERT_TRUE(DrawIconLayer());  // the list view's first paint: the places must outlast it

  ASSERT_EQ(3, SendMessageA(MirrorListView, LVM_GETITEMCOUNT, 0, 0));
  for (DWORD i = 0; i < 3; ++i) {
    const DesktopItem& record = DesktopItemTable.items[i];
    LVITEMA item = {};
    char text[DESKTOP_ITEM_NAME_SIZE] = {};
    item.mask = LVIF_PARAM | LVIF_TEXT | LVIF_IMAGE;
    item.iItem = record.listIndex;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ASSERT_TRUE(SendMessageA(MirrorListView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(static_cast<LPARAM>(i), item.lParam);
    EXPECT_STREQ(record.name, text);
    EXPECT_EQ(record.image, item.iImage);
    POINT place = {};
    SendMessageA(MirrorListView, LVM_GETITEMPOSITION, record.listIndex, reinterpret_cast<LPARAM>(&place));
    EXPECT_EQ(record.x, place.x) << record.name;
    EXPECT_EQ(record.y, place.y) << record.name;
  }
}

TEST_F(MirrorBuild, TextColourAndSpacingAreCopiedAndTheDesktopKeepsItsSpacing) {
  FakeDesktop desktop(FAKE_DESKTOP_RECT);
  ServeSampleItems();
  ASSERT_EQ(1, CreateMirror(nullptr));

  EXPECT_EQ(FAKE_DESKTOP_TEXT, static_cast<COLORREF>(SendMessageA(MirrorListView, LVM_GETTEXTCOLOR, 0, 0)));
  EXPECT_EQ(CLR_NONE, static_cast<COLORREF>(SendMessageA(MirrorListView, LVM_GETTEXTBKCOLOR, 0, 0)));
  EXPECT_EQ(CLR_NONE, static_cast<COLORREF>(SendMessageA(MirrorListView, LVM_GETBKCOLOR, 0, 0)));
  DWORD expected = MAKELONG(FAKE_DESKTOP_SPACING_X, FAKE_DESKTOP_SPACING_Y);
  EXPECT_EQ(expected, desktop.spacing());
  EXPECT_EQ(0, desktop.spacingChanges) << "the desktop's spacing is only read";
  EXPECT_EQ(expected, static_cast<DWORD>(SendMessageA(MirrorListView, LVM_GETITEMSPACING, FALSE, 0)));
}

TEST_F(MirrorBuild, LabelsOfTheCopyCannotBeEdited) {
  FakeDesktop desktop(FAKE_DESKTOP_RECT);
  ServeSampleItems();
  ASSERT_EQ(1, CreateMirror(nullptr));
  SetFocus(MirrorListView);
  EXPECT_EQ(nullptr, reinterpret_cast<HWND>(SendMessageA(MirrorListView, LVM_EDITLABELA, 0, 0)));
  EXPECT_EQ(nullptr, FindWindowExA(MirrorListView, nullptr, "Edit", nullptr));
}

TEST_F(MirrorBuild, WithoutAlphaBlendTheTextBackgroundIsTheDesktopsAndNoShadeIsMade) {
  FakeDesktop desktop(FAKE_DESKTOP_RECT);
  ServeSampleItems();
  AlphaBlendProc = nullptr;
  ASSERT_EQ(1, CreateMirror(nullptr));

  EXPECT_EQ(FAKE_DESKTOP_TEXT_BACKGROUND,
            static_cast<COLORREF>(SendMessageA(MirrorListView, LVM_GETTEXTBKCOLOR, 0, 0)));
  std::pair<DWORD, DWORD> composed = ComposedAtClearSpot(200);
  EXPECT_EQ(RGB(200, 200, 200), composed.first);
  EXPECT_EQ(RGB(200, 200, 200), composed.second);
}

TEST_F(MirrorBuild, PictureIsOfTheDesktopsSizeAndShowsTheScreenAtHalfBrightness) {
  FakeDesktop desktop(RECT{0, 0, 640, 480});
  ServeSampleItems();
  ASSERT_EQ(1, CreateMirror(nullptr));

  BITMAP info = {};
  ASSERT_TRUE(GetObjectA(MirrorPicture.bitmap, sizeof info, &info));
  EXPECT_EQ(640, info.bmWidth);
  EXPECT_EQ(480, info.bmHeight);
  std::pair<DWORD, DWORD> composed = ComposedAtClearSpot(200);
  EXPECT_EQ(RGB(100, 100, 100), composed.first) << "the darkened snapshot, for items drawn again";
  EXPECT_EQ(RGB(100, 100, 100), composed.second);
}

TEST_F(MirrorBuild, NewMirrorIsHiddenAndTheLibraryWasToldShownThenHidden) {
  FakeDesktop desktop(FAKE_DESKTOP_RECT);
  ServeSampleItems();
  Settings.MoveWindow = 0;
  LastSelectedItem = 2;
  ASSERT_EQ(1, CreateMirror(nullptr));

  EXPECT_EQ(0, IsMirrorVisible);
  EXPECT_FALSE(IsWindowVisible(MirrorWindow));
  EXPECT_EQ(-1, LastSelectedItem) << "the old table's selection is forgotten";
  std::vector<std::string> expected = {"SetIsViewVelmo 1", "SetIsViewVelmo 0"};
  EXPECT_EQ(expected, CallsStartingWith("SetIsViewVelmo"));
}

TEST_F(MirrorBuild, EmptyFetchesAreRepeatedUntilIconsCome) {
  FakeDesktop desktop(FAKE_DESKTOP_RECT);
  ServeItemsAfterEmptyFetches(SampleItems(), 2);
  ASSERT_EQ(1, CreateMirror(nullptr));

  EXPECT_EQ(3, static_cast<int>(FetchCount()));
  EXPECT_EQ(3u, DesktopItemTable.count);
  EXPECT_EQ(3, SendMessageA(MirrorListView, LVM_GETITEMCOUNT, 0, 0));
}

TEST_F(MirrorBuild, DesktopWithoutIconsGetsAnEmptyMirrorWithinAboutTwoSeconds) {
  FakeDesktop desktop(FAKE_DESKTOP_RECT);
  DWORD start = GetTickCount();
  ASSERT_EQ(1, CreateMirror(nullptr));
  DWORD elapsed = GetTickCount() - start;

  EXPECT_GT(static_cast<int>(FetchCount()), 1);
  EXPECT_LT(elapsed, 3000u);
  EXPECT_NE(nullptr, MirrorWindow);
  EXPECT_EQ(0, SendMessageA(MirrorListView, LVM_GETITEMCOUNT, 0, 0));
}

TEST_F(MirrorBuild, MissingShellStillBuildsAMirror) {
  DWORD start = GetTickCount();
  ASSERT_EQ(1, CreateMirror(nullptr));
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_NE(nullptr, MirrorWindow);
  EXPECT_EQ(nullptr, DesktopListView);
}

TEST_F(MirrorBuild, IconsHostedByAWorkerWindowAreFound) {
  FakeDesktop desktop(FAKE_DESKTOP_RECT, true);
  ServeSampleItems();
  ASSERT_EQ(1, CreateMirror(nullptr));
  EXPECT_EQ(desktop.progman(), ProgmanWindow);
  EXPECT_EQ(desktop.listView(), DesktopListView);
}

TEST_F(MirrorBuild, DestroyingTheMirrorEmptiesTheTableAndReleasesThePicture) {
  FakeDesktop desktop(FAKE_DESKTOP_RECT);
  ServeSampleItems();
  ASSERT_EQ(1, CreateMirror(nullptr));
  ASSERT_NE(nullptr, DesktopSnapshot.dc);
  DestroyWindow(MirrorWindow);

  EXPECT_EQ(nullptr, MirrorWindow);
  EXPECT_EQ(nullptr, MirrorListView);
  EXPECT_EQ(nullptr, DesktopItemTable.imageList);
  EXPECT_EQ(0u, DesktopItemTable.count);
  EXPECT_EQ(nullptr, DesktopSnapshot.dc);
  EXPECT_EQ(nullptr, DesktopSnapshot.bitmap);
}

TEST_F(MirrorBuild, RebuildAfterTheDesktopChangedSizeTakesTheNewSize) {
  ServeSampleItems();
  {
    FakeDesktop small(RECT{0, 0, 500, 400});
    ASSERT_EQ(1, CreateMirror(nullptr));
    DestroyWindow(MirrorWindow);
  }
  FakeDesktop large(RECT{0, 0, 900, 700});
  LookUpDesktopHandles();
  ASSERT_EQ(1, CreateMirror(nullptr));

  BITMAP snapshot = {};
  ASSERT_TRUE(GetObjectA(DesktopSnapshot.bitmap, sizeof snapshot, &snapshot));
  EXPECT_EQ(900, snapshot.bmWidth);
  EXPECT_EQ(700, snapshot.bmHeight);
  EXPECT_EQ(900, MirrorPicture.width);
  EXPECT_EQ(700, MirrorPicture.height);
}
