// What the executable carries: the tray menu as the user reads it, the icons, and the manifest's
// choices (version 6 of the common controls, DPI awareness).
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <tuple>

#include "app/ui_language.h"
#include "res/resource.h"
#include "tests/core/velmo_fixture.h"

struct MenuRow {
  UINT id;
  const char* text;
};

TEST(Resources, TrayMenuHasItsItemsInOrder) {
  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAYMENU));
  ASSERT_NE(nullptr, menu);
  HMENU popup = GetSubMenu(menu, 0);
  ASSERT_NE(nullptr, popup);
  char name[32] = {};
  GetMenuStringA(menu, 0, name, sizeof name, MF_BYPOSITION);
  EXPECT_STREQ("Tray", name);
  const MenuRow rows[] = {{IDM_TOGGLE_MIRROR, "ヴェルモ表示(&D)"},
                          {IDM_OPTIONS, "オプション(&O)..."},
                          {IDM_REFRESH, "デスクトップ情報を最新の状態に更新(&U)"},
                          {0, nullptr},
                          {IDM_HELP, "ヘルプ(H)..."},
                          {IDM_ABOUT, "バージョン情報(&A)..."},
                          {0, nullptr},
                          {IDM_EXIT, "終了(&X)"}};
  ASSERT_EQ(8, GetMenuItemCount(popup));
  for (int i = 0; i < 8; ++i) {
    MENUITEMINFOA info = {};
    char text[128] = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    ASSERT_TRUE(GetMenuItemInfoA(popup, i, TRUE, &info));
    if (rows[i].text == nullptr) {
      EXPECT_TRUE(info.fType & MFT_SEPARATOR) << i;
      continue;
    }
    EXPECT_EQ(rows[i].id, info.wID) << i;
    EXPECT_STREQ(rows[i].text, text) << i;
  }
  DestroyMenu(menu);
}

TEST(Resources, FourIconsOf32By32) {
  for (int id : {IDI_APP, IDI_TRAY_IDLE, IDI_TRAY_ACTIVE, IDI_HIDE}) {
    HICON icon =
        static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
    ASSERT_NE(nullptr, icon) << id;
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(32, mask.bmWidth) << id;
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

// Version 6 lives side by side with the system's version 5 and is loaded only when the manifest
// asks for it. (Wine's copy reports 5 from DllGetVersion, so the place it came from is checked.)
TEST(Resources, ManifestSelectsCommonControlsVersion6) {
  InitCommonControls();
  HMODULE comctl = GetModuleHandleA("comctl32.dll");
  ASSERT_NE(nullptr, comctl);
  char path[MAX_PATH] = {};
  GetModuleFileNameA(comctl, path, sizeof path);
  CharLowerA(path);
  EXPECT_NE(nullptr, strstr(path, "common-controls_6595b64144ccf1df_6.0")) << path;
}

TEST(Resources, ManifestMakesTheProgramDpiAware) { EXPECT_TRUE(IsProcessDPIAware()); }

// Japanese texts need the Japanese interface language and code page 932 or UTF-8 together; the double-press
// key of a first start is Non-convert on a Japanese keyboard only.
TEST(Resources, LanguageAndFirstStartKeyFollowTheSystem) {
  const LANGID japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);
  const LANGID english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  // The user's language, the ANSI code page and the keyboard; the interface and the first key.
  const std::tuple<LANGID, UINT, int, LANGID, DWORD> systems[] = {
      {japanese, 932, JAPANESE_KEYBOARD_TYPE, JAPANESE_UI, VK_NONCONVERT},
      {japanese, 65001, JAPANESE_KEYBOARD_TYPE, JAPANESE_UI, VK_NONCONVERT},
      {japanese, 1252, 4, ENGLISH_UI, VK_CONTROL},
      {english, 932, JAPANESE_KEYBOARD_TYPE, ENGLISH_UI, VK_NONCONVERT},
      {english, 1252, 8, ENGLISH_UI, VK_CONTROL}};
  for (const auto& [language, codePage, keyboardType, uiLanguage, firstKey] : systems) {
    EXPECT_EQ(uiLanguage, UiLanguageFor(language, codePage)) << language << " " << codePage;
    EXPECT_EQ(firstKey, FirstStartDoublePressKey(keyboardType)) << keyboardType;
  }
}
