// The settings store against the real registry of the current user. Each test
// starts from the key without the five values and leaves it as it found it.
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include "support/settings_registry.h"

namespace {

class SettingsStore : public ::testing::Test {
 protected:
  SettingsKeyGuard guard;
};

TEST_F(SettingsStore, WritesAndReadsFourByteValuesThroughOneKey) {
  const UniqueKey key = OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  ASSERT_NE(key, nullptr);
  const DWORD light = 0x00123456;
  EXPECT_TRUE(WriteSetting(key.get(), kColorLightName, REG_DWORD, &light, sizeof light));
  DWORD type = 0;
  const std::vector<BYTE> stored = SettingsKeyGuard::Get(kColorLightName, &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(stored, (std::vector<BYTE>{0x56, 0x34, 0x12, 0x00}));

  // Every later access goes through the same handle.
  DWORD value = 0;
  type = 0;
  ASSERT_TRUE(ReadSetting(key.get(), kColorLightName, &type, &value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, light);
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeXName, 0xFFFFFFFF));
  ASSERT_TRUE(ReadSetting(key.get(), kGridSizeXName, &type, &value));
  EXPECT_EQ(value, 0xFFFFFFFFu);
  EXPECT_FALSE(ReadSetting(key.get(), kGridSizeYName, &type, &value));

  const UniqueKey existing = OpenExistingSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  ASSERT_NE(existing, nullptr);
  ASSERT_TRUE(ReadSetting(existing.get(), kColorLightName, &type, &value));
  EXPECT_EQ(value, light);
}

TEST_F(SettingsStore, TypeIsNotExaminedButSizeIs) {
  const BYTE twoBytes[] = {0x34, 0x12};
  ASSERT_TRUE(SettingsKeyGuard::Set(kColorDarkName, REG_SZ, twoBytes, sizeof twoBytes));
  const BYTE eightBytes[] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_TRUE(SettingsKeyGuard::Set(kColorLightName, REG_BINARY, eightBytes, sizeof eightBytes));
  const BYTE fourBytes[] = {9, 8, 7, 6};
  ASSERT_TRUE(SettingsKeyGuard::Set(kGridSizeYName, REG_BINARY, fourBytes, sizeof fourBytes));

  const UniqueKey key = OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  DWORD type = 0;
  DWORD value = 0xFFFFFFFF;
  // Two bytes fill the low bytes; the high bytes are zero, not left over.
  ASSERT_TRUE(ReadSetting(key.get(), kColorDarkName, &type, &value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value, 0x1234u);
  EXPECT_FALSE(ReadSetting(key.get(), kColorLightName, &type, &value));
  ASSERT_TRUE(ReadSetting(key.get(), kGridSizeYName, &type, &value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(value, 0x06070809u);
}

TEST_F(SettingsStore, NoHandleStaysOpenOnceAUserHasFinished) {
  const long base = OpenHandleCount();
  if (base < 0) GTEST_SKIP() << "this system does not count the process's handles";
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 0));
  {
    const UniqueKey key = OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
    EXPECT_EQ(OpenHandleCount(), base + 1);
    DWORD type = 0;
    DWORD value = 0;
    EXPECT_TRUE(ReadSetting(key.get(), kAlphaTypeName, &type, &value));
    EXPECT_FALSE(ReadSetting(key.get(), kColorDarkName, &type, &value));
    EXPECT_EQ(OpenHandleCount(), base + 1);
  }
  EXPECT_EQ(OpenHandleCount(), base);
  for (int i = 0; i < 20; ++i) ReadDecoderSettings();
  EXPECT_EQ(OpenHandleCount(), base);
}

TEST_F(SettingsStore, OpenCreatesTheKeyAndAFailedOpenFailsEveryAccess) {
  ASSERT_TRUE(SettingsKeyGuard::DeleteKey());
  ASSERT_FALSE(SettingsKeyGuard::KeyExists());
  EXPECT_EQ(OpenExistingSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath), nullptr);
  EXPECT_NE(OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath), nullptr);
  EXPECT_TRUE(SettingsKeyGuard::KeyExists());

  // A root that is no key: nothing can be opened, read or written.
  HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
  const UniqueKey none = OpenSettingsKey(bogus, kSettingsKeyPath);
  EXPECT_EQ(none, nullptr);
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 1));
  DWORD type = 0;
  DWORD value = 0;
  EXPECT_FALSE(ReadSetting(none.get(), kAlphaTypeName, &type, &value));
  const DWORD one = 1;
  EXPECT_FALSE(WriteSetting(none.get(), kColorLightName, REG_DWORD, &one, sizeof one));
  DWORD ignored = 0;
  EXPECT_TRUE(SettingsKeyGuard::Get(kColorLightName, &ignored).empty());
}

void ExpectDefaults(const PluginSettings& s) {
  const PluginSettings defaults;
  EXPECT_EQ(s.AlphaType, defaults.AlphaType);
  EXPECT_EQ(s.ColorLight, defaults.ColorLight);
  EXPECT_EQ(s.ColorDark, defaults.ColorDark);
  EXPECT_EQ(s.GridSizeX, defaults.GridSizeX);
  EXPECT_EQ(s.GridSizeY, defaults.GridSizeY);
}

void StoreAllButAlphaType() {
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorLightName, 0x0000FF));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorDarkName, 0xFF123456));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeXName, 0));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeYName, 0xFFFFFFFF));
}

TEST_F(SettingsStore, DecoderUsesDefaultsWholeWhenAlphaTypeCannotBeRead) {
  ExpectDefaults(ReadDecoderSettings());
  StoreAllButAlphaType();
  ExpectDefaults(ReadDecoderSettings());
  const BYTE eightBytes[8] = {};
  ASSERT_TRUE(SettingsKeyGuard::Set(kAlphaTypeName, REG_BINARY, eightBytes, sizeof eightBytes));
  ExpectDefaults(ReadDecoderSettings());
  // With no key at all, the decoder's read creates it, empty.
  ASSERT_TRUE(SettingsKeyGuard::DeleteKey());
  ExpectDefaults(ReadDecoderSettings());
  EXPECT_TRUE(SettingsKeyGuard::KeyExists());
}

TEST_F(SettingsStore, DecoderReadsNothingMoreWhenAlphaTypeIsNonZero) {
  StoreAllButAlphaType();
  for (DWORD alphaType : {1u, 2u, 0x80000000u}) {
    ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, alphaType));
    const PluginSettings s = ReadDecoderSettings();
    EXPECT_EQ(s.AlphaType, 1u) << alphaType;
    EXPECT_EQ(s.ColorLight, 0xFFFFFFu);
    EXPECT_EQ(s.ColorDark, 0xC0C0C0u);
    EXPECT_EQ(s.GridSizeX, 10);
    EXPECT_EQ(s.GridSizeY, 10);
  }
}

TEST_F(SettingsStore, DecoderReadsEachValueOrItsOwnDefault) {
  // A 2-byte string of zeros is AlphaType 0.
  const BYTE zero[2] = {0, 0};
  ASSERT_TRUE(SettingsKeyGuard::Set(kAlphaTypeName, REG_SZ, zero, sizeof zero));
  StoreAllButAlphaType();
  PluginSettings s = ReadDecoderSettings();
  EXPECT_EQ(s.AlphaType, 0u);
  EXPECT_EQ(s.ColorLight, 0x0000FFu);
  EXPECT_EQ(s.ColorDark, 0xFF123456u);  // the store hands the high byte on
  EXPECT_EQ(s.GridSizeX, 0);
  EXPECT_EQ(s.GridSizeY, -1);

  SettingsKeyGuard::Remove(kColorDarkName);
  SettingsKeyGuard::Remove(kGridSizeYName);
  const BYTE eightBytes[8] = {1};
  ASSERT_TRUE(SettingsKeyGuard::Set(kColorLightName, REG_BINARY, eightBytes, sizeof eightBytes));
  s = ReadDecoderSettings();
  EXPECT_EQ(s.ColorLight, 0xFFFFFFu);
  EXPECT_EQ(s.ColorDark, 0xC0C0C0u);
  EXPECT_EQ(s.GridSizeX, 0);
  EXPECT_EQ(s.GridSizeY, 10);
}

}  // namespace
