#include "palette/cnf.h"

#include <gtest/gtest.h>

#include <string>

#include "core/char_steps.h"
#include "palette/line_buffer.h"

namespace {

std::int32_t Match(const std::string& line, const char* celName = "body.cel") {
  return MatchCelLine(line.c_str(), celName, NextByte, test_steps::CompareNoCase);
}

TEST(MatchCelLine, ReadsThePaletteNumberBeforeAnySemicolonOrColon) {
  EXPECT_EQ(Match("#12.0 body.cel *3 :0 1 2 ;torso"), 3);
  EXPECT_EQ(Match("#1 body.cel :0 *2"), 0);
  EXPECT_EQ(Match("#1 body.cel ;*2"), 0);
  EXPECT_EQ(Match("#1 body.cel *"), 0);
  EXPECT_EQ(Match("#1 body.cel"), 0);
  EXPECT_EQ(Match("#1 body.cel *+2"), 2);
  EXPECT_EQ(Match("#1 body.cel *2x"), 2);
  EXPECT_EQ(Match("#1 body.cel *-1"), -1);
  EXPECT_EQ(Match("#1 body.cel *7 *3"), 7);
  EXPECT_EQ(Match("#1\tbody.cel\t*4\r"), 4);
  EXPECT_EQ(Match("#1  \t body.cel*5"), -2);  // '*' belongs to field 2
  EXPECT_EQ(Match("#1 body.cel\r"), 0);
}

TEST(MatchCelLine, Field2MustBeTheCelsNameAlone) {
  EXPECT_EQ(Match("#1 BODY.CEL *1"), 1);
  EXPECT_EQ(Match("#1 body.cel *1", "Body.Cel"), 1);
  EXPECT_EQ(Match("#1 parts\\body.cel *1"), -2);
  EXPECT_EQ(Match("#1 body.cel2 *1"), -2);
  EXPECT_EQ(Match("#1 arm.cel *1"), -2);
  EXPECT_EQ(Match("#1body.cel *1"), -2);  // no blank: all of it is field 1
  EXPECT_EQ(Match("#1 \x95\x5C.cel *6", "\x95\x5C.cel"), 6);
}

TEST(MatchCelLine, ANameCutByTheWindowIsNotTheCel) {
  // Field 2 ending at character 254 lies within the window...
  const std::string field1 = "#" + std::string(240, '1') + " ";
  const std::string name(254 - field1.size(), 'n');
  EXPECT_EQ(Match(field1 + name + " *4", name.c_str()), 4);
  // ... one character more and the window would have cut it.
  const std::string longer = name + "n";
  EXPECT_EQ(Match(field1 + longer + " *4", longer.c_str()), -2);
  EXPECT_EQ(Match(field1 + longer + " *4", name.c_str()), -2);
}

TEST(ReadPaletteLineName, EndsAtTheFirstBlankOrBreak) {
  char name[kPathBufferSize];
  ReadPaletteLineName("%body.kcf ;main", name, NextByte);
  EXPECT_STREQ(name, "body.kcf");
  ReadPaletteLineName("%body.kcf\r", name, NextByte);
  EXPECT_STREQ(name, "body.kcf");
  ReadPaletteLineName("%sub\\a.kcf\tx", name, NextByte);
  EXPECT_STREQ(name, "sub\\a.kcf");
  ReadPaletteLineName("% body.kcf", name, NextByte);
  EXPECT_STREQ(name, "");
}

class ReadCnfTest : public ::testing::Test {
 protected:
  void TearDown() override { FreeLineBuffer(); }
  static CnfAnswer Ask(const std::string& text, const char* celName = "body.cel") {
    EXPECT_EQ(LoadLineBuffer(text.c_str(), text.size(), test_steps::kHeap), 0);
    return ReadCnfForCel(celName, NextByte, test_steps::CompareNoCase);
  }
  static std::string PaletteFor(const std::string& text) {
    const CnfAnswer answer = Ask(text);
    if (!answer.placed) return "<not placed>";
    if (!answer.hasPalette) return "<none>";
    return answer.paletteName;
  }
};

TEST_F(ReadCnfTest, PaletteNumberNamesAPaletteLine) {
  const std::string palettes = "%a.kcf\r\n; comment\r\n%b.kcf ;second\r\n%c.kcf\r\n";
  EXPECT_EQ(PaletteFor(palettes + "#1 body.cel *0\r\n"), "a.kcf");
  EXPECT_EQ(PaletteFor(palettes + "#1 body.cel *1\r\n"), "b.kcf");
  EXPECT_EQ(PaletteFor(palettes + "#1 body.cel *2\r\n"), "c.kcf");
  // Beyond the list: the first palette line.
  EXPECT_EQ(PaletteFor(palettes + "#1 body.cel *3\r\n"), "a.kcf");
  EXPECT_EQ(PaletteFor(palettes + "#1 body.cel *2147483647\r\n"), "a.kcf");
  EXPECT_EQ(PaletteFor(palettes + "#1 body.cel :0\r\n"), "a.kcf");
  // Palette lines count wherever they stand.
  EXPECT_EQ(PaletteFor("%a.kcf\n#1 body.cel *1\n%b.kcf\n"), "b.kcf");
  const CnfAnswer answer = Ask(palettes + "#1 body.cel *2\r\n");
  EXPECT_EQ(answer.paletteNumber, 2);
  EXPECT_EQ(answer.paletteLineCount, 3);
}

TEST_F(ReadCnfTest, EveryLineEndingReadsAlike) {
  for (const char* end : {"\r", "\n", "\r\n", "\n\r"}) {
    const std::string text = std::string("%a.kcf") + end + "%b.kcf" + end + "#1 body.cel *1" + end;
    EXPECT_EQ(PaletteFor(text), "b.kcf") << static_cast<int>(end[0]);
    EXPECT_EQ(PaletteFor(std::string("%a.kcf") + end + "%b.kcf" + end + "#1 body.cel *1"), "b.kcf");
  }
}

TEST_F(ReadCnfTest, OnlyTheFirstCharacterDecidesALinesKind) {
  EXPECT_EQ(PaletteFor("%a.kcf\r #1 body.cel *0\r"), "<not placed>");
  EXPECT_EQ(PaletteFor("\t#1 body.cel *0\r"), "<not placed>");
  EXPECT_EQ(PaletteFor(" %x.kcf\r%a.kcf\r%b.kcf\r#1 body.cel *1\r"), "b.kcf");
  EXPECT_EQ(PaletteFor(" %x.kcf\r#1 body.cel *0\r"), "<none>");
  EXPECT_EQ(PaletteFor("#1 body.cel *0\r"), "<none>");
  EXPECT_EQ(PaletteFor("%a.kcf\r#1 arm.cel *0\r"), "<not placed>");
  EXPECT_EQ(PaletteFor("% a.kcf\r#1 body.cel *0\r"), "");
}

TEST_F(ReadCnfTest, TheFirstLineWithANumberOfZeroOrMoreDecides) {
  const std::string palettes = "%a.kcf\r%b.kcf\r%c.kcf\r";
  EXPECT_EQ(PaletteFor(palettes + "#1 body.cel *-1\r#2 body.cel *2\r#3 body.cel *1\r"), "c.kcf");
  EXPECT_EQ(PaletteFor(palettes + "#1 body.cel *1\r#2 body.cel *2\r"), "b.kcf");
  EXPECT_EQ(PaletteFor(palettes + "#1 body.cel *-1\r"), "<not placed>");
  EXPECT_EQ(PaletteFor(palettes + "#1 arm.cel *2\r#2 body.cel *1\r"), "b.kcf");
}

TEST_F(ReadCnfTest, LinesBeyondTheCountAreNotRead) {
  std::string filler;
  for (int i = 0; i < 2046; ++i) filler += ";\r";
  EXPECT_EQ(PaletteFor("%a.kcf\r" + filler + "#1 body.cel *0\r"), "<not placed>");
  EXPECT_EQ(PaletteFor(filler + "#1 body.cel *1\r%b.kcf\r"), "<none>");
  EXPECT_EQ(PaletteFor("%a.kcf\r" + filler.substr(2) + "#1 body.cel *0\r"), "a.kcf");
}

TEST_F(ReadCnfTest, ANameCutWithItsLineIsNotUsed) {
  const std::string whole(257, 'p');
  EXPECT_EQ(PaletteFor("%" + whole + "\r#1 body.cel *0\r"), whole);
  EXPECT_EQ(PaletteFor("%" + whole + "p\r#1 body.cel *0\r"), "<none>");
  EXPECT_EQ(PaletteFor("%" + whole + " ;x\r#1 body.cel *0\r"), whole);
}

TEST_F(ReadCnfTest, DoubleByteNamesUnderCodePage932) {
  const std::string text = "%\x95\x5C.kcf\r%\x83\x5C.kcf\r#1 \x94\x5C.cel *1\r";
  ASSERT_EQ(LoadLineBuffer(text.c_str(), text.size(), test_steps::kHeap), 0);
  const CnfAnswer answer =
      ReadCnfForCel("\x94\x5C.cel", test_steps::NextCp932, test_steps::CompareNoCase);
  ASSERT_TRUE(answer.placed);
  EXPECT_STREQ(answer.paletteName, "\x83\x5C.kcf");
}

}  // namespace
