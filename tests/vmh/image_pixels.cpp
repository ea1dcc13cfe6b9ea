#include "tests/vmh/image_pixels.h"

#include <cstring>

constexpr uint32_t BACKGROUND = 0x00FF00FF;

std::vector<uint32_t> ImagePixels(HIMAGELIST list, int index) {
  int width = 0, height = 0;
  if (!ImageList_GetIconSize(list, &width, &height)) return {};
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return {};
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, BACKGROUND);
  memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
  GdiFlush();
  memcpy(pixels.data(), bits, pixels.size() * sizeof pixels[0]);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return pixels;
}
