// The keys that the options dialog's two combo boxes offer in their lists.
#include <cstring>

#include "app/ui_language.h"
#include "res/resource.h"
#include "settings/options_dialog.h"

const ListedKey DoublePressKeys[DOUBLE_PRESS_KEY_COUNT] = {
    {VK_CONTROL, IDS_KEY_CTRL},    {VK_SHIFT, IDS_KEY_SHIFT},           {VK_MENU, IDS_KEY_ALT},
    {VK_INSERT, IDS_KEY_INSERT},   {VK_CAPITAL, IDS_KEY_CAPS_LOCK},     {VK_KANA, IDS_KEY_KANA},
    {VK_CONVERT, IDS_KEY_CONVERT}, {VK_NONCONVERT, IDS_KEY_NONCONVERT},
};

const ListedKey SinglePressKeys[SINGLE_PRESS_KEY_COUNT] = {
    {VK_F13, IDS_KEY_F13},
    {VK_F14, IDS_KEY_F14},
    {VK_F15, IDS_KEY_F15},
};

int FindListedKeyCode(const ListedKey* keys, int count, DWORD keyCode) {
  for (int i = 0; i < count; ++i) {
    if (keys[i].keyCode == keyCode) return i;
  }
  return NO_LISTED_KEY;
}

int FindListedKeyName(const ListedKey* keys, int count, const char* text) {
  for (int i = 0; i < count; ++i) {
    char name[KEY_NAME_SIZE];
    LoadUiString(keys[i].nameId, name, sizeof name);
    if (strcmp(name, text) == 0) return i;
  }
  return NO_LISTED_KEY;
}

void AddListedKeyNames(HWND dialog, int id, const ListedKey* keys, int count) {
  for (int i = 0; i < count; ++i) {
    char name[KEY_NAME_SIZE];
    LoadUiString(keys[i].nameId, name, sizeof name);
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
}

int FindListedKeyInBox(HWND dialog, int id, const ListedKey* keys, int count) {
  char text[KEY_NAME_SIZE] = "";
  GetDlgItemTextA(dialog, id, text, KEY_NAME_LIMIT);
  return FindListedKeyName(keys, count, text);
}
