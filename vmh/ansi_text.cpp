#include "vmh/ansi_text.h"

#include <cstring>

// The lead bytes of UTF-8 sequences of two, three and four bytes start with these bits.
constexpr BYTE UTF8_TWO_BYTE_LEAD = 0xC0;
constexpr BYTE UTF8_THREE_BYTE_LEAD = 0xE0;
constexpr BYTE UTF8_FOUR_BYTE_LEAD = 0xF0;

// The bytes of the character that begins with lead: two for a lead byte of a double-byte code
// page, the length of the sequence under UTF-8 (65001), else one.
static size_t CharacterBytes(BYTE lead, UINT codePage) {
  if (codePage != CP_UTF8) return IsDBCSLeadByteEx(codePage, lead) ? 2 : 1;
  if (lead >= UTF8_FOUR_BYTE_LEAD) return 4;
  if (lead >= UTF8_THREE_BYTE_LEAD) return 3;
  return lead >= UTF8_TWO_BYTE_LEAD ? 2 : 1;
}

void CopyTextWhole(char* destination, size_t size, const char* source, size_t sourceSize, UINT codePage) {
  if (codePage == CP_ACP) codePage = GetACP();
  size_t length = 0;
  while (length < sourceSize && source[length] != '\0') {
    size_t step = CharacterBytes(static_cast<BYTE>(source[length]), codePage);
    // A character cut short by the end of the text counts its bytes one by one.
    if (length + step > sourceSize || memchr(source + length, '\0', step) != nullptr) step = 1;
    if (length + step > size - 1) break;
    length += step;
  }
  memcpy(destination, source, length);
  destination[length] = '\0';
}
