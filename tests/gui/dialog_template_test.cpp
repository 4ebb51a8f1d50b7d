// The settings dialog's template as the built module carries it: resource
// 100 in Japanese, a classic template, with the caption, font and controls
// (id, class, text, style, rectangle) of settings_template.h.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gui/settings_template.h"
#include "host/plugin_host.h"

namespace {

// Reads the words of a classic dialog template, failing softly at its end.
class TemplateReader {
 public:
  TemplateReader(const BYTE* data, size_t size) : data_(data), size_(size) {}

  bool Good() const { return good_; }
  size_t Offset() const { return offset_; }

  WORD Word() {
    WORD value = 0;
    Take(&value, sizeof value);
    return value;
  }
  DWORD Dword() {
    DWORD value = 0;
    Take(&value, sizeof value);
    return value;
  }
  short Short() { return static_cast<short>(Word()); }
  void AlignToDword() {
    while (good_ && offset_ % 4 != 0) Word();
  }

  // A name-or-ordinal field: 0 alone is empty, 0xFFFF an ordinal, anything
  // else the first character of a terminated string.
  struct NameOrOrdinal {
    bool isOrdinal = false;
    WORD ordinal = 0;
    std::wstring text;
  };
  NameOrOrdinal Name() {
    NameOrOrdinal name;
    WORD first = Word();
    if (first == 0xFFFF) {
      name.isOrdinal = true;
      name.ordinal = Word();
      return name;
    }
    while (good_ && first != 0) {
      name.text += static_cast<wchar_t>(first);
      first = Word();
    }
    return name;
  }

 private:
  void Take(void* destination, size_t count) {
    if (!good_ || size_ - offset_ < count) {
      good_ = false;
      return;
    }
    std::memcpy(destination, data_ + offset_, count);
    offset_ += count;
  }

  const BYTE* data_;
  size_t size_;
  size_t offset_ = 0;
  bool good_ = true;
};

BOOL CALLBACK CountLanguage(HMODULE, LPCSTR, LPCSTR, WORD, LONG_PTR count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

TEST(DialogTemplate, MatchesTheSettingsDialog) {
  const HMODULE module = LoadLibraryExA(TAMSA_SPI_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr) << "cannot load " << TAMSA_SPI_PATH;

  int languages = 0;
  EnumResourceLanguagesA(module, reinterpret_cast<LPCSTR>(RT_DIALOG), MAKEINTRESOURCEA(100),
                         CountLanguage, reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_EQ(languages, 1) << "one language only";
  const HRSRC found =
      FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_DIALOG), MAKEINTRESOURCEA(100),
                      MAKELANGID(LANG_JAPANESE, SUBLANG_NEUTRAL));
  ASSERT_NE(found, nullptr) << "no Japanese dialog 100";
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  ASSERT_NE(bytes, nullptr);
  TemplateReader reader(bytes, SizeofResource(module, found));

  // A classic template: the extended one starts with version 1, signature 0xFFFF.
  const DWORD style = reader.Dword();
  ASSERT_NE(style, 0xFFFF0001u) << "an extended template";
  EXPECT_EQ(style, kSettingsStyle);
  EXPECT_EQ(reader.Dword(), 0u) << "extended style";
  const WORD count = reader.Word();
  EXPECT_EQ(reader.Short(), 0);
  EXPECT_EQ(reader.Short(), 0);
  EXPECT_EQ(reader.Short(), 140);
  EXPECT_EQ(reader.Short(), 100);
  const auto menu = reader.Name();
  EXPECT_TRUE(!menu.isOrdinal && menu.text.empty()) << "no menu";
  const auto windowClass = reader.Name();
  EXPECT_TRUE(!windowClass.isOrdinal && windowClass.text.empty()) << "the default dialog class";
  EXPECT_EQ(reader.Name().text, kSettingsCaption);
  EXPECT_EQ(reader.Word(), kSettingsFontPoints) << "font size";
  EXPECT_EQ(reader.Name().text, kSettingsFont);
  ASSERT_TRUE(reader.Good());
  ASSERT_EQ(count, kSettingsControlCount);

  for (const TemplateControl& expected : kSettingsControls) {
    SCOPED_TRACE("control at offset " + std::to_string(reader.Offset()) + ", id " +
                 std::to_string(expected.id));
    reader.AlignToDword();
    const DWORD controlStyle = reader.Dword();
    EXPECT_EQ(controlStyle, expected.style);
    EXPECT_EQ(reader.Dword(), 0u) << "extended style";
    EXPECT_EQ(reader.Short(), expected.x);
    EXPECT_EQ(reader.Short(), expected.y);
    EXPECT_EQ(reader.Short(), expected.width);
    EXPECT_EQ(reader.Short(), expected.height);
    EXPECT_EQ(reader.Word(), expected.id);
    const auto controlClass = reader.Name();
    EXPECT_TRUE(controlClass.isOrdinal);
    EXPECT_EQ(controlClass.ordinal, expected.classAtom);
    const auto text = reader.Name();
    EXPECT_FALSE(text.isOrdinal);
    EXPECT_EQ(text.text, expected.text);
    EXPECT_EQ(reader.Word(), 0) << "creation data";
    ASSERT_TRUE(reader.Good()) << "the template ends early";
  }
  FreeLibrary(module);
}

}  // namespace
