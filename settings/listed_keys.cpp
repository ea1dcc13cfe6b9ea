// The keys that the options dialog's two combo boxes offer in their lists.
#include <cstring>
#include <cwchar>

#include "app/ui_language.h"
#include "settings/options_dialog.h"

// The English names go through the "W" functions, so they read right whatever the ANSI code page.
const ListedKey DoublePressKeys[DOUBLE_PRESS_KEY_COUNT] = {
    {VK_CONTROL, "Ctrl(CTRL)", L"Ctrl"},
    {VK_SHIFT, "Shift(SHIFT)", L"Shift"},
    {VK_MENU, "Alt(GRPH)", L"Alt"},
    {VK_INSERT, "Insert(INS)", L"Insert"},
    {VK_CAPITAL, "CapsLock(CAPS)", L"Caps Lock"},
    {VK_KANA, "ｶﾅ", L"Kana"},
    {VK_CONVERT, "変換(XFER)", L"Convert"},
    {VK_NONCONVERT, "無変換(NFER)", L"Non-convert"},
};

const ListedKey SinglePressKeys[SINGLE_PRESS_KEY_COUNT] = {
    {VK_F13, "vf･3", L"F13"},
    {VK_F14, "vf･4", L"F14"},
    {VK_F15, "vf･5", L"F15"},
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

static int FindEnglishKeyName(const ListedKey* keys, int count, const wchar_t* text) {
  for (int i = 0; i < count; ++i) {
    if (wcscmp(keys[i].englishName, text) == 0) return i;
  }
  return NO_LISTED_KEY;
}

void AddListedKeyNames(HWND dialog, int id, const ListedKey* keys, int count) {
  for (int i = 0; i < count; ++i) {
    if (IsJapaneseUi()) {
      SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(keys[i].keyName));
    } else {
      SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(keys[i].englishName));
    }
  }
}

int FindListedKeyInBox(HWND dialog, int id, const ListedKey* keys, int count) {
  if (IsJapaneseUi()) {
    char text[KEY_NAME_SIZE] = "";
    GetDlgItemTextA(dialog, id, text, KEY_NAME_LIMIT);
    return FindListedKeyName(keys, count, text);
  }
  wchar_t text[KEY_NAME_SIZE] = L"";
  GetDlgItemTextW(dialog, id, text, KEY_NAME_LIMIT);
  return FindEnglishKeyName(keys, count, text);
}
