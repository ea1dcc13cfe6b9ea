// The number of GDI objects this process owns, to prove that code releases what it makes.
//
// Under Wine GetGuiResources is a stub that returns 0. Wine keeps its GDI handles in a table that
// the process maps and that the PEB points to (GdiSharedHandleTable), the way Windows XP did:
// 65,536 entries of 24 bytes, an entry being live when its type byte is non-zero, the handle
// being the entry's index with the entry's "unique" word in the high half. On Windows itself
// GetGuiResources(GR_GDIOBJECTS) is used.
//
// Wine makes some objects on first use and keeps them (the first screen DC brings a cache of
// DCs and bitmaps: 13 objects), so take the baseline after one warm-up run of the code under test:
//
//   RunOnce();  const int before = CountGdiObjects();
//   RunOnce();  EXPECT_EQ(before, CountGdiObjects());
#pragma once

#include <windows.h>

#include <vector>

namespace testbed {

// Live GDI objects of this process (stock objects included, so compare differences); -1 when
// neither source is available.
int CountGdiObjects();

// Under Wine: the handles of the live GDI objects, from the handle table (empty elsewhere).
std::vector<HGDIOBJ> ListGdiObjects();

// True when the process runs under Wine.
bool RunningOnWine();

}  // namespace testbed
