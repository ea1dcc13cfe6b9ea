// Item texts in the ANSI code page, cut without splitting a double-byte character.
#pragma once

#include <cstddef>

// Copies source into destination (size bytes, at least 1), keeping as many whole characters as fit
// before the terminating NUL. source is read up to its NUL or sourceSize bytes, whichever comes first.
void CopyTextWhole(char* destination, size_t size, const char* source, size_t sourceSize);
