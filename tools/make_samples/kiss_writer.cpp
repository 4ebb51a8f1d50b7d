#include "kiss_writer.h"

#include <stdexcept>

#include "cel/cel_format.h"

namespace {

void PutU16(Bytes& bytes, std::size_t offset, int value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

void PutMagic(Bytes& bytes) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(kKissMagic >> (8 * i));
}

Bytes KissHeader(std::uint8_t mark, int depth, int width, int height) {
  Bytes bytes(kKissHeaderSize, 0);
  PutMagic(bytes);
  bytes[4] = mark;
  bytes[5] = static_cast<std::uint8_t>(depth);
  PutU16(bytes, 8, width);
  PutU16(bytes, 10, height);
  return bytes;
}

// Rows of two pixels per byte, the left pixel in the high nibble.
void AppendNibbleRows(Bytes& bytes, const IndexedCel& cel) {
  for (int y = 0; y < cel.height; ++y) {
    for (int x = 0; x < cel.width; x += 2) {
      const int left = cel.pixels[y * cel.width + x] & 0x0F;
      const int right = x + 1 < cel.width ? cel.pixels[y * cel.width + x + 1] & 0x0F : 0;
      bytes.push_back(static_cast<std::uint8_t>(left << 4 | right));
    }
  }
}

int Nibble(std::uint8_t channel) { return (channel * 15 + 127) / 255; }

void AppendEntry12(Bytes& bytes, Colour c) {
  bytes.push_back(static_cast<std::uint8_t>(Nibble(c.r) << 4 | Nibble(c.b)));
  bytes.push_back(static_cast<std::uint8_t>(Nibble(c.g)));
}

void CheckIndices(const IndexedCel& cel, int limit) {
  for (std::uint8_t index : cel.pixels)
    if (index >= limit) throw std::runtime_error("palette index out of range for the cel depth");
}

}  // namespace

Bytes EncodeHeadedCel(const IndexedCel& cel, int bitsPerPixel, int xOffset, int yOffset) {
  Bytes bytes = KissHeader(kCelMarkPaletted, bitsPerPixel, cel.width, cel.height);
  PutU16(bytes, 12, xOffset);
  PutU16(bytes, 14, yOffset);
  if (bitsPerPixel == 4) {
    CheckIndices(cel, 16);
    AppendNibbleRows(bytes, cel);
  } else {
    bytes.insert(bytes.end(), cel.pixels.begin(), cel.pixels.end());
  }
  return bytes;
}

Bytes EncodeHeaderlessCel(const IndexedCel& cel) {
  CheckIndices(cel, 16);
  Bytes bytes(kHeaderlessCelHeaderSize, 0);
  PutU16(bytes, 0, cel.width);
  PutU16(bytes, 2, cel.height);
  AppendNibbleRows(bytes, cel);
  return bytes;
}

Bytes EncodeAlphaCel(const RgbaCel& cel, int xOffset, int yOffset) {
  Bytes bytes = KissHeader(kCelMarkAlpha, 32, cel.width, cel.height);
  PutU16(bytes, 12, xOffset);
  PutU16(bytes, 14, yOffset);
  for (std::size_t i = 0; i < cel.pixels.size(); i += 4) {
    bytes.push_back(cel.pixels[i + 2]);
    bytes.push_back(cel.pixels[i + 1]);
    bytes.push_back(cel.pixels[i]);
    bytes.push_back(cel.pixels[i + 3]);
  }
  return bytes;
}

Bytes EncodeHeadedPalette(const PaletteGroups& groups, int bitsPerColour) {
  const int colours = static_cast<int>(groups.at(0).size());
  Bytes bytes = KissHeader(kPaletteMark, bitsPerColour, colours, static_cast<int>(groups.size()));
  for (const auto& group : groups) {
    if (static_cast<int>(group.size()) != colours)
      throw std::runtime_error("palette groups differ in length");
    for (Colour c : group) {
      if (bitsPerColour == 12) {
        AppendEntry12(bytes, c);
      } else {
        bytes.push_back(c.r);
        bytes.push_back(c.g);
        bytes.push_back(c.b);
      }
    }
  }
  return bytes;
}

Bytes EncodeHeaderlessPalette(const PaletteGroups& groups) {
  if (groups.size() != kHeaderlessPaletteGroupCount)
    throw std::runtime_error("a headerless palette has ten groups");
  Bytes bytes;
  for (const auto& group : groups) {
    if (group.size() != kHeaderlessPaletteColours)
      throw std::runtime_error("a headerless palette group has 16 colours");
    for (Colour c : group) AppendEntry12(bytes, c);
  }
  return bytes;
}

Colour Reduce12(Colour c) {
  return Colour{static_cast<std::uint8_t>(Nibble(c.r) * 17),
                static_cast<std::uint8_t>(Nibble(c.g) * 17),
                static_cast<std::uint8_t>(Nibble(c.b) * 17)};
}
