// Reading Wine's Shell_NotifyIcon record without a tray: layout, tip and icon bits.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "testbed/tray/tray_decode.h"

using namespace testbed;

namespace {

constexpr uint32_t SIDE = 16;
constexpr size_t MASK_ROW = 2;       // 16 pixels, padded to 16 bits
constexpr size_t COLOR_ROW = 64;     // 16 pixels of 4 bytes
constexpr uint32_t BLUE = 0x0000FF;  // BGRA little-endian: blue in the low byte

std::vector<uint8_t> NotifyData(const WineNotifyData& header, const std::vector<uint8_t>& bits) {
  std::vector<uint8_t> data(sizeof header + bits.size());
  memcpy(data.data(), &header, sizeof header);
  if (!bits.empty()) memcpy(data.data() + sizeof header, bits.data(), bits.size());
  return data;
}

WineNotifyData Header() {
  WineNotifyData header{};
  header.hWnd = 0x10A2;
  header.uID = 104;
  header.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  header.uCallbackMessage = WM_USER + 10;
  return header;
}

TEST(TrayDecode, FieldsAndJapaneseTipComeThrough) {
  WineNotifyData header = Header();
  header.uFlags = NIF_MESSAGE | NIF_TIP;
  MultiByteToWideChar(CP_ACP, 0, "ヴェルモ表示", -1, header.szTip, 128);
  const std::vector<uint8_t> data = NotifyData(header, {});
  TrayRecord record{};
  ASSERT_TRUE(DecodeNotifyData(NIM_MODIFY, data.data(), data.size(), &record));
  EXPECT_EQ(static_cast<uint32_t>(NIM_MODIFY), record.action);
  EXPECT_EQ(0x10A2u, record.window);
  EXPECT_EQ(104u, record.id);
  EXPECT_EQ(static_cast<uint32_t>(NIF_MESSAGE | NIF_TIP), record.flags);
  EXPECT_EQ(static_cast<uint32_t>(WM_USER + 10), record.callbackMessage);
  EXPECT_STREQ("ヴェルモ表示", record.tip);
  EXPECT_EQ(0u, record.iconWidth);
}

TEST(TrayDecode, ColourIconKeepsItsPixelsWithTheMaskAsAlpha) {
  WineNotifyData header = Header();
  header.width = SIDE;
  header.height = SIDE;
  header.planes = 1;
  header.bpp = 32;
  std::vector<uint8_t> bits(MASK_ROW * SIDE + COLOR_ROW * SIDE, 0);
  bits[0] = 0x80;  // mask: the top-left pixel is transparent
  for (size_t pixel = 0; pixel < SIDE * SIDE; ++pixel) bits[MASK_ROW * SIDE + pixel * 4] = 0xFF;  // blue
  const std::vector<uint8_t> data = NotifyData(header, bits);
  TrayRecord record{};
  ASSERT_TRUE(DecodeNotifyData(NIM_ADD, data.data(), data.size(), &record));
  EXPECT_EQ(SIDE, record.iconWidth);
  EXPECT_EQ(SIDE, record.iconHeight);
  EXPECT_EQ(32u, record.iconBitsPerPixel);
  EXPECT_EQ(BLUE, record.pixels[0]) << "transparent: alpha 0";
  EXPECT_EQ(0xFF000000u | BLUE, record.pixels[1]);
  EXPECT_EQ(0xFF000000u | BLUE, record.pixels[SIDE * SIDE - 1]);
  EXPECT_NE(0u, record.iconHash);
}

TEST(TrayDecode, ShortDataIsRefused) {
  const std::vector<uint8_t> data(sizeof(WineNotifyData) - 1, 0);
  TrayRecord record{};
  EXPECT_FALSE(DecodeNotifyData(NIM_ADD, data.data(), data.size(), &record));
}

TEST(TrayDecode, IconWhoseBitsAreMissingIsRecordedWithoutPicture) {
  WineNotifyData header = Header();
  header.width = SIDE;
  header.height = SIDE;
  header.planes = 1;
  header.bpp = 32;
  const std::vector<uint8_t> data = NotifyData(header, std::vector<uint8_t>(MASK_ROW * SIDE - 1, 0));
  TrayRecord record{};
  ASSERT_TRUE(DecodeNotifyData(NIM_ADD, data.data(), data.size(), &record));
  EXPECT_EQ(0u, record.iconWidth);
  EXPECT_EQ(0u, record.iconHash);
}

TEST(IconImage, SameIconGivesSamePictureAndOtherIconAnother) {
  const IconImage application = IconImageOf(LoadIconA(nullptr, IDI_APPLICATION));
  const IconImage again = IconImageOf(LoadIconA(nullptr, IDI_APPLICATION));
  const IconImage warning = IconImageOf(LoadIconA(nullptr, IDI_WARNING));
  EXPECT_EQ(32u, application.width);
  EXPECT_EQ(32u, application.height);
  EXPECT_EQ(32u * 32u, application.pixels.size());
  EXPECT_EQ(application.hash, again.hash);
  EXPECT_NE(application.hash, warning.hash);
}

}  // namespace
