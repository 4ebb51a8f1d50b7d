#include "cel/cel_format.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "support/kiss_files.h"

namespace {

using kiss::Bytes;
using kiss::HeadedCel;
using kiss::PaletteFile;

int AsciiCompareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int ca = std::toupper(static_cast<unsigned char>(*a));
    const int cb = std::toupper(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0) return ca - cb;
  }
}

ByteView View(const Bytes& bytes) { return ByteView{bytes.data(), bytes.size()}; }

bool Quick(const Bytes& bytes, const char* name) {
  return PassesQuickTest(View(bytes), name, AsciiCompareNoCase);
}

TEST(ByteView, ReadsPastTheEndAsZero) {
  const Bytes bytes = {0x01, 0x02, 0x03};
  const ByteView view = View(bytes);
  EXPECT_EQ(view.U16(0), 0x0201);
  EXPECT_EQ(view.U16(2), 0x0003);
  EXPECT_EQ(view.U32(0), 0x00030201u);
  EXPECT_EQ(view.At(3), 0);
  EXPECT_EQ(view.From(5).size, 0u);
  std::uint8_t out[5];
  std::memset(out, 0xAA, sizeof out);
  view.CopyOut(1, out, sizeof out);
  EXPECT_EQ(Bytes(out, out + 5), (Bytes{0x02, 0x03, 0, 0, 0}));
}

TEST(QuickTest, AcceptsHeadersByMarkAndDepth) {
  EXPECT_TRUE(Quick(HeadedCel(0x20, 4, 1, 1), "x.bmp"));
  EXPECT_TRUE(Quick(HeadedCel(0x20, 8, 1, 1), "x.bmp"));
  EXPECT_TRUE(Quick(HeadedCel(0x21, 32, 1, 1), "x.bmp"));
  EXPECT_FALSE(Quick(HeadedCel(0x20, 32, 1, 1), "x.bmp"));
  EXPECT_FALSE(Quick(HeadedCel(0x21, 8, 1, 1), "x.bmp"));
  EXPECT_FALSE(Quick(HeadedCel(0x20, 4, 0, 1), "x.bmp"));
  EXPECT_FALSE(Quick(HeadedCel(0x20, 4, 1, 0), "x.bmp"));
}

TEST(QuickTest, FailedHeaderFallsBackToTheNameTest) {
  // "Ki" and "SS" are non-zero words, so any "KiSS" file named .cel passes.
  EXPECT_TRUE(Quick(HeadedCel(0x20, 32, 1, 1), "doll.cel"));
  EXPECT_TRUE(Quick(HeadedCel(0x20, 4, 0, 0), "doll.CEL"));
  const Bytes headerless = {0x10, 0x00, 0x05, 0x00};
  EXPECT_TRUE(Quick(headerless, "a.Cel"));
  EXPECT_TRUE(Quick(headerless, "a.cEL"));
  EXPECT_FALSE(Quick(headerless, "a.bmp"));
  EXPECT_FALSE(Quick(headerless, "cel"));
  EXPECT_FALSE(Quick(headerless, ".ce"));
  EXPECT_TRUE(Quick(headerless, ".cel"));
  EXPECT_FALSE(Quick(Bytes{0x10, 0x00, 0x00, 0x00}, "a.cel"));
  EXPECT_FALSE(Quick(Bytes{0x00, 0x00, 0x05, 0x00}, "a.cel"));
  EXPECT_FALSE(Quick(headerless, nullptr));
}

TEST(PictureInfo, HeadedReportsTheDepthByteUnchecked) {
  const CelPictureInfo alpha = ReadCelPictureInfo(View(HeadedCel(0x21, 32, 106, 12)));
  EXPECT_EQ(alpha.width, 106);
  EXPECT_EQ(alpha.height, 12);
  EXPECT_EQ(alpha.bitsPerPixel, 32);
  const CelPictureInfo odd = ReadCelPictureInfo(View(HeadedCel(0x00, 77, 0xFFFF, 0x8000)));
  EXPECT_EQ(odd.width, 65535);
  EXPECT_EQ(odd.height, 32768);
  EXPECT_EQ(odd.bitsPerPixel, 77);
}

TEST(PictureInfo, VariantMagicIsHeaderless) {
  for (const Bytes& bytes : {HeadedCel({{'k', 'i', 's', 's'}, 0x20, 8, 9, 9}),
                             HeadedCel({{'S', 'S', 'i', 'K'}, 0x20, 8, 9, 9})}) {
    const CelPictureInfo info = ReadCelPictureInfo(View(bytes));
    EXPECT_EQ(info.bitsPerPixel, 4);
    EXPECT_EQ(info.width, bytes[0] | (bytes[1] << 8));
    EXPECT_EQ(info.height, bytes[2] | (bytes[3] << 8));
    const CelLayout layout = ReadCelLayout(View(bytes));
    EXPECT_FALSE(layout.headed);
    EXPECT_EQ(layout.pixelOffset, 4u);
  }
}

TEST(CelLayout, DecoderIgnoresTheMark) {
  const CelLayout layout = ReadCelLayout(View(HeadedCel(0x21, 8, 7, 3)));
  EXPECT_TRUE(layout.headed);
  EXPECT_EQ(layout.bitsPerPixel, 8);
  EXPECT_EQ(layout.width, 7u);
  EXPECT_EQ(layout.height, 3u);
  EXPECT_EQ(layout.pixelOffset, 32u);
  const CelLayout headerless = ReadCelLayout(View(Bytes{3, 0, 2, 0}));
  EXPECT_FALSE(headerless.headed);
  EXPECT_EQ(headerless.bitsPerPixel, 4);
  EXPECT_EQ(headerless.width, 3u);
  EXPECT_EQ(headerless.height, 2u);
}

TEST(CelLayout, BytesPerRow) {
  EXPECT_EQ(CelBytesPerRow(5, 4), 3u);
  EXPECT_EQ(CelBytesPerRow(4, 4), 2u);
  EXPECT_EQ(CelBytesPerRow(0, 4), 0u);
  EXPECT_EQ(CelBytesPerRow(65535, 4), 32768u);
  EXPECT_EQ(CelBytesPerRow(5, 8), 5u);
  EXPECT_EQ(CelBytesPerRow(65535, 32), 262140u);
}

TEST(PaletteFormat, HeaderTestAndGroupOffsets) {
  Bytes header = PaletteFile(24, 16, 3);
  PaletteLayout layout = RecognisePalette(View(header), "p.dat", AsciiCompareNoCase);
  ASSERT_TRUE(layout.recognised);
  EXPECT_EQ(PaletteGroupOffset(layout, 2), 128u);

  header = PaletteFile(12, 256, 1);
  layout = RecognisePalette(View(header), "p.dat", AsciiCompareNoCase);
  ASSERT_TRUE(layout.recognised);
  EXPECT_EQ(PaletteGroupOffset(layout, 1), 544u);

  layout = RecognisePalette(View(Bytes(320, 0)), "P.KcF", AsciiCompareNoCase);
  ASSERT_TRUE(layout.recognised);
  EXPECT_EQ(layout.bitsPerColour, 12);
  EXPECT_EQ(layout.coloursPerGroup, 16);
  EXPECT_EQ(PaletteGroupOffset(layout, 9), 288u);
}

TEST(PaletteFormat, RejectedHeadersAreHeaderlessOnlyByName) {
  const Bytes rejected[] = {
      PaletteFile(12, 0, 1),
      PaletteFile(12, 257, 1),
      PaletteFile(12, 16, 0),
      PaletteFile(12, 16, 11),
      PaletteFile({kiss::kMagic, 0x11, 12, 16, 1}),
      PaletteFile(16, 16, 1),
      PaletteFile({{'k', 'i', 's', 's'}, 0x10, 12, 16, 1}),
  };
  for (const Bytes& bytes : rejected) {
    EXPECT_FALSE(PassesPaletteHeaderTest(ReadPaletteHeader(View(bytes))));
    EXPECT_FALSE(RecognisePalette(View(bytes), "p.pal", AsciiCompareNoCase).recognised);
    const PaletteLayout layout = RecognisePalette(View(bytes), "p.kcf", AsciiCompareNoCase);
    EXPECT_TRUE(layout.recognised);
    EXPECT_EQ(layout.firstGroupOffset, 0u);
  }
  EXPECT_TRUE(PassesPaletteHeaderTest(ReadPaletteHeader(View(PaletteFile(24, 256, 10)))));
  EXPECT_FALSE(RecognisePalette(View(Bytes{}), "kcf", AsciiCompareNoCase).recognised);
}

TEST(PaletteFormat, ColourExpansion) {
  const Rgb a = ExpandColour12(0x3A, 0x05);
  EXPECT_EQ(a.red, 0x33);
  EXPECT_EQ(a.green, 0x55);
  EXPECT_EQ(a.blue, 0xAA);
  const Rgb b = ExpandColour12(0x3A, 0xF5);
  EXPECT_EQ(b.red, a.red);
  EXPECT_EQ(b.green, a.green);
  EXPECT_EQ(b.blue, a.blue);
  const Rgb red = ExpandColour12(0xF0, 0x00);
  EXPECT_EQ(red.red, 255);
  EXPECT_EQ(red.green, 0);
  EXPECT_EQ(red.blue, 0);
  const Rgb cyan = ExpandColour12(0x0F, 0x0F);
  EXPECT_EQ(cyan.red, 0);
  EXPECT_EQ(cyan.green, 255);
  EXPECT_EQ(cyan.blue, 255);
  EXPECT_EQ(ExpandColour12(0x80, 0x08).red, 0x88);
  const Rgb full = ExpandColour24(1, 2, 3);
  EXPECT_EQ(full.red, 1);
  EXPECT_EQ(full.green, 2);
  EXPECT_EQ(full.blue, 3);
}

}  // namespace
