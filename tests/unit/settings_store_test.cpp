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

bool Read(const char* name, DWORD* type, DWORD* value) { return ReadSetting(name, type, value); }

TEST_F(SettingsStore, WritesAndReadsFourByteValues) {
  OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  const DWORD light = 0x00123456;
  EXPECT_TRUE(WriteSetting(kColorLightName, REG_DWORD, &light, sizeof light));
  DWORD type = 0;
  const std::vector<BYTE> stored = SettingsKeyGuard::Get(kColorLightName, &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(stored, (std::vector<BYTE>{0x56, 0x34, 0x12, 0x00}));

  // Later accesses open the key afresh from the remembered root and path.
  DWORD value = 0;
  type = 0;
  ASSERT_TRUE(Read(kColorLightName, &type, &value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, light);
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeXName, 0xFFFFFFFF));
  ASSERT_TRUE(Read(kGridSizeXName, &type, &value));
  EXPECT_EQ(value, 0xFFFFFFFFu);
  EXPECT_FALSE(Read(kGridSizeYName, &type, &value));
}

TEST_F(SettingsStore, TypeIsNotExaminedButSizeIs) {
  const BYTE twoBytes[] = {0x34, 0x12};
  ASSERT_TRUE(SettingsKeyGuard::Set(kColorDarkName, REG_SZ, twoBytes, sizeof twoBytes));
  const BYTE eightBytes[] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_TRUE(SettingsKeyGuard::Set(kColorLightName, REG_BINARY, eightBytes, sizeof eightBytes));
  const BYTE fourBytes[] = {9, 8, 7, 6};
  ASSERT_TRUE(SettingsKeyGuard::Set(kGridSizeYName, REG_BINARY, fourBytes, sizeof fourBytes));

  OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  DWORD type = 0;
  DWORD value = 0xFFFFFFFF;
  // Two bytes fill the low bytes; the high bytes are zero, not left over.
  ASSERT_TRUE(Read(kColorDarkName, &type, &value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(value, 0x1234u);
  EXPECT_FALSE(Read(kColorLightName, &type, &value));
  ASSERT_TRUE(Read(kGridSizeYName, &type, &value));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(value, 0x06070809u);
}

TEST_F(SettingsStore, NoHandleStaysOpenOnceAUserHasFinished) {
  const long base = OpenHandleCount();
  if (base < 0) GTEST_SKIP() << "this system does not count the process's handles";
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 0));

  // The open holds one handle; the first access uses and closes it.
  OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  EXPECT_EQ(OpenHandleCount(), base + 1);
  DWORD type = 0;
  DWORD value = 0;
  EXPECT_TRUE(Read(kAlphaTypeName, &type, &value));
  EXPECT_EQ(OpenHandleCount(), base);

  // Reads that fail, reads that succeed and writes, in any mix.
  for (int i = 0; i < 20; ++i) {
    OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
    Read(kColorDarkName, &type, &value);  // absent: fails
    Read(kAlphaTypeName, &type, &value);
    const DWORD size = static_cast<DWORD>(i);
    WriteSetting(kGridSizeXName, REG_DWORD, &size, sizeof size);
  }
  EXPECT_EQ(OpenHandleCount(), base);

  // An open whose handle no access takes, followed by another open.
  OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath);
  Read(kAlphaTypeName, &type, &value);
  EXPECT_EQ(OpenHandleCount(), base);

  for (int i = 0; i < 20; ++i) ReadDecoderSettings();
  EXPECT_EQ(OpenHandleCount(), base);
}

TEST_F(SettingsStore, OpenCreatesTheKeyAndAFailedOpenFailsEveryAccess) {
  ASSERT_TRUE(SettingsKeyGuard::DeleteKey());
  ASSERT_FALSE(SettingsKeyGuard::KeyExists());
  EXPECT_TRUE(OpenSettingsKey(HKEY_CURRENT_USER, kSettingsKeyPath));
  EXPECT_TRUE(SettingsKeyGuard::KeyExists());
  DWORD type = 0;
  DWORD value = 0;
  EXPECT_FALSE(Read(kAlphaTypeName, &type, &value));

  // A root that is no key: nothing can be opened, read or written.
  HKEY bogus = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
  EXPECT_FALSE(OpenSettingsKey(bogus, kSettingsKeyPath));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 1));
  EXPECT_FALSE(Read(kAlphaTypeName, &type, &value));
  const DWORD one = 1;
  EXPECT_FALSE(WriteSetting(kColorLightName, REG_DWORD, &one, sizeof one));
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
