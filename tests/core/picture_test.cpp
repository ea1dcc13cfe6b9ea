// What the mirror shows equals what its list view would draw by itself over the same darkened
// snapshot: after a show, a click, a Ctrl+click and a hover, over the stand-in desktop read by the
// real hook library (shortcuts get their arrow), whose labels have a font of their own.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "app/app.h"
#include "mirror/icon_layer.h"
#include "mirror/mirror.h"
#include "mirror/pixel_strip.h"
#include "settings/settings.h"
#include "testbed/process/remote_list_view.h"
#include "testbed/recorder/pump.h"
#include "testbed/standin/standin_client.h"
#include "testbed/userinput/user_input.h"

constexpr DWORD STEP_TIMEOUT_MS = 10000;
constexpr int ALLOWED_DIFFERENCE = 2;  // levels per channel
constexpr int CLICK_INSIDE = 10;       // a click this far inside an item's corner hits its icon
// Twelve items in rows of four; every third a shortcut, every fourth with a label too long for two
// lines (its whole label shows when it has the focus, over the item below).
constexpr int ITEMS = 12;
constexpr int COLUMNS = 4;
constexpr int FIRST_X = 60, FIRST_Y = 60, STEP_X = 110, STEP_Y = 90;
constexpr int LABEL_FONT_HEIGHT = 18;  // pixels; a list view's own font is smaller

class ShownPicture : public ::testing::Test {
 protected:
  void SetUp() override {
    AppInstance = GetModuleHandleA(nullptr);
    AlphaBlendProc = reinterpret_cast<AlphaBlendFunction>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("MSIMG32.DLL"), "AlphaBlend")));
    Settings.MoveWindow = 1;
    Settings.TopMost = 1;
    std::vector<StandinItem> items;
    const char* names[COLUMNS] = {"Mail", "とても長い名前のショートカットで二行に収まらない", "readme",
                                  "Home"};
    for (int i = 0; i < ITEMS; ++i) {
      StandinKind kind = i % 3 == 1 ? STANDIN_LINK : STANDIN_FILE;
      items.push_back({kind, FIRST_X + i % COLUMNS * STEP_X, FIRST_Y + i / COLUMNS * STEP_Y,
                       STANDIN_OWN_IMAGE,
                       names[i % COLUMNS] + std::to_string(i) + (kind == STANDIN_FILE ? ".txt" : "")});
    }
    StandinOptions options;
    options.labelFontHeight = LABEL_FONT_HEIGHT;
    ASSERT_TRUE(desktop_.Start(items, options));
    LookUpDesktopHandles();  // this test's desktop
    ASSERT_EQ(1, CreateMirror(nullptr));
    ASSERT_EQ(static_cast<DWORD>(ITEMS), DesktopItemTable.count);
  }
  void TearDown() override {
    if (MirrorWindow != nullptr) DestroyWindow(MirrorWindow);
    testbed::PumpMessages();
    Settings = saved_;
  }

  static LRESULT ItemOf(DWORD record) {
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = record;
    return SendMessageA(MirrorListView, LVM_FINDITEMA, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(&find));
  }
  static bool IsSelected(DWORD record) {
    return SendMessageA(MirrorListView, LVM_GETITEMSTATE, ItemOf(record), LVIS_SELECTED) != 0;
  }
  static bool Painted() { return !GetUpdateRect(MirrorListView, nullptr, FALSE); }
  static POINT OnItem(DWORD record) {
    POINT point = {DesktopItemTable.items[record].x + CLICK_INSIDE,
                   DesktopItemTable.items[record].y + CLICK_INSIDE};
    ClientToScreen(MirrorListView, &point);
    return point;
  }
  bool DesktopSawMoveTo(DWORD record) const {
    POINT point = OnItem(record);
    ScreenToClient(MirrorListView, &point);
    for (const MessageRecord& message : desktop_.Messages())
      if (message.message == WM_MOUSEMOVE && message.lParam == MAKELPARAM(point.x, point.y)) return true;
    return false;
  }

  // The largest difference of a channel between the list view as its window shows it and as the
  // list view paints itself over the darkened snapshot.
  static int DifferenceFromOwnPaint() {
    LONG width = DesktopRect.width;
    LONG height = DesktopRect.height;
    PixelStrip shown(width, height, 0);
    PixelStrip own(width, height, 0);
    HDC window = GetDC(MirrorListView);
    BitBlt(shown.Dc(), 0, 0, width, height, window, 0, 0, SRCCOPY);
    ReleaseDC(MirrorListView, window);
    BitBlt(own.Dc(), 0, 0, width, height, DesktopSnapshot.dc, 0, 0, SRCCOPY);
    SendMessageA(MirrorListView, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(own.Dc()), PRF_CLIENT);
    GdiFlush();
    int largest = 0;
    for (LONG y = 0; y < height; ++y)
      for (LONG x = 0; x < width; ++x)
        for (int shift = 0; shift < 24; shift += 8) {
          int difference = std::abs(static_cast<int>(shown.At(x, y) >> shift & 0xFF) -
                                    static_cast<int>(own.At(x, y) >> shift & 0xFF));
          if (difference > largest) largest = difference;
        }
    return largest;
  }

  StandinDesktop desktop_;
  SettingsRecord saved_ = Settings;
};

TEST_F(ShownPicture, EqualsTheListViewsOwnPaintAfterAShowAClickACtrlClickAndAHover) {
  struct Step {
    const char* what;
    std::function<void()> act;
    std::function<bool()> done;
  };
  const Step steps[] = {
      {"show", [] { ShowMirror(); }, [] { return IsSelected(0) && Painted(); }},
      {"click", [] { testbed::ClickAt(OnItem(1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); },
       [] { return IsSelected(1) && !IsSelected(0) && Painted(); }},
      {"Ctrl+click",
       [] {
         keybd_event(VK_CONTROL, 0, 0, 0);
         testbed::ClickAt(OnItem(6), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
         keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
       },
       [] { return IsSelected(1) && IsSelected(6) && Painted(); }},
      {"hover", [] { testbed::SendMouse(0, OnItem(9)); },
       [this] { return DesktopSawMoveTo(9) && Painted(); }},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.act();
    ASSERT_TRUE(testbed::WaitUntil(step.done, STEP_TIMEOUT_MS));
    EXPECT_LE(DifferenceFromOwnPaint(), ALLOWED_DIFFERENCE);
  }
}

TEST_F(ShownPicture, LabelsLieWhereTheDesktopsDoInItsFont) {
  testbed::RemoteListView desktop(desktop_.ListView(), desktop_.ProcessId());
  for (DWORD record = 0; record < DesktopItemTable.count; ++record) {
    RECT copy = {LVIR_LABEL, 0, 0, 0};
    SendMessageA(MirrorListView, LVM_GETITEMRECT, ItemOf(record), reinterpret_cast<LPARAM>(&copy));
    RECT real = desktop.IconRect(static_cast<int>(record), LVIR_LABEL);
    EXPECT_TRUE(EqualRect(&real, &copy)) << record << ": " << real.bottom << " against " << copy.bottom;
  }
}

// Windows' list view may paint a background while printing, as this one does.
static WNDPROC PrintingProcBefore;
static LRESULT CALLBACK BackgroundWhilePrinting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PRINTCLIENT) SendMessageA(window, WM_ERASEBKGND, wParam, 0);
  return CallWindowProcA(PrintingProcBefore, window, message, wParam, lParam);
}

TEST_F(ShownPicture, EqualsTheListViewsOwnPaintWhenItPrintsABackground) {
  PrintingProcBefore = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(MirrorListView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BackgroundWhilePrinting)));
  EXPECT_FALSE(DrawIconLayer());
  EXPECT_TRUE(IconLayer.refused);
  // The screen under the items changes after the build: the show must picture it as it is now.
  HWND cover =
      CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "Static", "", WS_POPUP | WS_VISIBLE | SS_BLACKRECT,
                      DesktopRect.left, DesktopRect.top, FIRST_X + COLUMNS * STEP_X, FIRST_Y + 3 * STEP_Y,
                      nullptr, nullptr, nullptr, nullptr);
  UpdateWindow(cover);
  ShowMirror();
  ASSERT_TRUE(testbed::WaitUntil([] { return IsSelected(0) && Painted(); }, STEP_TIMEOUT_MS));
  EXPECT_LE(DifferenceFromOwnPaint(), ALLOWED_DIFFERENCE);
  DestroyWindow(cover);
}

TEST_F(ShownPicture, AnItemWhosePictureChangedIsNoticedBeforeTheShow) {
  testbed::RemoteListView desktop(desktop_.ListView(), desktop_.ProcessId());
  LPARAM ignored = 0;
  int other = -1;
  desktop.Text(1, &ignored, &other);
  ASSERT_FALSE(DesktopChangedSinceBuild());
  ASSERT_TRUE(desktop.SetImage(0, other));
  EXPECT_TRUE(testbed::WaitUntil(DesktopChangedSinceBuild, STEP_TIMEOUT_MS));  // at its next reading
}
