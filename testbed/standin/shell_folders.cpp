// The shell-folder registry values that name the desktop folders: pointed at the stand-in's
// folders while it runs, and put back as they were when it ends. "User Shell Folders" is what the
// shell resolves; it rewrites "Shell Folders" from it whenever a program asks for a folder, so both
// are set.
#include <windows.h>

#include "testbed/standin/standin.h"

constexpr char SHELL_FOLDERS_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char USER_SHELL_FOLDERS_KEY[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr char DESKTOP_VALUE[] = "Desktop";
constexpr char COMMON_DESKTOP_VALUE[] = "Common Desktop";
constexpr DWORD SAVED_VALUE_SIZE = 1024;

struct SavedValue {
  HKEY root;
  const char* key;
  const char* name;
  DWORD newType;
  bool changed;
  bool existed;
  DWORD type;
  DWORD size;
  BYTE data[SAVED_VALUE_SIZE];
};

static SavedValue UserDesktop = {
    HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, DESKTOP_VALUE, REG_SZ, false, false, 0, 0, {}};
static SavedValue UserDesktopSource = {
    HKEY_CURRENT_USER, USER_SHELL_FOLDERS_KEY, DESKTOP_VALUE, REG_EXPAND_SZ, false, false, 0, 0, {}};
static SavedValue CommonDesktop = {
    HKEY_LOCAL_MACHINE, SHELL_FOLDERS_KEY, COMMON_DESKTOP_VALUE, REG_SZ, false, false, 0, 0, {}};
static SavedValue CommonDesktopSource = {
    HKEY_LOCAL_MACHINE, USER_SHELL_FOLDERS_KEY, COMMON_DESKTOP_VALUE, REG_EXPAND_SZ, false, false, 0, 0, {}};

static void PointValueAt(SavedValue& saved, const std::string& folder) {
  HKEY key;
  if (RegCreateKeyExA(saved.root, saved.key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  saved.size = sizeof saved.data;
  LONG read = RegQueryValueExA(key, saved.name, nullptr, &saved.type, saved.data, &saved.size);
  if (read != ERROR_SUCCESS && read != ERROR_FILE_NOT_FOUND) {  // a value we could not put back
    RegCloseKey(key);
    return;
  }
  saved.existed = read == ERROR_SUCCESS;
  saved.changed =
      RegSetValueExA(key, saved.name, 0, saved.newType, reinterpret_cast<const BYTE*>(folder.c_str()),
                     static_cast<DWORD>(folder.size() + 1)) == ERROR_SUCCESS;
  RegCloseKey(key);
}

static void RestoreValue(SavedValue& saved) {
  if (!saved.changed) return;
  HKEY key;
  if (RegOpenKeyExA(saved.root, saved.key, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  if (saved.existed)
    RegSetValueExA(key, saved.name, 0, saved.type, saved.data, saved.size);
  else
    RegDeleteValueA(key, saved.name);
  RegCloseKey(key);
  saved.changed = false;
}

void PointShellFoldersAt() {
  PointValueAt(UserDesktopSource, Config.folder);
  PointValueAt(UserDesktop, Config.folder);
  if (Config.commonFolder.empty()) return;
  PointValueAt(CommonDesktopSource, Config.commonFolder);
  PointValueAt(CommonDesktop, Config.commonFolder);
}

void RestoreShellFolders() {
  RestoreValue(UserDesktopSource);
  RestoreValue(UserDesktop);
  RestoreValue(CommonDesktopSource);
  RestoreValue(CommonDesktop);
}
