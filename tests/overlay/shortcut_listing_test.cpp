// The desktop folders' shortcut files read once per folder give every item the answer that asking
// the file system for the item's own "<name>.lnk" gives.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "hooklib/vmh.h"
#include "mirror/overlay.h"
#include "tests/overlay/overlay_fixture.h"

class ShortcutListingTest : public ShortcutOverlayTest {
 protected:
  ShortcutFolder UserFolder() const {
    return ReadShortcutFolder(HKEY_CURRENT_USER, USER_SHELL_FOLDERS_KEY, USER_DESKTOP_VALUE);
  }
  // Both answers for name, which must agree.
  bool Listed(const ShortcutListing& listing, const char* name) {
    size_t size = strlen(name) + 1;
    bool listed = IsListedShortcut(listing, name, size);
    EXPECT_EQ(HasShortcutFile(*listing.folder, name, size), listed) << name;
    return listed;
  }
};

TEST_F(ShortcutListingTest, ShortcutFilesAreFoundWhateverTheCaseOfTheName) {
  WriteTextFile(userFolder_ + "\\Mail.lnk", "");
  WriteTextFile(userFolder_ + "\\表示.lnk", "");
  ShortcutFolder folder = UserFolder();
  ShortcutListing listing = ListShortcutFiles(folder);

  EXPECT_TRUE(Listed(listing, "Mail"));
  EXPECT_TRUE(Listed(listing, "MAIL"));
  EXPECT_TRUE(Listed(listing, "mail"));
  EXPECT_TRUE(Listed(listing, "表示"));
}

TEST_F(ShortcutListingTest, OtherFilesAndMissingNamesAreNoShortcuts) {
  WriteTextFile(userFolder_ + "\\Mail.url", "");
  WriteTextFile(userFolder_ + "\\Notes.lnk.txt", "");
  ShortcutFolder folder = UserFolder();
  ShortcutListing listing = ListShortcutFiles(folder);

  EXPECT_FALSE(Listed(listing, "Mail"));
  EXPECT_FALSE(Listed(listing, "Notes"));
  EXPECT_FALSE(Listed(listing, "Notes.lnk"));
  EXPECT_FALSE(Listed(listing, "表"));
}

TEST_F(ShortcutListingTest, FolderNamedLikeAShortcutCounts) {
  ASSERT_TRUE(CreateDirectoryA((userFolder_ + "\\Tools.lnk").c_str(), nullptr));
  ShortcutFolder folder = UserFolder();
  ShortcutListing listing = ListShortcutFiles(folder);

  EXPECT_TRUE(Listed(listing, "Tools"));
}

TEST_F(ShortcutListingTest, NameWithAPathInItIsLookedUpAsThePath) {
  ASSERT_TRUE(CreateDirectoryA((userFolder_ + "\\sub").c_str(), nullptr));
  WriteTextFile(userFolder_ + "\\sub\\Inner.lnk", "");
  ShortcutFolder folder = UserFolder();
  ShortcutListing listing = ListShortcutFiles(folder);

  EXPECT_TRUE(Listed(listing, "sub\\Inner"));
  EXPECT_FALSE(Listed(listing, "Inner"));
  EXPECT_FALSE(Listed(listing, "a~b"));
}

TEST_F(ShortcutListingTest, MissingFolderHoldsNoShortcuts) {
  userDesktop_.Set(TempPath("nowhere"));
  ShortcutFolder folder = UserFolder();
  ASSERT_TRUE(folder.usable);
  ShortcutListing listing = ListShortcutFiles(folder);

  EXPECT_FALSE(Listed(listing, "Mail"));
}

TEST_F(ShortcutListingTest, ItemNameWithoutTerminatorIsNoShortcut) {
  std::string longName(DESKTOP_ITEM_NAME_SIZE, 'm');
  WriteTextFile(userFolder_ + "\\" + longName + ".lnk", "");
  ShortcutFolder folder = UserFolder();
  ShortcutListing listing = ListShortcutFiles(folder);

  EXPECT_FALSE(IsListedShortcut(listing, longName.c_str(), DESKTOP_ITEM_NAME_SIZE));
  EXPECT_TRUE(IsListedShortcut(listing, longName.c_str(), longName.size() + 1));
}
