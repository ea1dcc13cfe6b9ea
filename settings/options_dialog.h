// State shared by the options dialog and the key capture in its two combo box fields.
#pragma once

#include <windows.h>

// A key offered in one of the combo boxes' lists; the list index is the table index.
struct ListedKey {
  DWORD keyCode;
  UINT nameId;  // its name in the string table, at most 14 bytes in either language
};

constexpr int DOUBLE_PRESS_KEY_COUNT = 8;
constexpr int SINGLE_PRESS_KEY_COUNT = 3;
extern const ListedKey DoublePressKeys[DOUBLE_PRESS_KEY_COUNT];
extern const ListedKey SinglePressKeys[SINGLE_PRESS_KEY_COUNT];

// Key names and combo box texts are read into buffers of this size, at most this many characters.
constexpr int KEY_NAME_SIZE = 32;
constexpr int KEY_NAME_LIMIT = 30;

constexpr int NO_LISTED_KEY = -1;

// The index of the entry with this key code, or NO_LISTED_KEY.
int FindListedKeyCode(const ListedKey* keys, int count, DWORD keyCode);
// The index of the first entry whose name in the language in use equals text byte for byte, or
// NO_LISTED_KEY.
int FindListedKeyName(const ListedKey* keys, int count, const char* text);

// Fills the combo box's list with the keys' names in the language in use.
void AddListedKeyNames(HWND dialog, int id, const ListedKey* keys, int count);
// The index of the first entry whose name in the language in use equals the combo box's text (read
// up to KEY_NAME_LIMIT characters), or NO_LISTED_KEY.
int FindListedKeyInBox(HWND dialog, int id, const ListedKey* keys, int count);

// The combo boxes' edit fields, their own window procedures, and what was last captured in them.
extern HWND DoubleKeyEdit;
extern HWND SingleKeyEdit;
extern WNDPROC DoubleKeyEditOldProc;
extern WNDPROC SingleKeyEditOldProc;
extern DWORD PendingDoubleKey;
extern DWORD PendingDoubleKeyData;
extern DWORD PendingSingleKey;
extern DWORD PendingSingleKeyData;
extern LONG IsCapturingKey;
