// Shortcut arrows on the mirrored icons: which icon is the arrow, which items count as shortcuts,
// and what happens to the images.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "mirror/mirror.h"
#include "mirror/overlay.h"
#include "tests/overlay/overlay_fixture.h"

// ---- The "29" value: "path,index" split at its last comma -----------------------------------

TEST(IconLocation, LastCommaSeparatesPathAndIndex) {
  char text[] = "C:\\a,b\\arrow.dll,3";
  int index = -1;
  EXPECT_TRUE(SplitIconLocation(text, &index));
  EXPECT_STREQ("C:\\a,b\\arrow.dll", text);
  EXPECT_EQ(3, index);
}

TEST(IconLocation, WithoutCommaThePathIsEmptied) {
  char text[] = "C:\\Windows\\arrow.dll";
  int index = -1;
  EXPECT_FALSE(SplitIconLocation(text, &index));
  EXPECT_STREQ("", text);
}

TEST(IconLocation, IndexIsSignedDecimalAfterBlanks) {
  char text[] = "x.dll,  -30abc";
  int index = 0;
  EXPECT_TRUE(SplitIconLocation(text, &index));
  EXPECT_STREQ("x.dll", text);
  EXPECT_EQ(-30, index);
}

TEST(IconLocation, NoDigitsGiveIndexZero) {
  char text[] = "x.dll,abc";
  int index = -1;
  EXPECT_TRUE(SplitIconLocation(text, &index));
  EXPECT_EQ(0, index);
}

// ---- Registry texts --------------------------------------------------------------------------

constexpr char TEST_KEY[] = "Software\\Morvane\\VelmoOverlayTest";

class RegistryTextTest : public ::testing::Test {
 protected:
  void TearDown() override { RegDeleteKeyA(HKEY_CURRENT_USER, TEST_KEY); }
  SavedRegistryValue value_{HKEY_CURRENT_USER, TEST_KEY, "Text"};
};

TEST_F(RegistryTextTest, TextStoredWithoutTerminatorIsTerminated) {
  value_.SetBytes("abc", 3, REG_BINARY);
  char buffer[8];
  memset(buffer, 'X', sizeof buffer);
  EXPECT_TRUE(ReadRegistryText(HKEY_CURRENT_USER, TEST_KEY, "Text", buffer, sizeof buffer));
  EXPECT_STREQ("abc", buffer);
}

TEST_F(RegistryTextTest, TextFillingTheWholeBufferWithoutTerminatorIsRefused) {
  value_.SetBytes("abcdefgh", 8, REG_BINARY);
  char buffer[8];
  memset(buffer, 'X', sizeof buffer);
  EXPECT_FALSE(ReadRegistryText(HKEY_CURRENT_USER, TEST_KEY, "Text", buffer, sizeof buffer));
  EXPECT_EQ('\0', buffer[0]);
}

TEST_F(RegistryTextTest, LongerTextIsRefused) {
  value_.Set("a text longer than the buffer");
  char buffer[8];
  EXPECT_FALSE(ReadRegistryText(HKEY_CURRENT_USER, TEST_KEY, "Text", buffer, sizeof buffer));
  EXPECT_EQ('\0', buffer[0]);
}

TEST(RegistryText, MissingKeyGivesNothing) {
  char buffer[8] = "old";
  EXPECT_FALSE(
      ReadRegistryText(HKEY_CURRENT_USER, "Software\\Morvane\\NoSuchKey", "Text", buffer, sizeof buffer));
  EXPECT_STREQ("", buffer);
}

// ---- Which items get the arrow ---------------------------------------------------------------

TEST_F(ShortcutOverlayTest, ShortcutInUserFolderGetsArrowAndOtherImagesStayPlain) {
  UseArrowIcon();
  WriteTextFile(userFolder_ + "\\Mail.lnk", "");
  FillTable({"Mail", "Notes", "Games"}, {0, 1, 2});
  ApplyShortcutOverlays();

  EXPECT_EQ(static_cast<int>(colours_.size()) + 1, ImageList_GetImageCount(DesktopItemTable.imageList));
  Pixels mail = ItemImage(0);
  EXPECT_EQ(colours_[0], mail[0]);                                           // top left: plain
  EXPECT_EQ(ARROW_COLOUR, mail[(IMAGE_SIZE - 1) * IMAGE_SIZE]);              // bottom left: arrow
  EXPECT_EQ(colours_[0], mail[(IMAGE_SIZE - 1) * IMAGE_SIZE + ARROW_SIZE]);  // right of the arrow
  for (int image = 0; image < static_cast<int>(colours_.size()); ++image) {
    EXPECT_EQ(SolidPixels(colours_[image]), ReadImage(DesktopItemTable.imageList, image)) << image;
  }
}

TEST_F(ShortcutOverlayTest, ShortcutKeepsItsPictureInImageListWithoutMask) {
  UseArrowIcon();
  WriteTextFile(userFolder_ + "\\Mail.lnk", "");
  FillTable({"Mail", "Notes"}, {0, 1}, ILC_COLOR32);
  ApplyShortcutOverlays();

  EXPECT_EQ(static_cast<int>(colours_.size()) + 1, ImageList_GetImageCount(DesktopItemTable.imageList));
  Pixels mail = ItemImage(0);
  EXPECT_EQ(colours_[0], mail[0]);
  EXPECT_EQ(ARROW_COLOUR, mail[(IMAGE_SIZE - 1) * IMAGE_SIZE]);
  EXPECT_EQ(colours_[0], mail[(IMAGE_SIZE - 1) * IMAGE_SIZE + ARROW_SIZE]);
  EXPECT_EQ(SolidPixels(colours_[1]), ReadImage(DesktopItemTable.imageList, 1));
}

TEST_F(ShortcutOverlayTest, ShortcutOnlyInCommonFolderGetsArrow) {
  UseArrowIcon();
  WriteTextFile(commonFolder_ + "\\Mail.lnk", "");
  FillTable({"Mail", "Notes"}, {1, 2});
  ApplyShortcutOverlays();

  EXPECT_EQ(ARROW_COLOUR, ItemImage(0)[(IMAGE_SIZE - 1) * IMAGE_SIZE]);
  EXPECT_EQ(SolidPixels(colours_[2]), ItemImage(1));
}

TEST_F(ShortcutOverlayTest, OnlyLnkFilesMakeShortcuts) {
  UseArrowIcon();
  WriteTextFile(userFolder_ + "\\Mail.url", "");
  WriteTextFile(commonFolder_ + "\\Mail.txt", "");
  FillTable({"Mail"}, {0});
  ApplyShortcutOverlays();

  EXPECT_EQ(SolidPixels(colours_[0]), ReadImage(DesktopItemTable.imageList, 0));
}

// The desktop's images are shared by type: a shortcut to a folder shows the image of every folder.
TEST_F(ShortcutOverlayTest, OfItemsSharingAnImageOnlyTheShortcutsShowTheArrow) {
  UseArrowIcon();
  WriteTextFile(userFolder_ + "\\Mail.lnk", "");
  WriteTextFile(userFolder_ + "\\Games.lnk", "");
  FillTable({"Mail", "Notes", "Games"}, {3, 3, 3});
  ApplyShortcutOverlays();

  Pixels withArrow = SolidPixels(colours_[3]);
  for (int y = IMAGE_SIZE - ARROW_SIZE; y < IMAGE_SIZE; ++y)
    for (int x = 0; x < ARROW_SIZE; ++x) withArrow[y * IMAGE_SIZE + x] = ARROW_COLOUR;
  EXPECT_EQ(withArrow, ItemImage(0));
  EXPECT_EQ(SolidPixels(colours_[3]), ItemImage(1));
  EXPECT_EQ(3, DesktopItemTable.items[1].image);
  EXPECT_EQ(DesktopItemTable.items[0].image, DesktopItemTable.items[2].image) << "one copy for both";
  EXPECT_EQ(static_cast<int>(colours_.size()) + 1, ImageList_GetImageCount(DesktopItemTable.imageList));
}

TEST_F(ShortcutOverlayTest, NoImageChangesWhenNeitherFolderCanBeRead) {
  UseArrowIcon();
  WriteTextFile(userFolder_ + "\\Mail.lnk", "");
  userDesktop_.Delete();
  commonDesktop_.Delete();
  FillTable({"Mail"}, {0});
  ApplyShortcutOverlays();

  EXPECT_EQ(static_cast<int>(colours_.size()), ImageList_GetImageCount(DesktopItemTable.imageList));
  for (int image = 0; image < static_cast<int>(colours_.size()); ++image) {
    EXPECT_EQ(SolidPixels(colours_[image]), ReadImage(DesktopItemTable.imageList, image)) << image;
  }
}

TEST_F(ShortcutOverlayTest, FolderAndItemNamesWithBackslashTrailBytesAreFound) {
  UseArrowIcon();
  // "表" is 0x95 0x5C in code page 932: its second byte is a backslash.
  std::string folder = TempPath("表");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  WriteTextFile(folder + "\\表示.lnk", "");
  userDesktop_.Set(folder);
  FillTable({"表示", "Notes"}, {0, 1});
  ApplyShortcutOverlays();

  EXPECT_EQ(ARROW_COLOUR, ItemImage(0)[(IMAGE_SIZE - 1) * IMAGE_SIZE]);
  EXPECT_EQ(SolidPixels(colours_[1]), ItemImage(1));
}

TEST_F(ShortcutOverlayTest, FolderPathTooLongForTheBuffersTakesNoPart) {
  UseArrowIcon();
  WriteTextFile(commonFolder_ + "\\Mail.lnk", "");
  userDesktop_.Set(std::string(300, 'a'));
  FillTable({"Mail"}, {0});
  ApplyShortcutOverlays();

  // The common folder still counts.
  EXPECT_EQ(ARROW_COLOUR, ItemImage(0)[(IMAGE_SIZE - 1) * IMAGE_SIZE]);
}

TEST_F(ShortcutOverlayTest, ItemNameWithoutTerminatorIsNoShortcut) {
  UseArrowIcon();
  std::string longName(DESKTOP_ITEM_NAME_SIZE, 'm');
  WriteTextFile(userFolder_ + "\\" + longName + ".lnk", "");
  FillTable({"x"}, {0});
  memset(DesktopItemTable.items[0].name, 'm', DESKTOP_ITEM_NAME_SIZE);
  ApplyShortcutOverlays();

  EXPECT_EQ(SolidPixels(colours_[0]), ReadImage(DesktopItemTable.imageList, 0));
}

TEST_F(ShortcutOverlayTest, MissingImageListChangesNothing) {
  UseArrowIcon();
  WriteTextFile(userFolder_ + "\\Mail.lnk", "");
  DesktopItemTable.count = 1;
  strcpy(DesktopItemTable.items[0].name, "Mail");
  DesktopItemTable.imageList = nullptr;
  ApplyShortcutOverlays();
  EXPECT_EQ(nullptr, DesktopItemTable.imageList);
}

// ---- Which icon is the arrow -----------------------------------------------------------------

class OverlayIconTest : public ShortcutOverlayTest {
 protected:
  // The Mail shortcut's image after the operation, with "29" set to the given text.
  Pixels ShortcutImageWith(const std::string& value) {
    overlayValue_.Set(value);
    WriteTextFile(userFolder_ + "\\Mail.lnk", "");
    FillTable({"Mail"}, {0});
    ApplyShortcutOverlays();
    return ItemImage(0);
  }
  static Pixels WithShellLibraryArrow(COLORREF colour) {
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), SystemShellLibrary().c_str(), 29);
    Pixels pixels = PlainWithIcon(colour, icon);
    DestroyIcon(icon);
    return pixels;
  }
  static Pixels WithTestIcon(COLORREF colour, int id) {
    HICON icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, IMAGE_SIZE, IMAGE_SIZE, 0));
    Pixels pixels = PlainWithIcon(colour, icon);
    DestroyIcon(icon);
    return pixels;
  }
};

TEST_F(OverlayIconTest, ShellLibraryGivesAnArrowThatChangesTheImage) {
  Pixels arrow = WithShellLibraryArrow(colours_[0]);
  ASSERT_FALSE(arrow.empty());
  EXPECT_NE(SolidPixels(colours_[0]), arrow);
}

TEST_F(OverlayIconTest, PathWithCommaInItIsSplitAtTheLastComma) {
  std::string folder = TempPath("a,b");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  WriteArrowIcon(folder + "\\arrow.ico");
  Pixels image = ShortcutImageWith(folder + "\\arrow.ico,0");
  EXPECT_EQ(ARROW_COLOUR, image[(IMAGE_SIZE - 1) * IMAGE_SIZE]);
  EXPECT_EQ(colours_[0], image[0]);
}

TEST_F(OverlayIconTest, IndexSelectsTheIconOfAModule) {
  EXPECT_LE(LargestDifference(WithTestIcon(colours_[0], SECOND_ICON_ID),
                              ShortcutImageWith(TestProgramPath() + ",1")),
            BLEND_ROUNDING);
}

TEST_F(OverlayIconTest, NegativeIndexSelectsAResourceId) {
  EXPECT_LE(LargestDifference(WithTestIcon(colours_[0], FIRST_ICON_ID),
                              ShortcutImageWith(TestProgramPath() + ",-" + std::to_string(FIRST_ICON_ID))),
            BLEND_ROUNDING);
}

TEST_F(OverlayIconTest, ValueWithoutCommaFallsBackToTheShellLibrary) {
  std::string icon = TempPath("arrow.ico");
  WriteArrowIcon(icon);
  EXPECT_LE(LargestDifference(WithShellLibraryArrow(colours_[0]), ShortcutImageWith(icon)), BLEND_ROUNDING);
}

TEST_F(OverlayIconTest, MissingFileFallsBackToTheShellLibrary) {
  EXPECT_LE(LargestDifference(WithShellLibraryArrow(colours_[0]),
                              ShortcutImageWith(TempPath("missing.dll") + ",0")),
            BLEND_ROUNDING);
}

TEST_F(OverlayIconTest, FileWithoutIconsFallsBackToTheShellLibrary) {
  std::string text = TempPath("notes.txt");
  WriteTextFile(text, "no icons here");
  EXPECT_LE(LargestDifference(WithShellLibraryArrow(colours_[0]), ShortcutImageWith(text + ",0")),
            BLEND_ROUNDING);
}
