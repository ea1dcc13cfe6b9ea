#include "testbed/standin/standin_icons.h"

#include <cstdint>
#include <cstring>
#include <vector>

constexpr int NUMBER_BITS = 11;  // 2,048 distinct patterns
constexpr int BIT_CELL = 2;
constexpr uint32_t FULL_ALPHA = 0xFF000000;

static uint32_t FaceColour(int number) {
  uint32_t red = (number * 53 + 40) & 0xFF;
  uint32_t green = (number * 97 + 80) & 0xFF;
  uint32_t blue = (number * 29 + 160) & 0xFF;
  return FULL_ALPHA | red << 16 | green << 8 | blue;
}

// A rounded square in the item's colour with a dark frame and its number as a row of cells.
static void DrawPicture(std::vector<uint32_t>& pixels, int size, int number) {
  int margin = size / 16;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      bool inside = x >= margin && y >= margin && x < size - margin && y < size - margin;
      bool corner = (x == margin || x == size - margin - 1) && (y == margin || y == size - margin - 1);
      bool frame = x == margin || y == margin || x == size - margin - 1 || y == size - margin - 1;
      uint32_t colour = frame ? FULL_ALPHA | 0x202020 : FaceColour(number);
      pixels[y * size + x] = inside && !corner ? colour : 0;
    }
  }
  int row = size / 2;
  for (int bit = 0; bit < NUMBER_BITS; ++bit) {
    uint32_t cell = (number >> bit & 1) ? FULL_ALPHA | 0xFFFFFF : FULL_ALPHA;
    for (int dy = 0; dy < BIT_CELL; ++dy)
      for (int dx = 0; dx < BIT_CELL; ++dx)
        pixels[(row + dy) * size + margin + 2 + bit * BIT_CELL + dx] = cell;
  }
}

static HBITMAP MakePictureBitmap(int size, int number) {
  std::vector<uint32_t> pixels(size * size);
  DrawPicture(pixels, size, number);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
  return bitmap;
}

HIMAGELIST MakeStandinImageList(int count) {
  int size = GetSystemMetrics(SM_CXICON);
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32, count, 16);
  if (list == nullptr) return nullptr;
  for (int number = 0; number < count; ++number) {
    HBITMAP picture = MakePictureBitmap(size, number);
    if (picture == nullptr || ImageList_Add(list, picture, nullptr) < 0) {
      if (picture != nullptr) DeleteObject(picture);
      ImageList_Destroy(list);
      return nullptr;
    }
    DeleteObject(picture);
  }
  return list;
}
