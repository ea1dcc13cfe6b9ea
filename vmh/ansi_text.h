// Item texts in the ANSI code page, cut without splitting a double-byte character (or, under the
// UTF-8 code page, a UTF-8 sequence).
#pragma once

#include <windows.h>

#include <cstddef>

// Copies source into destination (size bytes, at least 1), keeping as many whole characters of the
// code page as fit before the terminating NUL. source is read up to its NUL or sourceSize bytes,
// whichever comes first. CP_ACP stands for the ANSI code page.
void CopyTextWhole(char* destination, size_t size, const char* source, size_t sourceSize,
                   UINT codePage = CP_ACP);
