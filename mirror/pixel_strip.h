// Pictures whose pixels the program reads and writes itself: top-down 32-bit DIB sections, blue,
// green, red and an alpha (or unused) byte per pixel, row after row.
#pragma once

#include <windows.h>

constexpr int PIXEL_BITS = 32;

// A top-down 32-bit DIB section of width x height; *pixels receives its first pixel. Null (and
// *pixels null) when it cannot be made.
inline HBITMAP CreatePixelBitmap(int width, int height, DWORD** pixels) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = PIXEL_BITS;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  *pixels = bitmap != nullptr ? static_cast<DWORD*>(bits) : nullptr;
  return bitmap;
}

// A picture of that kind selected into a memory DC of its own, for drawing that lasts as long as
// the object.
class PixelStrip {
 public:
  PixelStrip(int width, int height, DWORD fill) : width_(width), height_(height) {
    bitmap_ = CreatePixelBitmap(width, height, &pixels_);
    dc_ = CreateCompatibleDC(nullptr);
    if (dc_ != nullptr && bitmap_ != nullptr) previous_ = SelectObject(dc_, bitmap_);
    if (pixels_ != nullptr)
      for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) pixels_[i] = fill;
  }
  ~PixelStrip() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
    if (dc_ != nullptr) DeleteDC(dc_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
  }
  PixelStrip(const PixelStrip&) = delete;
  PixelStrip& operator=(const PixelStrip&) = delete;

  bool Usable() const { return previous_ != nullptr && pixels_ != nullptr; }
  HDC Dc() const { return dc_; }
  // Deselected, for ImageList_Add; the strip is done with drawing then.
  HBITMAP Release() {
    SelectObject(dc_, previous_);
    previous_ = nullptr;
    return bitmap_;
  }
  DWORD& At(int x, int y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
  const DWORD* Row(int y) const { return pixels_ + static_cast<size_t>(y) * width_; }

 private:
  int width_;
  int height_;
  HBITMAP bitmap_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  DWORD* pixels_ = nullptr;
};
