// The bytes of KiSS cels and palette files, for tests and the sample set.
//
// Written from the file layouts alone, with its own offsets and marks, so that
// a wrong constant in the decoder shows up as a failing test instead of being
// mirrored here. Every header field can be set to any value, to build files
// that break the rules as well as files that keep them. Byte-only: no Windows
// headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kiss {

using Bytes = std::vector<std::uint8_t>;
using Magic = std::array<std::uint8_t, 4>;

constexpr Magic kMagic = {'K', 'i', 'S', 'S'};
constexpr std::uint8_t kPalettedCelMark = 0x20;
constexpr std::uint8_t kAlphaCelMark = 0x21;
constexpr std::uint8_t kPaletteMark = 0x10;

// The fields of a headed cel's 32-byte header, in file order.
struct CelFields {
  Magic magic = kMagic;
  std::uint8_t mark = kPalettedCelMark;
  std::uint8_t bitsPerPixel = 4;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::uint16_t xOffset = 0;
  std::uint16_t yOffset = 0;
};

// The fields of a headed palette's 32-byte header, in file order.
struct PaletteFields {
  Magic magic = kMagic;
  std::uint8_t mark = kPaletteMark;
  std::uint8_t bitsPerColour = 12;
  std::uint16_t coloursPerGroup = 16;
  std::uint16_t groupCount = 1;
};

// A headed cel: the header, then the rows exactly as given (short, long or
// empty: nothing is checked against the sizes).
Bytes HeadedCel(const CelFields& fields, const Bytes& rows = {});
Bytes HeadedCel(std::uint8_t mark, std::uint8_t bitsPerPixel, std::uint16_t width,
                std::uint16_t height, const Bytes& rows = {});
// A headerless cel: width, height, then the rows as given.
Bytes HeaderlessCel(std::uint16_t width, std::uint16_t height, const Bytes& rows = {});

// A headed palette file: the header, then the entries as given.
Bytes PaletteFile(const PaletteFields& fields, const Bytes& entries = {});
Bytes PaletteFile(std::uint8_t bitsPerColour, std::uint16_t coloursPerGroup,
                  std::uint16_t groupCount, const Bytes& entries = {});

// A 12-bit colour: each channel 0 to 15.
struct Colour12 {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};
struct Colour24 {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

// Colour entries, one after another: 2 bytes each at 12 bits, 3 at 24.
Bytes Entries12(const std::vector<Colour12>& colours);
Bytes Entries24(const std::vector<Colour24>& colours);

// A palette file without header: group g at byte 32 * g. A group of fewer
// than 16 colours is filled up with black; more than 16 throw.
Bytes HeaderlessPalette(const std::vector<std::vector<Colour12>>& groups);

// 4-bit rows from one index per pixel (rows from the top, width per row):
// two pixels per byte, the left one in the high nibble, the spare low nibble
// of an odd width 0. An index above 15 throws.
Bytes FourBitRows(const std::vector<std::uint8_t>& indices, std::size_t width);
// 32-bit rows from red, green, blue, alpha per pixel: stored as blue, green,
// red, alpha.
Bytes AlphaRows(const std::vector<std::uint8_t>& rgba);

}  // namespace kiss
