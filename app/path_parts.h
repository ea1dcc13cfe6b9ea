// Splitting and joining ANSI paths without ever taking the second byte of a double-byte character
// (which can be 0x5C in code page 932) for a separator.
#pragma once

#include <cstddef>

constexpr size_t PATH_DRIVE_SIZE = 3;        // "C:" and the terminator
constexpr size_t PATH_DIRECTORY_SIZE = 256;  // at most 255 characters and the terminator

// True when the text's last character (not a trail byte) is a backslash or a slash.
bool EndsWithSeparator(const char* text);

// Splits a path into its drive ("C:" when the second character is a colon, else empty) and its
// directory (what follows the drive up to and including the last separator, else empty).
// Returns false, leaving both parts empty, when a part does not fit its buffer.
bool SplitDriveAndDirectory(const char* path, char* drive, size_t driveSize, char* directory,
                            size_t directorySize);

// Writes drive + directory (with a backslash added when it does not end in a separator) + name +
// "." + extension. Returns false, leaving the output empty, when the result does not fit.
bool JoinPath(char* out, size_t outSize, const char* drive, const char* directory, const char* name,
              const char* extension);
