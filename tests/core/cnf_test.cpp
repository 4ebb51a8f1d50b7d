#include "palette/cnf.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

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

// What one configuration file says about a cel, as the search asks it.
struct CnfAnswer {
  bool placed = false;
  std::int32_t paletteNumber = 0;
  std::size_t paletteLineCount = 0;
  bool hasPalette = false;
  std::string paletteName;
};

CnfAnswer AskCnf(const std::string& text, const char* celName, const NextChar& next) {
  LineBuffer lines;
  EXPECT_EQ(LoadLineBuffer(lines, text.c_str(), text.size(), test_steps::kHeap), 0);
  const CnfIndex index = IndexCnf(lines, next);
  CnfAnswer answer;
  answer.paletteLineCount = index.paletteLines.size();
  const CelPlacement* placement =
      FindPlacement(index, std::string(celName), [&](const std::string& field) {
        return test_steps::CompareNoCase(field.c_str(), celName) == 0;
      });
  if (placement == nullptr) return answer;
  answer.placed = true;
  answer.paletteNumber = placement->paletteNumber;
  const PaletteLine* line = PaletteLineFor(index, placement->paletteNumber);
  if (line != nullptr && line->whole) {
    answer.hasPalette = true;
    answer.paletteName = line->name;
  }
  return answer;
}

class ReadCnfTest : public ::testing::Test {
 protected:
  static CnfAnswer Ask(const std::string& text, const char* celName = "body.cel") {
    return AskCnf(text, celName, NextByte);
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
  EXPECT_EQ(answer.paletteLineCount, 3u);
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
  const CnfAnswer answer = AskCnf(text, "\x94\x5C.cel", test_steps::NextCp932);
  ASSERT_TRUE(answer.placed);
  EXPECT_EQ(answer.paletteName, "\x83\x5C.kcf");
}

// The system's comparison decides every pair it is asked about; plain names
// that differ in length or folded hash are never the same, so it is spared
// them, but it is asked about every other name, in line order.
TEST(FindPlacement, AsksTheComparisonAboutEveryNameThatCouldBeTheCel) {
  LineBuffer lines;
  const std::string text =
      "#1 arm.cel *1\r#2 leg.cel *2\r#3 bo-dy.cel *3\r#4 BODY.CEL *4\r#5 \x82\xA0.cel *5\r";
  ASSERT_EQ(LoadLineBuffer(lines, text.c_str(), text.size(), test_steps::kHeap), 0);
  const CnfIndex index = IndexCnf(lines, NextByte);
  ASSERT_EQ(index.placements.size(), 5u);

  std::vector<std::string> asked;
  // A comparison under which a hyphen does not count, as some locales have it.
  auto ignoringHyphens = [&](const std::string& field) {
    asked.push_back(field);
    std::string bare;
    for (char c : field)
      if (c != '-') bare += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return bare == "BODY.CEL";
  };
  const CelPlacement* found = FindPlacement(index, std::string("body.cel"), ignoringHyphens);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->paletteNumber, 3);
  EXPECT_EQ(asked, (std::vector<std::string>{"bo-dy.cel"}));

  // A cel whose own name is not plain is compared with every line.
  asked.clear();
  EXPECT_EQ(FindPlacement(index, std::string("\x82\xA0.cel"),
                          [&](const std::string& field) {
                            asked.push_back(field);
                            return field == "\x82\xA0.cel";
                          })
                ->paletteNumber,
            5);
  EXPECT_EQ(asked.size(), 5u);

  // Names equal under folding are still confirmed by the comparison, which
  // may say no (as a locale with another rule for i would).
  asked.clear();
  EXPECT_EQ(FindPlacement(index, std::string("Body.Cel"),
                          [&](const std::string& field) {
                            asked.push_back(field);
                            return false;
                          }),
            nullptr);
  EXPECT_EQ(asked, (std::vector<std::string>{"bo-dy.cel", "BODY.CEL", "\x82\xA0.cel"}));
}

}  // namespace
