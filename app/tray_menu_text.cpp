#include "app/tray_menu_text.h"

#include "app/ui_language.h"
#include "res/resource.h"

constexpr UINT TOGGLE_ITEM_FLAGS = MF_BYCOMMAND | MF_STRING;
constexpr int MENU_TEXT_SIZE = 64;

void SetToggleItemText(HMENU popup, bool mirrorShown) {
  char text[MENU_TEXT_SIZE];
  LoadUiString(mirrorShown ? IDS_PUT_BACK_MIRROR : IDS_SHOW_MIRROR, text, sizeof text);
  ModifyMenuA(popup, IDM_TOGGLE_MIRROR, TOGGLE_ITEM_FLAGS, IDM_TOGGLE_MIRROR, text);
}
