// The pictures behind the mirror: DesktopSnapshot, the picture of the screen under the mirror, and
// MirrorPicture, what the mirror shows of it (icon_layer.h composes it). Both are DIB sections, so
// that a show can darken and compose their pixels in one pass of its own.
#include <windows.h>

#include "mirror/mirror.h"
#include "mirror/pixel_strip.h"

SnapshotBitmap DesktopSnapshot;
SnapshotBitmap MirrorPicture;

static void MakePicture(SnapshotBitmap& picture) {
  picture.width = DesktopRect.width;
  picture.height = DesktopRect.height;
  picture.bitmap = CreatePixelBitmap(picture.width, picture.height, &picture.pixels);
  picture.dc = CreateCompatibleDC(nullptr);
  if (picture.dc != nullptr && picture.bitmap != nullptr)
    picture.previousBitmap = static_cast<HBITMAP>(SelectObject(picture.dc, picture.bitmap));
}

static void FreePicture(SnapshotBitmap& picture) {
  if (picture.dc != nullptr && picture.previousBitmap != nullptr)
    SelectObject(picture.dc, picture.previousBitmap);
  if (picture.bitmap != nullptr) DeleteObject(picture.bitmap);
  if (picture.dc != nullptr) DeleteDC(picture.dc);
  picture = SnapshotBitmap{};
}

void CaptureDesktopSnapshot() {
  HWND desktop = GetDesktopWindow();
  HDC screen = GetDC(desktop);
  if (screen == nullptr) return;
  if (DesktopSnapshot.dc == nullptr) MakePicture(DesktopSnapshot);
  BitBlt(DesktopSnapshot.dc, 0, 0, DesktopSnapshot.width, DesktopSnapshot.height, screen, DesktopRect.left,
         DesktopRect.top, SRCCOPY);
  ReleaseDC(desktop, screen);
}

void FreeDesktopSnapshot() { FreePicture(DesktopSnapshot); }

void MakeMirrorPicture() {
  FreePicture(MirrorPicture);
  MakePicture(MirrorPicture);
}

void FreeMirrorPicture() { FreePicture(MirrorPicture); }
