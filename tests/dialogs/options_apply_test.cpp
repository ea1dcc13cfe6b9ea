// What the options dialog does with the record, the hook library and the mirror when it closes.
#include "mirror/mirror.h"
#include "res/resource.h"
#include "settings/dialogs.h"
#include "settings/settings.h"
#include "testbed/urlrec/url_recorder.h"
#include "tests/dialogs/dialog_fixture.h"

// Every option away from what "restore defaults" puts in.
static void StoreTheOppositeOfTheDialogDefaults() {
  Settings.TopMost = 0;
  Settings.DeskTopMiniSize = 1;
  Settings.MoveWindow = 1;
  Settings.UseSKey = 0;
  Settings.SKeyCode = 'Q';
  Settings.SKeyCodeData = 0x00100001;
  Settings.UseSKeyS = 1;
  Settings.SKeyCodeS = 'W';
  Settings.SKeyCodeDataS = 0x00110001;
  Settings.MouseRdblclk = 1;
  Settings.KillFocus = 0;
  Settings.NoMatchHit = 0;
  Settings.Escape = 0;
}

static DWORD StoredValue(const char* name) {
  DWORD value = 0xFFFFFFFF;
  DWORD size = sizeof value;
  RegGetValueA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

using RestoreDefaults = DialogTest;

TEST_F(RestoreDefaults, ThenOkStoresAndAppliesTheDialogDefaults) {
  StoreTheOppositeOfTheDialogDefaults();
  WithOptionsDialog([&](HWND dialog) {
    EXPECT_TRUE(IsChecked(dialog, IDC_MIN_AREA)) << "the hidden checkbox carries its value";
    ClickButton(dialog, IDC_DEFAULTS);
    EXPECT_TRUE(WaitForText(dialog, IDC_DOUBLE_KEY, "Ctrl(CTRL)"));
    EXPECT_TRUE(IsEnabled(dialog, IDC_DOUBLE_KEY));
    EXPECT_FALSE(IsEnabled(dialog, IDC_SINGLE_KEY));
    EXPECT_EQ(ControlText(dialog, IDC_SINGLE_KEY), "vf･5");
    ClickButton(dialog, IDOK);
  });
  EXPECT_EQ(Settings.TopMost, 1);
  EXPECT_EQ(Settings.DeskTopMiniSize, 0);
  EXPECT_EQ(Settings.MoveWindow, 0);
  EXPECT_EQ(Settings.UseSKey, 1);
  EXPECT_EQ(Settings.SKeyCode, 0x11u);
  EXPECT_EQ(Settings.SKeyCodeData, 0u);
  EXPECT_EQ(Settings.UseSKeyS, 0);
  EXPECT_EQ(Settings.SKeyCodeS, 0x7Eu);
  EXPECT_EQ(Settings.SKeyCodeDataS, 0u);
  EXPECT_EQ(Settings.MouseRdblclk, 0);
  EXPECT_EQ(Settings.KillFocus, 1);
  EXPECT_EQ(Settings.NoMatchHit, 1);
  EXPECT_EQ(Settings.Escape, 1);

  ASSERT_EQ(ShortcutKeyCalls().size(), 1u);
  EXPECT_EQ(ShortcutKeyCalls()[0].doublePressKey, 0x11u);
  EXPECT_EQ(ShortcutKeyCalls()[0].singlePressKey, 0u);
  ASSERT_EQ(ShortcutMouseCalls().size(), 1u);
  EXPECT_EQ(ShortcutMouseCalls()[0], 0u);

  EXPECT_EQ(StoredValue("SKeyCode"), 0x11u) << "saved at once";
  EXPECT_EQ(StoredValue("MoveWindow"), 0u);
  EXPECT_EQ(StoredValue("ox"), static_cast<DWORD>(Settings.ox));
}

TEST_F(RestoreDefaults, ThenCancelChangesNothingButThePlace) {
  StoreTheOppositeOfTheDialogDefaults();
  SettingsRecord before = Settings;
  WithOptionsDialog([&](HWND dialog) {
    ClickButton(dialog, IDC_DEFAULTS);
    EXPECT_TRUE(WaitForText(dialog, IDC_DOUBLE_KEY, "Ctrl(CTRL)"));
    ClickButton(dialog, IDCANCEL);
  });
  before.ox = Settings.ox;
  before.oy = Settings.oy;
  EXPECT_EQ(memcmp(&before, &Settings, sizeof Settings), 0);
  EXPECT_NE(Settings.ox, NO_DIALOG_POSITION);
  EXPECT_TRUE(ShortcutKeyCalls().empty());
  EXPECT_TRUE(ShortcutMouseCalls().empty());
  EXPECT_EQ(StoredValue("TopMost"), 0xFFFFFFFFu) << "nothing was written";
}

using DialogPlace = DialogTest;

TEST_F(DialogPlace, AMovedAndCancelledDialogReopensWhereItWasLeftAlsoAfterARestart) {
  const POINT moved = {37, 52};
  WithOptionsDialog([&](HWND dialog) {
    SetWindowPos(dialog, nullptr, moved.x, moved.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ClickButton(dialog, IDCANCEL);
  });
  EXPECT_EQ(Settings.ox, moved.x);
  EXPECT_EQ(Settings.oy, moved.y);

  RECT place = {};
  WithOptionsDialog([&](HWND dialog) { GetWindowRect(dialog, &place); });
  EXPECT_EQ(place.left, moved.x);
  EXPECT_EQ(place.top, moved.y);

  Restart();
  place = RECT{};
  WithOptionsDialog([&](HWND dialog) { GetWindowRect(dialog, &place); });
  EXPECT_EQ(place.left, moved.x);
  EXPECT_EQ(place.top, moved.y);
}

TEST_F(DialogPlace, APlaceOnAMonitorThatHasGoneIsBroughtBackIntoTheWorkArea) {
  Settings.ox = 5000;
  Settings.oy = 4000;
  RECT place = {};
  WithOptionsDialog([&](HWND dialog) { GetWindowRect(dialog, &place); });
  RECT work = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(work.right, place.right);
  EXPECT_EQ(work.bottom, place.bottom);
}

using ApplyingToTheMirror = DialogTest;

TEST_F(ApplyingToTheMirror, TurningMovingOffWhileShownPutsTheMirrorAway) {
  SetWindowPos(MirrorWindow, nullptr, DesktopRect.left, DesktopRect.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  IsMirrorVisible = 1;
  WithOptionsDialog([&](HWND dialog) {
    ClickButton(dialog, IDC_MOVE_TO_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(dialog, IDC_MOVE_TO_HIDE); }));
    ClickButton(dialog, IDOK);
  });
  EXPECT_EQ(0, IsMirrorVisible);
  EXPECT_FALSE(IsWindowVisible(MirrorWindow));
}

TEST_F(ApplyingToTheMirror, TurningMovingOffPutsAParkedMirrorBackOverTheDesktopHidden) {
  SetWindowPos(MirrorWindow, nullptr, MIRROR_PARK_X, MIRROR_PARK_Y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  WithOptionsDialog([&](HWND dialog) {
    ClickButton(dialog, IDC_MOVE_TO_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(dialog, IDC_MOVE_TO_HIDE); }));
    ClickButton(dialog, IDOK);
  });
  RECT place = {};
  GetWindowRect(MirrorWindow, &place);
  EXPECT_EQ(place.left, DesktopRect.left);
  EXPECT_EQ(place.top, DesktopRect.top);
  EXPECT_EQ(place.right - place.left, DesktopRect.width);
  EXPECT_FALSE(IsWindowVisible(MirrorWindow));
}

TEST_F(ApplyingToTheMirror, TurningMovingOnLeavesTheMirrorAlone) {
  Settings.MoveWindow = 0;
  SetWindowPos(MirrorWindow, nullptr, 100, 120, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  WithOptionsDialog([&](HWND dialog) {
    ClickButton(dialog, IDC_MOVE_TO_HIDE);
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(dialog, IDC_MOVE_TO_HIDE); }));
    ClickButton(dialog, IDOK);
  });
  RECT place = {};
  GetWindowRect(MirrorWindow, &place);
  EXPECT_EQ(place.left, 100);
  EXPECT_EQ(place.top, 120);
  EXPECT_TRUE(IsWindowVisible(MirrorWindow));
  EXPECT_EQ(Settings.MoveWindow, 1);
}

static bool IsTopmost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST_F(ApplyingToTheMirror, TopMostOffTakesTheHiddenMirrorOutOfTheTopmostBandAndOnPutsItBack) {
  ASSERT_TRUE(IsTopmost(MirrorWindow));
  WithOptionsDialog([&](HWND dialog) {
    ClickButton(dialog, IDC_TOPMOST);
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(dialog, IDC_TOPMOST); }));
    ClickButton(dialog, IDOK);
  });
  EXPECT_FALSE(IsTopmost(MirrorWindow));
  EXPECT_FALSE(IsWindowVisible(MirrorWindow));

  WithOptionsDialog([&](HWND dialog) {
    ClickButton(dialog, IDC_TOPMOST);
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(dialog, IDC_TOPMOST); }));
    ClickButton(dialog, IDOK);
  });
  EXPECT_TRUE(IsTopmost(MirrorWindow));
  EXPECT_FALSE(IsWindowVisible(MirrorWindow));
}

using OptionsDialogCommands = DialogTest;

TEST_F(OptionsDialogCommands, ASecondOptionsRequestOnlyRaisesTheOpenDialog) {
  RaiseRecorder raises;
  ASSERT_TRUE(raises.Installed());
  WithOptionsDialog([&](HWND dialog) {
    int shown = raises.RaisesOf(dialog);
    PostMessageA(owner_, WM_COMMAND, IDM_OPTIONS, 0);
    EXPECT_TRUE(WaitUntil([&] { return raises.RaisesOf(dialog) > shown; }));
    EXPECT_EQ(CountDialogs(OPTIONS_TITLE), 1);
  });
  EXPECT_EQ(OptionsDialog, nullptr);
  EXPECT_EQ(CountDialogs(OPTIONS_TITLE), 0);
}

TEST_F(OptionsDialogCommands, NotificationsWithTheButtonIdsDoNothing) {
  WithOptionsDialog([&](HWND dialog) {
    for (WORD id : {IDOK, IDCANCEL, IDC_DEFAULTS}) {
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_DOUBLECLICKED), 0);
    }
    EXPECT_FALSE(WaitUntil([&] { return !IsWindow(dialog); }, 500)) << "still open";
    EXPECT_EQ(ControlText(dialog, IDC_DOUBLE_KEY), "無変換(NFER)") << "no defaults restored";
  });
  EXPECT_TRUE(ShortcutKeyCalls().empty());
}

TEST_F(OptionsDialogCommands, HelpOpensTheLocalHelpPageShownNormallyAndTheDialogStays) {
  UrlRecorder recorder;
  ASSERT_TRUE(recorder.Installed());
  char program[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, program, sizeof program);
  std::string expected(program);
  expected = expected.substr(0, expected.find_last_of('\\') + 1) + "html\\option.html";
  std::vector<OpenedTarget> opened;
  WithOptionsDialog([&](HWND dialog) {
    ClickButton(dialog, IDC_OPTIONS_HELP);
    opened = recorder.WaitForOpened(1);
    EXPECT_TRUE(IsWindow(dialog));
  });
  ASSERT_EQ(opened.size(), 1u) << "is " << expected << " there?";
  EXPECT_EQ(opened[0].target, expected);
  EXPECT_EQ(opened[0].showCommand, SW_SHOWNORMAL);
  EXPECT_TRUE(ShortcutKeyCalls().empty()) << "nothing applied";
}
