#include "testbed/registry/saved_value.h"

#include <gtest/gtest.h>

SavedRegistryValue::SavedRegistryValue(HKEY root, const char* subkey, const char* name)
    : root_(root), subkey_(subkey), name_(name) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root_, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  keyExisted_ = true;
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS) {
    data_.resize(size);
    existed_ = RegQueryValueExA(key, name, nullptr, &type_, data_.data(), &size) == ERROR_SUCCESS;
  }
  RegCloseKey(key);
}

SavedRegistryValue::~SavedRegistryValue() {
  if (existed_) {
    SetBytes(data_.data(), static_cast<DWORD>(data_.size()), type_);
  } else {
    Delete();
  }
  if (!keyExisted_) RegDeleteKeyA(root_, subkey_.c_str());
}

void SavedRegistryValue::SetBytes(const void* bytes, DWORD size, DWORD type) const {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS,
            RegCreateKeyExA(root_, subkey_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
  EXPECT_EQ(ERROR_SUCCESS,
            RegSetValueExA(key, name_.c_str(), 0, type, static_cast<const BYTE*>(bytes), size));
  RegCloseKey(key);
}

void SavedRegistryValue::Set(const std::string& text) const {
  SetBytes(text.c_str(), static_cast<DWORD>(text.size() + 1), REG_SZ);
}

void SavedRegistryValue::Delete() const {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root_, subkey_.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name_.c_str());
  RegCloseKey(key);
}
