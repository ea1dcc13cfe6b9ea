// The keys that the options dialog's two combo boxes offer in their lists.
#include <cstring>

#include "settings/options_dialog.h"

const ListedKey DoublePressKeys[DOUBLE_PRESS_KEY_COUNT] = {
    {VK_CONTROL, "Ctrl(CTRL)"}, {VK_SHIFT, "Shift(SHIFT)"},      {VK_MENU, "Alt(GRPH)"},
    {VK_INSERT, "Insert(INS)"}, {VK_CAPITAL, "CapsLock(CAPS)"},  {VK_KANA, "ｶﾅ"},
    {VK_CONVERT, "変換(XFER)"}, {VK_NONCONVERT, "無変換(NFER)"},
};

const ListedKey SinglePressKeys[SINGLE_PRESS_KEY_COUNT] = {
    {VK_F13, "vf･3"},
    {VK_F14, "vf･4"},
    {VK_F15, "vf･5"},
};

int FindListedKeyCode(const ListedKey* keys, int count, DWORD keyCode) {
  for (int i = 0; i < count; ++i) {
    if (keys[i].keyCode == keyCode) return i;
  }
  return NO_LISTED_KEY;
}

int FindListedKeyName(const ListedKey* keys, int count, const char* text) {
  for (int i = 0; i < count; ++i) {
    if (strcmp(keys[i].keyName, text) == 0) return i;
  }
  return NO_LISTED_KEY;
}
