#include <cstring>

#include "mirror/overlay.h"

ShortcutFolder ReadShortcutFolder(HKEY root, const char* subkey, const char* valueName) {
  ShortcutFolder folder = {};
  char path[OVERLAY_PATH_SIZE];
  if (!ReadRegistryText(root, subkey, valueName, path, sizeof path)) return folder;
  // The appended backslash makes the directory part the whole folder path.
  size_t length = strlen(path);
  if (length + 1 >= sizeof path) return folder;
  path[length] = '\\';
  path[length + 1] = '\0';
  folder.usable = SplitDriveAndDirectory(path, folder.drive, sizeof folder.drive, folder.directory,
                                         sizeof folder.directory);
  return folder;
}

bool HasShortcutFile(const ShortcutFolder& folder, const char* name, size_t nameSize) {
  if (!folder.usable || memchr(name, '\0', nameSize) == nullptr) return false;
  char candidate[OVERLAY_PATH_SIZE];
  if (!JoinPath(candidate, sizeof candidate, folder.drive, folder.directory, name, SHORTCUT_EXTENSION)) {
    return false;
  }
  return GetFileAttributesA(candidate) != INVALID_FILE_ATTRIBUTES;
}
