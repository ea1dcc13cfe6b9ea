#include "tests/install/installed_files.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>

namespace install_test {

namespace {

constexpr DWORD VALUE_TEXT_SIZE = 1024;

void CollectFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>* files) {
  WIN32_FIND_DATAA found = {};
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectFiles(folder + "\\" + name, prefix + name + "\\", files);
    else
      files->push_back(prefix + name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

std::string UserRegistryText(const char* keyPath, const char* valueName) {
  char text[VALUE_TEXT_SIZE] = {};
  DWORD size = sizeof text - 1;
  if (RegGetValueA(HKEY_CURRENT_USER, keyPath, valueName, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                   nullptr, text, &size) != ERROR_SUCCESS)
    return std::string();
  return text;
}

DWORD UserRegistryDword(const char* keyPath, const char* valueName) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, keyPath, valueName, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS)
    return MISSING_DWORD;
  return value;
}

bool UserKeyExists(const char* keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::vector<std::string> UserValueNames(const char* keyPath) {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  char name[VALUE_TEXT_SIZE];
  DWORD length = sizeof name;
  for (DWORD i = 0; RegEnumValueA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
       ++i, length = sizeof name)
    names.push_back(name);
  RegCloseKey(key);
  return names;
}

std::vector<std::string> FilesBelow(const std::string& folder) {
  std::vector<std::string> files;
  CollectFiles(folder, std::string(), &files);
  std::sort(files.begin(), files.end());
  return files;
}

void RemoveFolder(const std::string& folder) {
  const std::string from = folder + '\0';  // a list of paths ends in two terminators
  SHFILEOPSTRUCTA operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
  SHFileOperationA(&operation);
}

unsigned long long FileIdentity(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info = {};
  GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  return (static_cast<unsigned long long>(info.nFileIndexHigh) << 32 | info.nFileIndexLow) ^
         (static_cast<unsigned long long>(info.dwVolumeSerialNumber) << 48);
}

unsigned long long LastWriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32 |
         data.ftLastWriteTime.dwLowDateTime;
}

bool SetLastWriteTime(const std::string& path, unsigned long long time) {
  HANDLE file =
      CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const FILETIME written = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
  const bool set = SetFileTime(file, nullptr, nullptr, &written) != FALSE;
  CloseHandle(file);
  return set;
}

std::string FixedFileVersion(const std::string& path) {
  DWORD ignored = 0;
  std::vector<BYTE> block(GetFileVersionInfoSizeA(path.c_str(), &ignored));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  if (block.empty() ||
      !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) ||
      !VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &size))
    return std::string();
  return std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
         std::to_string(LOWORD(fixed->dwFileVersionMS));
}

bool ProcessRunning(const char* exeName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 process = {};
  process.dwSize = sizeof process;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &process); more && !found;
       more = Process32Next(snapshot, &process))
    found = lstrcmpiA(process.szExeFile, exeName) == 0;
  CloseHandle(snapshot);
  return found;
}

}  // namespace install_test
