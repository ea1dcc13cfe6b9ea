// ImageList_Merge as Wine implements it does not handle 32-bit images with per-pixel alpha: with a
// mask it clears the image's alpha wherever the overlay is clear (only the arrow stays visible),
// without a mask it copies the whole overlay over the image, and an overlay that is opaque by its
// mask alone arrives without alpha. For such images the merged icon's pixels are therefore
// composed again from the plain image and the overlay, the overlay drawn over the image. Where the
// merge already did exactly that, as it should, the pixels come out the same.
#include "mirror/overlay.h"

#include <vector>

constexpr DWORD ALPHA_MASK = 0xFF000000;
constexpr int ALPHA_SHIFT = 24;
constexpr DWORD MAX_ALPHA = 255;
constexpr DWORD MASK_CLEAR = 0x00FFFFFF;  // a set mask bit, read as a 32-bit pixel

// The pixels of a bitmap as top-down 32-bit values. False unless it is 32-bit (or, for a mask,
// any depth) and of the given size.
static bool ReadPixels(HBITMAP bitmap, bool colourOnly, LONG width, LONG height, std::vector<DWORD>& pixels,
                       BITMAPINFO& info) {
  BITMAP shape = {};
  if (bitmap == nullptr || !GetObjectA(bitmap, sizeof shape, &shape)) return false;
  if ((colourOnly && shape.bmBitsPixel != 32) || shape.bmWidth != width || shape.bmHeight != height)
    return false;
  info = BITMAPINFO{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  pixels.assign(static_cast<size_t>(width) * height, 0);
  HDC screen = GetDC(nullptr);
  int lines = GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return lines == height;
}

static bool HasAlpha(const std::vector<DWORD>& pixels) {
  for (DWORD pixel : pixels) {
    if (pixel & ALPHA_MASK) return true;
  }
  return false;
}

static DWORD Channel(DWORD pixel, int shift) { return (pixel >> shift) & 0xFF; }

// The overlay pixel (alpha overlayAlpha) drawn over the plain pixel, both with straight alpha.
static DWORD Over(DWORD overlay, DWORD overlayAlpha, DWORD plain) {
  DWORD plainAlpha = Channel(plain, ALPHA_SHIFT);
  DWORD plainWeight = plainAlpha * (MAX_ALPHA - overlayAlpha) / MAX_ALPHA;
  DWORD alpha = overlayAlpha + plainWeight;
  if (alpha == 0) return 0;
  DWORD result = alpha << ALPHA_SHIFT;
  for (int shift = 0; shift < ALPHA_SHIFT; shift += 8) {
    DWORD value =
        (Channel(overlay, shift) * overlayAlpha + Channel(plain, shift) * plainWeight + alpha / 2) / alpha;
    result |= (value > MAX_ALPHA ? MAX_ALPHA : value) << shift;
  }
  return result;
}

// The overlay's pixels with their alpha: its own when it has one, else opaque where its mask is.
static bool ReadOverlay(const ICONINFO& overlay, LONG width, LONG height, std::vector<DWORD>& colours,
                        std::vector<DWORD>& alphas) {
  BITMAPINFO info;
  if (!ReadPixels(overlay.hbmColor, true, width, height, colours, info)) return false;
  alphas.resize(colours.size());
  if (HasAlpha(colours)) {
    for (size_t i = 0; i < colours.size(); ++i) alphas[i] = Channel(colours[i], ALPHA_SHIFT);
    return true;
  }
  std::vector<DWORD> mask;
  if (!ReadPixels(overlay.hbmMask, false, width, height, mask, info)) return false;
  for (size_t i = 0; i < mask.size(); ++i) alphas[i] = (mask[i] & MASK_CLEAR) == MASK_CLEAR ? 0 : MAX_ALPHA;
  return true;
}

static HICON Compose(const ICONINFO& merged, const ICONINFO& plain, const ICONINFO& overlay) {
  BITMAP shape = {};
  if (merged.hbmColor == nullptr || !GetObjectA(merged.hbmColor, sizeof shape, &shape)) return nullptr;
  BITMAPINFO mergedInfo;
  BITMAPINFO plainInfo;
  std::vector<DWORD> mergedPixels;
  std::vector<DWORD> plainPixels;
  std::vector<DWORD> overlayPixels;
  std::vector<DWORD> overlayAlphas;
  if (!ReadPixels(merged.hbmColor, true, shape.bmWidth, shape.bmHeight, mergedPixels, mergedInfo) ||
      !ReadPixels(plain.hbmColor, true, shape.bmWidth, shape.bmHeight, plainPixels, plainInfo) ||
      !HasAlpha(plainPixels) ||
      !ReadOverlay(overlay, shape.bmWidth, shape.bmHeight, overlayPixels, overlayAlphas)) {
    return nullptr;
  }
  bool changed = false;
  for (size_t i = 0; i < mergedPixels.size(); ++i) {
    DWORD wanted = Over(overlayPixels[i], overlayAlphas[i], plainPixels[i]);
    changed = changed || wanted != mergedPixels[i];
    mergedPixels[i] = wanted;
  }
  if (!changed) return nullptr;
  HDC screen = GetDC(nullptr);
  int lines =
      SetDIBits(screen, merged.hbmColor, 0, shape.bmHeight, mergedPixels.data(), &mergedInfo, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (lines != shape.bmHeight) return nullptr;
  ICONINFO composed = merged;
  return CreateIconIndirect(&composed);
}

static void ReleaseIconBitmaps(ICONINFO& info) {
  if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
}

HICON ComposeOverlayOverPlain(HICON merged, HICON plain, HICON overlay) {
  ICONINFO mergedInfo = {};
  ICONINFO plainInfo = {};
  ICONINFO overlayInfo = {};
  HICON composed = nullptr;
  if (GetIconInfo(merged, &mergedInfo) && GetIconInfo(plain, &plainInfo) &&
      GetIconInfo(overlay, &overlayInfo)) {
    composed = Compose(mergedInfo, plainInfo, overlayInfo);
  }
  ReleaseIconBitmaps(mergedInfo);
  ReleaseIconBitmaps(plainInfo);
  ReleaseIconBitmaps(overlayInfo);
  return composed;
}
