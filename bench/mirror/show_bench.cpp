// Show and hide latency of the mirror. A show is timed from the show request (IDM_TOGGLE_MIRROR
// with lParam 1, sent to MainWindow) until the command has returned, the mirror's list view has
// painted what the show invalidated (UpdateWindow) and GDI has flushed: the picture is then in the
// window's surface. The parts are timed by taking the same steps one by one; the floor is one screen
// copy and one blend of the same rectangle, as a bare program does them. A show after the selection
// changed (another item selected while shown, then a hide) is timed too, and the paint that the
// change of selection itself causes.
#include <windows.h>
#include <commctrl.h>

#include "app/app.h"
#include "bench/common/bench_table.h"
#include "bench/mirror/mirror_bench.h"
#include "mirror/icon_layer.h"
#include "mirror/mirror.h"
#include "res/resource.h"
#include "settings/settings.h"

constexpr int SHOW_ROUNDS = 21;
constexpr DWORD SETTLE_MS = 60;  // the posted clicks and the shell's repaint after each step
constexpr BYTE HALF_BRIGHTNESS_ALPHA = 128;
constexpr LONG MOVE_MODE = 1;
constexpr UINT SELECTED_AND_FOCUSED = LVIS_SELECTED | LVIS_FOCUSED;
constexpr LONG TOPMOST_ON = 1;

static const BLENDFUNCTION HalfBlack = {AC_SRC_OVER, 0, HALF_BRIGHTNESS_ALPHA, 0};

static void FinishPaint() {
  UpdateWindow(MirrorListView);
  GdiFlush();
}

static double TimedShow() {
  double elapsed = MillisecondsOf([] {
    Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
    FinishPaint();
  });
  Pump(SETTLE_MS);
  return elapsed;
}

static double TimedHide() {
  double elapsed = MillisecondsOf([] { Command(IDM_TOGGLE_MIRROR, MIRROR_HIDE); });
  Pump(SETTLE_MS);
  return elapsed;
}

struct ShowParts {
  Samples check, capture, blend, placement, paint;
};

struct SelectionParts {
  Samples paint, show;
};

// Selects one item alone (and focuses it), as a click on it does.
static void SelectOnly(int item) {
  LVITEMA state = {};
  state.stateMask = SELECTED_AND_FOCUSED;
  SendMessageA(MirrorListView, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  state.state = SELECTED_AND_FOCUSED;
  SendMessageA(MirrorListView, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
}

// While shown, another item is selected (its paint timed); then a hide, and the show after it.
static void TimedShowAfterSelecting(int round, SelectionParts& parts) {
  Command(IDM_TOGGLE_MIRROR, MIRROR_SHOW);
  Pump(SETTLE_MS);
  int items = static_cast<int>(SendMessageA(MirrorListView, LVM_GETITEMCOUNT, 0, 0));
  if (items > 0) SelectOnly(round * 7 % items);
  parts.paint.Add(MillisecondsOf(FinishPaint));
  TimedHide();
  parts.show.Add(TimedShow());
  TimedHide();
}

// The show's own steps, in its order, each timed; the mirror counts as shown afterwards.
static void TimedShowSteps(ShowParts& parts) {
  parts.check.Add(MillisecondsOf([] { DesktopChangedSinceBuild(); }));
  IsMirrorVisible = 1;
  SetIsViewVelmo(1);
  PreviousForegroundWindow = GetForegroundWindow();
  parts.capture.Add(MillisecondsOf(CaptureDesktopSnapshot));
  parts.blend.Add(MillisecondsOf(ComposeMirrorPicture));
  parts.placement.Add(MillisecondsOf([] {
    if (Settings.MoveWindow == MOVE_MODE) {
      HWND insertAfter = Settings.TopMost == TOPMOST_ON ? HWND_TOPMOST : HWND_TOP;
      SetWindowPos(MirrorWindow, insertAfter, DesktopRect.left, DesktopRect.top, 0, 0,
                   SWP_SHOWWINDOW | SWP_NOSIZE);
      ForceForeground(MirrorWindow);
      BringWindowToTop(MirrorWindow);
    } else {
      ShowWindow(MirrorWindow, SW_SHOWNORMAL);
    }
  }));
  parts.paint.Add(MillisecondsOf([] {
    InvalidateRect(MirrorListView, nullptr, TRUE);
    FinishPaint();
  }));
  Pump(SETTLE_MS);
}

struct Floor {
  Samples copy, blend, total;
};

// One BitBlt of the desktop's rectangle from the screen into a compatible bitmap and one AlphaBlend
// of black over it, with the bitmaps made beforehand.
static Floor MeasureFloor() {
  Floor floor;
  HDC screen = GetDC(nullptr);
  HDC copyDc = CreateCompatibleDC(screen);
  HBITMAP copy = CreateCompatibleBitmap(screen, DesktopRect.width, DesktopRect.height);
  HGDIOBJ oldCopy = SelectObject(copyDc, copy);
  HDC shadeDc = CreateCompatibleDC(screen);
  HBITMAP shade = CreateCompatibleBitmap(screen, DesktopRect.width, DesktopRect.height);
  HGDIOBJ oldShade = SelectObject(shadeDc, shade);
  RECT whole = {0, 0, DesktopRect.width, DesktopRect.height};
  FillRect(shadeDc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  for (int round = 0; round < SHOW_ROUNDS; ++round) {
    double start = Now();
    BitBlt(copyDc, 0, 0, DesktopRect.width, DesktopRect.height, screen, DesktopRect.left, DesktopRect.top,
           SRCCOPY);
    GdiFlush();
    double copied = Now();
    AlphaBlendProc(copyDc, 0, 0, DesktopRect.width, DesktopRect.height, shadeDc, 0, 0, DesktopRect.width,
                   DesktopRect.height, HalfBlack);
    GdiFlush();
    double blended = Now();
    floor.copy.Add((copied - start) * 1000);
    floor.blend.Add((blended - copied) * 1000);
    floor.total.Add((blended - start) * 1000);
  }
  SelectObject(shadeDc, oldShade);
  DeleteObject(shade);
  DeleteDC(shadeDc);
  SelectObject(copyDc, oldCopy);
  DeleteObject(copy);
  DeleteDC(copyDc);
  ReleaseDC(nullptr, screen);
  return floor;
}

struct Mode {
  const char* tag;    // added to the figures' names
  const char* label;  // added to the rows' labels
};

constexpr Mode DEFAULT_MODE = {"", ""};
constexpr Mode SHOW_HIDE_MODE = {"_show_hide_mode", ", show/hide mode"};

static double MeasureMode(const std::string& tag, const std::string& label, const Mode& mode) {
  Samples show, hide;
  ShowParts parts;
  SelectionParts selection;
  for (int round = 0; round < SHOW_ROUNDS; ++round) {
    show.Add(TimedShow());
    hide.Add(TimedHide());
    TimedShowSteps(parts);
    TimedHide();
  }
  // (a loop of its own: the rounds above keep the rhythm of their show requests)
  for (int round = 0; round < SHOW_ROUNDS; ++round) TimedShowAfterSelecting(round, selection);
  std::string suffix = tag + mode.tag;
  Row("show_ms_" + suffix, "show, " + label + mode.label, show, "ms");
  Row("show_check_ms_" + suffix, "  part: desktop check (DesktopChangedSinceBuild)", parts.check, "ms");
  Row("show_capture_ms_" + suffix, "  part: snapshot copy (CaptureDesktopSnapshot)", parts.capture, "ms");
  Row("show_blend_ms_" + suffix, "  part: darkening and composing the picture (one pass)", parts.blend, "ms");
  Row("show_placement_ms_" + suffix, "  part: window placement", parts.placement, "ms");
  Row("show_paint_ms_" + suffix, "  part: paint (UpdateWindow, GdiFlush)", parts.paint, "ms");
  double stepsTotal = parts.check.Median() + parts.capture.Median() + parts.blend.Median() +
                      parts.placement.Median() + parts.paint.Median();
  DerivedRow("show_rest_ms_" + suffix, "  rest: trace, tray icon, clicks (show less its parts' medians)",
             show.Median() - stepsTotal, "ms");
  Row("hide_ms_" + suffix, "hide, " + label + mode.label, hide, "ms");
  Row("show_after_select_ms_" + suffix, "show after another item was selected, " + label + mode.label,
      selection.show, "ms");
  Row("select_paint_ms_" + suffix, "  paint after another item was selected (shown)", selection.paint, "ms");
  return show.Median();
}

static void MeasureFloorAgainst(const std::string& tag, const std::string& label, double showMedian) {
  Floor floor = MeasureFloor();
  Row("floor_ms_" + tag, "floor: screen copy + blend, " + label, floor.total, "ms");
  Row("floor_copy_ms_" + tag, "  floor part: screen copy (BitBlt)", floor.copy, "ms");
  Row("floor_blend_ms_" + tag, "  floor part: blend (AlphaBlend)", floor.blend, "ms");
  Samples barePaint = MeasureBareListViewPaint();
  if (!barePaint.Empty())
    Row("bare_list_paint_ms_" + tag, "  paint of a bare list view with the same items", barePaint, "ms");
  DerivedRow("show_over_floor_" + tag, "show as a multiple of the floor, " + label,
             showMedian / floor.total.Median(), "x");
}

void MeasureShowAndHide(int width, int height, int count, bool bothModes) {
  std::string tag = DesktopTag(width, height, count);
  std::string label = DesktopLabel(width, height, count);
  if (MirrorWindow == nullptr || AlphaBlendProc == nullptr) {
    FailedRow("show, " + label, "no mirror or no AlphaBlend");
    return;
  }
  double showMedian = MeasureMode(tag, label, DEFAULT_MODE);
  MeasureFloorAgainst(tag, label, showMedian);
  if (!bothModes) return;
  SettingsRecord saved = Settings;
  Settings.MoveWindow = 0;
  Command(IDM_REFRESH, 0);  // a mirror built in show/hide mode stands in place
  MeasureMode(tag, label, SHOW_HIDE_MODE);
  Settings = saved;
  Command(IDM_REFRESH, 0);
}
