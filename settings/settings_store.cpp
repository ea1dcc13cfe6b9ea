#include "settings/settings.h"

#include <cstdio>
#include <cstring>

SettingsRecord Settings = {
    1,     // TopMost
    0,     // DeskTopMiniSize
    1,     // MoveWindow
    1,     // UseSKey
    0x1D,  // SKeyCode: Non-convert
    0x11,  // SKeyCodeData
    0,     // UseSKeyS
    0x7E,  // SKeyCodeS: F15
    0x7E,  // SKeyCodeDataS
    1,     // MouseRdblclk
    1,     // KillFocus
    1,     // NoMatchHit
    1,     // Escape
    0,     // ox
    0,     // oy
};

// The fields in record order, with their registry value names.
struct SettingsField {
  const char* name;
  LONG* value;
};

static const SettingsField SettingsFields[] = {
    {"TopMost", &Settings.TopMost},
    {"DeskTopMiniSize", &Settings.DeskTopMiniSize},
    {"MoveWindow", &Settings.MoveWindow},
    {"UseSKey", &Settings.UseSKey},
    {"SKeyCode", reinterpret_cast<LONG*>(&Settings.SKeyCode)},
    {"SKeyCodeData", reinterpret_cast<LONG*>(&Settings.SKeyCodeData)},
    {"UseSKeyS", &Settings.UseSKeyS},
    {"SKeyCodeS", reinterpret_cast<LONG*>(&Settings.SKeyCodeS)},
    {"SKeyCodeDataS", reinterpret_cast<LONG*>(&Settings.SKeyCodeDataS)},
    {"MouseRdblclk", &Settings.MouseRdblclk},
    {"KillFocus", &Settings.KillFocus},
    {"NoMatchHit", &Settings.NoMatchHit},
    {"Escape", &Settings.Escape},
    {"ox", &Settings.ox},
    {"oy", &Settings.oy},
};

bool BuildSettingsKeyPath(char* path, size_t size, const char* subkey) {
  int written = subkey != nullptr ? snprintf(path, size, "%s\\%s", SETTINGS_KEY_PATH, subkey)
                                  : snprintf(path, size, "%s", SETTINGS_KEY_PATH);
  return written >= 0 && static_cast<size_t>(written) < size;
}

DWORD ReadRegistryValue(const char* subkey, const char* valueName, void* buffer, DWORD capacity) {
  char path[SETTINGS_PATH_SIZE];
  if (!BuildSettingsKeyPath(path, sizeof path, subkey)) return 0;
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD bytes = capacity;
  if (RegQueryValueExA(key, valueName, nullptr, nullptr, static_cast<BYTE*>(buffer), &bytes) !=
      ERROR_SUCCESS) {
    bytes = 0;
  }
  RegCloseKey(key);
  return bytes;
}

LONG ReadRegistryInt(const char* subkey, const char* valueName, LONG defaultValue) {
  LONG value = 0;
  // Only a whole 4-byte value counts; shorter data is taken as absent.
  if (ReadRegistryValue(subkey, valueName, &value, sizeof value) != sizeof value) return defaultValue;
  return value;
}

DWORD WriteRegistryValue(const char* subkey, const char* valueName, const char* text, DWORD number) {
  char path[SETTINGS_PATH_SIZE];
  if (!BuildSettingsKeyPath(path, sizeof path, subkey)) return 0;
  HKEY key;
  DWORD disposition;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, &disposition) != ERROR_SUCCESS) {
    return 0;
  }
  DWORD type = REG_DWORD;
  const BYTE* data = reinterpret_cast<const BYTE*>(&number);
  DWORD size = sizeof number;
  if (text != nullptr) {
    type = REG_SZ;
    data = reinterpret_cast<const BYTE*>(text);
    size = static_cast<DWORD>(strlen(text) + 1);
  }
  DWORD result = RegSetValueExA(key, valueName, 0, type, data, size) == ERROR_SUCCESS ? size : 0;
  RegCloseKey(key);
  return result;
}

DWORD FirstStartDoublePressKey(int keyboardType) {
  return keyboardType == JAPANESE_KEYBOARD_TYPE ? VK_NONCONVERT : VK_CONTROL;
}

// Stored settings are never changed: the keyboard only chooses the key that a first start takes.
static void FitDoublePressKeyToKeyboard() {
  DWORD key = FirstStartDoublePressKey(GetKeyboardType(0));
  if (key == Settings.SKeyCode) return;
  Settings.SKeyCode = key;
  Settings.SKeyCodeData = 0;  // as if picked from the options dialog's list
}

void LoadSettings() {
  FitDoublePressKeyToKeyboard();
  for (const SettingsField& field : SettingsFields) {
    bool isPosition = field.value == &Settings.ox || field.value == &Settings.oy;
    *field.value = ReadRegistryInt(nullptr, field.name, isPosition ? NO_DIALOG_POSITION : *field.value);
  }
}

void SaveSettings() {
  for (const SettingsField& field : SettingsFields) {
    WriteRegistryValue(nullptr, field.name, nullptr, static_cast<DWORD>(*field.value));
  }
}
