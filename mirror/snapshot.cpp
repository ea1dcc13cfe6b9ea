// The two screen-compatible bitmaps behind the mirror's background: DesktopSnapshot, the picture
// of the screen under the mirror, and ShadeBitmap, the black that darkens it.
#include <windows.h>

#include "mirror/mirror.h"

SnapshotBitmap DesktopSnapshot;
ShadeBitmapState ShadeBitmap;

void CaptureDesktopSnapshot() {
  HWND desktop = GetDesktopWindow();
  HDC screen = GetDC(desktop);
  if (screen == nullptr) return;
  if (DesktopSnapshot.dc == nullptr) {
    DesktopSnapshot.dc = CreateCompatibleDC(screen);
    DesktopSnapshot.bitmap = CreateCompatibleBitmap(screen, DesktopRect.width, DesktopRect.height);
    DesktopSnapshot.previousBitmap =
        static_cast<HBITMAP>(SelectObject(DesktopSnapshot.dc, DesktopSnapshot.bitmap));
  }
  BitBlt(DesktopSnapshot.dc, 0, 0, DesktopRect.width, DesktopRect.height, screen, DesktopRect.left,
         DesktopRect.top, SRCCOPY);
  ReleaseDC(desktop, screen);
}

void FreeDesktopSnapshot() {
  if (DesktopSnapshot.dc != nullptr) SelectObject(DesktopSnapshot.dc, DesktopSnapshot.previousBitmap);
  if (DesktopSnapshot.bitmap != nullptr) DeleteObject(DesktopSnapshot.bitmap);
  if (DesktopSnapshot.dc != nullptr) DeleteDC(DesktopSnapshot.dc);
  DesktopSnapshot.bitmap = nullptr;
  DesktopSnapshot.dc = nullptr;
  DesktopSnapshot.previousBitmap = nullptr;
}

static void ReleaseShadeBitmap() {
  if (ShadeBitmap.dc != nullptr) DeleteDC(ShadeBitmap.dc);
  if (ShadeBitmap.bitmap != nullptr) DeleteObject(ShadeBitmap.bitmap);
  ShadeBitmap.dc = nullptr;
  ShadeBitmap.bitmap = nullptr;
}

void MakeShadeBitmap() {
  ReleaseShadeBitmap();
  ShadeBitmap.width = DesktopRect.width;
  ShadeBitmap.height = DesktopRect.height;
  HWND desktop = GetDesktopWindow();
  HDC screen = GetDC(desktop);
  ShadeBitmap.dc = CreateCompatibleDC(screen);
  ShadeBitmap.bitmap = CreateCompatibleBitmap(screen, ShadeBitmap.width, ShadeBitmap.height);
  SelectObject(ShadeBitmap.dc, ShadeBitmap.bitmap);
  ReleaseDC(desktop, screen);
  RECT whole = {0, 0, ShadeBitmap.width, ShadeBitmap.height};
  FillRect(ShadeBitmap.dc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
