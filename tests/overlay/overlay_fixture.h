// What the shortcut-arrow tests share: a table with an image list of plain coloured images, the
// shell's registry values set to folders of the test's own, and a way to read an image's pixels.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mirror/mirror.h"
#include "testbed/registry/saved_value.h"

constexpr int IMAGE_SIZE = 32;

// The test's arrow icon: opaque red in the bottom-left corner, transparent elsewhere.
constexpr int ARROW_SIZE = 12;
constexpr COLORREF ARROW_COLOUR = RGB(255, 0, 0);

// Resource ids of the icons built into the test program (overlay_icons.rc).
constexpr int FIRST_ICON_ID = 30;
constexpr int SECOND_ICON_ID = 31;

using Pixels = std::vector<COLORREF>;

void WriteArrowIcon(const std::string& path);
void WriteTextFile(const std::string& path, const char* text);
void RemoveTree(const std::string& path);
std::string TestProgramPath();
std::string SystemShellLibrary();

HIMAGELIST MakePlainImageList(const std::vector<COLORREF>& colours, UINT flags = ILC_COLOR32 | ILC_MASK);
Pixels ReadImage(HIMAGELIST list, int image);
// The icon drawn by GDI over an opaque plain image of that colour.
Pixels PlainWithIcon(COLORREF colour, HICON icon);
// The largest difference of one colour channel between two pictures (256 when their sizes differ).
int LargestDifference(const Pixels& a, const Pixels& b);
// Channels may differ by rounding between GDI's blending and the image list's.
constexpr int BLEND_ROUNDING = 2;
Pixels SolidPixels(COLORREF colour);

class ShortcutOverlayTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Makes the table hold one item per name, item i using image images[i].
  void FillTable(const std::vector<const char*>& names, const std::vector<int>& images,
                 UINT listFlags = ILC_COLOR32 | ILC_MASK);
  void UseArrowIcon();  // points "29" at the test's arrow icon
  // The pixels of the image that the table's item shows.
  static Pixels ItemImage(int item) {
    return ReadImage(DesktopItemTable.imageList, DesktopItemTable.items[item].image);
  }
  std::string TempPath(const std::string& relative) const { return root_ + "\\" + relative; }

  std::string root_;
  std::string userFolder_;
  std::string commonFolder_;
  SavedRegistryValue overlayValue_;
  SavedRegistryValue userDesktop_;
  SavedRegistryValue commonDesktop_;
  std::vector<COLORREF> colours_ = {RGB(0, 128, 0), RGB(0, 0, 160), RGB(200, 200, 0), RGB(0, 160, 160)};

 public:
  ShortcutOverlayTest();
};
