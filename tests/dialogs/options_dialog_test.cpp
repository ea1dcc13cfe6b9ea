// The options dialog as the user meets it: what it shows when opened, and capturing keys.
#include "res/resource.h"
#include "settings/dialogs.h"
#include "settings/settings.h"
#include "tests/dialogs/dialog_fixture.h"

constexpr int NON_CONVERT_ITEM = 7;
constexpr int CTRL_ITEM = 0;
constexpr int INSERT_ITEM = 3;
constexpr int F15_ITEM = 2;

using OptionsDialogOpening = DialogTest;

TEST_F(OptionsDialogOpening, FirstUseShowsTheStartingKeysSelectedAndTheSingleKeyBoxDisabled) {
  WithOptionsDialog([&](HWND dialog) {
    EXPECT_EQ(SelectedItem(dialog, IDC_DOUBLE_KEY), NON_CONVERT_ITEM);
    EXPECT_EQ(ControlText(dialog, IDC_DOUBLE_KEY), "無変換(NFER)");
    EXPECT_EQ(SelectedItem(dialog, IDC_SINGLE_KEY), F15_ITEM);
    EXPECT_EQ(ControlText(dialog, IDC_SINGLE_KEY), "vf･5");
    EXPECT_TRUE(IsChecked(dialog, IDC_USE_DOUBLE_KEY));
    EXPECT_TRUE(IsEnabled(dialog, IDC_DOUBLE_KEY));
    EXPECT_FALSE(IsChecked(dialog, IDC_USE_SINGLE_KEY));
    EXPECT_FALSE(IsEnabled(dialog, IDC_SINGLE_KEY));
    EXPECT_TRUE(IsChecked(dialog, IDC_TOPMOST));
    EXPECT_TRUE(IsChecked(dialog, IDC_MOVE_TO_HIDE));
    EXPECT_TRUE(IsChecked(dialog, IDC_MOUSE_RDBLCLK));
    EXPECT_TRUE(IsChecked(dialog, IDC_HIDE_ON_KILLFOCUS));
    EXPECT_TRUE(IsChecked(dialog, IDC_HIDE_ON_MISS_CLICK));
    EXPECT_TRUE(IsChecked(dialog, IDC_HIDE_ON_ESCAPE));
  });
}

TEST_F(OptionsDialogOpening, OpensCentredInTheWorkAreaWhileNoPlaceIsStored) {
  for (LONG otherCoordinate : {NO_DIALOG_POSITION, 40L}) {
    Settings.ox = NO_DIALOG_POSITION;
    Settings.oy = otherCoordinate;
    RECT place = {};
    WithOptionsDialog([&](HWND dialog) { GetWindowRect(dialog, &place); });
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((place.left + place.right) / 2, (work.left + work.right) / 2, 1) << "oy " << otherCoordinate;
    EXPECT_NEAR((place.top + place.bottom) / 2, (work.top + work.bottom) / 2, 1) << "oy " << otherCoordinate;
  }
}

TEST_F(OptionsDialogOpening, ShowsTheUseFlagsAsStoredAndEnablesTheKeyBoxesByThem) {
  Settings.UseSKey = 0;
  Settings.UseSKeyS = 1;
  WithOptionsDialog([&](HWND dialog) {
    EXPECT_FALSE(IsEnabled(dialog, IDC_DOUBLE_KEY));
    EXPECT_TRUE(IsEnabled(dialog, IDC_SINGLE_KEY));
    ClickButton(dialog, IDC_USE_DOUBLE_KEY);
    EXPECT_TRUE(WaitUntil([&] { return IsEnabled(dialog, IDC_DOUBLE_KEY); }));
    ClickButton(dialog, IDC_USE_SINGLE_KEY);
    EXPECT_TRUE(WaitUntil([&] { return !IsEnabled(dialog, IDC_SINGLE_KEY); }));
  });
}

TEST_F(OptionsDialogOpening, AStoredKeyThatIsNotListedShowsTheSystemNameOrNothingAndOkKeepsIt) {
  Settings.SKeyCode = 'Z';
  Settings.SKeyCodeData = 0x002C0001;  // Z's scan code
  Settings.UseSKeyS = 1;
  Settings.SKeyCodeS = 0xE8;  // a code without a key
  Settings.SKeyCodeDataS = 0;
  WithOptionsDialog([&](HWND dialog) {
    EXPECT_EQ(SelectedItem(dialog, IDC_DOUBLE_KEY), CB_ERR);
    EXPECT_EQ(ControlText(dialog, IDC_DOUBLE_KEY), KeyName(0x002C0001));
    EXPECT_EQ(SelectedItem(dialog, IDC_SINGLE_KEY), CB_ERR);
    EXPECT_EQ(ControlText(dialog, IDC_SINGLE_KEY), "");
    ClickButton(dialog, IDOK);
  });
  EXPECT_EQ(Settings.SKeyCode, static_cast<DWORD>('Z'));
  EXPECT_EQ(Settings.SKeyCodeData, 0x002C0001u);
  EXPECT_EQ(Settings.SKeyCodeS, 0xE8u);
  EXPECT_EQ(Settings.SKeyCodeDataS, 0u);
  ASSERT_EQ(ShortcutKeyCalls().size(), 1u);
  EXPECT_EQ(ShortcutKeyCalls()[0].singlePressKey, 0xE8u);
}

using KeyCapture = DialogTest;

TEST_F(KeyCapture, PressingAInTheDoublePressFieldStoresItsCodeAndKeyDataAndShowsItsNameNextTime) {
  KeyDownRecorder keyDowns;
  LPARAM captured = 0;
  WithOptionsDialog([&](HWND dialog) {
    ASSERT_TRUE(FocusControl(dialog, IDC_DOUBLE_KEY));
    PressKey('A');
    captured = keyDowns.WaitFor('A').keyData;
    ASSERT_NE(captured, 0);
    EXPECT_TRUE(WaitForText(dialog, IDC_DOUBLE_KEY, "A"));
    ClickButton(dialog, IDOK);
  });
  EXPECT_EQ(Settings.SKeyCode, 'A');
  EXPECT_EQ(Settings.SKeyCodeData, static_cast<DWORD>(captured));
  ASSERT_EQ(ShortcutKeyCalls().size(), 1u);
  EXPECT_EQ(ShortcutKeyCalls()[0].doublePressKey, 'A');
  EXPECT_EQ(ShortcutKeyCalls()[0].singlePressKey, 0u);

  Restart();
  EXPECT_EQ(Settings.SKeyCodeData, static_cast<DWORD>(captured));
  WithOptionsDialog([&](HWND dialog) {
    EXPECT_EQ(SelectedItem(dialog, IDC_DOUBLE_KEY), CB_ERR);
    EXPECT_EQ(ControlText(dialog, IDC_DOUBLE_KEY), "A");
  });
}

TEST_F(KeyCapture, PressingAKeyInTheSinglePressFieldStoresItForTheSinglePressTrigger) {
  KeyDownRecorder keyDowns;
  LPARAM captured = 0;
  WithOptionsDialog([&](HWND dialog) {
    ClickButton(dialog, IDC_USE_SINGLE_KEY);
    ASSERT_TRUE(WaitUntil([&] { return IsEnabled(dialog, IDC_SINGLE_KEY); }));
    ASSERT_TRUE(FocusControl(dialog, IDC_SINGLE_KEY));
    PressKey('B');
    captured = keyDowns.WaitFor('B').keyData;
    EXPECT_TRUE(WaitForText(dialog, IDC_SINGLE_KEY, KeyName(captured)));
    ClickButton(dialog, IDOK);
  });
  EXPECT_EQ(Settings.UseSKeyS, 1);
  EXPECT_EQ(Settings.SKeyCodeS, 'B');
  EXPECT_EQ(Settings.SKeyCodeDataS, static_cast<DWORD>(captured));
  EXPECT_EQ(Settings.SKeyCode, 0x1Du) << "the double-press key stays";
  ASSERT_EQ(ShortcutKeyCalls().size(), 1u);
  EXPECT_EQ(ShortcutKeyCalls()[0].doublePressKey, 0x1Du);
  EXPECT_EQ(ShortcutKeyCalls()[0].singlePressKey, 'B');
}

TEST_F(KeyCapture, PressingCtrlShowsTheSystemNameAndTheNextOpeningSelectsTheListedEntry) {
  KeyDownRecorder keyDowns;
  LPARAM captured = 0;
  WithOptionsDialog([&](HWND dialog) {
    ASSERT_TRUE(FocusControl(dialog, IDC_DOUBLE_KEY));
    PressKey(VK_CONTROL);
    captured = keyDowns.WaitFor(VK_CONTROL).keyData;
    ASSERT_NE(captured, 0);
    std::string name = KeyName(captured);
    EXPECT_FALSE(name.empty());
    EXPECT_NE(name, "Ctrl(CTRL)");
    EXPECT_TRUE(WaitForText(dialog, IDC_DOUBLE_KEY, name));
    ClickButton(dialog, IDOK);
  });
  EXPECT_EQ(Settings.SKeyCode, static_cast<DWORD>(VK_CONTROL));
  EXPECT_EQ(Settings.SKeyCodeData, static_cast<DWORD>(captured));

  WithOptionsDialog([&](HWND dialog) {
    EXPECT_EQ(SelectedItem(dialog, IDC_DOUBLE_KEY), CTRL_ITEM);
    EXPECT_EQ(ControlText(dialog, IDC_DOUBLE_KEY), "Ctrl(CTRL)");
    ClickButton(dialog, IDOK);
  });
  EXPECT_EQ(Settings.SKeyCode, static_cast<DWORD>(VK_CONTROL));
  EXPECT_EQ(Settings.SKeyCodeData, 0u);
}

// Drops the double-press list and picks one of its entries. The pick is made by the list's own
// selection message: a real click on Wine's dropped list landed on the entry above in about half
// the runs, and what the program must handle is only the text that a pick leaves in the field.
static void PickFromList(HWND dialog, int item) {
  HWND combo = GetDlgItem(dialog, IDC_DOUBLE_KEY);
  COMBOBOXINFO info = {};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(combo, &info));
  SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(info.hwndList) != FALSE; }));
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(info.hwndList); }));
}

TEST_F(KeyCapture, AnEntryPickedFromTheListAfterACaptureWins) {
  KeyDownRecorder keyDowns;
  WithOptionsDialog([&](HWND dialog) {
    ASSERT_TRUE(FocusControl(dialog, IDC_DOUBLE_KEY));
    PressKey('A');
    ASSERT_TRUE(WaitForText(dialog, IDC_DOUBLE_KEY, KeyName(keyDowns.WaitFor('A').keyData)));
    PickFromList(dialog, INSERT_ITEM);
    EXPECT_TRUE(WaitForText(dialog, IDC_DOUBLE_KEY, "Insert(INS)"));
    ClickButton(dialog, IDOK);
  });
  EXPECT_EQ(Settings.SKeyCode, static_cast<DWORD>(VK_INSERT));
  EXPECT_EQ(Settings.SKeyCodeData, 0u);
}

TEST_F(KeyCapture, TabMovesOnAndArrowKeysAreCaptured) {
  KeyDownRecorder keyDowns;
  WithOptionsDialog([&](HWND dialog) {
    ASSERT_TRUE(FocusControl(dialog, IDC_DOUBLE_KEY));
    PressKey(VK_TAB);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(dialog) == GetDlgItem(dialog, IDC_USE_SINGLE_KEY); }));
    EXPECT_EQ(ControlText(dialog, IDC_DOUBLE_KEY), "無変換(NFER)");

    ASSERT_TRUE(FocusControl(dialog, IDC_DOUBLE_KEY));
    PressKey(VK_DOWN, true);
    LPARAM down = keyDowns.WaitFor(VK_DOWN).keyData;
    EXPECT_TRUE(WaitForText(dialog, IDC_DOUBLE_KEY, KeyName(down)));
    EXPECT_EQ(SelectedItem(dialog, IDC_DOUBLE_KEY), NON_CONVERT_ITEM) << "the list's selection is not moved";
    ClickButton(dialog, IDOK);
  });
  EXPECT_EQ(Settings.SKeyCode, static_cast<DWORD>(VK_DOWN));
}

TEST_F(KeyCapture, EnterConfirmsTheDialogInsteadOfBeingCaptured) {
  WithOptionsDialog([&](HWND dialog) {
    ASSERT_TRUE(FocusControl(dialog, IDC_DOUBLE_KEY));
    ClickButton(dialog, IDC_MOUSE_RDBLCLK);
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(dialog, IDC_MOUSE_RDBLCLK); }));
    ASSERT_TRUE(FocusControl(dialog, IDC_DOUBLE_KEY));
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_EQ(ShortcutKeyCalls().size(), 1u) << "closed with OK";
  EXPECT_EQ(Settings.MouseRdblclk, 0);
  EXPECT_EQ(Settings.SKeyCode, 0x1Du);
  EXPECT_EQ(Settings.SKeyCodeData, 0u) << "the listed name stood in the field";
}

TEST_F(KeyCapture, EscCancelsTheDialogInsteadOfBeingCaptured) {
  KeyDownRecorder keyDowns;
  WithOptionsDialog([&](HWND dialog) {
    ASSERT_TRUE(FocusControl(dialog, IDC_DOUBLE_KEY));
    PressKey('A');
    ASSERT_TRUE(WaitForText(dialog, IDC_DOUBLE_KEY, KeyName(keyDowns.WaitFor('A').keyData)));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_TRUE(ShortcutKeyCalls().empty());
  EXPECT_EQ(Settings.SKeyCode, 0x1Du);
  EXPECT_EQ(Settings.SKeyCodeData, 0x11u);
}

TEST_F(KeyCapture, AnEmptiedFieldKeepsTheCapturedKey) {
  KeyDownRecorder keyDowns;
  LPARAM captured = 0;
  WithOptionsDialog([&](HWND dialog) {
    ASSERT_TRUE(FocusControl(dialog, IDC_DOUBLE_KEY));
    PressKey('A');
    captured = keyDowns.WaitFor('A').keyData;
    ASSERT_TRUE(WaitForText(dialog, IDC_DOUBLE_KEY, KeyName(captured)));
    // What the field's context menu does for "select all" and "delete".
    HWND field = GetWindow(GetDlgItem(dialog, IDC_DOUBLE_KEY), GW_CHILD);
    SendMessageA(field, EM_SETSEL, 0, -1);
    SendMessageA(field, WM_CLEAR, 0, 0);
    EXPECT_TRUE(WaitForText(dialog, IDC_DOUBLE_KEY, ""));
    ClickButton(dialog, IDOK);
  });
  EXPECT_EQ(Settings.SKeyCode, 'A');
  EXPECT_EQ(Settings.SKeyCodeData, static_cast<DWORD>(captured));
}

// The fields' window procedures as they stand when the fields are destroyed with the dialog.
static HWND WatchedFields[2];
static LONG_PTR ProcedureAtDestroy[2];

static LRESULT CALLBACK WatchFieldDestruction(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == WM_DESTROY) {
    for (int i = 0; i < 2; ++i) {
      if (call->hwnd == WatchedFields[i]) ProcedureAtDestroy[i] = GetWindowLongPtrA(call->hwnd, GWLP_WNDPROC);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(KeyCapture, ClosingGivesTheFieldsTheirOwnProceduresBack) {
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchFieldDestruction, nullptr, GetCurrentThreadId());
  ProcedureAtDestroy[0] = ProcedureAtDestroy[1] = 0;
  WithOptionsDialog([&](HWND dialog) {
    WatchedFields[0] = GetWindow(GetDlgItem(dialog, IDC_DOUBLE_KEY), GW_CHILD);
    WatchedFields[1] = GetWindow(GetDlgItem(dialog, IDC_SINGLE_KEY), GW_CHILD);
    for (HWND field : WatchedFields) {
      EXPECT_EQ(GetWindowLongPtrA(field, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(KeyCaptureProc));
    }
    ClickButton(dialog, IDCANCEL);
    WaitUntil([&] { return !IsWindow(dialog); });
  });
  UnhookWindowsHookEx(hook);
  for (LONG_PTR procedure : ProcedureAtDestroy) {
    EXPECT_NE(procedure, 0) << "the field was destroyed with the dialog";
    EXPECT_NE(procedure, reinterpret_cast<LONG_PTR>(KeyCaptureProc));
  }
}
