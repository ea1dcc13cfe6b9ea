// Where the local help page lies for a given program path.
#pragma once

#include <cstddef>

// Writes <drive><directory>html\option.html for the program's path (option_en.html in the English
// interface). Returns false, leaving the page empty, when the directory or the whole path would not
// fit (the directory part in 256 characters, the page in pageSize bytes).
bool BuildHelpPagePath(const char* programPath, char* page, size_t pageSize);
