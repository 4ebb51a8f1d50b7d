#include "kiss_writer.h"

#include <stdexcept>

namespace {

int Nibble(std::uint8_t channel) { return (channel * 15 + 127) / 255; }

kiss::Colour12 To12(Colour c) {
  return kiss::Colour12{static_cast<std::uint8_t>(Nibble(c.r)),
                        static_cast<std::uint8_t>(Nibble(c.g)),
                        static_cast<std::uint8_t>(Nibble(c.b))};
}

std::vector<kiss::Colour12> To12(const std::vector<Colour>& colours) {
  std::vector<kiss::Colour12> reduced;
  for (Colour c : colours) reduced.push_back(To12(c));
  return reduced;
}

kiss::CelFields Fields(std::uint8_t mark, int bitsPerPixel, int width, int height, int xOffset,
                       int yOffset) {
  return kiss::CelFields{kiss::kMagic,
                         mark,
                         static_cast<std::uint8_t>(bitsPerPixel),
                         static_cast<std::uint16_t>(width),
                         static_cast<std::uint16_t>(height),
                         static_cast<std::uint16_t>(xOffset),
                         static_cast<std::uint16_t>(yOffset)};
}

}  // namespace

Bytes EncodeHeadedCel(const IndexedCel& cel, int bitsPerPixel, int xOffset, int yOffset) {
  const Bytes rows = bitsPerPixel == 4 ? kiss::FourBitRows(cel.pixels, cel.width) : cel.pixels;
  return kiss::HeadedCel(
      Fields(kiss::kPalettedCelMark, bitsPerPixel, cel.width, cel.height, xOffset, yOffset), rows);
}

Bytes EncodeHeaderlessCel(const IndexedCel& cel) {
  return kiss::HeaderlessCel(static_cast<std::uint16_t>(cel.width),
                             static_cast<std::uint16_t>(cel.height),
                             kiss::FourBitRows(cel.pixels, cel.width));
}

Bytes EncodeAlphaCel(const RgbaCel& cel, int xOffset, int yOffset) {
  return kiss::HeadedCel(Fields(kiss::kAlphaCelMark, 32, cel.width, cel.height, xOffset, yOffset),
                         kiss::AlphaRows(cel.pixels));
}

Bytes EncodeHeadedPalette(const PaletteGroups& groups, int bitsPerColour) {
  const std::size_t colours = groups.at(0).size();
  Bytes entries;
  for (const auto& group : groups) {
    if (group.size() != colours) throw std::runtime_error("palette groups differ in length");
    Bytes groupEntries;
    if (bitsPerColour == 12) {
      groupEntries = kiss::Entries12(To12(group));
    } else {
      std::vector<kiss::Colour24> full;
      for (Colour c : group) full.push_back(kiss::Colour24{c.r, c.g, c.b});
      groupEntries = kiss::Entries24(full);
    }
    entries.insert(entries.end(), groupEntries.begin(), groupEntries.end());
  }
  return kiss::PaletteFile(static_cast<std::uint8_t>(bitsPerColour),
                           static_cast<std::uint16_t>(colours),
                           static_cast<std::uint16_t>(groups.size()), entries);
}

Bytes EncodeHeaderlessPalette(const PaletteGroups& groups) {
  if (groups.size() != 10) throw std::runtime_error("a headerless palette has ten groups");
  std::vector<std::vector<kiss::Colour12>> reduced;
  for (const auto& group : groups) {
    if (group.size() != 16) throw std::runtime_error("a headerless palette group has 16 colours");
    reduced.push_back(To12(group));
  }
  return kiss::HeaderlessPalette(reduced);
}

Colour Reduce12(Colour c) {
  return Colour{static_cast<std::uint8_t>(Nibble(c.r) * 17),
                static_cast<std::uint8_t>(Nibble(c.g) * 17),
                static_cast<std::uint8_t>(Nibble(c.b) * 17)};
}
