// How long the mirror takes to build: CreateMirror, and IDM_REFRESH from the command to the new
// mirror. The parts are the program's own steps taken one at a time: the fetch (GetDeskTopData),
// the shortcut overlay (ApplyShortcutOverlays), and CreateMirror over a table already fetched, whose
// window creation copies the screen, fills the list view, shows and parks (or hides) the window and
// makes the mirror's picture. The screen copy, the picture and the fill (over the list view emptied
// again) are timed alone in the same round; the rest is what remains of that creation. The icon
// layer, drawn once the build has returned, is timed on its own.
#include <windows.h>
#include <cstdio>

#include "app/app.h"
#include "bench/common/bench_table.h"
#include "bench/mirror/mirror_bench.h"
#include "mirror/icon_layer.h"
#include "mirror/mirror.h"
#include "mirror/overlay.h"
#include "res/resource.h"

constexpr int BUILD_ROUNDS = 9;
constexpr DWORD SETTLE_MS = 30;

static void DestroyMirror() {
  if (MirrorWindow != nullptr) DestroyWindow(MirrorWindow);
  Pump(SETTLE_MS);
}

struct BuildParts {
  Samples fetch, overlay, arrow, checks, create, capture, fill, rest, layer, comparisons;
};

// The overlay's own pieces over the table now held: loading the arrow, and the look for a
// shortcut file of every item in both desktop folders (the rest of the overlay is the merging).
static void TimedOverlayPieces(BuildParts& parts) {
  parts.arrow.Add(MillisecondsOf([] {
    HICON arrow = LoadShortcutOverlayIcon();
    if (arrow != nullptr) DestroyIcon(arrow);
  }));
  parts.checks.Add(MillisecondsOf([] {
    ShortcutFolder user = ReadShortcutFolder(HKEY_CURRENT_USER, USER_SHELL_FOLDERS_KEY, USER_DESKTOP_VALUE);
    ShortcutFolder common =
        ReadShortcutFolder(HKEY_LOCAL_MACHINE, COMMON_SHELL_FOLDERS_KEY, COMMON_DESKTOP_VALUE);
    ShortcutListing userShortcuts = ListShortcutFiles(user);
    ShortcutListing commonShortcuts = ListShortcutFiles(common);
    for (DWORD i = 0; i < DesktopItemTable.count; ++i) {
      const DesktopItem& item = DesktopItemTable.items[i];
      if (!IsListedShortcut(userShortcuts, item.name, sizeof item.name))
        IsListedShortcut(commonShortcuts, item.name, sizeof item.name);
    }
  }));
}

static void TimedBuildSteps(BuildParts& parts) {
  DestroyMirror();  // empties the table, as before every build
  parts.fetch.Add(MillisecondsOf([] {
    GetDeskTopData(&DesktopItemTable.imageList, &DesktopItemTable.count, DesktopItemTable.items,
                   DESKTOP_ITEM_CAPACITY);
  }));
  parts.overlay.Add(MillisecondsOf(ApplyShortcutOverlays));
  // The table is good now, so CreateMirror does not fetch again.
  double create = MillisecondsOf([] { CreateMirror(MainWindow); });
  double capture = MillisecondsOf(CaptureDesktopSnapshot);
  double picture = MillisecondsOf(MakeMirrorPicture);
  SendMessageA(MirrorListView, LVM_DELETEALLITEMS, 0, 0);
  double fill = MillisecondsOf(FillMirrorListView);
  parts.create.Add(create);
  parts.capture.Add(capture);
  parts.fill.Add(fill);
  parts.rest.Add(create - capture - picture - fill);
  parts.layer.Add(MillisecondsOf(DrawIconLayer));  // before the build's own timer draws it
  TimedOverlayPieces(parts);
  parts.comparisons.Add(FillComparisonsPerItem());
  Pump(SETTLE_MS);
}

void MeasureBuild(int width, int height, int count) {
  std::string tag = std::to_string(count);
  std::string label = DesktopLabel(width, height, count);
  Samples createMirror, refresh;
  BuildParts parts;
  for (int round = 0; round < BUILD_ROUNDS; ++round) {
    DestroyMirror();
    createMirror.Add(MillisecondsOf([] { CreateMirror(MainWindow); }));
    Pump(SETTLE_MS);
    refresh.Add(MillisecondsOf([] { Command(IDM_REFRESH, 0); }));
    Pump(SETTLE_MS);
    TimedBuildSteps(parts);
  }
  if (DesktopItemTable.count != static_cast<DWORD>(count)) {
    FailedRow("build, " + label, "the fetch did not bring every item");
    return;
  }
  Row("build_ms_" + tag, "CreateMirror, " + label, createMirror, "ms");
  Row("build_fetch_ms_" + tag, "  part: fetch (GetDeskTopData)", parts.fetch, "ms");
  Row("build_overlay_ms_" + tag, "  part: shortcut overlay", parts.overlay, "ms");
  Row("build_overlay_arrow_ms_" + tag, "    of which loading the arrow", parts.arrow, "ms");
  Row("build_overlay_checks_ms_" + tag, "    of which looking for each item's shortcut file", parts.checks,
      "ms");
  Row("build_window_ms_" + tag, "  part: CreateMirror after the fetch", parts.create, "ms");
  Row("build_capture_ms_" + tag, "    of which screen copy", parts.capture, "ms");
  Row("build_fill_ms_" + tag, "    of which list-view fill (insertions and positions)", parts.fill, "ms");
  Row("build_fill_comparisons_" + tag, "    list-view text comparisons per inserted item", parts.comparisons,
      "cmp");
  Row("build_window_rest_ms_" + tag, "    of which the rest (window, list view, showing and parking)",
      parts.rest, "ms");
  Row("build_layer_ms_" + tag, "  after the build: drawing the icon layer", parts.layer, "ms");
  Row("refresh_ms_" + tag, "IDM_REFRESH end to end, " + label, refresh, "ms");
}
