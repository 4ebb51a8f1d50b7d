// Double-byte names under the Shift-JIS code page (932), with the system's
// own step rule. 0x95 0x5C, 0x83 0x5C and 0x94 0x5C are characters whose
// second byte is the backslash code. The process's ANSI code page must be
// 932: under Wine, run with a Japanese locale (LC_ALL=ja_JP.UTF-8).
#include <gtest/gtest.h>

#include <string>

#include "palette/text_utils.h"
#include "spi/ansi_text.h"
#include "spi/palette_search.h"
#include "support/test_files.h"

namespace {

class CodePage932 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetACP() != 932) GTEST_SKIP() << "ANSI code page is " << GetACP() << ", not 932";
  }
};

// The table of lead bytes steps exactly as CharNextA does, for every first
// byte and every byte after it (under whatever code page the test runs).
TEST(AnsiNextChar, StepsAsTheSystemDoes) {
  const NextChar& steps = AnsiNextChar();
  int mismatches = 0;
  for (int first = 1; first < 256; ++first) {
    for (int second = 0; second < 256; ++second) {
      const char text[3] = {static_cast<char>(first), static_cast<char>(second), '\0'};
      if (steps(text) != CharNextA(text)) ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0) << "code page " << GetACP();
  const char empty[1] = {'\0'};
  EXPECT_EQ(steps(empty), empty);
}

// The comparison of names answers as lstrcmpiA and lstrcmpiW do, whether it
// asks them or not.
TEST(NameComparison, AnswersAsTheSystemDoes) {
  const char* names[] = {
      "body.cel",     "BODY.CEL", "Body.Cel", "body.ce",  "body.cel2", "bodY_1.cel", "BODY_1.CEL",
      "b-ody.cel",    "",         ".CEL",     ".cel",     ".KCF",      "x.kcf",      "\x95\x5C.cel",
      "\x82\xA0.CEL", "i.cel",    "I.CEL",    "\xE9.cel", "\xC9.CEL"};
  int mismatches = 0;
  for (const char* a : names) {
    for (const char* b : names) {
      if ((AnsiCompareNoCase(a, b) == 0) != (lstrcmpiA(a, b) == 0)) ++mismatches;
      const std::wstring wa = Widened(a);
      const std::wstring wb = Widened(b);
      if ((WideCompareNoCase(wa.c_str(), wb.c_str()) == 0) !=
          (lstrcmpiW(wa.c_str(), wb.c_str()) == 0))
        ++mismatches;
    }
  }
  EXPECT_EQ(mismatches, 0) << "code page " << GetACP();
}

std::string Part(const std::string& path, PathPart part) {
  char buffer[kPathBufferSize];
  lstrcpynA(buffer, path.c_str(), sizeof buffer);
  GetPathPart(buffer, part, AnsiNextChar());
  return buffer;
}

TEST_F(CodePage932, PathPartsKeepDoubleByteCharactersWhole) {
  const std::string folder = "C:\\set\\\x83\x5C";
  const std::string name = "\x95\x5C\x94\x5C.cel";
  EXPECT_EQ(Part(folder + "\\" + name, PathPart::Folder), folder);
  EXPECT_EQ(Part(folder + "\\" + name, PathPart::FileName), name);
  EXPECT_EQ(Part("\x95\x5C.cel", PathPart::Folder), "");
  EXPECT_EQ(Part("\x95\x5C.cel", PathPart::FileName), "\x95\x5C.cel");
  char field[] = "\x95\x5C\x83\x5C.kcf ;x";
  CutAtBlank(field, AnsiNextChar());
  EXPECT_STREQ(field, "\x95\x5C\x83\x5C.kcf");
}

TEST_F(CodePage932, SearchFindsDoubleBytePalettesInADoubleByteFolder) {
  TempFolder set;
  const std::string folder = set.Path() + "\\\x83\x5C";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string celName = "\x95\x5C.cel";
  const std::string kcfName = "\x94\x5C.kcf";
  set.Write("\x83\x5C\\" + celName, HeadedCel(0x20, 4, 1, 1, {0x00}));
  set.Write("\x83\x5C\\" + kcfName, PaletteFile(12, 16, 1, Bytes(32, 0x31)));
  set.Write("\x83\x5C\\other.kcf", PaletteFile(12, 16, 1, Bytes(32, 0x32)));
  set.Write("\x83\x5C\\set.cnf", "%other.kcf\r\n%" + kcfName + "\r\n#1 " + celName + " *1\r\n");
  char out[MAX_PATH] = "";
  EXPECT_EQ(FindPaletteFile(out, (folder + "\\" + celName).c_str(), sizeof out), 0);
  EXPECT_EQ(std::string(out), folder + "\\" + kcfName);
}

}  // namespace
