#include "app/path_parts.h"

#include <windows.h>

#include <cstring>

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The position just after the last separator of text, or text itself when there is none.
static const char* AfterLastSeparator(const char* text) {
  const char* after = text;
  for (const char* p = text; *p != '\0'; p = CharNextExA(CP_ACP, p, 0)) {
    if (IsSeparator(*p)) after = p + 1;
  }
  return after;
}

bool EndsWithSeparator(const char* text) {
  const char* last = nullptr;
  for (const char* p = text; *p != '\0'; p = CharNextExA(CP_ACP, p, 0)) last = p;
  return last != nullptr && IsSeparator(*last);
}

static bool CopyPart(char* out, size_t outSize, const char* begin, size_t length) {
  if (length >= outSize) return false;
  memcpy(out, begin, length);
  out[length] = '\0';
  return true;
}

bool SplitDriveAndDirectory(const char* path, char* drive, size_t driveSize, char* directory,
                            size_t directorySize) {
  if (driveSize > 0) drive[0] = '\0';
  if (directorySize > 0) directory[0] = '\0';
  size_t driveLength =
      (path[0] != '\0' && !IsDBCSLeadByte(static_cast<BYTE>(path[0])) && path[1] == ':') ? 2 : 0;
  const char* rest = path + driveLength;
  size_t directoryLength = static_cast<size_t>(AfterLastSeparator(rest) - rest);
  if (!CopyPart(drive, driveSize, path, driveLength) ||
      !CopyPart(directory, directorySize, rest, directoryLength)) {
    if (driveSize > 0) drive[0] = '\0';
    if (directorySize > 0) directory[0] = '\0';
    return false;
  }
  return true;
}

// Appends text to out (which holds used bytes); false when it does not fit.
static bool Append(char* out, size_t outSize, size_t& used, const char* text) {
  size_t length = strlen(text);
  if (used + length >= outSize) return false;
  memcpy(out + used, text, length + 1);
  used += length;
  return true;
}

bool JoinPath(char* out, size_t outSize, const char* drive, const char* directory, const char* name,
              const char* extension) {
  if (outSize == 0) return false;
  out[0] = '\0';
  size_t used = 0;
  bool fits = Append(out, outSize, used, drive) && Append(out, outSize, used, directory) &&
              (directory[0] == '\0' || EndsWithSeparator(directory) || Append(out, outSize, used, "\\")) &&
              Append(out, outSize, used, name) && Append(out, outSize, used, ".") &&
              Append(out, outSize, used, extension);
  if (!fits) out[0] = '\0';
  return fits;
}
