#include "app/tray_menu_text.h"

#include "app/ui_language.h"
#include "res/resource.h"

constexpr char SHOW_MENU_TEXT[] = "ヴェルモを表示(&D)";
constexpr char PUT_BACK_MENU_TEXT[] = "ヴェルモを戻す(&R)";
// English texts go in as UTF-16, so they read right whatever the ANSI code page.
constexpr wchar_t SHOW_MENU_TEXT_ENGLISH[] = L"&Show Velmo";
constexpr wchar_t PUT_BACK_MENU_TEXT_ENGLISH[] = L"&Hide Velmo";

constexpr UINT TOGGLE_ITEM_FLAGS = MF_BYCOMMAND | MF_STRING;

void SetToggleItemText(HMENU popup, bool mirrorShown) {
  if (IsJapaneseUi()) {
    ModifyMenuA(popup, IDM_TOGGLE_MIRROR, TOGGLE_ITEM_FLAGS, IDM_TOGGLE_MIRROR,
                mirrorShown ? PUT_BACK_MENU_TEXT : SHOW_MENU_TEXT);
  } else {
    ModifyMenuW(popup, IDM_TOGGLE_MIRROR, TOGGLE_ITEM_FLAGS, IDM_TOGGLE_MIRROR,
                mirrorShown ? PUT_BACK_MENU_TEXT_ENGLISH : SHOW_MENU_TEXT_ENGLISH);
  }
}
