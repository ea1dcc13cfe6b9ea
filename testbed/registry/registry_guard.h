// The program's settings in the registry around a test: kept as they were (RegistryGuard), or
// forgotten for a start with none stored (ForgetStoredSettings).
#pragma once

#include <windows.h>

#include "settings/settings.h"

constexpr char BACKUP_KEY_PATH[] = "Software\\Morvane\\Velmo test backup";
constexpr char MAKER_KEY_PATH[] = "Software\\Morvane";

// Moves the program's registry key aside for the test and puts it back afterwards.
class RegistryGuard {
 public:
  RegistryGuard() {
    HKEY maker = nullptr;
    hadMakerKey_ = RegOpenKeyExA(HKEY_CURRENT_USER, MAKER_KEY_PATH, 0, KEY_READ, &maker) == ERROR_SUCCESS;
    if (hadMakerKey_) RegCloseKey(maker);
    HKEY key = nullptr;
    hadKey_ = RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (!hadKey_) return;
    HKEY backup = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, BACKUP_KEY_PATH, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &backup,
                    nullptr);
    RegCopyTreeA(key, nullptr, backup);
    RegCloseKey(backup);
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH);
  }
  ~RegistryGuard() {
    RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH);
    if (!hadKey_) {
      if (!hadMakerKey_) RegDeleteKeyA(HKEY_CURRENT_USER, MAKER_KEY_PATH);  // only when empty
      return;
    }
    HKEY backup = nullptr;
    HKEY key = nullptr;
    RegOpenKeyExA(HKEY_CURRENT_USER, BACKUP_KEY_PATH, 0, KEY_READ, &backup);
    RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    RegCopyTreeA(backup, nullptr, key);
    RegCloseKey(key);
    RegCloseKey(backup);
    RegDeleteTreeA(HKEY_CURRENT_USER, BACKUP_KEY_PATH);
  }
  RegistryGuard(const RegistryGuard&) = delete;
  RegistryGuard& operator=(const RegistryGuard&) = delete;

 private:
  bool hadKey_ = false;
  bool hadMakerKey_ = false;
};

// Removes the program's key, and the maker's key above it when that is left empty.
inline void ForgetStoredSettings() {
  RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH);
  RegDeleteKeyA(HKEY_CURRENT_USER, MAKER_KEY_PATH);
}
