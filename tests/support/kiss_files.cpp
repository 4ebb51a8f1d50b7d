// The header by its own folder: the sample generator builds this file without
// the tests' include path.
#include "kiss_files.h"

#include <stdexcept>
#include <utility>

namespace kiss {
namespace {

constexpr std::size_t kHeaderSize = 32;
constexpr std::size_t kHeaderlessGroupColours = 16;

void PutU16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

// Magic at 0, mark at 4, depth at 5, 2 reserved bytes, two 16-bit fields at
// 8 and 10; cels and palettes share this much of the header.
Bytes Header(const Magic& magic, std::uint8_t mark, std::uint8_t depth, std::uint16_t at8,
             std::uint16_t at10) {
  Bytes bytes(kHeaderSize, 0);
  for (std::size_t i = 0; i < magic.size(); ++i) bytes[i] = magic[i];
  bytes[4] = mark;
  bytes[5] = depth;
  PutU16(bytes, 8, at8);
  PutU16(bytes, 10, at10);
  return bytes;
}

Bytes Joined(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin(), tail.end());
  return head;
}

}  // namespace

Bytes HeadedCel(const CelFields& fields, const Bytes& rows) {
  Bytes bytes = Header(fields.magic, fields.mark, fields.bitsPerPixel, fields.width, fields.height);
  PutU16(bytes, 12, fields.xOffset);
  PutU16(bytes, 14, fields.yOffset);
  return Joined(std::move(bytes), rows);
}

Bytes HeadedCel(std::uint8_t mark, std::uint8_t bitsPerPixel, std::uint16_t width,
                std::uint16_t height, const Bytes& rows) {
  return HeadedCel(CelFields{kMagic, mark, bitsPerPixel, width, height}, rows);
}

Bytes HeaderlessCel(std::uint16_t width, std::uint16_t height, const Bytes& rows) {
  Bytes bytes(4, 0);
  PutU16(bytes, 0, width);
  PutU16(bytes, 2, height);
  return Joined(std::move(bytes), rows);
}

Bytes PaletteFile(const PaletteFields& fields, const Bytes& entries) {
  return Joined(Header(fields.magic, fields.mark, fields.bitsPerColour, fields.coloursPerGroup,
                       fields.groupCount),
                entries);
}

Bytes PaletteFile(std::uint8_t bitsPerColour, std::uint16_t coloursPerGroup,
                  std::uint16_t groupCount, const Bytes& entries) {
  return PaletteFile(
      PaletteFields{kMagic, kPaletteMark, bitsPerColour, coloursPerGroup, groupCount}, entries);
}

Bytes Entries12(const std::vector<Colour12>& colours) {
  Bytes bytes;
  bytes.reserve(2 * colours.size());
  for (const Colour12& c : colours) {
    if (c.red > 15 || c.green > 15 || c.blue > 15)
      throw std::invalid_argument("a 12-bit channel above 15");
    bytes.push_back(static_cast<std::uint8_t>(c.red << 4 | c.blue));
    bytes.push_back(c.green);
  }
  return bytes;
}

Bytes Entries24(const std::vector<Colour24>& colours) {
  Bytes bytes;
  bytes.reserve(3 * colours.size());
  for (const Colour24& c : colours) bytes.insert(bytes.end(), {c.red, c.green, c.blue});
  return bytes;
}

Bytes HeaderlessPalette(const std::vector<std::vector<Colour12>>& groups) {
  Bytes bytes;
  for (const std::vector<Colour12>& group : groups) {
    if (group.size() > kHeaderlessGroupColours)
      throw std::invalid_argument("a headerless palette group holds 16 colours");
    std::vector<Colour12> filled = group;
    filled.resize(kHeaderlessGroupColours, Colour12{0, 0, 0});
    const Bytes entries = Entries12(filled);
    bytes.insert(bytes.end(), entries.begin(), entries.end());
  }
  return bytes;
}

Bytes FourBitRows(const std::vector<std::uint8_t>& indices, std::size_t width) {
  if (width == 0 ? !indices.empty() : indices.size() % width != 0)
    throw std::invalid_argument("indices are not whole rows");
  Bytes bytes;
  for (std::size_t row = 0; row < indices.size(); row += width) {
    for (std::size_t x = 0; x < width; x += 2) {
      const std::uint8_t left = indices[row + x];
      const std::uint8_t right = x + 1 < width ? indices[row + x + 1] : 0;
      if (left > 15 || right > 15) throw std::invalid_argument("a 4-bit index above 15");
      bytes.push_back(static_cast<std::uint8_t>(left << 4 | right));
    }
  }
  return bytes;
}

Bytes AlphaRows(const std::vector<std::uint8_t>& rgba) {
  if (rgba.size() % 4 != 0) throw std::invalid_argument("pixels are four bytes each");
  Bytes bytes;
  bytes.reserve(rgba.size());
  for (std::size_t i = 0; i < rgba.size(); i += 4)
    bytes.insert(bytes.end(), {rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]});
  return bytes;
}

}  // namespace kiss
