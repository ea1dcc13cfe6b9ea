#include "mirror/overlay.h"

bool ReadRegistryText(HKEY root, const char* subkey, const char* valueName, char* buffer, DWORD size) {
  if (size == 0) return false;
  buffer[0] = '\0';
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD length = size;
  LONG status = RegQueryValueExA(key, valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || length > size) {
    buffer[0] = '\0';
    return false;
  }
  // A value stored without its terminator is terminated here, if there is room for it.
  if (length > 0 && buffer[length - 1] == '\0') return true;
  if (length == size) {
    buffer[0] = '\0';
    return false;
  }
  buffer[length] = '\0';
  return true;
}
