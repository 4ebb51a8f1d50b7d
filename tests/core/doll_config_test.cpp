// Reading a set's configuration for the doll: the quick test and every kind
// of line the composer uses.
#include "doll/doll_config.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ByteView View(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

DollConfig Read(const std::string& text) { return ReadDollConfig(View(text)); }

TEST(DollQuickTest, ClaimsConfigurationsByTheirLines) {
  EXPECT_TRUE(LooksLikeDollConfig(View("#0 a.cel\n")));
  EXPECT_TRUE(LooksLikeDollConfig(View("; set\r\n(640,400)\r\n")));
  EXPECT_TRUE(LooksLikeDollConfig(View("; set\r%COL.KCF\t; palette\r")));
  EXPECT_TRUE(LooksLikeDollConfig(View("%col.kcf")));
  // Long comment blocks first: the size line comes after 2,000 bytes.
  EXPECT_TRUE(LooksLikeDollConfig(View(std::string(2000, ';') + "\n(448,320)\n")));

  EXPECT_FALSE(LooksLikeDollConfig(View("")));
  EXPECT_FALSE(LooksLikeDollConfig(View("[database]\nkey=value\n#comment\n")));
  EXPECT_FALSE(LooksLikeDollConfig(View("%notes.txt\n#x\n(a,b)\n")));
  EXPECT_FALSE(LooksLikeDollConfig(View(" #0 a.cel\n")));  // a line begins with its kind
  // Only the first 2 KB are looked at.
  EXPECT_FALSE(LooksLikeDollConfig(View(std::string(2048, ';') + "\n#0 a.cel\n")));
}

TEST(DollQuickTest, AZeroInTheFileIsNotPaddingAfterIt) {
  std::string padded = "#0 a.cel\n";
  padded.resize(kDollClaimWindow, '\0');  // a short file in the host's 2 KB buffer
  EXPECT_TRUE(LooksLikeDollConfig(View(padded)));
  std::string binary = "#0 a.cel\n";
  binary += '\0';
  binary += "rest";
  EXPECT_FALSE(LooksLikeDollConfig(View(binary)));
  EXPECT_FALSE(LooksLikeDollConfig(View(std::string(kDollClaimWindow, '\0'))));
}

TEST(DollConfigText, CelLinesGiveObjectNamePaletteAndPages) {
  const DollConfig config = Read(
      "#12.255 shirt.cel *2 :0 3 9 ;top * 5 : 1\n"
      "#7\tHAIR_F.CEL\t\n"
      "#3 bow.cel :\n"
      "#4 hat.cel : 1 10 12 2\n"
      "#x nameless.cel\n"
      "#5\n"
      "# 6 spaced.cel\n");
  ASSERT_EQ(config.cels.size(), 4u);
  EXPECT_EQ(config.cels[0].name, "shirt.cel");
  EXPECT_EQ(config.cels[0].object, 12);
  EXPECT_EQ(config.cels[0].paletteNumber, 2);
  EXPECT_EQ(config.cels[0].pages, (1u << 0) | (1u << 3) | (1u << 9));  // the comment is not read
  EXPECT_EQ(config.cels[1].name, "HAIR_F.CEL");
  EXPECT_EQ(config.cels[1].paletteNumber, 0);
  EXPECT_EQ(config.cels[1].pages, 0x3FFu);                 // no list: every page
  EXPECT_EQ(config.cels[2].pages, 0u);                     // an empty list: no page
  EXPECT_EQ(config.cels[3].pages, (1u << 1) | (1u << 2));  // no page past the tenth
}

TEST(DollConfigText, SizeAndPaletteLines) {
  DollConfig config = Read("(640, 400) ;size\n(10,10)\n%a.kcf ;first\n%\n%B.KCF\n");
  EXPECT_EQ(config.width, 640);
  EXPECT_EQ(config.height, 400);  // the first size line holds
  ASSERT_EQ(config.paletteFiles.size(), 3u);
  EXPECT_EQ(config.paletteFiles[0], "a.kcf");
  EXPECT_EQ(config.paletteFiles[1], "");  // still counted: *N numbers the '%' lines
  EXPECT_EQ(config.paletteFiles[2], "B.KCF");

  config = Read("#0 a.cel\n");
  EXPECT_EQ(config.width, kDefaultDollWidth);
  EXPECT_EQ(config.height, kDefaultDollHeight);
  config = Read("(0,300)\n");
  EXPECT_EQ(config.width, kDefaultDollWidth);
  config = Read("(99999999999999999999,5)\n");
  EXPECT_GT(config.width, 16384);  // kept large, for the composer to refuse
  EXPECT_EQ(config.height, 5);
}

TEST(DollConfigText, PageLinesWithPlacesContinuationsAndGroups) {
  const DollConfig config = Read(
      "$2 10,20 * -5,-7 junk 3 , 4\r\n"
      " 100,200\t300,400 ;comment 1,1\r\n"
      "\t*\r\n"
      "#0 a.cel\r\n"
      " 9,9\r\n"
      "$ 1,2\r\n");
  ASSERT_EQ(config.pages.size(), 2u);
  const DollPage& first = config.pages[0];
  EXPECT_EQ(first.group, 2);
  ASSERT_EQ(first.places.size(), 8u);  // the indented line after the cel line continues nothing
  EXPECT_TRUE(first.places[0].given);
  EXPECT_EQ(first.places[0].x, 10);
  EXPECT_EQ(first.places[0].y, 20);
  EXPECT_FALSE(first.places[1].given);
  EXPECT_EQ(first.places[2].x, -5);
  EXPECT_EQ(first.places[2].y, -7);
  EXPECT_FALSE(first.places[3].given);  // a token that is not a pair takes its position
  EXPECT_TRUE(first.places[4].given);
  EXPECT_EQ(first.places[4].x, 3);
  EXPECT_EQ(first.places[4].y, 4);
  EXPECT_EQ(first.places[6].x, 300);
  EXPECT_FALSE(first.places[7].given);
  EXPECT_EQ(config.pages[1].group, 0);
  ASSERT_EQ(config.pages[1].places.size(), 1u);
  EXPECT_EQ(config.pages[1].places[0].y, 2);
  EXPECT_EQ(DollPageCount(config), 2);
}

TEST(DollConfigText, AtMostTenPagesAndEveryLineEnd) {
  std::string text;
  for (int page = 0; page < 12; ++page) text += "$" + std::to_string(page) + " 1,1\n 2,2\n";
  const DollConfig many = Read(text);
  ASSERT_EQ(many.pages.size(), 10u);
  EXPECT_EQ(many.pages[9].group, 9);
  EXPECT_EQ(many.pages[9].places.size(), 2u);
  EXPECT_EQ(DollPageCount(Read("#0 a.cel\n")), 1);

  const std::string lines[] = {"(50,60)", "%p.kcf", "#1 a.cel *0 :0", "$3 4,5", " 6,7"};
  for (const char* end : {"\n", "\r\n", "\r"}) {
    std::string joined;
    for (const std::string& line : lines) joined += line + end;
    const DollConfig config = Read(joined);
    SCOPED_TRACE(end[0] == '\r' && end[1] == '\n' ? "CR LF" : end[0] == '\r' ? "CR" : "LF");
    EXPECT_EQ(config.width, 50);
    ASSERT_EQ(config.paletteFiles.size(), 1u);
    ASSERT_EQ(config.cels.size(), 1u);
    EXPECT_EQ(config.cels[0].pages, 1u);
    ASSERT_EQ(config.pages.size(), 1u);
    ASSERT_EQ(config.pages[0].places.size(), 2u);
    EXPECT_EQ(config.pages[0].places[1].x, 6);
  }
  // A blank line between a page line and its continuation ends the page line.
  EXPECT_EQ(Read("$0 1,1\r\n\r\n 2,2\r\n").pages[0].places.size(), 1u);
}

}  // namespace
