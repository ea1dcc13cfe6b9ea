// The shell-folder registry values that name the desktop folders: pointed at the stand-in's
// folders while it runs, and put back as they were when it ends.
#include <windows.h>

#include "testbed/standin/standin.h"

constexpr char SHELL_FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char DESKTOP_VALUE[] = "Desktop";
constexpr char COMMON_DESKTOP_VALUE[] = "Common Desktop";
constexpr DWORD SAVED_VALUE_SIZE = 1024;

struct SavedValue {
  HKEY root;
  const char* name;
  bool changed;
  bool existed;
  DWORD type;
  DWORD size;
  BYTE data[SAVED_VALUE_SIZE];
};

static SavedValue UserDesktop = {HKEY_CURRENT_USER, DESKTOP_VALUE, false, false, 0, 0, {}};
static SavedValue CommonDesktop = {HKEY_LOCAL_MACHINE, COMMON_DESKTOP_VALUE, false, false, 0, 0, {}};

static void PointValueAt(SavedValue& saved, const std::string& folder) {
  HKEY key;
  if (RegCreateKeyExA(saved.root, SHELL_FOLDERS_KEY, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return;
  saved.size = sizeof saved.data;
  LONG read = RegQueryValueExA(key, saved.name, nullptr, &saved.type, saved.data, &saved.size);
  if (read != ERROR_SUCCESS && read != ERROR_FILE_NOT_FOUND) {  // a value we could not put back
    RegCloseKey(key);
    return;
  }
  saved.existed = read == ERROR_SUCCESS;
  saved.changed = RegSetValueExA(key, saved.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                                 static_cast<DWORD>(folder.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
}

static void RestoreValue(SavedValue& saved) {
  if (!saved.changed) return;
  HKEY key;
  if (RegOpenKeyExA(saved.root, SHELL_FOLDERS_KEY, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  if (saved.existed)
    RegSetValueExA(key, saved.name, 0, saved.type, saved.data, saved.size);
  else
    RegDeleteValueA(key, saved.name);
  RegCloseKey(key);
  saved.changed = false;
}

void PointShellFoldersAt() {
  PointValueAt(UserDesktop, Config.folder);
  if (!Config.commonFolder.empty()) PointValueAt(CommonDesktop, Config.commonFolder);
}

void RestoreShellFolders() {
  RestoreValue(UserDesktop);
  RestoreValue(CommonDesktop);
}
