#include "palette/text_utils.h"

#include <gtest/gtest.h>

#include <string>

#include "core/char_steps.h"

namespace {

std::string Part(const std::string& path, PathPart part, NextChar next = NextByte) {
  char buffer[kPathBufferSize];
  std::snprintf(buffer, sizeof buffer, "%s", path.c_str());
  GetPathPart(buffer, part, next);
  return buffer;
}

std::string Folder(const std::string& path) { return Part(path, PathPart::Folder); }
std::string FileName(const std::string& path) { return Part(path, PathPart::FileName); }

TEST(GetPathPart, FolderDropsTheLastSeparatorExceptAfterADrive) {
  EXPECT_EQ(Folder("C:\\set\\body.cel"), "C:\\set");
  EXPECT_EQ(Folder("C:\\body.cel"), "C:\\");
  EXPECT_EQ(Folder("C:/body.cel"), "C:/");
  EXPECT_EQ(Folder("set/body.cel"), "set");
  EXPECT_EQ(Folder("C:\\set\\"), "C:\\set");
  EXPECT_EQ(Folder("C:\\a/b\\c.cel"), "C:\\a/b");
  EXPECT_EQ(Folder("\\\\server\\share\\c.cel"), "\\\\server\\share");
  EXPECT_EQ(Folder("body.cel"), "");
  EXPECT_EQ(Folder("\\body.cel"), "");
  EXPECT_EQ(Folder("C:body.cel"), "");
  EXPECT_EQ(Folder(""), "");
}

TEST(GetPathPart, FileNameKeepsWhatFollowsTheLastSeparator) {
  EXPECT_EQ(FileName("C:\\set\\body.cel"), "body.cel");
  EXPECT_EQ(FileName("set/body.cel"), "body.cel");
  EXPECT_EQ(FileName("a\\b/c.cel"), "c.cel");
  EXPECT_EQ(FileName("body.cel"), "body.cel");
  EXPECT_EQ(FileName("C:body.cel"), "C:body.cel");
  EXPECT_EQ(FileName("C:\\set\\"), "");
  EXPECT_EQ(FileName(""), "");
}

// 0x95 0x5C and 0x83 0x5C are double-byte characters whose second byte is
// the backslash code.
TEST(GetPathPart, DoubleByteCharactersStayWhole) {
  const std::string name = "\x95\x5C\x83\x5C.cel";
  const std::string folder = "C:\\\x83\x5C";
  const std::string path = folder + "\\" + name;
  EXPECT_EQ(Part(path, PathPart::Folder, test_steps::NextCp932), folder);
  EXPECT_EQ(Part(path, PathPart::FileName, test_steps::NextCp932), name);
  EXPECT_EQ(Part("\x95\x5C.cel", PathPart::Folder, test_steps::NextCp932), "");
  EXPECT_EQ(Part("\x95\x5C.cel", PathPart::FileName, test_steps::NextCp932), "\x95\x5C.cel");
  // A byte step takes the trail bytes for separators.
  EXPECT_EQ(Part(path, PathPart::FileName, NextByte), ".cel");
  EXPECT_EQ(Part("\x95\x5C.cel", PathPart::Folder, NextByte), "\x95");
}

TEST(Tokens, SkipBlanksAndCutAtBlank) {
  const char* blanks = " \t \t";
  EXPECT_EQ(SkipBlanks(blanks, NextByte), blanks + 4);
  const char* field = "\t body.cel *1";
  EXPECT_EQ(SkipBlanks(field, NextByte), field + 2);
  EXPECT_EQ(SkipBlanks("x ", NextByte)[0], 'x');

  char cut[] = "body.cel\r\n";
  CutAtBlank(cut, NextByte);
  EXPECT_STREQ(cut, "body.cel");
  char tab[] = "a\tb c";
  CutAtBlank(tab, NextByte);
  EXPECT_STREQ(tab, "a");
  char lf[] = "ab\ncd";
  CutAtBlank(lf, NextByte);
  EXPECT_STREQ(lf, "ab");
  char whole[] = "a;b:c*d";
  CutAtBlank(whole, NextByte);
  EXPECT_STREQ(whole, "a;b:c*d");
  char leading[] = " x";
  CutAtBlank(leading, NextByte);
  EXPECT_STREQ(leading, "");
}

TEST(Tokens, ParseDecimal) {
  struct Case {
    const char* text;
    std::int32_t value;
  };
  const Case cases[] = {
      {"42", 42},
      {"-42", -42},
      {"+7", 7},
      {"007", 7},
      {"12ab", 12},
      {"", 0},
      {"-", 0},
      {"--5", 0},
      {"+-5", 0},
      {" 5", 0},
      {"x5", 0},
      {"4294967297", 1},
      {"2147483647", 2147483647},
      {"2147483648", INT32_MIN},
      {"-2147483648", INT32_MIN},
      {"4294967295", -1},
      {"99999999999999999999", 1661992959},
      {"3 4", 3},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseDecimal(c.text, NextByte), c.value) << c.text;
}

TEST(SamePlainNameNoCase, OnlyLettersDigitsDotsAndUnderscoresArePlain) {
  struct Case {
    const char* a;
    const char* b;
    bool plain;
    bool same;
  };
  const Case cases[] = {
      {"body.cel", "BODY.CEL", true, true},
      {"Body_2.Cel", "bODY_2.cEL", true, true},
      {"body.cel", "body.ce", true, false},
      {"body.ce", "body.cel", true, false},
      {"a", "b", true, false},
      {"", "", true, true},
      {"", "x", true, false},
      {"b-dy.cel", "b-dy.cel", false, false},
      {"body.cel", "body.cel ", false, false},
      {"\x95\x5C.cel", "\x95\x5C.cel", false, false},
      {"body.cel", "body.ce-", false, false},
  };
  for (const Case& c : cases) {
    bool plain = !c.plain;
    EXPECT_EQ(SamePlainNameNoCase(c.a, c.b, &plain), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(plain, c.plain) << c.a << " / " << c.b;
  }
  bool plain = false;
  EXPECT_TRUE(SamePlainNameNoCase(L"body.cel", L"BODY.CEL", &plain));
  EXPECT_TRUE(plain);
  EXPECT_FALSE(SamePlainNameNoCase(L"\u00e9.cel", L"\u00c9.CEL", &plain));
  EXPECT_FALSE(plain);
}

}  // namespace
