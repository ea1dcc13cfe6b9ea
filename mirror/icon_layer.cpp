// Drawing the icon layer: the list view prints its items into two pictures of the mirror's size,
// one black and one white, and the pixels where the two still show black and white are left out.
#include "mirror/icon_layer.h"

#include <commctrl.h>

#include "mirror/mirror.h"
#include "mirror/pixel_strip.h"

IconLayerState IconLayer;

constexpr DWORD COLOUR_BITS = 0x00FFFFFF;
constexpr DWORD BLACK_PIXEL = 0x00000000;
constexpr DWORD WHITE_PIXEL = 0x00FFFFFF;
constexpr int COLOUR_SHIFTS[] = {0, 8, 16};  // blue, green, red
constexpr DWORD CHANNEL = 0xFF;
constexpr LRESULT NO_ITEM = -1;

// Whether every item looks as an untouched one: none is selected, focused or hot, and the list
// view has not the focus.
static bool CopyIsUntouched() {
  if (GetFocus() == MirrorListView) return false;
  for (UINT flag : {LVNI_SELECTED, LVNI_FOCUSED}) {
    if (SendMessageA(MirrorListView, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), flag) != NO_ITEM) return false;
  }
  return SendMessageA(MirrorListView, LVM_GETHOTITEM, 0, 0) == NO_ITEM;
}

static bool IsClear(DWORD overBlack, DWORD overWhite) {
  return (overBlack & COLOUR_BITS) == BLACK_PIXEL && (overWhite & COLOUR_BITS) == WHITE_PIXEL;
}

static DWORD Through(DWORD overBlack, DWORD overWhite) {
  DWORD through = 0;
  for (int shift : COLOUR_SHIFTS) {
    DWORD black = (overBlack >> shift) & CHANNEL;
    DWORD white = (overWhite >> shift) & CHANNEL;
    if (white > black) through |= (white - black) << shift;
  }
  return through;
}

static size_t CountUnclear(const PixelStrip& black, const PixelStrip& white, LONG width, LONG height) {
  size_t count = 0;
  for (LONG y = 0; y < height; ++y) {
    const DWORD* overBlack = black.Row(y);
    const DWORD* overWhite = white.Row(y);
    for (LONG x = 0; x < width; ++x) count += !IsClear(overBlack[x], overWhite[x]);
  }
  return count;
}

static void CollectRuns(const PixelStrip& black, const PixelStrip& white, LONG width, LONG height) {
  size_t unclear = CountUnclear(black, white, width, height);
  IconLayer.overBlack.reserve(unclear);
  IconLayer.through.reserve(unclear);
  for (LONG y = 0; y < height; ++y) {
    const DWORD* overBlack = black.Row(y);
    const DWORD* overWhite = white.Row(y);
    bool inRun = false;
    for (LONG x = 0; x < width; ++x) {
      if (IsClear(overBlack[x], overWhite[x])) {
        inRun = false;
        continue;
      }
      if (!inRun) IconLayer.runs.push_back({y, x, 0, IconLayer.overBlack.size()});
      inRun = true;
      ++IconLayer.runs.back().length;
      IconLayer.overBlack.push_back(overBlack[x] & COLOUR_BITS);
      IconLayer.through.push_back(Through(overBlack[x], overWhite[x]));
    }
  }
}

bool DrawIconLayer() {
  if (IconLayer.drawn) return true;
  LONG width = DesktopRect.width;
  LONG height = DesktopRect.height;
  if (MirrorListView == nullptr || width <= 0 || height <= 0 || !CopyIsUntouched()) return false;
  PixelStrip black(width, height, BLACK_PIXEL);
  PixelStrip white(width, height, WHITE_PIXEL);
  if (!black.Usable() || !white.Usable()) return false;
  for (const PixelStrip* picture : {&black, &white}) {
    SendMessageA(MirrorListView, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(picture->Dc()), PRF_CLIENT);
  }
  GdiFlush();
  FreeIconLayer();
  CollectRuns(black, white, width, height);
  IconLayer.drawn = true;
  return true;
}

void FreeIconLayer() {
  ForgetMirrorPicture();
  // (swapped with empty ones: clear() would keep the memory)
  std::vector<LayerRun>().swap(IconLayer.runs);
  std::vector<DWORD>().swap(IconLayer.overBlack);
  std::vector<DWORD>().swap(IconLayer.through);
  IconLayer.drawn = false;
}
