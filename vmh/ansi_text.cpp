#include "vmh/ansi_text.h"

#include <windows.h>

#include <cstring>

void CopyTextWhole(char* destination, size_t size, const char* source, size_t sourceSize) {
  size_t length = 0;
  while (length < sourceSize && source[length] != '\0') {
    bool pair = IsDBCSLeadByte(static_cast<BYTE>(source[length])) && length + 1 < sourceSize &&
                source[length + 1] != '\0';
    size_t step = pair ? 2 : 1;
    if (length + step > size - 1) break;
    length += step;
  }
  memcpy(destination, source, length);
  destination[length] = '\0';
}
