// The pieces of putting the shell's shortcut arrow on the mirrored icons, kept apart so that they
// can be used (and tested) one by one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "app/path_parts.h"

constexpr DWORD OVERLAY_PATH_SIZE = MAX_PATH;  // 260 bytes, the terminator included

constexpr char SHELL_ICONS_KEY[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons";
constexpr char SHORTCUT_OVERLAY_VALUE[] = "29";
constexpr char SHELL_LIBRARY_NAME[] = "\\shell32.dll";
constexpr int SHELL_LIBRARY_SHORTCUT_ICON = 29;

constexpr char USER_SHELL_FOLDERS_KEY[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char COMMON_SHELL_FOLDERS_KEY[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char USER_DESKTOP_VALUE[] = "Desktop";
constexpr char COMMON_DESKTOP_VALUE[] = "Common Desktop";
constexpr char SHORTCUT_EXTENSION[] = "lnk";

// Reads a registry value as text into buffer (size bytes) and makes sure it ends in a terminator
// within the buffer. The key is opened for reading and closed again; the value's type is not
// looked at. False when the key or the value cannot be read, or the text and its terminator do
// not fit; the buffer is then empty.
bool ReadRegistryText(HKEY root, const char* subkey, const char* valueName, char* buffer, DWORD size);

// Splits an icon location "path,index" in place at its last comma: text keeps the path, *index
// receives the number after the comma (leading blanks skipped, an optional sign, digits up to the
// first other character; no digits give 0). Without a comma the text is emptied and false returned.
bool SplitIconLocation(char* text, int* index);

// The shell's shortcut arrow: from the "Shell Icons" value "29" when it names an icon that can be
// extracted, else icon 29 of the system's shell32.dll. Null when neither gives one. The caller
// destroys the icon.
HICON LoadShortcutOverlayIcon();

// One desktop folder in which shortcut files are looked for.
struct ShortcutFolder {
  bool usable;
  char drive[PATH_DRIVE_SIZE];
  char directory[PATH_DIRECTORY_SIZE];
};

// Reads a "Shell Folders" value and splits it into drive and directory. The folder is unusable when
// the value cannot be read or does not fit the buffers.
ShortcutFolder ReadShortcutFolder(HKEY root, const char* subkey, const char* valueName);

// True when the folder holds a file or folder named "<name>.lnk". A name without a terminator
// within nameSize bytes, or a path that does not fit MAX_PATH, is no shortcut.
bool HasShortcutFile(const ShortcutFolder& folder, const char* name, size_t nameSize);

// The "*.lnk" files and folders of one desktop folder, read once, so that many items can be looked
// up without asking the file system for each name (a lookup of a missing name reads the whole folder
// on some file systems). Names are kept in upper case as UTF-16, as the file system compares them.
struct ShortcutListing {
  const ShortcutFolder* folder;
  bool listed;  // false: the folder could not be read through, every name is asked for on its own
  std::vector<std::wstring> names;  // sorted
};

ShortcutListing ListShortcutFiles(const ShortcutFolder& folder);

// The same answer as HasShortcutFile(*listing.folder, name, nameSize). A name that the file system
// would read as more than one plain name (a path, a wildcard, a possible short name) is asked for
// on its own.
bool IsListedShortcut(const ShortcutListing& listing, const char* name, size_t nameSize);

// Appends to the list, in one go, a copy of each of the images with the arrow drawn over it (scaled
// to the list's image size, as the list would take the icon), in the order given. Returns the index
// of the first copy, or -1 when nothing was appended. The images themselves stay as they are.
int AppendImagesWithArrow(HIMAGELIST list, const std::vector<int>& images, HICON arrow);
