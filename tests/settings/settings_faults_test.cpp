// The settings key when it cannot be trusted: a key the user may not read or write (the registry
// enforces its access list), and values of every wrong type and size. Defaults are used where the
// store's rules say so, and the next save that is allowed writes fifteen good REG_DWORD values.
#include <windows.h>
#include <aclapi.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "settings/settings.h"
#include "testbed/registry/registry_guard.h"

namespace {

const SettingsRecord InitialSettings = Settings;
const SettingsRecord Edited = {0, 1, 0, 0, 0x41, 0x001E0001, 1, 0x7C, 0x015B0001, 0, 0, 0, 0, -1200, -30};
const SettingsRecord EditedAgain = {1, 0, 1, 2, 0x42, 0x00300001, 0, 0x7D, 0, 1, 1, 1, 1, 300, 200};

const char* const FieldNames[] = {
    "TopMost",   "DeskTopMiniSize", "MoveWindow",   "UseSKey",   "SKeyCode",   "SKeyCodeData", "UseSKeyS",
    "SKeyCodeS", "SKeyCodeDataS",   "MouseRdblclk", "KillFocus", "NoMatchHit", "Escape",       "ox",
    "oy"};
constexpr size_t FIELD_COUNT = sizeof FieldNames / sizeof FieldNames[0];
constexpr size_t FIELD_SIZE = sizeof(LONG);
constexpr DWORD NOT_STORED = 0xFFFFFFFF;
constexpr size_t SID_BUFFER_SIZE = 256;

LONG FieldAt(const SettingsRecord& record, size_t index) {
  LONG value;
  memcpy(&value, reinterpret_cast<const char*>(&record) + index * FIELD_SIZE, sizeof value);
  return value;
}

// The stored value as a REG_DWORD of four bytes, or NOT_STORED when it is anything else.
DWORD StoredDword(const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return NOT_STORED;
  DWORD type = REG_NONE, value = 0, size = sizeof value;
  LONG status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value ? value : NOT_STORED;
}

void ExpectStored(const SettingsRecord& record) {
  for (size_t i = 0; i < FIELD_COUNT; ++i) {
    EXPECT_EQ(StoredDword(FieldNames[i]), static_cast<DWORD>(FieldAt(record, i))) << FieldNames[i];
  }
}

void ExpectRecord(const SettingsRecord& expected) {
  for (size_t i = 0; i < FIELD_COUNT; ++i)
    EXPECT_EQ(FieldAt(Settings, i), FieldAt(expected, i)) << FieldNames[i];
}

void StoreRaw(const char* name, DWORD type, const void* data, DWORD size) {
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, name, type, data, size), ERROR_SUCCESS);
}

// The settings key with an access list that denies this user some rights (and allows the rest),
// put back to the key's own list when it goes.
class DeniedSettingsKey {
 public:
  explicit DeniedSettingsKey(DWORD denied) {
    if (!CurrentUser()) return;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, READ_CONTROL | WRITE_DAC, &key) !=
        ERROR_SUCCESS)
      return;
    DWORD size = 0;
    RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
    original_.resize(size);
    bool saved = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, original_.data(), &size) == ERROR_SUCCESS;
    EXPLICIT_ACCESS_A rules[2] = {};
    rules[0].grfAccessPermissions = denied;
    rules[0].grfAccessMode = DENY_ACCESS;
    rules[1].grfAccessPermissions = KEY_ALL_ACCESS;
    rules[1].grfAccessMode = GRANT_ACCESS;
    for (EXPLICIT_ACCESS_A& rule : rules) {
      rule.Trustee.TrusteeForm = TRUSTEE_IS_SID;
      rule.Trustee.TrusteeType = TRUSTEE_IS_USER;
      rule.Trustee.ptstrName = reinterpret_cast<char*>(sid_);
    }
    PACL list = nullptr;
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    applied_ = saved && SetEntriesInAclA(2, rules, nullptr, &list) == ERROR_SUCCESS &&
               SetSecurityDescriptorDacl(&descriptor, TRUE, list, FALSE) &&
               RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    if (list != nullptr) LocalFree(list);
    RegCloseKey(key);
  }
  ~DeniedSettingsKey() { Restore(); }
  DeniedSettingsKey(const DeniedSettingsKey&) = delete;
  DeniedSettingsKey& operator=(const DeniedSettingsKey&) = delete;

  bool applied() const { return applied_; }

  // The key's own access list again. (Its owner may always change the list.)
  bool Restore() {
    if (!applied_) return true;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, WRITE_DAC, &key) != ERROR_SUCCESS)
      return false;
    bool restored = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, original_.data()) == ERROR_SUCCESS;
    RegCloseKey(key);
    applied_ = !restored;
    return restored;
  }

 private:
  bool CurrentUser() {
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    BYTE buffer[SID_BUFFER_SIZE + sizeof(TOKEN_USER)];
    DWORD size = 0;
    bool found = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
                 CopySid(sizeof sid_, sid_, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid);
    CloseHandle(token);
    return found;
  }

  BYTE sid_[SID_BUFFER_SIZE] = {};
  std::vector<BYTE> original_;
  bool applied_ = false;
};

class SettingsFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetStoredSettings();
    Settings = Edited;
    SaveSettings();
    Settings = InitialSettings;
  }
  void TearDown() override {
    ForgetStoredSettings();
    Settings = InitialSettings;
  }
};

TEST_F(SettingsFaults, AKeyThatMayNotBeReadLeavesEveryDefault) {
  DeniedSettingsKey denied(KEY_READ);
  ASSERT_TRUE(denied.applied());
  HKEY key;
  ASSERT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_READ, &key), ERROR_SUCCESS)
      << "the registry here does not enforce the access list";

  LoadSettings();
  SettingsRecord expected = InitialSettings;
  expected.ox = expected.oy = NO_DIALOG_POSITION;
  ExpectRecord(expected);

  ASSERT_TRUE(denied.Restore());
  ExpectStored(Edited);
}

TEST_F(SettingsFaults, ASaveThatMayNotWriteLosesNothingAndTheNextOneWritesEverything) {
  Settings = EditedAgain;
  {
    DeniedSettingsKey denied(KEY_SET_VALUE);
    ASSERT_TRUE(denied.applied());
    SaveSettings();
    ExpectRecord(EditedAgain);
    ASSERT_TRUE(denied.Restore());
  }
  ExpectStored(Edited);

  SaveSettings();
  ExpectStored(EditedAgain);
}

TEST_F(SettingsFaults, ValuesOfTheWrongTypeOrSizeGiveWayToDwordsAtTheNextSave) {
  const ULONGLONG quad = 5;
  const BYTE twoBytes[2] = {0x01, 0x00};
  const BYTE sixBytes[6] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00};
  const BYTE fourBytes[4] = {0x07, 0x00, 0x00, 0x00};
  StoreRaw("TopMost", REG_SZ, "abc", 4);                // four bytes of text: taken as they are
  StoreRaw("DeskTopMiniSize", REG_BINARY, nullptr, 0);  // empty: absent
  StoreRaw("MoveWindow", REG_BINARY, twoBytes, sizeof twoBytes);
  StoreRaw("UseSKey", REG_QWORD, &quad, sizeof quad);  // eight bytes: too long
  StoreRaw("SKeyCode", REG_BINARY, sixBytes, sizeof sixBytes);
  StoreRaw("SKeyCodeData", REG_SZ, "a longer text", 14);
  StoreRaw("UseSKeyS", REG_MULTI_SZ, "ab\0", 4);  // four bytes again
  StoreRaw("SKeyCodeS", REG_DWORD_BIG_ENDIAN, fourBytes, sizeof fourBytes);
  StoreRaw("ox", REG_EXPAND_SZ, "%A%", 4);
  StoreRaw("oy", REG_DWORD, twoBytes, sizeof twoBytes);  // a DWORD too short

  LoadSettings();
  LONG abc;
  memcpy(&abc, "abc", sizeof abc);
  LONG ab;
  memcpy(&ab, "ab\0", sizeof ab);
  LONG expandText;
  memcpy(&expandText, "%A%", sizeof expandText);
  EXPECT_EQ(Settings.TopMost, abc);
  EXPECT_EQ(Settings.DeskTopMiniSize, InitialSettings.DeskTopMiniSize);
  EXPECT_EQ(Settings.MoveWindow, InitialSettings.MoveWindow);
  EXPECT_EQ(Settings.UseSKey, InitialSettings.UseSKey);
  EXPECT_EQ(Settings.SKeyCode, InitialSettings.SKeyCode);
  EXPECT_EQ(Settings.SKeyCodeData, InitialSettings.SKeyCodeData);
  EXPECT_EQ(Settings.UseSKeyS, ab);
  EXPECT_EQ(Settings.SKeyCodeS, 7u);
  EXPECT_EQ(Settings.ox, expandText);
  EXPECT_EQ(Settings.oy, NO_DIALOG_POSITION);
  EXPECT_EQ(Settings.Escape, Edited.Escape) << "a good value among the bad ones";

  SaveSettings();
  SettingsRecord loaded = Settings;
  ExpectStored(loaded);
}

}  // namespace
