// The arrow drawn over copies of item images, all made in one strip and appended to the list in
// one go: an image list grows (and copies all its pictures) at each append, and the shared image
// itself must stay plain for the items that are no shortcuts.
//
// The pixels are composed here rather than by ImageList_Merge, which (as Wine implements it) does
// not handle 32-bit images with per-pixel alpha: with a mask it clears the image's alpha wherever
// the overlay is clear, without one it copies the whole overlay over the image.
#include "mirror/overlay.h"

#include <commctrl.h>

#include <vector>

#include "mirror/pixel_strip.h"

constexpr DWORD ALPHA_MASK = 0xFF000000;
constexpr int ALPHA_SHIFT = 24;
constexpr DWORD MAX_ALPHA = 255;
constexpr DWORD MASK_CLEAR = 0x00FFFFFF;        // white in a drawn mask: the pixel is transparent
constexpr DWORD CLEAR_BACKGROUND = 0xFFFFFFFF;  // what a mask is drawn onto
// The image's stored pixels, alpha included, without its mask; the mask alone.
constexpr UINT RAW_PIXELS = ILD_IMAGE | ILD_PRESERVEALPHA;
constexpr UINT MASK_PIXELS = ILD_MASK;
constexpr int MONOCHROME_BITS = 1;

static DWORD Channel(DWORD pixel, int shift) { return (pixel >> shift) & 0xFF; }

// The overlay pixel drawn over the plain pixel, both with premultiplied alpha.
static DWORD Over(DWORD overlay, DWORD plain) {
  DWORD clear = MAX_ALPHA - Channel(overlay, ALPHA_SHIFT);
  DWORD result = 0;
  for (int shift = 0; shift <= ALPHA_SHIFT; shift += 8) {
    DWORD value = Channel(overlay, shift) + (Channel(plain, shift) * clear + MAX_ALPHA / 2) / MAX_ALPHA;
    result |= (value > MAX_ALPHA ? MAX_ALPHA : value) << shift;
  }
  return result;
}

// A premultiplied pixel with straight alpha, as images are given to the list.
static DWORD Straight(DWORD pixel) {
  DWORD alpha = Channel(pixel, ALPHA_SHIFT);
  if (alpha == 0) return 0;
  DWORD result = alpha << ALPHA_SHIFT;
  for (int shift = 0; shift < ALPHA_SHIFT; shift += 8) {
    DWORD value = (Channel(pixel, shift) * MAX_ALPHA + alpha / 2) / alpha;
    result |= (value > MAX_ALPHA ? MAX_ALPHA : value) << shift;
  }
  return result;
}

// One image of a list at (left, 0) of the strip as the list draws it keeping its alpha, that is
// premultiplied. An image without alpha is opaque where its mask is (everywhere, in a list without
// masks).
static bool DrawPremultiplied(HIMAGELIST list, int image, bool masked, int width, int height, int left,
                              PixelStrip& target) {
  if (!ImageList_Draw(list, image, target.Dc(), left, 0, RAW_PIXELS)) return false;
  GdiFlush();
  bool hasAlpha = false;
  for (int y = 0; y < height && !hasAlpha; ++y)
    for (int x = left; x < left + width && !hasAlpha; ++x) hasAlpha = (target.At(x, y) & ALPHA_MASK) != 0;
  if (hasAlpha) return true;
  if (!masked) {
    for (int y = 0; y < height; ++y)
      for (int x = left; x < left + width; ++x) target.At(x, y) |= ALPHA_MASK;
    return true;
  }
  PixelStrip mask(width, height, CLEAR_BACKGROUND);
  if (!mask.Usable() || !ImageList_Draw(list, image, mask.Dc(), 0, 0, MASK_PIXELS)) return false;
  GdiFlush();
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      DWORD& pixel = target.At(left + x, y);
      pixel = (mask.At(x, y) & MASK_CLEAR) == MASK_CLEAR ? 0 : (pixel | ALPHA_MASK);
    }
  }
  return true;
}

// The arrow as the list would hold it: scaled to the list's image size.
static bool ArrowPixels(HICON arrow, bool masked, int width, int height, PixelStrip& pixels) {
  HIMAGELIST single = ImageList_Create(width, height, ILC_COLOR32 | (masked ? ILC_MASK : 0), 1, 0);
  if (single == nullptr) return false;
  bool drawn = ImageList_ReplaceIcon(single, -1, arrow) == 0 &&
               DrawPremultiplied(single, 0, masked, width, height, 0, pixels);
  ImageList_Destroy(single);
  return drawn;
}

// A monochrome mask of the strip: set (transparent) where the pixel is fully clear.
static HBITMAP MaskOf(PixelStrip& strip, int width, int height) {
  int rowBytes = (width + 15) / 16 * 2;  // CreateBitmap rows are WORD-aligned
  std::vector<BYTE> bits(static_cast<size_t>(rowBytes) * height, 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if ((strip.At(x, y) & ALPHA_MASK) == 0)
        bits[y * rowBytes + x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
  return CreateBitmap(width, height, 1, MONOCHROME_BITS, bits.data());
}

int AppendImagesWithArrow(HIMAGELIST list, const std::vector<int>& images, HICON arrow) {
  int width = 0;
  int height = 0;
  IMAGEINFO info = {};
  if (images.empty() || !ImageList_GetIconSize(list, &width, &height) ||
      !ImageList_GetImageInfo(list, 0, &info))
    return -1;
  bool masked = info.hbmMask != nullptr;
  PixelStrip arrowPixels(width, height, 0);
  if (!arrowPixels.Usable() || !ArrowPixels(arrow, masked, width, height, arrowPixels)) return -1;

  int stripWidth = width * static_cast<int>(images.size());
  PixelStrip strip(stripWidth, height, 0);
  if (!strip.Usable()) return -1;
  for (size_t i = 0; i < images.size(); ++i) {
    int left = width * static_cast<int>(i);
    if (!DrawPremultiplied(list, images[i], masked, width, height, left, strip)) return -1;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        strip.At(left + x, y) = Straight(Over(arrowPixels.At(x, y), strip.At(left + x, y)));
  }
  HBITMAP mask = masked ? MaskOf(strip, stripWidth, height) : nullptr;
  int first = masked && mask == nullptr ? -1 : ImageList_Add(list, strip.Release(), mask);
  if (mask != nullptr) DeleteObject(mask);
  return first;
}
