// Showing and hiding the mirror in both modes: where it goes, its Z order and the foreground, the
// requests that change nothing, the re-selection clicks and a fresh picture at every show.
#include <windows.h>
#include <commctrl.h>

#include "tests/core/velmo_fixture.h"

class ShowHide : public VelmoTest {
 protected:
  void SetUp() override {
    VelmoTest::SetUp();
    AlphaBlendProc = reinterpret_cast<AlphaBlendFunction>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("MSIMG32.DLL"), "AlphaBlend")));
    ServeSampleItems();
  }
  void Build(LONG moveWindow, LONG topMost) {
    Settings.MoveWindow = moveWindow;
    Settings.TopMost = topMost;
    desktop_ = new FakeDesktop(RECT{10, 20, 810, 620});
    ASSERT_EQ(1, CreateMirror(nullptr));
    PumpMessages(30);
    desktop_->received.clear();
  }
  void TearDown() override {
    VelmoTest::TearDown();
    delete desktop_;
  }
  POINT MirrorPlace() const {
    RECT rect = {};
    GetWindowRect(MirrorWindow, &rect);
    return POINT{rect.left, rect.top};
  }
  bool IsTopmost() const { return (GetWindowLongPtrA(MirrorWindow, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
  // The posted left-button messages that reached the desktop list view.
  std::vector<MessageRecord> DesktopClicks() const {
    std::vector<MessageRecord> clicks;
    for (const MessageRecord& record : desktop_->received) {
      if (record.posted && (record.message == WM_LBUTTONDOWN || record.message == WM_LBUTTONUP)) {
        clicks.push_back(record);
      }
    }
    return clicks;
  }
  // Posted messages of one kind that reached the desktop list view.
  int Count(UINT message) const {
    int n = 0;
    for (const MessageRecord& record : desktop_->received) n += record.posted && record.message == message;
    return n;
  }
  FakeDesktop* desktop_ = nullptr;
};

TEST_F(ShowHide, MoveModeParksTheHiddenMirrorOffScreenAtTheBottom) {
  Build(1, 1);
  POINT place = MirrorPlace();
  EXPECT_EQ(MIRROR_PARK_X, place.x);
  EXPECT_EQ(MIRROR_PARK_Y, place.y);
  EXPECT_TRUE(IsWindowVisible(MirrorWindow));
  EXPECT_EQ(nullptr, GetWindow(MirrorWindow, GW_HWNDNEXT)) << "last in the Z order";
}

TEST_F(ShowHide, MoveModeShowsTheMirrorOverTheDesktopTopmostAndInFront) {
  Build(1, 1);
  HWND before = GetForegroundWindow();
  EXPECT_EQ(1, ShowMirror());
  PumpMessages(50);

  POINT place = MirrorPlace();
  EXPECT_EQ(10, place.x);
  EXPECT_EQ(20, place.y);
  EXPECT_TRUE(IsTopmost());
  EXPECT_EQ(MirrorWindow, GetForegroundWindow());
  EXPECT_EQ(before, PreviousForegroundWindow);
  EXPECT_EQ(1, IsMirrorVisible);

  EXPECT_EQ(1, HideMirror());
  place = MirrorPlace();
  EXPECT_EQ(MIRROR_PARK_X, place.x);
  EXPECT_EQ(MIRROR_PARK_Y, place.y);
  EXPECT_EQ(0, IsMirrorVisible);
}

TEST_F(ShowHide, MoveModeWithoutTopMostIsNotTopmost) {
  Build(1, 0);
  ShowMirror();
  EXPECT_FALSE(IsTopmost());
  EXPECT_EQ(10, MirrorPlace().x);
}

TEST_F(ShowHide, HideGivesTheForegroundBackToTheWindowThatHadIt) {
  HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 100, 100, 100, 100, nullptr,
                               nullptr, nullptr, nullptr);
  Build(1, 1);
  SetForegroundWindow(other);
  ShowMirror();
  EXPECT_EQ(other, PreviousForegroundWindow);
  HideMirror();
  EXPECT_EQ(other, GetForegroundWindow());
  DestroyWindow(other);
}

TEST_F(ShowHide, ShowHideModeShowsAndHidesInPlaceWithoutTouchingTheZOrder) {
  Build(0, 1);
  EXPECT_FALSE(IsWindowVisible(MirrorWindow));
  EXPECT_EQ(1, ShowMirror());
  EXPECT_TRUE(IsWindowVisible(MirrorWindow));
  EXPECT_EQ(10, MirrorPlace().x);
  EXPECT_EQ(20, MirrorPlace().y);
  EXPECT_FALSE(IsTopmost());
  EXPECT_EQ(1, HideMirror());
  EXPECT_FALSE(IsWindowVisible(MirrorWindow));
  EXPECT_EQ(10, MirrorPlace().x);
}

TEST_F(ShowHide, ShowingAShownMirrorChangesNothing) {
  Build(1, 1);
  ShowMirror();
  PumpMessages(30);
  desktop_->received.clear();
  HWND remembered = PreviousForegroundWindow;
  PreviousForegroundWindow = reinterpret_cast<HWND>(0x1234);

  EXPECT_EQ(1, ShowMirror());
  PumpMessages(30);
  EXPECT_TRUE(DesktopClicks().empty());
  EXPECT_EQ(reinterpret_cast<HWND>(0x1234), PreviousForegroundWindow);
  PreviousForegroundWindow = remembered;
}

TEST_F(ShowHide, HidingAHiddenMirrorChangesNothing) {
  Build(1, 1);
  LastSelectedItem = 2;
  SetWindowPos(MirrorWindow, nullptr, 5, 5, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  EXPECT_EQ(1, HideMirror());
  PumpMessages(30);
  EXPECT_EQ(0, Count(WM_KILLFOCUS));
  EXPECT_EQ(5, MirrorPlace().x);
  EXPECT_EQ(2, LastSelectedItem);
  EXPECT_TRUE(CallsStartingWith("SetIsViewVelmo 0").size() == 1) << "only the build's";
}

TEST_F(ShowHide, WithoutAMirrorBothRequestsFail) {
  EXPECT_EQ(0, ShowMirror());
  EXPECT_EQ(0, HideMirror());
  EXPECT_EQ(0, IsMirrorVisible);
}

TEST_F(ShowHide, FirstShowClicksTheFirstItemTenPixelsIn) {
  Build(1, 1);
  ShowMirror();
  PumpMessages(50);
  std::vector<MessageRecord> clicks = DesktopClicks();
  ASSERT_GE(clicks.size(), 2u);
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), clicks[0].message);
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONUP), clicks[1].message);
  EXPECT_EQ(static_cast<uint64_t>(MK_LBUTTON), clicks[1].wParam);
  EXPECT_EQ(MAKELPARAM(30, 20), clicks[0].lParam);
  EXPECT_EQ(MAKELPARAM(30, 20), clicks[1].lParam);
}

TEST_F(ShowHide, RememberedItemBeyondTheTableClicksTheFirstItem) {
  Build(1, 1);
  LastSelectedItem = 7;
  ShowMirror();
  PumpMessages(50);
  std::vector<MessageRecord> clicks = DesktopClicks();
  ASSERT_GE(clicks.size(), 2u);
  EXPECT_EQ(MAKELPARAM(30, 20), clicks[0].lParam);
}

TEST_F(ShowHide, HideRemembersTheSelectedItemAndTheNextShowClicksIt) {
  Build(1, 1);
  ShowMirror();
  PumpMessages(30);
  LVITEMA select = {};
  select.stateMask = LVIS_SELECTED;
  SendMessageA(MirrorListView, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&select));
  select.state = LVIS_SELECTED;
  SendMessageA(MirrorListView, LVM_SETITEMSTATE, DesktopItemTable.items[2].listIndex,
               reinterpret_cast<LPARAM>(&select));
  HideMirror();
  EXPECT_EQ(2, LastSelectedItem);
  PumpMessages(30);
  EXPECT_EQ(1, Count(WM_KILLFOCUS));

  desktop_->received.clear();
  ShowMirror();
  PumpMessages(50);
  std::vector<MessageRecord> clicks = DesktopClicks();
  ASSERT_GE(clicks.size(), 2u);
  EXPECT_EQ(MAKELPARAM(130, 20), clicks[0].lParam);
}

TEST_F(ShowHide, HideWithNothingSelectedKeepsTheRememberedItem) {
  Build(0, 1);
  LastSelectedItem = 1;
  ShowMirror();
  PumpMessages(30);
  LVITEMA none = {};
  none.stateMask = LVIS_SELECTED;
  SendMessageA(MirrorListView, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&none));
  HideMirror();
  EXPECT_EQ(1, LastSelectedItem);
}

// A window of one solid colour, as something the user has open in front of the desktop.
static LRESULT CALLBACK SolidWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT rect;
    GetClientRect(window, &rect);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA)));
    FillRect(reinterpret_cast<HDC>(wParam), &rect, brush);
    DeleteObject(brush);
    return 1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

static HWND CreateSolidWindow(COLORREF colour) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = SolidWindowProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "SolidTestWindow";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, "SolidTestWindow", "", WS_POPUP, 200, 200, 200, 150, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
  ShowWindow(window, SW_SHOWNOACTIVATE);
  UpdateWindow(window);
  return window;
}

// Keeps the mirror's old pixels across moves, as a composited desktop does: nothing that the window
// manager does marks the list view for repainting.
static WNDPROC MirrorProcBeforeRetaining;
static LRESULT CALLBACK RetainPixelsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallWindowProcA(MirrorProcBeforeRetaining, window, message, wParam, lParam);
  if (message == WM_WINDOWPOSCHANGED || message == WM_SHOWWINDOW) {
    RedrawWindow(window, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
  }
  return result;
}

static bool IsAboutHalf(BYTE channel) { return channel >= 120 && channel <= 135; }

TEST_F(ShowHide, EveryShowPicturesTheScreenAsItIsNowDarkened) {
  HWND solid = CreateSolidWindow(RGB(255, 0, 0));
  Build(1, 1);
  PumpMessages(100);
  MirrorProcBeforeRetaining = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(MirrorWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RetainPixelsProc)));
  ShowMirror();
  // The solid window lies at (200, 200) on the screen, (190, 180) in the mirror.
  COLORREF first = GetPixel(DesktopSnapshot.dc, 250, 230);
  EXPECT_TRUE(IsAboutHalf(GetRValue(first))) << std::hex << first;
  EXPECT_EQ(0, GetBValue(first));
  RECT update = {};
  EXPECT_TRUE(GetUpdateRect(MirrorListView, &update, FALSE)) << "the new picture is painted";
  HideMirror();

  SetWindowLongPtrA(solid, GWLP_USERDATA, RGB(0, 0, 255));
  InvalidateRect(solid, nullptr, TRUE);
  UpdateWindow(solid);
  PumpMessages(100);
  RedrawWindow(MirrorWindow, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
  ShowMirror();
  COLORREF second = GetPixel(DesktopSnapshot.dc, 250, 230);
  EXPECT_EQ(0, GetRValue(second)) << std::hex << second;
  EXPECT_TRUE(IsAboutHalf(GetBValue(second))) << std::hex << second;
  EXPECT_TRUE(GetUpdateRect(MirrorListView, &update, FALSE));
  DestroyWindow(solid);
}

TEST_F(ShowHide, WithoutAlphaBlendThePictureIsNotDarkened) {
  AlphaBlendProc = nullptr;
  HWND solid = CreateSolidWindow(RGB(0, 255, 0));
  Build(1, 1);
  PumpMessages(100);
  ShowMirror();
  EXPECT_EQ(RGB(0, 255, 0), GetPixel(DesktopSnapshot.dc, 250, 230));
  DestroyWindow(solid);
}
