// Colour tables of paletted cels decoded through the loaded tamsa.spi, from
// a small KiSS set made by the test: a configuration file, palette files of
// each kind, and cels that name them by palette number.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/plugin_host.h"
#include "support/test_files.h"

namespace {

struct Quad {
  int blue, green, red, reserved;
  bool operator==(const Quad& o) const {
    return blue == o.blue && green == o.green && red == o.red && reserved == o.reserved;
  }
};
std::ostream& operator<<(std::ostream& out, const Quad& q) {
  return out << "(r" << q.red << " g" << q.green << " b" << q.blue << " x" << q.reserved << ")";
}
using Quads = std::vector<Quad>;

// Entries as the file states them, expanded the way the palette format says.
Quads From12Bit(const Bytes& entries, std::size_t count) {
  Quads quads;
  for (std::size_t i = 0; i < count; ++i) {
    const int b0 = 2 * i < entries.size() ? entries[2 * i] : 0;
    const int b1 = 2 * i + 1 < entries.size() ? entries[2 * i + 1] : 0;
    quads.push_back({(b0 & 15) * 17, (b1 & 15) * 17, (b0 >> 4) * 17, 0});
  }
  return quads;
}
Quads From24Bit(const Bytes& entries, std::size_t count) {
  Quads quads;
  for (std::size_t i = 0; i < count; ++i) {
    quads.push_back({entries[3 * i + 2], entries[3 * i + 1], entries[3 * i], 0});
  }
  return quads;
}

class ColourTable : public PluginSuite {
 protected:
  // The colour table of the decoded picture, or an empty list on failure.
  static Quads Decode(const char* source, UINT flags, LONG_PTR length = 0) {
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int result = host->getPicture(source, length, flags, &info, &pixels, nullptr, 0);
    EXPECT_EQ(result, 0) << source;
    Quads quads;
    if (result != 0) return quads;
    const auto* header = static_cast<const BITMAPINFOHEADER*>(LocalLock(info));
    const auto* table = reinterpret_cast<const std::uint8_t*>(header) + header->biSize;
    const std::size_t count = std::size_t{1} << header->biBitCount;
    for (std::size_t i = 0; i < count; ++i) {
      quads.push_back({table[4 * i], table[4 * i + 1], table[4 * i + 2], table[4 * i + 3]});
    }
    LocalUnlock(info);
    LocalFree(info);
    if (pixels != nullptr) LocalFree(pixels);
    return quads;
  }
  static Quads DecodeFile(const std::string& path) { return Decode(path.c_str(), 0); }
};

TEST_F(ColourTable, EachCelGetsThePaletteFileItsConfigurationNames) {
  TempFolder set;
  // a.kcf: headed, 12 bits, 16 colours in 2 groups.
  const Bytes aEntries = Pattern(64, 3);
  set.Write("a.kcf", PaletteFile(12, 16, 2, aEntries));
  // b.kcf: headed, 24 bits, 256 colours in 1 group.
  const Bytes bEntries = Pattern(768, 5);
  set.Write("b.kcf", PaletteFile(24, 256, 1, bEntries));
  // c.kcf: headerless, 12 bits, 10 groups of 16.
  const Bytes cEntries = Pattern(320, 11);
  set.Write("c.kcf", cEntries);
  set.Write("set.cnf",
            "; test set\r\n(200,200)\r\n%a.kcf\r\n%b.kcf ;wide\r\n%c.kcf\r\n"
            "#0 four.cel *0 :0\r\n#1 eight.cel *1 :0\r\n#2.9 plain.cel *2\r\n"
            "#3 beyond.cel *3\r\n#4 eightc.cel *2\r\n");
  const std::string four = set.Write("four.cel", HeadedCel(0x20, 4, 2, 1, {0x01}));
  const std::string eight = set.Write("eight.cel", HeadedCel(0x20, 8, 1, 1, {0x02}));
  const std::string plain = set.Write("plain.cel", HeaderlessCel(2, 1, {0x03}));
  const std::string beyond = set.Write("beyond.cel", HeadedCel(0x20, 4, 1, 1, {0x04}));
  const std::string eightc = set.Write("eightc.cel", HeadedCel(0x20, 8, 1, 1, {0x05}));

  EXPECT_EQ(DecodeFile(four), From12Bit(aEntries, 16));
  EXPECT_EQ(DecodeFile(eight), From24Bit(bEntries, 256));
  EXPECT_EQ(DecodeFile(plain), From12Bit(cEntries, 16));
  EXPECT_EQ(DecodeFile(beyond), From12Bit(aEntries, 16));
  // 256 entries from a headerless file of 320 bytes: 160 colours, then black.
  EXPECT_EQ(DecodeFile(eightc), From12Bit(cEntries, 256));
}

TEST_F(ColourTable, WithoutAPaletteTheBuiltInColours) {
  const Quads builtIn = {
      {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
      {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
      {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
      {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0},
  };
  Quads grey;
  for (int i = 0; i < 256; ++i) grey.push_back({i, i, i, 0});

  TempFolder set;
  const std::string four = set.Write("four.cel", HeadedCel(0x20, 4, 1, 1, {0x10}));
  const std::string eight = set.Write("eight.cel", HeadedCel(0x20, 8, 1, 1, {0x10}));
  set.Write("a.kcf", PaletteFile(12, 16, 1, Pattern(32, 1)));
  // No configuration file: no palette, even with a palette file beside.
  EXPECT_EQ(DecodeFile(four), builtIn);
  EXPECT_EQ(DecodeFile(eight), grey);

  // A palette file that is neither headed nor named .kcf is not used.
  set.Write("set.cnf", "%a.pal\r#1 four.cel *0\r#2 eight.cel *0\r");
  set.Write("a.pal", Pattern(64, 9));
  EXPECT_EQ(DecodeFile(four), builtIn);
  EXPECT_EQ(DecodeFile(eight), grey);

  // Cels handed over in memory are never searched for.
  const Bytes cel = HeadedCel(0x20, 8, 1, 1, {0x10});
  EXPECT_EQ(Decode(reinterpret_cast<const char*>(cel.data()), 1, cel.size()), grey);
  const Bytes small = HeadedCel(0x20, 4, 1, 1, {0x10});
  EXPECT_EQ(Decode(reinterpret_cast<const char*>(small.data()), 1, small.size()), builtIn);
}

TEST_F(ColourTable, AnUnplacedCelTakesTheFolderFirstPaletteFile) {
  TempFolder set;
  const Bytes entries = Pattern(32, 21);
  set.Write("only.kcf", PaletteFile(12, 16, 1, entries));
  set.Write("set.cnf", "%other.kcf\r#1 arm.cel *0\r");
  const std::string cel = set.Write("body.cel", HeadedCel(0x20, 4, 1, 1, {0x10}));
  EXPECT_EQ(DecodeFile(cel), From12Bit(entries, 16));
}

}  // namespace
