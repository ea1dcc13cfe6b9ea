// One registry value as it was before a test, put back afterwards.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One registry value as it was before a test, put back afterwards (or deleted if it was absent).
class SavedRegistryValue {
 public:
  SavedRegistryValue(HKEY root, const char* subkey, const char* name);
  ~SavedRegistryValue();
  void Set(const std::string& text) const;
  void SetBytes(const void* bytes, DWORD size, DWORD type) const;
  void Delete() const;

 private:
  HKEY root_;
  std::string subkey_;
  std::string name_;
  bool keyExisted_ = false;
  bool existed_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> data_;
};
