#include "cel/convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "support/kiss_files.h"

namespace {

using kiss::Bytes;
using kiss::HeadedCel;
using kiss::HeaderlessCel;

// Rows of pixel bytes that differ from one another: 1, 2, 3, ...
Bytes Counting(std::size_t count) {
  Bytes bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  return bytes;
}

struct Decoded {
  bool served = false;
  PicturePlan plan{};
  Bytes info;
  Bytes pixels;
};

// Decodes as GetPicture does, with the cel and both blocks in heap blocks of
// exactly their size, so that the sanitizers see any access past one of them.
// unbounded: the view has no end, as the host's data with length 0.
Decoded Decode(const Bytes& cel, const PluginSettings& settings = {}, bool unbounded = false) {
  std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[cel.size()]);
  if (!cel.empty()) std::memcpy(data.get(), cel.data(), cel.size());
  const ByteView view{data.get(), unbounded ? std::numeric_limits<std::size_t>::max() : cel.size()};
  Decoded out;
  out.served = PlanPicture(view, &out.plan);
  if (!out.served) return out;
  EXPECT_TRUE(FitsIn32Bits(out.plan));
  std::unique_ptr<std::uint8_t[]> info(new std::uint8_t[out.plan.infoBytes]());
  std::unique_ptr<std::uint8_t[]> pixels(new std::uint8_t[out.plan.pixelBytes]());
  WriteInfoHeader(info.get(), out.plan);
  ConvertPixels(view, out.plan, settings, pixels.get());
  out.info.assign(info.get(), info.get() + out.plan.infoBytes);
  out.pixels.assign(pixels.get(), pixels.get() + out.plan.pixelBytes);
  return out;
}

std::uint32_t Blend(std::uint8_t blue, std::uint8_t green, std::uint8_t red, std::uint8_t alpha,
                    std::int32_t x, std::int32_t y, const PluginSettings& s = {}) {
  const std::uint8_t pixel[4] = {blue, green, red, alpha};
  return BlendOverChecker(pixel, x, y, s.GridSizeX, s.GridSizeY, s.ColorLight, s.ColorDark);
}

// The 24-bit pixel at (x, y) of the cel as displayed, as 0x00BBGGRR.
std::uint32_t ColourAt(const Decoded& d, std::uint32_t x, std::uint32_t y) {
  const std::size_t row = d.plan.layout.height - 1 - y;
  const std::uint8_t* p = d.pixels.data() + row * d.plan.stride + 3 * x;
  return p[2] | (p[1] << 8) | (p[0] << 16);
}

Bytes OutputRowBytes(const Decoded& d, std::uint32_t sourceRow) {
  const std::size_t row = d.plan.layout.height - 1 - sourceRow;
  const auto begin = d.pixels.begin() + static_cast<std::ptrdiff_t>(row * d.plan.stride);
  return Bytes(begin, begin + static_cast<std::ptrdiff_t>(d.plan.stride));
}

TEST(DepthTable, EveryBitsPerPixelByte) {
  for (unsigned bits = 0; bits < 256; ++bits) {
    PicturePlan plan{};
    const Bytes cel = HeadedCel(0x20, static_cast<std::uint8_t>(bits), 3, 2);
    const bool served = PlanPicture(ByteView{cel.data(), cel.size()}, &plan);
    switch (bits) {
      case 4:
      case 8:
      case 12:
      case 24:
      case 32:
        ASSERT_TRUE(served) << bits;
        break;
      default:
        EXPECT_FALSE(served) << bits;
        EXPECT_EQ(FindDepthRule(static_cast<std::uint8_t>(bits)), nullptr) << bits;
        continue;
    }
    const unsigned expectedDepth = bits == 4 || bits == 12 ? 4 : bits == 8 ? 8 : 24;
    EXPECT_EQ(plan.rule.outputDepth, expectedDepth) << bits;
    EXPECT_EQ(plan.infoBytes, expectedDepth == 4 ? 104u : expectedDepth == 8 ? 1064u : 40u);
  }
  EXPECT_EQ(FindDepthRule(4)->conversion, PixelConversion::kCopy4);
  EXPECT_EQ(FindDepthRule(8)->conversion, PixelConversion::kCopy8);
  EXPECT_EQ(FindDepthRule(12)->conversion, PixelConversion::kNone);
  EXPECT_EQ(FindDepthRule(24)->conversion, PixelConversion::kNone);
  EXPECT_EQ(FindDepthRule(32)->conversion, PixelConversion::kFlatten32);

  // Headerless: always 4 bits; the mark of a headed cel is never consulted.
  PicturePlan plan{};
  const Bytes headerless = HeaderlessCel(3, 2);
  ASSERT_TRUE(PlanPicture(ByteView{headerless.data(), headerless.size()}, &plan));
  EXPECT_FALSE(plan.layout.headed);
  EXPECT_EQ(plan.rule.outputDepth, 4);
  const Bytes marked = HeadedCel(0x21, 8, 3, 2);
  ASSERT_TRUE(PlanPicture(ByteView{marked.data(), marked.size()}, &plan));
  EXPECT_EQ(plan.rule.outputDepth, 8);
}

TEST(Sizes, WorkedExamplesAndTheRowRule) {
  const Decoded headerless = Decode(HeaderlessCel(3, 2, Bytes(4, 0)));
  EXPECT_EQ(headerless.plan.stride, 4u);
  EXPECT_EQ(headerless.plan.infoBytes, 104u);
  EXPECT_EQ(headerless.plan.pixelBytes, 8u);
  EXPECT_EQ(OutputStride(5, 8), 8u);
  EXPECT_EQ(OutputStride(1, 24), 4u);
  EXPECT_EQ(OutputStride(0, 24), 0u);
  EXPECT_EQ(ColourTableBytes(4), 64u);
  EXPECT_EQ(ColourTableBytes(8), 1024u);
  EXPECT_EQ(ColourTableBytes(24), 0u);

  // Every output row is a whole number of 4-byte words, the least that holds
  // the row's pixels, and never shorter than the bytes the conversion writes.
  for (std::uint32_t width = 0; width <= 2000; ++width) {
    for (unsigned depth : {4u, 8u, 24u}) {
      const std::uint64_t stride = OutputStride(width, depth);
      const std::uint64_t bits = std::uint64_t{width} * depth;
      EXPECT_EQ(stride % 4, 0u);
      EXPECT_GE(stride * 8, bits);
      EXPECT_LT(stride * 8, bits + 32);
    }
    EXPECT_GE(OutputStride(width, 4), CelBytesPerRow(width, 4));
    EXPECT_GE(OutputStride(width, 8), CelBytesPerRow(width, 8));
    EXPECT_GE(OutputStride(width, 24), std::uint64_t{3} * width);
  }
}

TEST(Sizes, BlocksThatDoNotFitIn32Bits) {
  PicturePlan plan{};
  const Bytes huge = HeadedCel(0x20, 32, 65535, 65535);
  ASSERT_TRUE(PlanPicture(ByteView{huge.data(), huge.size()}, &plan));
  EXPECT_EQ(plan.stride, 196608u);
  EXPECT_EQ(plan.pixelBytes, 196608ull * 65535);
  EXPECT_FALSE(FitsIn32Bits(plan));

  // The largest 8-bit and 4-bit pictures still fit: whether they can be
  // allocated is the allocator's answer.
  const Bytes wide8 = HeadedCel(0x20, 8, 65535, 65535);
  ASSERT_TRUE(PlanPicture(ByteView{wide8.data(), wide8.size()}, &plan));
  EXPECT_EQ(plan.pixelBytes, 65536ull * 65535);
  EXPECT_TRUE(FitsIn32Bits(plan));
  const Bytes wide4 = HeaderlessCel(65535, 65535);
  ASSERT_TRUE(PlanPicture(ByteView{wide4.data(), wide4.size()}, &plan));
  EXPECT_EQ(plan.pixelBytes, 32768ull * 65535);
  EXPECT_TRUE(FitsIn32Bits(plan));

  // The tallest 32-bit picture that fits, and the next one up.
  const Bytes fits = HeadedCel(0x20, 32, 65535, 21845);
  ASSERT_TRUE(PlanPicture(ByteView{fits.data(), fits.size()}, &plan));
  EXPECT_TRUE(FitsIn32Bits(plan));
  const Bytes over = HeadedCel(0x20, 32, 65535, 21846);
  ASSERT_TRUE(PlanPicture(ByteView{over.data(), over.size()}, &plan));
  EXPECT_FALSE(FitsIn32Bits(plan));
}

TEST(InfoHeader, NamedFieldsOnly) {
  // Sizes with the top bit set: zero-extended, the height positive.
  const Decoded d = Decode(HeadedCel(0x20, 32, 0x8001, 2));
  ASSERT_EQ(d.info.size(), 40u);
  Bytes expected(40, 0);
  expected[0] = 40;
  expected[4] = 0x01;
  expected[5] = 0x80;
  expected[8] = 2;
  expected[12] = 1;
  expected[14] = 24;
  // biSizeImage: stride 98308 (0x8001 pixels of 3 bytes, padded) times 2 rows.
  expected[20] = 0x08;
  expected[22] = 0x03;
  EXPECT_EQ(d.info, expected);
  const Decoded tall = Decode(HeadedCel(0x20, 8, 1, 0xFEDC));
  ASSERT_EQ(tall.info.size(), 1064u);
  EXPECT_EQ(Bytes(tall.info.begin() + 4, tall.info.begin() + 16),
            (Bytes{1, 0, 0, 0, 0xDC, 0xFE, 0, 0, 1, 0, 8, 0}));
}

TEST(BlendOverChecker, EveryPatternPixelAndAlphaCombination) {
  // Each channel meets every (pattern, pixel, alpha) triple: green and blue
  // see shifted copies of the red channel's values.
  std::uint64_t mismatches = 0;
  std::uint32_t first[4] = {0, 0, 0, 0};
  for (std::uint32_t p = 0; p < 256; ++p) {
    const std::uint32_t pg = (p + 85) & 0xFF;
    const std::uint32_t pb = (p + 170) & 0xFF;
    const std::uint32_t light = p | (pg << 8) | (pb << 16) | 0xAB000000u;
    for (std::uint32_t s = 0; s < 256; ++s) {
      const std::uint32_t sg = (s + 51) & 0xFF;
      const std::uint32_t sb = (s + 153) & 0xFF;
      for (std::uint32_t a = 0; a < 256; ++a) {
        const std::uint8_t pixel[4] = {static_cast<std::uint8_t>(sb), static_cast<std::uint8_t>(sg),
                                       static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(a)};
        const std::uint32_t got = BlendOverChecker(pixel, 0, 0, 10, 10, light, 0);
        const std::uint32_t red = (p * (255 - a)) / 255 + (s * a) / 255;
        const std::uint32_t green = (pg * (255 - a)) / 255 + (sg * a) / 255;
        const std::uint32_t blue = (pb * (255 - a)) / 255 + (sb * a) / 255;
        const std::uint32_t want = red | (green << 8) | (blue << 16);
        if (got != want && mismatches++ == 0) {
          first[0] = p;
          first[1] = s;
          first[2] = a;
          first[3] = got;
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0u) << "first at pattern " << first[0] << " pixel " << first[1] << " alpha "
                            << first[2] << ": got " << std::hex << first[3];
}

TEST(BlendOverChecker, WorkedExamples) {
  EXPECT_EQ(Blend(10, 20, 30, 0, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(Blend(10, 20, 30, 0, 10, 0), 0xC0C0C0u);
  EXPECT_EQ(Blend(10, 20, 30, 0, 10, 10), 0xFFFFFFu);
  EXPECT_EQ(Blend(10, 20, 30, 0, 9, 9), 0xFFFFFFu);
  EXPECT_EQ(Blend(10, 20, 30, 0, 0, 19), 0xC0C0C0u);
  // Red 200 at alpha 128 over grey 192: 192 * 127 / 255 + 200 * 128 / 255 = 95 + 100.
  EXPECT_EQ(Blend(0, 0, 200, 128, 10, 0), 195u | (95u << 8) | (95u << 16));
  EXPECT_EQ(Blend(10, 20, 30, 255, 10, 0), 30u | (20u << 8) | (10u << 16));
  EXPECT_EQ(Blend(10, 20, 30, 255, 0, 0), 30u | (20u << 8) | (10u << 16));
}

TEST(BlendOverChecker, CellSizesAndColours) {
  PluginSettings s;
  s.ColorLight = 0xFF112233;  // the top byte is no channel
  s.ColorDark = 0x80445566;
  for (std::int32_t grid : {0, -1, std::numeric_limits<std::int32_t>::min(), 1}) {
    s.GridSizeX = grid;
    s.GridSizeY = grid;
    for (std::int32_t y = 0; y < 4; ++y) {
      for (std::int32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(Blend(1, 2, 3, 0, x, y, s), (x + y) % 2 == 0 ? 0x112233u : 0x445566u)
            << grid << " " << x << "," << y;
      }
    }
  }
  s.GridSizeX = 3;
  s.GridSizeY = 2;
  EXPECT_EQ(Blend(0, 0, 0, 0, 2, 1, s), 0x112233u);
  EXPECT_EQ(Blend(0, 0, 0, 0, 3, 1, s), 0x445566u);
  EXPECT_EQ(Blend(0, 0, 0, 0, 3, 2, s), 0x112233u);
  EXPECT_EQ(Blend(0, 0, 0, 0, 65534, 65534, s),
            (65534 / 3 + 65534 / 2) % 2 ? 0x445566u : 0x112233u);
}

TEST(RowCopies, FourBitRowsByteForByteBottomUp) {
  const Decoded d = Decode(HeaderlessCel(3, 2, {0x12, 0x3F, 0x45, 0x6A}));
  ASSERT_TRUE(d.served);
  // The cel's first row is the block's second; the spare low nibble travels.
  EXPECT_EQ(d.pixels, (Bytes{0x45, 0x6A, 0, 0, 0x12, 0x3F, 0, 0}));

  const Decoded headed = Decode(HeadedCel(0x20, 4, 9, 1, {0xAB, 0xCD, 0xEF, 0x01, 0x27}));
  EXPECT_EQ(headed.pixels, (Bytes{0xAB, 0xCD, 0xEF, 0x01, 0x27, 0, 0, 0}));
}

TEST(RowCopies, EightBitRowsPadWithZero) {
  const Bytes rows = Counting(15);
  const Decoded d = Decode(HeadedCel(0x20, 8, 5, 3, rows));
  ASSERT_EQ(d.plan.stride, 8u);
  for (std::uint32_t y = 0; y < 3; ++y) {
    Bytes want(rows.begin() + 5 * y, rows.begin() + 5 * y + 5);
    want.resize(8, 0);
    EXPECT_EQ(OutputRowBytes(d, y), want) << y;
  }
}

TEST(RowCopies, TwelveAndTwentyFourBitsStayZero) {
  const Decoded twelve = Decode(HeadedCel(0x20, 12, 5, 2, Counting(64)));
  EXPECT_EQ(twelve.plan.rule.outputDepth, 4);
  EXPECT_EQ(twelve.pixels, Bytes(8, 0));
  const Decoded twentyFour = Decode(HeadedCel(0x20, 24, 5, 2, Counting(64)));
  EXPECT_EQ(twentyFour.plan.rule.outputDepth, 24);
  EXPECT_EQ(twentyFour.pixels, Bytes(32, 0));
}

TEST(Flattening, WidthOneRowsEndInWhite) {
  PluginSettings ignore;
  ignore.AlphaType = 1;
  const Decoded d = Decode(HeadedCel(0x20, 32, 1, 2, {1, 2, 3, 255, 4, 5, 6, 255}), ignore);
  EXPECT_EQ(d.pixels, (Bytes{4, 5, 6, 0xFF, 1, 2, 3, 0xFF}));
  const Decoded blended = Decode(HeadedCel(0x20, 32, 1, 2, {1, 2, 3, 255, 4, 5, 6, 255}));
  EXPECT_EQ(blended.pixels, d.pixels);
}

TEST(Flattening, OverTheCheckerPattern) {
  // 11 x 11 pixels of blue 10, green 20, red 30, alpha 0.
  Bytes rows;
  for (int i = 0; i < 121; ++i) rows.insert(rows.end(), {10, 20, 30, 0});
  const Decoded d = Decode(HeadedCel(0x20, 32, 11, 11, rows));
  EXPECT_EQ(ColourAt(d, 0, 0), 0xFFFFFFu);
  EXPECT_EQ(ColourAt(d, 10, 0), 0xC0C0C0u);
  EXPECT_EQ(ColourAt(d, 0, 10), 0xC0C0C0u);
  EXPECT_EQ(ColourAt(d, 10, 10), 0xFFFFFFu);
  EXPECT_EQ(ColourAt(d, 9, 9), 0xFFFFFFu);
  // Row ends are white.
  for (std::uint32_t y = 0; y < 11; ++y) EXPECT_EQ(OutputRowBytes(d, y)[33], 0xFF);
}

TEST(Flattening, AlphaIgnored) {
  PluginSettings ignore;
  ignore.AlphaType = 1;
  ignore.ColorLight = 0x0000FF;  // plays no part
  const Decoded d =
      Decode(HeadedCel(0x20, 32, 3, 1, {10, 20, 30, 0, 40, 50, 60, 1, 70, 80, 90, 128}), ignore);
  EXPECT_EQ(d.pixels, (Bytes{0xFF, 0xFF, 0xFF, 40, 50, 60, 70, 80, 90, 0xFF, 0xFF, 0xFF}));
}

// Every depth, cut at every length: what is decoded equals the cel with the
// missing bytes taken as zero. The cel sits in a block of exactly the cut
// length, so the sanitizers report any read past it.
TEST(ShortData, MissingBytesAreZeroAtEveryCut) {
  Bytes a32;
  for (int i = 0; i < 12; ++i)
    a32.insert(a32.end(),
               {static_cast<std::uint8_t>(i), 0x40, 0x80, static_cast<std::uint8_t>(i * 23)});
  const Bytes cels[] = {
      HeaderlessCel(5, 3, Counting(9)),       HeadedCel(0x20, 4, 5, 3, Counting(9)),
      HeadedCel(0x20, 8, 5, 3, Counting(15)), HeadedCel(0x20, 12, 5, 3, Counting(9)),
      HeadedCel(0x20, 24, 5, 3, Counting(9)), HeadedCel(0x20, 32, 4, 3, a32),
  };
  PluginSettings grid1;
  grid1.GridSizeX = 1;
  PluginSettings ignore;
  ignore.AlphaType = 1;
  for (const Bytes& cel : cels) {
    for (const PluginSettings& settings : {PluginSettings{}, grid1, ignore}) {
      for (std::size_t cut = 0; cut <= cel.size(); ++cut) {
        const Bytes prefix(cel.begin(), cel.begin() + static_cast<std::ptrdiff_t>(cut));
        Bytes padded = prefix;
        padded.resize(cel.size(), 0);
        const Decoded shortCel = Decode(prefix, settings);
        const Decoded whole = Decode(padded, settings);
        ASSERT_EQ(shortCel.served, whole.served) << cut;
        EXPECT_EQ(shortCel.info, whole.info) << cut;
        EXPECT_EQ(shortCel.pixels, whole.pixels) << "cut " << cut << " of " << cel.size();
      }
    }
  }
}

TEST(ShortData, RowsFromTheDataAreExactTheRestZero) {
  const Bytes rows = Counting(15);
  const Bytes cel = HeadedCel(0x20, 8, 5, 3, rows);
  // Cut in the middle of the second row.
  const Decoded d = Decode(Bytes(cel.begin(), cel.begin() + 32 + 7));
  Bytes first(rows.begin(), rows.begin() + 5);
  first.resize(8, 0);
  EXPECT_EQ(OutputRowBytes(d, 0), first);
  EXPECT_EQ(OutputRowBytes(d, 1), (Bytes{rows[5], rows[6], 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(OutputRowBytes(d, 2), Bytes(8, 0));

  // A 32-bit cel cut inside its second pixel: that pixel and those after it
  // are transparent.
  const Decoded alpha = Decode(HeadedCel(0x20, 32, 2, 1, {1, 2, 3, 255, 4, 5, 6}));
  EXPECT_EQ(ColourAt(alpha, 0, 0), 0x010203u);
  EXPECT_EQ(ColourAt(alpha, 1, 0), 0xFFFFFFu);
}

// With the host's length at 0 the data is unbounded: only the header and the
// rows it calls for may be read (the block ends there).
TEST(ShortData, UnboundedViewReadsOnlyWhatTheHeaderCallsFor) {
  for (const Bytes& cel :
       {HeaderlessCel(7, 3, Counting(12)), HeadedCel(0x20, 8, 7, 3, Counting(21)),
        HeadedCel(0x20, 32, 2, 2, Counting(16))}) {
    const Decoded bounded = Decode(cel);
    const Decoded unbounded = Decode(cel, {}, true);
    EXPECT_EQ(bounded.pixels, unbounded.pixels);
  }
}

}  // namespace
