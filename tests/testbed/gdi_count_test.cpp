// The GDI object count follows what the process makes and deletes, so leaks show.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "testbed/gdicount/gdi_count.h"

using namespace testbed;

namespace {

// Wine makes some objects on first use (the first screen DC brings a cache of DCs and bitmaps):
// counts are compared after one warm-up run.
void WarmUp() {
  HDC screen = GetDC(nullptr);
  DeleteObject(CreateCompatibleBitmap(screen, 16, 16));
  ReleaseDC(nullptr, screen);
}

TEST(GdiCount, BitmapMadeAndNotDeletedRaisesTheCountByOne) {
  WarmUp();
  const int before = CountGdiObjects();
  ASSERT_GT(before, 0);
  HDC screen = GetDC(nullptr);
  const int withScreenDc = CountGdiObjects();
  HBITMAP leaked = CreateCompatibleBitmap(screen, 16, 16);
  ASSERT_NE(nullptr, leaked);
  EXPECT_EQ(withScreenDc + 1, CountGdiObjects());
  DeleteObject(leaked);
  EXPECT_EQ(withScreenDc, CountGdiObjects());
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(before, CountGdiObjects());
}

TEST(GdiCount, EveryKindOfObjectCounts) {
  WarmUp();
  const int before = CountGdiObjects();
  HDC memory = CreateCompatibleDC(nullptr);
  HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(4, 5, 6));
  HRGN region = CreateRectRgn(0, 0, 4, 4);
  LOGFONTA logFont{};
  logFont.lfHeight = 12;
  HFONT font = CreateFontIndirectA(&logFont);
  EXPECT_EQ(before + 5, CountGdiObjects());
  DeleteObject(font);
  DeleteObject(region);
  DeleteObject(pen);
  DeleteObject(brush);
  DeleteDC(memory);
  EXPECT_EQ(before, CountGdiObjects());
}

TEST(GdiCount, IconHoldsBitmapsUntilDestroyed) {
  WarmUp();
  const int before = CountGdiObjects();
  const BYTE andBits[32 * 4] = {};
  const BYTE xorBits[32 * 4] = {};
  HICON icon = CreateIcon(GetModuleHandleA(nullptr), 32, 32, 1, 1, andBits, xorBits);
  ASSERT_NE(nullptr, icon);
  EXPECT_GT(CountGdiObjects(), before) << "the icon keeps its bitmaps";
  DestroyIcon(icon);
  EXPECT_EQ(before, CountGdiObjects());
}

TEST(GdiCount, ListedHandlesAreTheLiveObjects) {
  if (!RunningOnWine()) GTEST_SKIP() << "the handle list is read from Wine's handle table";
  for (HGDIOBJ handle : ListGdiObjects()) {
    // Wine's own internal objects (extended type 5) are live but unknown to GetObjectType.
    if ((reinterpret_cast<uintptr_t>(handle) >> 16 & 0x7F) != 5) {
      EXPECT_NE(0u, GetObjectType(handle)) << handle;
    }
  }
  HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, nullptr);
  std::vector<HGDIOBJ> handles = ListGdiObjects();
  EXPECT_NE(handles.end(), std::find(handles.begin(), handles.end(), bitmap));
  DeleteObject(bitmap);
  handles = ListGdiObjects();
  EXPECT_EQ(handles.end(), std::find(handles.begin(), handles.end(), bitmap));
}

}  // namespace
