// Merging an overlay into a 32-bit image with the mask operations of ImageList_Merge (as Wine
// does) clears the image's alpha wherever the overlay is transparent, which leaves only the arrow
// visible. The merged icon gets the opacity of both again: each pixel keeps the larger of its
// merged alpha and the plain image's alpha. Where the merge kept the alpha nothing changes.
#include "mirror/overlay.h"

#include <vector>

constexpr int ALPHA_SHIFT = 24;
constexpr DWORD ALPHA_MASK = 0xFF000000;

static bool ReadColourBits(HBITMAP bitmap, BITMAPINFO& info, std::vector<DWORD>& bits) {
  BITMAP shape = {};
  if (bitmap == nullptr || !GetObjectA(bitmap, sizeof shape, &shape) || shape.bmBitsPixel != 32) return false;
  info = BITMAPINFO{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shape.bmWidth;
  info.bmiHeader.biHeight = -shape.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  bits.assign(static_cast<size_t>(shape.bmWidth) * shape.bmHeight, 0);
  HDC screen = GetDC(nullptr);
  int lines = GetDIBits(screen, bitmap, 0, shape.bmHeight, bits.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return lines == shape.bmHeight;
}

HICON RestoreLostAlpha(HICON merged, HICON plain) {
  ICONINFO mergedInfo = {};
  ICONINFO plainInfo = {};
  if (!GetIconInfo(merged, &mergedInfo)) return nullptr;
  HICON repaired = nullptr;
  if (GetIconInfo(plain, &plainInfo)) {
    BITMAPINFO mergedShape;
    BITMAPINFO plainShape;
    std::vector<DWORD> mergedBits;
    std::vector<DWORD> plainBits;
    if (ReadColourBits(mergedInfo.hbmColor, mergedShape, mergedBits) &&
        ReadColourBits(plainInfo.hbmColor, plainShape, plainBits) && mergedBits.size() == plainBits.size()) {
      bool changed = false;
      for (size_t i = 0; i < mergedBits.size(); ++i) {
        DWORD plainAlpha = plainBits[i] & ALPHA_MASK;
        if ((mergedBits[i] & ALPHA_MASK) >> ALPHA_SHIFT < plainAlpha >> ALPHA_SHIFT) {
          mergedBits[i] = (mergedBits[i] & ~ALPHA_MASK) | plainAlpha;
          changed = true;
        }
      }
      HDC screen = GetDC(nullptr);
      if (changed && SetDIBits(screen, mergedInfo.hbmColor, 0, -mergedShape.bmiHeader.biHeight,
                               mergedBits.data(), &mergedShape, DIB_RGB_COLORS)) {
        repaired = CreateIconIndirect(&mergedInfo);
      }
      ReleaseDC(nullptr, screen);
    }
    if (plainInfo.hbmColor != nullptr) DeleteObject(plainInfo.hbmColor);
    DeleteObject(plainInfo.hbmMask);
  }
  if (mergedInfo.hbmColor != nullptr) DeleteObject(mergedInfo.hbmColor);
  DeleteObject(mergedInfo.hbmMask);
  return repaired;
}
