// The settings record in the registry: first start, the save at exit, the round trip, values of
// other shapes than a REG_DWORD, and the bounded key path.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "settings/settings.h"
#include "testbed/registry/registry_guard.h"

namespace {

const SettingsRecord InitialSettings = Settings;

const char* const FieldNames[] = {
    "TopMost",   "DeskTopMiniSize", "MoveWindow",   "UseSKey",   "SKeyCode",   "SKeyCodeData", "UseSKeyS",
    "SKeyCodeS", "SKeyCodeDataS",   "MouseRdblclk", "KillFocus", "NoMatchHit", "Escape",       "ox",
    "oy"};
constexpr size_t FIELD_COUNT = sizeof FieldNames / sizeof FieldNames[0];
static_assert(sizeof(SettingsRecord) == FIELD_COUNT * 4, "fifteen 32-bit fields");

LONG FieldAt(const SettingsRecord& record, size_t index) {
  LONG value;
  memcpy(&value, reinterpret_cast<const char*>(&record) + index * 4, sizeof value);
  return value;
}

bool KeyExists(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void StoreRaw(const char* name, DWORD type, const void* data, DWORD size) {
  ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, name, type, data, size), ERROR_SUCCESS);
}

void StoreDword(const char* name, DWORD value) { StoreRaw(name, REG_DWORD, &value, sizeof value); }

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    ForgetStoredSettings();
    Settings = InitialSettings;
  }
  void TearDown() override {
    ForgetStoredSettings();
    Settings = InitialSettings;
  }
};

TEST_F(SettingsStore, AFirstStartKeepsTheInitialValuesAndStoresNoDialogPlace) {
  LoadSettings();
  for (size_t i = 0; i < FIELD_COUNT - 2; ++i) {
    EXPECT_EQ(FieldAt(Settings, i), FieldAt(InitialSettings, i)) << FieldNames[i];
  }
  EXPECT_EQ(Settings.ox, NO_DIALOG_POSITION);
  EXPECT_EQ(Settings.oy, NO_DIALOG_POSITION);
  EXPECT_FALSE(KeyExists(SETTINGS_KEY_PATH)) << "loading creates nothing";
}

TEST_F(SettingsStore, TheSaveAtExitCreatesTheKeyWithFifteenDwords) {
  LoadSettings();
  SaveSettings();
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY_PATH, 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD valueCount = 0;
  RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount, nullptr, nullptr,
                   nullptr, nullptr);
  EXPECT_EQ(valueCount, FIELD_COUNT);
  for (size_t i = 0; i < FIELD_COUNT; ++i) {
    DWORD type = 0;
    LONG value = 0;
    DWORD size = sizeof value;
    ASSERT_EQ(RegQueryValueExA(key, FieldNames[i], nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
              ERROR_SUCCESS)
        << FieldNames[i];
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << FieldNames[i];
    EXPECT_EQ(value, FieldAt(Settings, i)) << FieldNames[i];
  }
  RegCloseKey(key);
}

TEST_F(SettingsStore, EveryFieldComesBackAsSaved) {
  SettingsRecord saved = {0, 1, 0, 0, 0x41, 0x001E0001, 1, 0x7C, 0x015B0001, 0, 0, 0, 0, -1200, -30};
  Settings = saved;
  SaveSettings();
  Settings = InitialSettings;
  LoadSettings();
  for (size_t i = 0; i < FIELD_COUNT; ++i)
    EXPECT_EQ(FieldAt(Settings, i), FieldAt(saved, i)) << FieldNames[i];
}

TEST_F(SettingsStore, AnEditByAnotherProgramIsOverwrittenAtTheNextSave) {
  LoadSettings();
  SaveSettings();
  StoreDword("KillFocus", 0);
  SaveSettings();
  LoadSettings();
  EXPECT_EQ(Settings.KillFocus, 1);
}

TEST_F(SettingsStore, OnlyAValueOfExactlyFourBytesIsTaken) {
  const BYTE fourBytes[4] = {0x02, 0x00, 0x00, 0x00};
  const ULONGLONG quad = 5;
  const BYTE threeBytes[3] = {0x00, 0x00, 0x00};
  const BYTE oneByte[1] = {0x00};
  StoreDword("TopMost", 0);                                        // a stored 0 is a value
  StoreRaw("DeskTopMiniSize", REG_BINARY, fourBytes, 4);           // any type of 4 bytes
  StoreRaw("MoveWindow", REG_QWORD, &quad, sizeof quad);           // too long
  StoreRaw("UseSKey", REG_BINARY, threeBytes, sizeof threeBytes);  // too short
  StoreRaw("SKeyCode", REG_BINARY, oneByte, sizeof oneByte);
  StoreRaw("SKeyCodeData", REG_SZ, "1", 2);
  StoreRaw("ox", REG_QWORD, &quad, sizeof quad);
  StoreDword("oy", 40);
  LoadSettings();
  EXPECT_EQ(Settings.TopMost, 0);
  EXPECT_EQ(Settings.DeskTopMiniSize, 2);
  EXPECT_EQ(Settings.MoveWindow, InitialSettings.MoveWindow);
  EXPECT_EQ(Settings.UseSKey, InitialSettings.UseSKey);
  EXPECT_EQ(Settings.SKeyCode, InitialSettings.SKeyCode);
  EXPECT_EQ(Settings.SKeyCodeData, InitialSettings.SKeyCodeData);
  EXPECT_EQ(Settings.ox, NO_DIALOG_POSITION);
  EXPECT_EQ(Settings.oy, 40);
  EXPECT_EQ(Settings.Escape, InitialSettings.Escape) << "missing value";
}

TEST_F(SettingsStore, FlagsAreLoadedAsStoredForTheirReadersToJudge) {
  StoreDword("UseSKey", 2);
  StoreDword("TopMost", 2);
  StoreDword("MouseRdblclk", 7);
  LoadSettings();
  EXPECT_EQ(Settings.UseSKey, 2);
  EXPECT_EQ(Settings.TopMost, 2);
  EXPECT_EQ(Settings.MouseRdblclk, 7);
}

TEST_F(SettingsStore, AStringIsWrittenWithItsTerminator) {
  EXPECT_EQ(WriteRegistryValue(nullptr, "Note", "ヴェルモ", 0), strlen("ヴェルモ") + 1);
  char text[32] = "";
  EXPECT_EQ(ReadRegistryValue(nullptr, "Note", text, sizeof text), strlen("ヴェルモ") + 1);
  EXPECT_STREQ(text, "ヴェルモ");
}

TEST_F(SettingsStore, AValueLongerThanTheBufferReadsAsNothing) {
  WriteRegistryValue(nullptr, "Note", "0123456789", 0);
  char text[8];
  memset(text, 'x', sizeof text);
  EXPECT_EQ(ReadRegistryValue(nullptr, "Note", text, 4), 0u);
  for (size_t i = 4; i < sizeof text; ++i) EXPECT_EQ(text[i], 'x') << "byte " << i;
  EXPECT_EQ(ReadRegistryValue("Missing", "Note", text, sizeof text), 0u) << "no such key";
}

// A subkey made of 200-character names that brings the whole key path to pathLength characters.
std::string SubkeyForPathLength(size_t pathLength) {
  size_t length = pathLength - strlen(SETTINGS_KEY_PATH) - 1;
  std::string subkey;
  while (subkey.size() < length) {
    if (!subkey.empty()) subkey += '\\';
    subkey += std::string(std::min<size_t>(200, length - subkey.size()), 'k');
  }
  return subkey;
}

TEST_F(SettingsStore, ASubkeyIsReadAndWrittenBelowTheSettingsKey) {
  EXPECT_EQ(WriteRegistryValue("Sub\\Deeper", "Deep", nullptr, 77), 4u);
  EXPECT_TRUE(KeyExists(std::string(SETTINGS_KEY_PATH) + "\\Sub\\Deeper"));
  EXPECT_EQ(ReadRegistryInt("Sub\\Deeper", "Deep", 0), 77);
}

TEST(SettingsKeyPath, FillsTheBufferToItsLastByteAndNotOneFurther) {
  char path[SETTINGS_PATH_SIZE + 16];
  memset(path, 'x', sizeof path);
  std::string fits = SubkeyForPathLength(SETTINGS_PATH_SIZE - 1);
  ASSERT_TRUE(BuildSettingsKeyPath(path, SETTINGS_PATH_SIZE, fits.c_str()));
  EXPECT_EQ(std::string(path), std::string(SETTINGS_KEY_PATH) + "\\" + fits);

  memset(path, 'x', sizeof path);
  std::string tooLong = SubkeyForPathLength(SETTINGS_PATH_SIZE);
  EXPECT_FALSE(BuildSettingsKeyPath(path, SETTINGS_PATH_SIZE, tooLong.c_str()));
  for (size_t i = SETTINGS_PATH_SIZE; i < sizeof path; ++i) ASSERT_EQ(path[i], 'x') << "byte " << i;

  ASSERT_TRUE(BuildSettingsKeyPath(path, SETTINGS_PATH_SIZE, nullptr));
  EXPECT_STREQ(path, SETTINGS_KEY_PATH);
}

TEST_F(SettingsStore, AKeyPathOneByteTooLongIsRefusedWithoutTouchingTheRegistryOrTheBuffer) {
  std::string subkey = SubkeyForPathLength(SETTINGS_PATH_SIZE);
  EXPECT_EQ(WriteRegistryValue(subkey.c_str(), "Deep", nullptr, 77), 0u);
  EXPECT_FALSE(KeyExists(SETTINGS_KEY_PATH)) << "nothing created";

  std::string much = SubkeyForPathLength(4 * SETTINGS_PATH_SIZE);
  EXPECT_EQ(WriteRegistryValue(much.c_str(), "Deep", "text", 0), 0u);
  LONG value = 0x5A5A5A5A;
  EXPECT_EQ(ReadRegistryValue(much.c_str(), "Deep", &value, sizeof value), 0u);
  EXPECT_EQ(value, 0x5A5A5A5A);
  EXPECT_EQ(ReadRegistryInt(much.c_str(), "Deep", -5), -5);
}

}  // namespace
