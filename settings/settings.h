// The persistent options and their registry store.
#pragma once

#include <windows.h>

constexpr char SETTINGS_KEY_PATH[] = "Software\\Morvane\\Velmo";
constexpr int SETTINGS_PATH_SIZE = 1024;
constexpr LONG NO_DIALOG_POSITION = 9999;

// Fifteen 32-bit values, each stored as a REG_DWORD of the same name, in this order.
struct SettingsRecord {
  LONG TopMost;
  LONG DeskTopMiniSize;
  LONG MoveWindow;
  LONG UseSKey;
  DWORD SKeyCode;
  DWORD SKeyCodeData;
  LONG UseSKeyS;
  DWORD SKeyCodeS;
  DWORD SKeyCodeDataS;
  LONG MouseRdblclk;
  LONG KillFocus;
  LONG NoMatchHit;
  LONG Escape;
  LONG ox;
  LONG oy;
};

extern SettingsRecord Settings;

// SETTINGS_KEY_PATH, then "\" and the subkey when one is given. False when it does not fit size
// bytes (terminator included); nothing is written past path[size - 1].
bool BuildSettingsKeyPath(char* path, size_t size, const char* subkey);

// GetKeyboardType's answer for a Japanese keyboard, the only kind with a Non-convert key.
constexpr int JAPANESE_KEYBOARD_TYPE = 7;

// The double-press key where none is stored: Non-convert on a Japanese keyboard, else Ctrl, which
// every keyboard has (and which the options dialog's defaults choose).
DWORD FirstStartDoublePressKey(int keyboardType);

// Reads every field; a field that is not stored keeps its value, except that the double-press key
// follows the keyboard (FirstStartDoublePressKey) and ox, oy become NO_DIALOG_POSITION.
void LoadSettings();
void SaveSettings();
DWORD ReadRegistryValue(const char* subkey, const char* valueName, void* buffer, DWORD capacity);
LONG ReadRegistryInt(const char* subkey, const char* valueName, LONG defaultValue);
DWORD WriteRegistryValue(const char* subkey, const char* valueName, const char* text, DWORD number);
