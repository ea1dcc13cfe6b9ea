// What every other test takes for granted about the machine they run on.
#include <windows.h>

#include <gtest/gtest.h>

TEST(Platform, AnsiCodePageIsJapanese) { EXPECT_EQ(932u, GetACP()); }

TEST(Platform, LiteralsAreShiftJis) {
  const char text[] = "表";  // 0x95 0x5C: its trail byte is a backslash
  ASSERT_EQ(3u, sizeof text);
  EXPECT_EQ(0x95, static_cast<unsigned char>(text[0]));
  EXPECT_EQ(0x5C, static_cast<unsigned char>(text[1]));
}

TEST(Platform, ScreenIsTheVirtualDesktop) {
  EXPECT_EQ(1024, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(768, GetSystemMetrics(SM_CYSCREEN));
}

TEST(Platform, ScreenCanBeCopied) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(nullptr, screen);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(memory, bitmap);
  EXPECT_TRUE(BitBlt(memory, 0, 0, 16, 16, screen, 0, 0, SRCCOPY));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}
