// Drawing the icon layer: the list view prints its items into two pictures of the area they cover,
// one black and one white, and the pixels where the two still show black and white are left out.
#include "mirror/icon_layer.h"

#include <commctrl.h>

#include "hooklib/trace.h"
#include "mirror/mirror.h"
#include "mirror/pixel_strip.h"

IconLayerState IconLayer;

constexpr DWORD COLOUR_BITS = 0x00FFFFFF;
constexpr DWORD BLACK_PIXEL = 0x00000000;
constexpr DWORD WHITE_PIXEL = 0x00FFFFFF;
constexpr int COLOUR_SHIFTS[] = {0, 8, 16};  // blue, green, red
constexpr DWORD CHANNEL = 0xFF;
constexpr LRESULT NO_ITEM = -1;
// The pixels outside the items are looked at on a grid of this step.
constexpr LONG SAMPLE_STEP = 4;
constexpr char TRACE_LAYER_REFUSED[] = "==アイコン層なし(背景も印刷された)==\r\n";

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

// The part of the client area that the items cover: the list view's bounding rectangle of all its
// items. Only this part is printed and looked through.
static RECT ItemArea() {
  RECT client = {0, 0, DesktopRect.width, DesktopRect.height};
  RECT view = {};
  RECT area = {};
  if (!SendMessageA(MirrorListView, LVM_GETVIEWRECT, 0, reinterpret_cast<LPARAM>(&view))) return client;
  IntersectRect(&area, &view, &client);
  return area;
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

// The strips hold the area, its top-left corner at their (0, 0).
static void CollectRuns(const PixelStrip& black, const PixelStrip& white, const RECT& area) {
  LONG width = area.right - area.left;
  LONG height = area.bottom - area.top;
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
      if (!inRun) IconLayer.runs.push_back({area.top + y, area.left + x, 0, IconLayer.overBlack.size()});
      inRun = true;
      ++IconLayer.runs.back().length;
      IconLayer.overBlack.push_back(overBlack[x] & COLOUR_BITS);
      IconLayer.through.push_back(Through(overBlack[x], overWhite[x]));
    }
  }
}

// Marks the grid points of the area that lie in the rectangle (client coordinates).
static void MarkCovered(std::vector<bool>& covered, LONG columns, LONG rows, const RECT& area,
                        const RECT& item) {
  LONG firstColumn = item.left > area.left ? (item.left - area.left + SAMPLE_STEP - 1) / SAMPLE_STEP : 0;
  LONG firstRow = item.top > area.top ? (item.top - area.top + SAMPLE_STEP - 1) / SAMPLE_STEP : 0;
  for (LONG row = firstRow; row < rows && area.top + row * SAMPLE_STEP < item.bottom; ++row)
    for (LONG column = firstColumn; column < columns && area.left + column * SAMPLE_STEP < item.right;
         ++column)
      covered[static_cast<size_t>(row) * columns + column] = true;
}

// Whether both prints left every sampled pixel outside the items' rectangles as it was: a list
// view that also painted a background (its parent's, or its own WM_ERASEBKGND) would otherwise
// turn the whole picture of the build into the layer.
static bool PrintedOnlyItems(const PixelStrip& black, const PixelStrip& white, const RECT& area) {
  LONG columns = (area.right - area.left + SAMPLE_STEP - 1) / SAMPLE_STEP;
  LONG rows = (area.bottom - area.top + SAMPLE_STEP - 1) / SAMPLE_STEP;
  std::vector<bool> covered(static_cast<size_t>(columns) * rows, false);
  int items = static_cast<int>(SendMessageA(MirrorListView, LVM_GETITEMCOUNT, 0, 0));
  for (int index = 0; index < items; ++index) {
    RECT item = {LVIR_BOUNDS, 0, 0, 0};
    if (SendMessageA(MirrorListView, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)))
      MarkCovered(covered, columns, rows, area, item);
  }
  for (LONG row = 0; row < rows; ++row)
    for (LONG column = 0; column < columns; ++column) {
      if (covered[static_cast<size_t>(row) * columns + column]) continue;
      LONG x = column * SAMPLE_STEP;
      if (!IsClear(black.Row(row * SAMPLE_STEP)[x], white.Row(row * SAMPLE_STEP)[x])) return false;
    }
  return true;
}

// The list view's items over a strip of the area's size, drawn where they stand in the client area.
static void PrintItems(const PixelStrip& strip, const RECT& area) {
  POINT origin = {};
  SetWindowOrgEx(strip.Dc(), area.left, area.top, &origin);
  SendMessageA(MirrorListView, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(strip.Dc()), PRF_CLIENT);
  SetWindowOrgEx(strip.Dc(), origin.x, origin.y, nullptr);
}

bool DrawIconLayer() {
  if (IconLayer.drawn) return true;
  if (IconLayer.refused || MirrorListView == nullptr || !CopyIsUntouched()) return false;
  RECT area = ItemArea();
  LONG width = area.right - area.left;
  LONG height = area.bottom - area.top;
  FreeIconLayer();
  if (width > 0 && height > 0) {
    PixelStrip black(width, height, BLACK_PIXEL);
    PixelStrip white(width, height, WHITE_PIXEL);
    if (!black.Usable() || !white.Usable()) return false;
    PrintItems(black, area);
    PrintItems(white, area);
    GdiFlush();
    if (!PrintedOnlyItems(black, white, area)) {
      IconLayer.refused = true;
      Trace(TRACE_LAYER_REFUSED);
      return false;
    }
    CollectRuns(black, white, area);
  }
  // Items that printed nothing leave the drawing to the list view itself.
  IconLayer.drawn = !IconLayer.runs.empty() || SendMessageA(MirrorListView, LVM_GETITEMCOUNT, 0, 0) == 0;
  return IconLayer.drawn;
}

void FreeIconLayer() {
  ForgetMirrorPicture();
  // (swapped with empty ones: clear() would keep the memory)
  std::vector<LayerRun>().swap(IconLayer.runs);
  std::vector<DWORD>().swap(IconLayer.overBlack);
  std::vector<DWORD>().swap(IconLayer.through);
  IconLayer.drawn = false;
  IconLayer.refused = false;
}
