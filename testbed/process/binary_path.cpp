#include "testbed/process/binary_path.h"

#include <windows.h>

namespace testbed {

std::string ExeDirectory() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return std::string();
  // Step over double-byte characters whole: a trail byte can be 0x5C.
  size_t afterLastSeparator = 0;
  for (size_t i = 0; i < length;) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < length) {
      i += 2;
      continue;
    }
    if (path[i] == '\\' || path[i] == '/') afterLastSeparator = i + 1;
    ++i;
  }
  return std::string(path, afterLastSeparator);
}

std::string BinaryPath(const char* fileName) { return ExeDirectory() + fileName; }

std::string VelmoPath() { return BinaryPath("velmo.exe"); }

}  // namespace testbed
