#include "testbed/tray/tray_decode.h"

#include <cstring>

namespace testbed {

namespace {

constexpr uint32_t FNV_OFFSET = 2166136261u;
constexpr uint32_t FNV_PRIME = 16777619u;
constexpr uint32_t OPAQUE_ALPHA = 0xFF000000u;

// GetBitmapBits rows are padded to 16 bits.
size_t RowBytes(uint32_t width, uint32_t bitsPerPixel) { return (width * bitsPerPixel + 15) / 16 * 2; }

uint32_t Fnv1a(const uint8_t* bytes, size_t size) {
  uint32_t hash = FNV_OFFSET;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * FNV_PRIME;
  return hash;
}

bool MaskBit(const uint8_t* mask, size_t rowBytes, uint32_t x, uint32_t y) {
  return (mask[y * rowBytes + x / 8] & (0x80 >> (x % 8))) != 0;
}

uint32_t ColorAt(const uint8_t* color, size_t rowBytes, uint32_t bitsPerPixel, uint32_t x, uint32_t y) {
  const uint8_t* at = color + y * rowBytes + x * (bitsPerPixel / 8);
  const uint32_t alpha = bitsPerPixel == 32 ? at[3] : 0;
  return at[0] | (at[1] << 8) | (at[2] << 16) | (alpha << 24);
}

}  // namespace

IconImage DecodeIconBits(uint32_t width, uint32_t height, uint32_t bitsPerPixel, const uint8_t* mask,
                         size_t maskSize, const uint8_t* color, size_t colorSize) {
  IconImage image;
  image.width = width;
  image.height = height;
  image.bitsPerPixel = bitsPerPixel;
  const size_t maskRow = RowBytes(width, 1);
  const bool monochrome = color == nullptr;
  const size_t maskRows = monochrome ? 2 * height : height;
  if (mask == nullptr || maskSize < maskRow * maskRows) return IconImage{};
  const size_t colorRow = RowBytes(width, bitsPerPixel);
  if (!monochrome && bitsPerPixel != 32 && bitsPerPixel != 24) {
    image.hash = Fnv1a(color, colorSize);
    return image;
  }
  if (!monochrome && colorSize < colorRow * height) return IconImage{};
  image.pixels.resize(size_t{width} * height);
  bool colorHasAlpha = false;
  for (uint32_t y = 0; y < height && !monochrome; ++y) {
    for (uint32_t x = 0; x < width; ++x)
      colorHasAlpha |= (ColorAt(color, colorRow, bitsPerPixel, x, y) >> 24) != 0;
  }
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const bool transparent = MaskBit(mask, maskRow, x, y);
      uint32_t pixel;
      if (monochrome) {
        pixel = MaskBit(mask, maskRow, x, y + height) ? 0xFFFFFF : 0;  // the XOR half
      } else {
        pixel = ColorAt(color, colorRow, bitsPerPixel, x, y);
      }
      if (!colorHasAlpha) pixel = (pixel & 0xFFFFFF) | (transparent ? 0 : OPAQUE_ALPHA);
      image.pixels[size_t{y} * width + x] = pixel;
    }
  }
  image.hash =
      Fnv1a(reinterpret_cast<const uint8_t*>(image.pixels.data()), image.pixels.size() * sizeof(uint32_t));
  return image;
}

IconImage IconImageOf(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return IconImage{};
  IconImage image;
  BITMAP maskBitmap{};
  BITMAP colorBitmap{};
  if (GetObjectA(info.hbmMask, sizeof maskBitmap, &maskBitmap) != 0 &&
      (info.hbmColor == nullptr || GetObjectA(info.hbmColor, sizeof colorBitmap, &colorBitmap) != 0)) {
    std::vector<uint8_t> mask(RowBytes(maskBitmap.bmWidth, 1) * maskBitmap.bmHeight);
    GetBitmapBits(info.hbmMask, static_cast<LONG>(mask.size()), mask.data());
    if (info.hbmColor == nullptr) {
      image = DecodeIconBits(maskBitmap.bmWidth, maskBitmap.bmHeight / 2, 1, mask.data(), mask.size(),
                             nullptr, 0);
    } else {
      std::vector<uint8_t> color(RowBytes(colorBitmap.bmWidth, colorBitmap.bmBitsPixel) *
                                 colorBitmap.bmHeight);
      GetBitmapBits(info.hbmColor, static_cast<LONG>(color.size()), color.data());
      image = DecodeIconBits(colorBitmap.bmWidth, colorBitmap.bmHeight, colorBitmap.bmBitsPixel, mask.data(),
                             mask.size(), color.data(), color.size());
    }
  }
  DeleteObject(info.hbmMask);
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  return image;
}

bool DecodeNotifyData(DWORD action, const void* data, size_t size, TrayRecord* record) {
  if (data == nullptr || size < sizeof(WineNotifyData)) return false;
  WineNotifyData notify;
  memcpy(&notify, data, sizeof notify);
  record->action = action;
  record->window = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(LongToHandle(notify.hWnd)));
  record->id = notify.uID;
  record->flags = notify.uFlags;
  record->callbackMessage = notify.uCallbackMessage;
  WCHAR tip[129] = {};
  memcpy(tip, notify.szTip, sizeof notify.szTip);
  if (WideCharToMultiByte(CP_ACP, 0, tip, -1, record->tip, sizeof record->tip, nullptr, nullptr) == 0) {
    record->tip[0] = '\0';
  }
  record->iconWidth = record->iconHeight = record->iconBitsPerPixel = record->iconHash = 0;
  memset(record->pixels, 0, sizeof record->pixels);
  if (notify.width == 0 || notify.height == 0) return true;

  const uint8_t* bits = static_cast<const uint8_t*>(data) + sizeof notify;
  const size_t bitsSize = size - sizeof notify;
  const bool monochrome = notify.bpp == 1 && notify.planes == 1;
  const size_t maskSize = RowBytes(notify.width, 1) * (monochrome ? 2 * notify.height : notify.height);
  if (maskSize > bitsSize) return true;
  const IconImage image =
      DecodeIconBits(notify.width, notify.height, notify.bpp, bits, maskSize,
                     monochrome ? nullptr : bits + maskSize, monochrome ? 0 : bitsSize - maskSize);
  record->iconWidth = image.width;
  record->iconHeight = image.height;
  record->iconBitsPerPixel = image.bitsPerPixel;
  record->iconHash = image.hash;
  if (image.width <= TRAY_PIXELS_SIDE && image.height <= TRAY_PIXELS_SIDE && !image.pixels.empty()) {
    memcpy(record->pixels, image.pixels.data(), image.pixels.size() * sizeof(uint32_t));
  }
  return true;
}

}  // namespace testbed
