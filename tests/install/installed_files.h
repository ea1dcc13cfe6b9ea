// What a test of the setup program reads back: registry texts, the files below a folder, a
// binary's version, the modules another process has loaded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace install_test {

// The text of an HKEY_CURRENT_USER value; empty when it or its key is missing.
std::string UserRegistryText(const char* keyPath, const char* valueName);
// The number of an HKEY_CURRENT_USER REG_DWORD value; MISSING_DWORD when it is not there.
constexpr DWORD MISSING_DWORD = 0xFFFFFFFF;
DWORD UserRegistryDword(const char* keyPath, const char* valueName);
bool UserKeyExists(const char* keyPath);
// The names of the values of an HKEY_CURRENT_USER key.
std::vector<std::string> UserValueNames(const char* keyPath);

// Every file below folder, as relative paths ("html\\option.html"), sorted.
std::vector<std::string> FilesBelow(const std::string& folder);
// Removes folder and everything below it.
void RemoveFolder(const std::string& folder);
// The volume serial and file index of a file: another file at the same path has other ones.
unsigned long long FileIdentity(const std::string& path);
// The file's last write time (0 when it cannot be read); sets it.
unsigned long long LastWriteTime(const std::string& path);
bool SetLastWriteTime(const std::string& path, unsigned long long time);

// "MAJOR.MINOR" of the binary's fixed file version; empty when it has none.
std::string FixedFileVersion(const std::string& path);

// True when a process runs whose program file is named exeName (compared without case).
bool ProcessRunning(const char* exeName);

}  // namespace install_test
