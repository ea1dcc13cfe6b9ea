#include <algorithm>
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

// Characters that make a name more than one plain file name for the file system: separators,
// wildcards, a stream or drive colon, and the tilde of a possible short (8.3) name.
constexpr char NOT_PLAIN_NAME[] = "\\/:*?\"<>|~";
constexpr char ALL_SHORTCUTS[] = "*";

// text in the ANSI code page as UTF-16, as the "A" file functions pass it on.
static std::wstring Wide(const char* text) {
  int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
  wide.resize(static_cast<size_t>(length) - 1);
  return wide;
}

// The name in upper case, as the file system compares names.
static std::wstring Upper(std::wstring name) {
  if (!name.empty()) CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
  return name;
}

// False when a single-byte character of the name is one of NOT_PLAIN_NAME. Double-byte characters
// are stepped over whole: their second byte may be a backslash.
static bool IsPlainName(const char* name) {
  for (const char* p = name; *p != '\0'; p = CharNextExA(CP_ACP, p, 0)) {
    if (!IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(*p)) && strchr(NOT_PLAIN_NAME, *p) != nullptr)
      return false;
  }
  return true;
}

ShortcutListing ListShortcutFiles(const ShortcutFolder& folder) {
  ShortcutListing listing = {&folder, false, {}};
  char pattern[OVERLAY_PATH_SIZE];
  if (!folder.usable ||
      !JoinPath(pattern, sizeof pattern, folder.drive, folder.directory, ALL_SHORTCUTS, SHORTCUT_EXTENSION)) {
    return listing;
  }
  std::wstring widePattern = Wide(pattern);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(widePattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    listing.listed = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return listing;
  }
  do {
    listing.names.push_back(Upper(found.cFileName));
  } while (FindNextFileW(search, &found));
  listing.listed = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(search);
  std::sort(listing.names.begin(), listing.names.end());
  return listing;
}

bool IsListedShortcut(const ShortcutListing& listing, const char* name, size_t nameSize) {
  const ShortcutFolder& folder = *listing.folder;
  if (!folder.usable || memchr(name, '\0', nameSize) == nullptr) return false;
  if (!listing.listed || !IsPlainName(name)) return HasShortcutFile(folder, name, nameSize);
  char candidate[OVERLAY_PATH_SIZE];
  if (!JoinPath(candidate, sizeof candidate, folder.drive, folder.directory, name, SHORTCUT_EXTENSION)) {
    return false;
  }
  std::wstring wanted = Upper(Wide(name) + L"." + Wide(SHORTCUT_EXTENSION));
  return std::binary_search(listing.names.begin(), listing.names.end(), wanted);
}
