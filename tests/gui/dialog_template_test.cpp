// The settings dialog's template as the built module carries it: resource
// 100 in Japanese, a classic template, every control in tab order with its
// id, class, text, style and rectangle.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

constexpr WORD kButton = 0x0080;
constexpr WORD kEdit = 0x0081;
constexpr WORD kStatic = 0x0082;

struct ExpectedControl {
  WORD id;
  WORD classAtom;
  const wchar_t* text;
  DWORD style;
  short x, y, width, height;
};

constexpr ExpectedControl kControls[] = {
    {1, kButton, L"OK", 0x50030001, 5, 84, 35, 13},
    {2, kButton, L"CANCEL", 0x50010000, 45, 84, 35, 13},
    {206, kButton, L"\u521D\u671F\u5316", 0x50010000, 105, 84, 30, 13},  // 初期化
    {0, kButton, L"Cherry Kiss(CKISS)", 0x50000007, 5, 3, 130, 77},
    {0, kButton, L"", 0x50000007, 12, 15, 117, 46},
    // 透明度を無視する
    {201, kButton, L"\u900F\u660E\u5EA6\u3092\u7121\u8996\u3059\u308B", 0x50030004, 13, 64, 80, 10},
    // 透明度を反映(模様を表示)
    {200, kButton, L"\u900F\u660E\u5EA6\u3092\u53CD\u6620(\u6A21\u69D8\u3092\u8868\u793A)",
     0x50010004, 13, 15, 100, 10},
    {0xFFFF, kStatic, L"\u6A21\u69D8\u306E\u8272:", 0x50020000, 21, 28, 35, 10},  // 模様の色:
    {202, kButton, L"", 0x50018080, 25, 40, 12, 12},
    {203, kButton, L"", 0x50018080, 40, 40, 12, 12},
    // 模様の大きさ:
    {0xFFFF, kStatic, L"\u6A21\u69D8\u306E\u5927\u304D\u3055:", 0x50020000, 63, 28, 50, 10},
    {0xFFFF, kStatic, L"\u00D7", 0x50020000, 92, 45, 10, 10},  // ×
    {204, kEdit, L"", 0x50810080, 72, 40, 18, 13},
    {205, kEdit, L"", 0x50810080, 103, 40, 18, 13},
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
  EXPECT_EQ(style, 0x10C800C0u);
  EXPECT_EQ(style,
            static_cast<DWORD>(WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT));
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
  EXPECT_EQ(reader.Name().text, L"Tamsa - \u8A2D\u5B9A");  // Tamsa - 設定
  EXPECT_EQ(reader.Word(), 10) << "font size";
  EXPECT_EQ(reader.Name().text, L"MS Gothic");
  ASSERT_TRUE(reader.Good());
  ASSERT_EQ(count, sizeof kControls / sizeof kControls[0]);

  for (const ExpectedControl& expected : kControls) {
    SCOPED_TRACE("control at offset " + std::to_string(reader.Offset()) + ", id " +
                 std::to_string(expected.id));
    reader.AlignToDword();
    const DWORD controlStyle = reader.Dword();
    EXPECT_EQ(controlStyle, expected.style);
    EXPECT_EQ(controlStyle & (WS_CHILD | WS_VISIBLE), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
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
