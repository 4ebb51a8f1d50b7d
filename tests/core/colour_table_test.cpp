#include "cel/colour_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/char_steps.h"
#include "support/kiss_files.h"

namespace {

using kiss::Bytes;
using kiss::PaletteFile;

struct Quad {
  int blue, green, red, reserved;
  bool operator==(const Quad& o) const {
    return blue == o.blue && green == o.green && red == o.red && reserved == o.reserved;
  }
};
std::ostream& operator<<(std::ostream& out, const Quad& q) {
  return out << "(b" << q.blue << " g" << q.green << " r" << q.red << " x" << q.reserved << ")";
}

Quad Rgb(int red, int green, int blue) { return {blue, green, red, 0}; }

struct Table {
  explicit Table(unsigned depth) : bytes(kRgbQuadSize << depth, 0xEE) {}
  Quad operator[](std::size_t i) const {
    return {bytes[i * 4], bytes[i * 4 + 1], bytes[i * 4 + 2], bytes[i * 4 + 3]};
  }
  Bytes bytes;
};

// Each byte holds the low 8 bits of its own offset, so an entry tells where
// it was read.
Bytes Numbered(Bytes bytes, std::size_t size) {
  for (std::size_t i = bytes.size(); i < size; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
  return bytes;
}

Table Build(unsigned depth, const Bytes& file, const char* name, std::uint32_t group) {
  Table table(depth);
  const ByteView view{file.data(), file.size()};
  const PaletteLayout layout = RecognisePalette(view, name, test_steps::CompareNoCase);
  EXPECT_TRUE(layout.recognised);
  BuildPaletteColours(table.bytes.data(), depth, view, layout, group);
  return table;
}

Quad Colour12(std::uint8_t b0, std::uint8_t b1) {
  return Rgb((b0 >> 4) * 17, (b1 & 15) * 17, (b0 & 15) * 17);
}

TEST(ColourTable, Headed12BitGroupsBeginAfterTheHeader) {
  const Bytes file = Numbered(PaletteFile(12, 16, 10), 1024);
  const Table table = Build(4, file, "a.dat", 2);
  // Group 2: bytes 96 to 127.
  for (std::size_t i = 0; i < 16; ++i) {
    const std::size_t at = 96 + 2 * i;
    EXPECT_EQ(table[i], Colour12(file[at], file[at + 1])) << i;
  }
}

TEST(ColourTable, Headed24BitEntriesAreRedGreenBlue) {
  const Bytes file = Numbered(PaletteFile(24, 16, 3), 200);
  const Table table = Build(4, file, "a.dat", 1);
  for (std::size_t i = 0; i < 16; ++i) {
    const std::size_t at = 80 + 3 * i;
    EXPECT_EQ(table[i], Rgb(file[at], file[at + 1], file[at + 2])) << i;
  }
  EXPECT_EQ(table[15], Rgb(125, 126, 127));
}

TEST(ColourTable, EightBitTablesRunOnIntoLaterGroupsAndBlackPastTheFile) {
  // 12 bits, 16 colours per group: 256 entries from bytes 32 to 543.
  const Bytes file = Numbered(PaletteFile(12, 16, 10), 32 + 320);
  const ByteView view{file.data(), file.size()};
  Table table(8);
  BuildPaletteColours(table.bytes.data(), 8, view,
                      RecognisePalette(view, "x", test_steps::CompareNoCase), 0);
  for (std::size_t i = 0; i < 160; ++i) {
    EXPECT_EQ(table[i], Colour12(file[32 + 2 * i], file[33 + 2 * i])) << i;
  }
  for (std::size_t i = 160; i < 256; ++i) EXPECT_EQ(table[i], Rgb(0, 0, 0)) << i;
}

TEST(ColourTable, HeaderlessPalettesAreNamedKcf) {
  const Bytes file = Numbered({}, 320);
  const Table table = Build(8, file, "SET\\BODY.Kcf", 0);
  EXPECT_EQ(table[0], Colour12(0, 1));
  EXPECT_EQ(table[159], Colour12(file[318], file[319]));
  EXPECT_EQ(table[160], Rgb(0, 0, 0));
  // A bad header under a .kcf name: its bytes are the first colours.
  Bytes bad = Numbered(PaletteFile(12, 0, 1), 64);
  const Table fromHeader = Build(4, bad, "a.KCF", 0);
  EXPECT_EQ(fromHeader[0], Colour12('K', 'i'));
  EXPECT_EQ(fromHeader[2], Colour12(0x10, 12));
  const Table group9 = Build(4, Numbered({}, 1024), "a.kcf", 9);
  EXPECT_EQ(group9[0], Colour12(288 & 0xFF, 289 & 0xFF));
}

TEST(ColourTable, TwelveBitEntriesExpandEachNibble) {
  const Bytes file = {0xF0, 0x00, 0x0F, 0x0F, 0x3A, 0x05, 0x3A, 0xF5};
  const Table table = Build(4, file, "p.kcf", 0);
  EXPECT_EQ(table[0], Rgb(255, 0, 0));
  EXPECT_EQ(table[1], Rgb(0, 255, 255));
  EXPECT_EQ(table[2], Rgb(0x33, 0x55, 0xAA));
  EXPECT_EQ(table[3], Rgb(0x33, 0x55, 0xAA));
  EXPECT_EQ(table[4], Rgb(0, 0, 0));
}

TEST(ColourTable, NothingBeyondTheFirst1024BytesIsRead) {
  // 256 colours of 12 bits at group 1: entries from byte 544, the block ends
  // at 1024, so entries 240 to 255 lie beyond it.
  Bytes headed = PaletteFile(12, 256, 2);
  headed.resize(2048, 0x77);
  const Table table = Build(8, headed, "a.dat", 1);
  EXPECT_EQ(table[0], Colour12(0x77, 0x77));
  EXPECT_EQ(table[239], Colour12(0x77, 0x77));
  for (std::size_t i = 240; i < 256; ++i) EXPECT_EQ(table[i], Rgb(0, 0, 0)) << i;

  // 24 bits, one colour per group: at group 75, entry 255 takes bytes 1022
  // to 1024 and straddles the end, so it is black as well.
  Bytes wide = PaletteFile(24, 1, 10);
  wide.resize(2048, 0x55);
  const Table last = Build(8, wide, "a.dat", 75);
  EXPECT_EQ(last[254], Rgb(0x55, 0x55, 0x55));  // bytes 1019 to 1021
  EXPECT_EQ(last[255], Rgb(0, 0, 0));

  // A group index far out of range never reaches the bytes either.
  const Table far = Build(4, Numbered({}, 2048), "a.kcf", 0xFFFFFFFFu);
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(far[i], Rgb(0, 0, 0)) << i;
}

TEST(ColourTable, FallbackColours) {
  Table builtIn(4);
  BuildFallbackColours(builtIn.bytes.data(), 4);
  const Quad expected[16] = {
      Rgb(0, 0, 0),       Rgb(128, 0, 0),   Rgb(0, 128, 0),   Rgb(128, 128, 0),
      Rgb(0, 0, 128),     Rgb(128, 0, 128), Rgb(0, 128, 128), Rgb(192, 192, 192),
      Rgb(128, 128, 128), Rgb(255, 0, 0),   Rgb(0, 255, 0),   Rgb(255, 255, 0),
      Rgb(0, 0, 255),     Rgb(255, 0, 255), Rgb(0, 255, 255), Rgb(255, 255, 255),
  };
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(builtIn[i], expected[i]) << i;

  Table grey(8);
  BuildFallbackColours(grey.bytes.data(), 8);
  for (std::size_t i = 0; i < 256; ++i) {
    const int g = static_cast<int>(i);
    EXPECT_EQ(grey[i], Rgb(g, g, g)) << i;
  }
  Table ramp4(4);
  BuildGreyRamp(ramp4.bytes.data(), 4);
  EXPECT_EQ(ramp4[1], Rgb(17, 17, 17));
  EXPECT_EQ(ramp4[15], Rgb(255, 255, 255));
  Table ramp1(1);
  BuildGreyRamp(ramp1.bytes.data(), 1);
  EXPECT_EQ(ramp1[1], Rgb(255, 255, 255));
}

}  // namespace
