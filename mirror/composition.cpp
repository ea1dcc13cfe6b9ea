// The show's one pass over the pixels: each channel of the new snapshot is darkened (in place, the
// background for items the list view draws again) and, under the icon layer, the layer is laid
// over it; MirrorPicture receives the result.
#include <windows.h>

#include "app/app.h"
#include "mirror/icon_layer.h"
#include "mirror/mirror.h"

constexpr size_t PIXEL_BYTES = sizeof(DWORD);
// What the half-brightness shade leaves of a channel: black blended over it at constant alpha 128
// keeps 127 parts of 255 (AlphaBlend's rounding: +127, then divided).
constexpr unsigned SHADE_KEPT = 127;
constexpr unsigned FULL = 255;
constexpr unsigned HALF = 128;
constexpr int BYTE_SHIFT = 8;

static inline BYTE Shaded(unsigned channel) {
  return static_cast<BYTE>((channel * SHADE_KEPT + SHADE_KEPT) / FULL);
}

// product / 255, rounded, for products of two channels.
static inline BYTE DividedByFull(unsigned product) {
  unsigned rounded = product + HALF;
  return static_cast<BYTE>((rounded + (rounded >> BYTE_SHIFT)) >> BYTE_SHIFT);
}

template <bool Darken>
static inline BYTE Background(BYTE channel) {
  return Darken ? Shaded(channel) : channel;
}

// A stretch outside the layer: the background alone.
template <bool Darken>
static void ComposeClear(BYTE* snapshot, BYTE* picture, size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) {
    BYTE background = Background<Darken>(snapshot[i]);
    snapshot[i] = background;
    picture[i] = background;
  }
}

// A run of the layer over its background.
template <bool Darken>
static void ComposeRun(BYTE* snapshot, BYTE* picture, const BYTE* overBlack, const BYTE* through,
                       size_t bytes) {
  for (size_t i = 0; i < bytes; ++i) {
    BYTE background = Background<Darken>(snapshot[i]);
    snapshot[i] = background;
    picture[i] = static_cast<BYTE>(overBlack[i] + DividedByFull(through[i] * background));
  }
}

static BYTE* RowOf(const SnapshotBitmap& picture, LONG y) {
  return reinterpret_cast<BYTE*>(picture.pixels + static_cast<size_t>(y) * picture.width);
}

template <bool Darken>
static void ComposeAll() {
  const LONG width = DesktopSnapshot.width;
  const BYTE* overBlack = reinterpret_cast<const BYTE*>(IconLayer.overBlack.data());
  const BYTE* through = reinterpret_cast<const BYTE*>(IconLayer.through.data());
  auto run = IconLayer.runs.cbegin();
  for (LONG y = 0; y < DesktopSnapshot.height; ++y) {
    BYTE* snapshot = RowOf(DesktopSnapshot, y);
    BYTE* picture = RowOf(MirrorPicture, y);
    size_t done = 0;  // bytes of the row
    for (; run != IconLayer.runs.cend() && run->y == y; ++run) {
      size_t start = run->x * PIXEL_BYTES;
      size_t bytes = run->length * PIXEL_BYTES;
      size_t first = run->first * PIXEL_BYTES;
      ComposeClear<Darken>(snapshot + done, picture + done, start - done);
      ComposeRun<Darken>(snapshot + start, picture + start, overBlack + first, through + first, bytes);
      done = start + bytes;
    }
    ComposeClear<Darken>(snapshot + done, picture + done, width * PIXEL_BYTES - done);
  }
}

static void DarkenAll() {
  BYTE* snapshot = RowOf(DesktopSnapshot, 0);
  size_t bytes = static_cast<size_t>(DesktopSnapshot.width) * DesktopSnapshot.height * PIXEL_BYTES;
  for (size_t i = 0; i < bytes; ++i) snapshot[i] = Shaded(snapshot[i]);
}

void ComposeMirrorPicture() {
  ForgetMirrorPicture();
  if (DesktopSnapshot.pixels == nullptr) return;
  bool darken = AlphaBlendProc != nullptr;
  bool compose = MirrorPicture.pixels != nullptr && MirrorPicture.width == DesktopSnapshot.width &&
                 MirrorPicture.height == DesktopSnapshot.height && DrawIconLayer();
  GdiFlush();  // the screen copy is in the snapshot's pixels
  if (compose) {
    if (darken) {
      ComposeAll<true>();
    } else {
      ComposeAll<false>();
    }
    MarkMirrorPictureCurrent();
  } else if (darken) {
    DarkenAll();
  }
}
