// The two dialog templates as the dialog manager builds them: controls in tab order with their
// ids, classes, texts, styles and places, the caption and the font.
#include <cstring>

#include "res/resource.h"
#include "tests/dialogs/dialog_fixture.h"

namespace {

struct ExpectedControl {
  int id;
  const char* className;
  const char* text;  // null: not compared (icons)
  DWORD style;
  RECT place;  // left, top, width, height in dialog units, as written in the template
  bool sized;  // false: the platform chooses the size (icons, etched lines, combo box heights)
};

constexpr DWORD CHILD = WS_CHILD | WS_VISIBLE;
constexpr DWORD BUTTON = CHILD | BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD CHECKBOX = CHILD | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD HIDDEN_CHECKBOX = WS_CHILD | BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD GROUP_BOX = CHILD | BS_GROUPBOX;
constexpr DWORD ICON = CHILD | SS_ICON;
constexpr DWORD LABEL = CHILD | SS_LEFT | WS_GROUP;
// The template gives the combo boxes WS_VSCROLL too; the combo box hands it on to its list.
constexpr DWORD KEY_BOX = CHILD | CBS_DROPDOWN | WS_TABSTOP;
constexpr int NO_ID = 0xFFFF;

const ExpectedControl OptionsControls[] = {
    {IDOK, "Button", "OK", CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, {5, 230, 55, 14}, true},
    {IDC_DEFAULTS, "Button", "初期値に戻す( &I )", BUTTON, {65, 230, 60, 14}, true},
    {IDCANCEL, "Button", "キャンセル", BUTTON, {130, 230, 55, 14}, true},
    {IDC_OPTIONS_HELP, "Button", "ヘルプ(&H)...", BUTTON, {190, 230, 55, 14}, true},
    {NO_ID, "Button", " 動作 ", GROUP_BOX, {10, 5, 230, 130}, true},
    {NO_ID, "Static", nullptr, ICON, {20, 20, 20, 20}, false},
    {NO_ID, "Static", "Velmoを表示/非表示するときの動作を指定してください。", LABEL, {45, 30, 190, 15}, true},
    {IDC_TOPMOST, "Button", "他のｳｨﾝﾄﾞｳよりも最前面に表示する(&T)", CHECKBOX, {30, 50, 135, 10}, true},
    {IDC_MOVE_TO_HIDE, "Button", "非表示を行わず、移動して隠す(&M)", CHECKBOX, {30, 60, 120, 10}, true},
    {IDC_WATCH_DESKTOP, "Button", "ﾃﾞｽｸﾄｯﾌﾟ画面を常に監視する(&A)", HIDDEN_CHECKBOX, {30, 70, 115, 10}, true},
    {IDC_MIN_AREA,
     "Button",
     "全てのｱｲｺﾝを含む最小領域ｻｲｽﾞでｳｨﾝﾄﾞｳを作成(&W)",
     HIDDEN_CHECKBOX,
     {30, 80, 170, 10},
     true},
    {NO_ID, "Button", " ｼｮｰﾄｶｯﾄ ", GROUP_BOX, {20, 75, 210, 55}, true},
    {IDC_USE_DOUBLE_KEY, "Button", "次のｷｰの２回押下で前面表示(&D)", CHECKBOX, {35, 90, 115, 10}, true},
    {IDC_DOUBLE_KEY, "ComboBox", nullptr, KEY_BOX, {165, 85, 60, 136}, false},
    {IDC_USE_SINGLE_KEY, "Button", "次のｷｰの１回押下で前面表示(&S)", CHECKBOX, {35, 100, 115, 10}, true},
    {IDC_SINGLE_KEY, "ComboBox", nullptr, KEY_BOX, {165, 99, 60, 136}, false},
    {IDC_MOUSE_RDBLCLK, "Button", "ﾏｳｽの右ﾎﾞﾀﾝﾀﾞﾌﾞﾙｸﾘｯｸで前面表示(&R)", CHECKBOX, {35, 115, 185, 10}, true},
    {NO_ID, "Button", " 非表示条件 ", GROUP_BOX, {10, 140, 230, 80}, true},
    {NO_ID, "Static", nullptr, ICON, {20, 150, 20, 20}, false},
    {NO_ID, "Static", "表示中のVelmoを非表示にする条件を指定してください。", LABEL, {45, 160, 190, 15}, true},
    {IDC_HIDE_ON_KILLFOCUS,
     "Button",
     "他のｳｨﾝﾄﾞｳにﾌｫｰｶｽが移ったとき(&O)",
     CHECKBOX,
     {30, 180, 130, 10},
     true},
    {IDC_HIDE_ON_MISS_CLICK,
     "Button",
     "ｱｲｺﾝ以外の位置をｸﾘｯｸしたとき(&C)",
     CHECKBOX,
     {30, 190, 120, 10},
     true},
    {IDC_HIDE_ON_ESCAPE, "Button", "ｴｽｹｰﾌﾟｷｰを押下したとき(&E)", CHECKBOX, {30, 200, 105, 10}, true},
};

const ExpectedControl AboutControls[] = {
    {IDOK, "Button", "OK", 0x50010001, {115, 75, 50, 14}, true},
    {NO_ID, "Static", "Velmo / ヴェルモ", 0x50020001, {52, 15, 100, 8}, true},
    {NO_ID, "Static", nullptr, 0x50000003, {27, 15, 20, 20}, false},
    {NO_ID, "Static", "Version 0.80a (B.050614a)", 0x50020001, {52, 30, 100, 8}, true},
    {NO_ID, "Static", nullptr, 0x50000003, {152, 15, 20, 20}, false},
    {NO_ID, "Static", "Copyright (C) 2005 Morvane. All rights reserved.", 0x50020001, {4, 45, 191, 8}, true},
    {IDC_HOMEPAGE, "Button", "HomePage を参照(&B)", 0x50010000, {30, 75, 80, 14}, true},
    {NO_ID, "Static", "", 0x50000010, {10, 65, 180, 1}, false},
};

constexpr DWORD DIALOG_STYLE = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
static_assert(DIALOG_STYLE == 0x80C808C0, "dialog style");

// Compares the dialog's children, in z-order (the template's order), with the table.
void ExpectControls(HWND dialog, const ExpectedControl* expected, size_t count) {
  HWND child = GetWindow(dialog, GW_CHILD);
  for (size_t i = 0; i < count; ++i, child = GetWindow(child, GW_HWNDNEXT)) {
    const ExpectedControl& want = expected[i];
    SCOPED_TRACE(testing::Message() << "control " << i << " id " << want.id);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetDlgCtrlID(child), want.id);
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    EXPECT_STRCASEEQ(className, want.className);
    if (want.text != nullptr) {
      EXPECT_EQ(WindowText(child), want.text);
    }
    DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
    EXPECT_EQ(style & want.style, want.style) << std::hex << style;
    EXPECT_EQ(style & WS_VISIBLE, want.style & WS_VISIBLE) << std::hex << style;
    // The dialog manager converts position and size each on its own; the platform gives icons
    // their own size and etched lines their own height.
    RECT place = want.place;
    MapDialogRect(dialog, &place);
    RECT actual = {};
    GetWindowRect(child, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    EXPECT_EQ(actual.left, place.left);
    EXPECT_EQ(actual.top, place.top);
    if (want.sized) {
      EXPECT_EQ(actual.right - actual.left, place.right);
      EXPECT_EQ(actual.bottom - actual.top, place.bottom);
    }
  }
  EXPECT_EQ(child, nullptr) << "no further controls";
}

void ExpectFrame(HWND dialog, const char* title, LONG width, LONG height) {
  EXPECT_EQ(WindowText(dialog), title);
  DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  EXPECT_EQ(style & DIALOG_STYLE, DIALOG_STYLE) << std::hex << style;
  RECT size = {0, 0, width, height};
  MapDialogRect(dialog, &size);
  RECT client = {};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  LOGFONTA font = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_STREQ(font.lfFaceName, "ＭＳ Ｐゴシック");
}

}  // namespace

using DialogTemplates = DialogTest;

TEST_F(DialogTemplates, TheOptionsDialogHasItsControlsInTabOrderWithTheirTextsAndPlaces) {
  WithOptionsDialog([&](HWND dialog) {
    ExpectFrame(dialog, OPTIONS_TITLE, 250, 249);
    ExpectControls(dialog, OptionsControls, sizeof OptionsControls / sizeof OptionsControls[0]);
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDOK)) << "the first tab stop has the focus";
  });
}

TEST_F(DialogTemplates, TheAboutDialogHasItsControlsInTabOrderWithTheirTextsAndPlaces) {
  WithAboutDialog([&](HWND dialog) {
    ExpectFrame(dialog, ABOUT_TITLE, 199, 99);
    ExpectControls(dialog, AboutControls, sizeof AboutControls / sizeof AboutControls[0]);
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, IDOK));
  });
}
