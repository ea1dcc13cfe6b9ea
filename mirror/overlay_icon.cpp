#include <climits>
#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "mirror/overlay.h"

// ExtractIconA's answer for a file that holds no icons at all.
static const HICON NOT_AN_ICON_FILE = reinterpret_cast<HICON>(1);

bool SplitIconLocation(char* text, int* index) {
  char* lastComma = nullptr;
  for (char* p = text; *p != '\0'; p = CharNextExA(CP_ACP, p, 0)) {
    if (*p == ',') lastComma = p;
  }
  *index = 0;
  if (lastComma == nullptr) {
    text[0] = '\0';
    return false;
  }
  *lastComma = '\0';
  long number = strtol(lastComma + 1, nullptr, 10);
  if (number > INT_MAX) number = INT_MAX;
  if (number < INT_MIN) number = INT_MIN;
  *index = static_cast<int>(number);
  return true;
}

static HICON ExtractOneIcon(const char* path, int index) {
  HICON icon = ExtractIconA(AppInstance, path, static_cast<UINT>(index));
  return icon == NOT_AN_ICON_FILE ? nullptr : icon;
}

static HICON LoadConfiguredOverlayIcon() {
  char path[OVERLAY_PATH_SIZE];
  int index = 0;
  if (!ReadRegistryText(HKEY_LOCAL_MACHINE, SHELL_ICONS_KEY, SHORTCUT_OVERLAY_VALUE, path, sizeof path)) {
    return nullptr;
  }
  if (!SplitIconLocation(path, &index) || path[0] == '\0') return nullptr;
  return ExtractOneIcon(path, index);
}

static HICON LoadShellLibraryOverlayIcon() {
  char path[OVERLAY_PATH_SIZE];
  UINT length = GetSystemDirectoryA(path, sizeof path);
  if (length == 0 || length + strlen(SHELL_LIBRARY_NAME) >= sizeof path) return nullptr;
  strcpy(path + length, SHELL_LIBRARY_NAME);
  return ExtractOneIcon(path, SHELL_LIBRARY_SHORTCUT_ICON);
}

HICON LoadShortcutOverlayIcon() {
  HICON icon = LoadConfiguredOverlayIcon();
  return icon != nullptr ? icon : LoadShellLibraryOverlayIcon();
}
