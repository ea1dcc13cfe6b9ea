// Input on the mirror goes on to the desktop, and the chosen triggers ask for the mirror to hide.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "app/app.h"
#include "mirror/mirror.h"
#include "settings/settings.h"
#include "tests/input/input_fixture.h"

const std::string FOCUS_LOST_LINE = "==ﾌｫｰｶｽを失った==\r\n";
const std::string ESCAPE_LINE = "==ESC押下==\r\n";
const std::string MISSED_ICON_LINE = "==ｱｲｺﾝ以外の場所をｸﾘｯｸ==\r\n";
const std::string DOUBLE_CLICK_LINE = "==応急処置==\r\n";

static std::string Describe(const std::vector<MessageRecord>& records) {
  std::string text;
  char line[96];
  for (const MessageRecord& r : records) {
    snprintf(line, sizeof line, "  %04x %s w=%llx l=%llx\n", r.message, r.posted ? "posted" : "sent",
             static_cast<unsigned long long>(r.wParam), static_cast<unsigned long long>(r.lParam));
    text += line;
  }
  return text;
}

// ---- Clicks ------------------------------------------------------------------------------------

TEST_F(MirrorInputTest, ClickOnIconReachesDesktopAsTwoButtonDownsAndSelectsTheCopy) {
  Click(OnIcon(1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  WaitForDesktop(WM_LBUTTONUP, 1);

  auto buttons = DesktopMessages(WM_LBUTTONDOWN, WM_MBUTTONDBLCLK);
  ASSERT_EQ(3u, buttons.size()) << Describe(buttons);
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), buttons[0].message);
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONDOWN), buttons[1].message);
  EXPECT_EQ(static_cast<UINT>(WM_LBUTTONUP), buttons[2].message);
  for (const MessageRecord& r : buttons) {
    EXPECT_EQ(1u, r.posted);
    EXPECT_EQ(PointLParam(OnIcon(1)), r.lParam);
  }
  EXPECT_EQ(static_cast<uint64_t>(MK_LBUTTON), buttons[1].wParam);
  EXPECT_TRUE(IsSelected(1));
  EXPECT_FALSE(IsSelected(0));
  EXPECT_TRUE(HideRequests().empty());
}

TEST_F(MirrorInputTest, SecondButtonDownCarriesTheKeysHeldNow) {
  // A right click that arrives without the Shift flag while Shift is held, as the replayed clicks do.
  Key(VK_SHIFT, false);
  Settle();
  PostMessageA(MirrorListView, WM_RBUTTONDOWN, MK_RBUTTON, PointLParam(OnIcon(0)));
  PostMessageA(MirrorListView, WM_RBUTTONUP, 0, PointLParam(OnIcon(0)));
  WaitForDesktop(WM_RBUTTONDOWN, 2);
  Key(VK_SHIFT, true);

  auto downs = DesktopMessages(WM_RBUTTONDOWN);
  ASSERT_EQ(2u, downs.size()) << Describe(downs);
  EXPECT_EQ(static_cast<uint64_t>(MK_RBUTTON), downs[0].wParam);
  EXPECT_EQ(static_cast<uint64_t>(MK_RBUTTON | MK_SHIFT), downs[1].wParam);
}

// A Ctrl click toggles its item: a second button-down would toggle it back.
TEST_F(MirrorInputTest, ControlClickReachesDesktopOnceAsItCame) {
  Key(VK_CONTROL, false);
  Settle();
  PostMessageA(MirrorListView, WM_MBUTTONDOWN, MK_MBUTTON | MK_LBUTTON, PointLParam(OnIcon(2)));
  Click(OnIcon(1), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  WaitForDesktop(WM_LBUTTONUP, 1);
  Key(VK_CONTROL, true);

  auto middle = DesktopMessages(WM_MBUTTONDOWN);
  auto left = DesktopMessages(WM_LBUTTONDOWN);
  ASSERT_EQ(1u, middle.size()) << Describe(middle);
  ASSERT_EQ(1u, left.size()) << Describe(left);
  EXPECT_EQ(static_cast<uint64_t>(MK_MBUTTON | MK_LBUTTON), middle[0].wParam);
  EXPECT_EQ(static_cast<uint64_t>(MK_LBUTTON | MK_CONTROL), left[0].wParam);
}

TEST_F(MirrorInputTest, MissedClickHidesOnceAndNeverReachesDesktopWhenSwitchedOn) {
  SelectOnly(0);
  Click(EMPTY_SPOT, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  WaitForDesktop(WM_LBUTTONUP, 1);

  EXPECT_TRUE(DesktopMessages(WM_LBUTTONDOWN).empty()) << Describe(DesktopMessages(WM_LBUTTONDOWN));
  auto hides = HideRequests();
  ASSERT_EQ(1u, hides.size());
  EXPECT_FALSE(hides[0].sent);
  EXPECT_EQ(std::vector<std::string>{MISSED_ICON_LINE}, TraceLines());
  EXPECT_FALSE(IsSelected(0)) << "the copy's own list view saw the click";
}

TEST_F(MirrorInputTest, MissedClickGoesToDesktopTwiceAndHidesNothingWhenSwitchedOff) {
  Settings.NoMatchHit = 0;
  Click(EMPTY_SPOT, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
  WaitForDesktop(WM_LBUTTONUP, 1);

  EXPECT_EQ(2u, DesktopMessages(WM_LBUTTONDOWN).size());
  EXPECT_TRUE(HideRequests().empty());
  EXPECT_TRUE(TraceLines().empty());
}

TEST_F(MirrorInputTest, DoubleClickOnIconHidesFirstThenReachesDesktop) {
  Settings.NoMatchHit = 0;
  Settings.KillFocus = 0;
  Settings.Escape = 0;
  DoubleClick(OnIcon(2));
  WaitForDesktop(WM_LBUTTONDBLCLK, 1);

  auto hides = HideRequests();
  ASSERT_EQ(1u, hides.size());
  EXPECT_TRUE(hides[0].sent);
  auto doubles = DesktopMessages(WM_LBUTTONDBLCLK);
  ASSERT_EQ(1u, doubles.size());
  EXPECT_EQ(1u, doubles[0].posted);
  EXPECT_EQ(PointLParam(OnIcon(2)), doubles[0].lParam);
  // Everything the desktop had at the hide came before the double click.
  EXPECT_EQ(0u, DesktopMessages(WM_LBUTTONDBLCLK).empty() ? 1u : 0u);
  size_t index = 0;
  {
    auto all = DesktopMessages(0, 0xFFFF);
    while (index < all.size() && all[index].message != WM_LBUTTONDBLCLK) ++index;
  }
  EXPECT_LE(hides[0].desktopMessagesBefore, index);
  EXPECT_EQ(std::vector<std::string>{DOUBLE_CLICK_LINE}, TraceLines());
}

// ---- Keys --------------------------------------------------------------------------------------

TEST_F(MirrorInputTest, EscapeGoesToDesktopAndHidesOnDownAndUpWhenSwitchedOn) {
  PressKey(VK_ESCAPE);
  WaitForDesktop(WM_KEYUP, 1);

  auto keys = DesktopMessages(WM_KEYDOWN, WM_KEYUP);
  ASSERT_EQ(2u, keys.size()) << Describe(keys);
  EXPECT_EQ(static_cast<uint64_t>(VK_ESCAPE), keys[0].wParam);
  EXPECT_EQ(1u, keys[0].posted);
  EXPECT_EQ(2u, HideRequests().size());
  EXPECT_EQ((std::vector<std::string>{ESCAPE_LINE, ESCAPE_LINE}), TraceLines());
}

TEST_F(MirrorInputTest, EscapeGoesToDesktopAndHidesNothingWhenSwitchedOff) {
  Settings.Escape = 0;
  PressKey(VK_ESCAPE);
  WaitForDesktop(WM_KEYUP, 1);

  EXPECT_EQ(2u, DesktopMessages(WM_KEYDOWN, WM_KEYUP).size());
  EXPECT_TRUE(HideRequests().empty());
}

TEST_F(MirrorInputTest, OtherKeysGoToDesktopWithoutHiding) {
  PressKey('A');
  WaitForDesktop(WM_KEYUP, 1);
  auto keys = DesktopMessages(WM_KEYDOWN, WM_KEYUP);
  ASSERT_EQ(2u, keys.size()) << Describe(keys);
  EXPECT_EQ(static_cast<uint64_t>('A'), keys[0].wParam);
  EXPECT_TRUE(DesktopMessages(WM_CHAR).empty());
  EXPECT_TRUE(HideRequests().empty());
}

// ---- Focus -------------------------------------------------------------------------------------

TEST_F(MirrorInputTest, FocusLossWhileShownHidesWhenSwitchedOn) {
  SetFocus(otherWindow_);
  Settle();
  ASSERT_EQ(1u, HideRequests().size());
  EXPECT_FALSE(HideRequests()[0].sent);
  EXPECT_EQ(nullptr, PreviousForegroundWindow);
  EXPECT_EQ(std::vector<std::string>{FOCUS_LOST_LINE}, TraceLines());
}

TEST_F(MirrorInputTest, FocusLossWhileShownOnlyForgetsTheForegroundWhenSwitchedOff) {
  Settings.KillFocus = 0;
  SetFocus(otherWindow_);
  Settle();
  EXPECT_TRUE(HideRequests().empty());
  EXPECT_EQ(nullptr, PreviousForegroundWindow);
}

TEST_F(MirrorInputTest, FocusLossWhileHiddenChangesNothing) {
  IsMirrorVisible = 0;
  SetFocus(otherWindow_);
  Settle();
  EXPECT_TRUE(HideRequests().empty());
  EXPECT_EQ(otherWindow_, PreviousForegroundWindow);
  EXPECT_TRUE(TraceLines().empty());
}

// ---- Queries sent on ---------------------------------------------------------------------------

TEST_F(MirrorInputTest, CursorAndActivationQueriesAreSentOnWithTheShellsHandles) {
  SendMessageA(MirrorListView, WM_SETCURSOR, reinterpret_cast<WPARAM>(MirrorListView),
               MAKELPARAM(HTCLIENT, 0x200));
  SendMessageA(MirrorListView, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(mirrorWindow_),
               MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
  SendMessageA(MirrorListView, WM_NCHITTEST, 0, MAKELPARAM(100, 100));

  auto cursor = DesktopMessages(WM_SETCURSOR);
  ASSERT_EQ(1u, cursor.size());
  EXPECT_EQ(0u, cursor[0].posted);
  EXPECT_EQ(reinterpret_cast<uint64_t>(DesktopListView), cursor[0].wParam);
  EXPECT_EQ(MAKELPARAM(HTCLIENT, 0x200), cursor[0].lParam);
  auto activate = DesktopMessages(WM_MOUSEACTIVATE);
  ASSERT_EQ(1u, activate.size());
  EXPECT_EQ(reinterpret_cast<uint64_t>(ProgmanWindow), activate[0].wParam);
  EXPECT_EQ(MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN), activate[0].lParam);
  auto hit = DesktopMessages(WM_NCHITTEST);
  ASSERT_EQ(1u, hit.size());
  EXPECT_EQ(MAKELPARAM(100, 100), hit[0].lParam);
}

// The desktop's thread stops taking messages until the hang ends (after 5 s in any case, so that a
// mirror that waits for the desktop makes this test fail instead of hanging it).
constexpr DWORD HANG_ENTER_MS = 5000;

struct DesktopHang {
  HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  DesktopHang() {
    HangDesktop(entered, release);
    WaitForSingleObject(entered, HANG_ENTER_MS);
  }
  ~DesktopHang() {
    SetEvent(release);
    while (DesktopSuspended) Sleep(1);
    CloseHandle(entered);
    CloseHandle(release);
  }
};

struct MainWindowProbe {
  DWORD answeredWithin = INFINITE;
  static DWORD WINAPI Ask(void* self) {
    DWORD begin = GetTickCount();
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(MainWindow, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) {
      static_cast<MainWindowProbe*>(self)->answeredWithin = GetTickCount() - begin;
    }
    return 0;
  }
};

TEST_F(MirrorInputTest, HungDesktopLeavesVelmoResponsive) {
  DWORD start = GetTickCount();
  MainWindowProbe probe;
  {
    DesktopHang hang;
    for (int step = 0; step < 10; ++step) {
      MoveTo({200 + step * 20, 200});
      Pump(20);
    }
    Click(OnIcon(0), MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    PressKey(VK_ESCAPE);
    HANDLE asker = CreateThread(nullptr, 0, MainWindowProbe::Ask, &probe, 0, nullptr);
    while (HideRequests().empty() && DesktopSuspended) Pump(20);
    while (WaitForSingleObject(asker, 0) == WAIT_TIMEOUT) Pump(20);
    CloseHandle(asker);
  }
  printf("input with a hung desktop handled in %lu ms\n", GetTickCount() - start);

  auto hides = HideRequests();
  ASSERT_FALSE(hides.empty()) << "Esc was not handled";
  EXPECT_TRUE(hides[0].desktopHung) << "Esc was handled only after the desktop answered again";
  EXPECT_LT(probe.answeredWithin, 1000u) << "MainWindow did not answer within SendMessageTimeout's 1 s";
}

// ---- Background --------------------------------------------------------------------------------

class SnapshotBackgroundTest : public MirrorInputTest {
 protected:
  void SetUp() override {
    MirrorInputTest::SetUp();
    HDC screen = GetDC(nullptr);
    snapshotDc_ = CreateCompatibleDC(screen);
    snapshotBitmap_ = CreateCompatibleBitmap(screen, MIRROR_WIDTH, MIRROR_HEIGHT);
    ReleaseDC(nullptr, screen);
    previous_ = SelectObject(snapshotDc_, snapshotBitmap_);
    HBRUSH brush = CreateSolidBrush(SNAPSHOT_COLOUR);
    RECT all = {0, 0, MIRROR_WIDTH, MIRROR_HEIGHT};
    FillRect(snapshotDc_, &all, brush);
    DeleteObject(brush);
  }
  void TearDown() override {
    DesktopSnapshot = {};
    SelectObject(snapshotDc_, previous_);
    DeleteObject(snapshotBitmap_);
    DeleteDC(snapshotDc_);
    MirrorInputTest::TearDown();
  }
  HDC snapshotDc_ = nullptr;
  HBITMAP snapshotBitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

TEST_F(SnapshotBackgroundTest, EraseCopiesTheSnapshotAndAnswersZero) {
  DesktopSnapshot.dc = snapshotDc_;
  HDC target = CreateCompatibleDC(snapshotDc_);
  HBITMAP bitmap = CreateCompatibleBitmap(snapshotDc_, MIRROR_WIDTH, MIRROR_HEIGHT);
  HGDIOBJ old = SelectObject(target, bitmap);
  PatBlt(target, 0, 0, MIRROR_WIDTH, MIRROR_HEIGHT, WHITENESS);

  EXPECT_EQ(0, SendMessageA(MirrorListView, WM_ERASEBKGND, reinterpret_cast<WPARAM>(target), 0));
  EXPECT_EQ(SNAPSHOT_COLOUR, GetPixel(target, 0, 0));
  EXPECT_EQ(SNAPSHOT_COLOUR, GetPixel(target, MIRROR_WIDTH - 1, MIRROR_HEIGHT - 1));

  SelectObject(target, old);
  DeleteObject(bitmap);
  DeleteDC(target);
}

TEST_F(SnapshotBackgroundTest, EraseWithoutSnapshotOrDcPaintsNothingAndAnswersZero) {
  HDC target = CreateCompatibleDC(snapshotDc_);
  HBITMAP bitmap = CreateCompatibleBitmap(snapshotDc_, 16, 16);
  HGDIOBJ old = SelectObject(target, bitmap);
  PatBlt(target, 0, 0, 16, 16, WHITENESS);

  EXPECT_EQ(0, SendMessageA(MirrorListView, WM_ERASEBKGND, reinterpret_cast<WPARAM>(target), 0));
  EXPECT_EQ(RGB(255, 255, 255), GetPixel(target, 0, 0));
  DesktopSnapshot.dc = snapshotDc_;
  EXPECT_EQ(0, SendMessageA(MirrorListView, WM_ERASEBKGND, 0, 0));

  SelectObject(target, old);
  DeleteObject(bitmap);
  DeleteDC(target);
}

TEST_F(SnapshotBackgroundTest, ShownMirrorShowsTheSnapshotBehindTheIcons) {
  DesktopSnapshot.dc = snapshotDc_;
  InvalidateRect(MirrorListView, nullptr, TRUE);
  UpdateWindow(MirrorListView);
  Settle();
  HDC screen = GetDC(nullptr);
  COLORREF pixel = GetPixel(screen, MIRROR_LEFT + EMPTY_SPOT.x, MIRROR_TOP + EMPTY_SPOT.y);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(SNAPSHOT_COLOUR, pixel);
}

// ---- The copy's layout and life ----------------------------------------------------------------

TEST_F(MirrorInputTest, IconsStayWhereTheDesktopHasThemAfterPainting) {
  InvalidateRect(MirrorListView, nullptr, TRUE);
  UpdateWindow(MirrorListView);
  Settle();
  for (int i = 0; i < 3; ++i) {
    POINT at = {};
    SendMessageA(MirrorListView, LVM_GETITEMPOSITION, ListIndex(i), reinterpret_cast<LPARAM>(&at));
    EXPECT_EQ(ICON_POSITIONS[i].x, at.x) << i;
    EXPECT_EQ(ICON_POSITIONS[i].y, at.y) << i;
  }
}

TEST_F(MirrorInputTest, DestroyingTheListViewReleasesTheSnapshotAndForgetsTheWindow) {
  DestroyWindow(mirrorWindow_);
  mirrorWindow_ = nullptr;
  EXPECT_EQ(1, FreedSnapshots);
  EXPECT_EQ(nullptr, MirrorListView);
}
