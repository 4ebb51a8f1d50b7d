// The test file builder against bytes written out by hand from the layouts,
// so that its own offsets and marks are checked once.
#include "support/kiss_files.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

using kiss::Bytes;

Bytes Zeros(std::size_t count) { return Bytes(count, 0); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes bytes;
  for (const Bytes& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

TEST(KissFiles, CelHeaders) {
  const Bytes headed =
      kiss::HeadedCel({kiss::kMagic, 0x21, 32, 0x0102, 0x0304, 0x0506, 0x0708}, {0xAA, 0xBB});
  EXPECT_EQ(headed, Concat({{0x4B, 0x69, 0x53, 0x53, 0x21, 0x20, 0x00, 0x00, 0x02, 0x01, 0x04, 0x03,
                             0x06, 0x05, 0x08, 0x07},
                            Zeros(16),
                            {0xAA, 0xBB}}));
  EXPECT_EQ(kiss::HeadedCel(0x20, 8, 300, 2),
            Concat({{'K', 'i', 'S', 'S', 0x20, 0x08, 0, 0, 0x2C, 0x01, 0x02, 0x00}, Zeros(20)}));
  EXPECT_EQ(kiss::HeadedCel({{'k', 'i', 's', 's'}, 0x20, 4, 1, 1}),
            Concat({{0x6B, 0x69, 0x73, 0x73, 0x20, 0x04, 0, 0, 1, 0, 1, 0}, Zeros(20)}));
  EXPECT_EQ(kiss::HeaderlessCel(0x1234, 5, {0x9C}), (Bytes{0x34, 0x12, 0x05, 0x00, 0x9C}));
}

TEST(KissFiles, PaletteHeadersAndEntries) {
  EXPECT_EQ(kiss::PaletteFile(24, 256, 10, kiss::Entries24({{1, 2, 3}, {0xFF, 0x80, 0}})),
            Concat({{'K', 'i', 'S', 'S', 0x10, 0x18, 0, 0, 0x00, 0x01, 0x0A, 0x00},
                    Zeros(20),
                    {1, 2, 3, 0xFF, 0x80, 0}}));
  EXPECT_EQ(kiss::PaletteFile({{'K', 'i', 'S', 'S'}, 0x11, 12, 0, 11}),
            Concat({{'K', 'i', 'S', 'S', 0x11, 0x0C, 0, 0, 0, 0, 0x0B, 0}, Zeros(20)}));
  // Red in the high nibble and blue in the low one, then green.
  EXPECT_EQ(kiss::Entries12({{0x3, 0x5, 0xA}, {0xF, 0x0, 0x0}}), (Bytes{0x3A, 0x05, 0xF0, 0x00}));
  EXPECT_THROW(kiss::Entries12({{16, 0, 0}}), std::invalid_argument);
}

TEST(KissFiles, HeaderlessPaletteGroupsAre32BytesApart) {
  const Bytes file = kiss::HeaderlessPalette({{}, {{0xF, 0x1, 0x2}, {0x0, 0xF, 0xF}}});
  EXPECT_EQ(file, Concat({Zeros(32), {0xF2, 0x01, 0x0F, 0x0F}, Zeros(28)}));
  EXPECT_THROW(kiss::HeaderlessPalette({std::vector<kiss::Colour12>(17, {0, 0, 0})}),
               std::invalid_argument);
}

TEST(KissFiles, PixelRows) {
  // Width 3: the spare low nibble of each row's last byte is 0.
  EXPECT_EQ(kiss::FourBitRows({1, 2, 3, 4, 5, 0xF}, 3), (Bytes{0x12, 0x30, 0x45, 0xF0}));
  EXPECT_EQ(kiss::FourBitRows({}, 0), Bytes{});
  EXPECT_THROW(kiss::FourBitRows({16}, 1), std::invalid_argument);
  EXPECT_THROW(kiss::FourBitRows({1, 2, 3}, 2), std::invalid_argument);
  // Red, green, blue, alpha in; blue, green, red, alpha stored.
  EXPECT_EQ(kiss::AlphaRows({10, 20, 30, 40, 1, 2, 3, 4}), (Bytes{30, 20, 10, 40, 3, 2, 1, 4}));
  EXPECT_THROW(kiss::AlphaRows({1, 2, 3}), std::invalid_argument);
}

}  // namespace
