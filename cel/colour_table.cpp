#include "cel/colour_table.h"

namespace {

constexpr Rgb kDefaultColours[16] = {
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

void PutEntry(std::uint8_t* table, std::size_t index, Rgb colour) {
  std::uint8_t* entry = table + index * kRgbQuadSize;
  entry[0] = colour.blue;
  entry[1] = colour.green;
  entry[2] = colour.red;
  entry[3] = 0;
}

}  // namespace

void BuildPaletteColours(std::uint8_t* table, unsigned depth, ByteView bytes,
                         const PaletteLayout& layout, std::uint32_t group) {
  // Only the first 1024 bytes are the palette as the table sees it.
  BuildPaletteColours(table, depth, bytes, layout, group, kPaletteReadLength);
}

void BuildPaletteColours(std::uint8_t* table, unsigned depth, ByteView bytes,
                         const PaletteLayout& layout, std::uint32_t group, std::size_t readLimit) {
  if (depth < 1 || depth > 8) return;
  if (bytes.size > readLimit) bytes.size = readLimit;
  const unsigned entrySize = PaletteEntrySize(layout.bitsPerColour);
  const std::size_t count = std::size_t{1} << depth;
  std::uint64_t offset = PaletteGroupOffset(layout, group);
  for (std::size_t i = 0; i < count; ++i, offset += entrySize) {
    Rgb colour = {0, 0, 0};
    if (offset + entrySize <= readLimit) {
      const std::size_t at = static_cast<std::size_t>(offset);
      colour = entrySize == 3 ? ExpandColour24(bytes.At(at), bytes.At(at + 1), bytes.At(at + 2))
                              : ExpandColour12(bytes.At(at), bytes.At(at + 1));
    }
    PutEntry(table, i, colour);
  }
}

void BuildDefaultColours(std::uint8_t* table) {
  for (std::size_t i = 0; i < 16; ++i) PutEntry(table, i, kDefaultColours[i]);
}

void BuildGreyRamp(std::uint8_t* table, unsigned depth) {
  if (depth < 1 || depth > 8) return;
  const std::size_t count = std::size_t{1} << depth;
  for (std::size_t i = 0; i < count; ++i) {
    const auto grey = static_cast<std::uint8_t>(i * 255 / (count - 1));
    PutEntry(table, i, {grey, grey, grey});
  }
}

void BuildFallbackColours(std::uint8_t* table, unsigned depth) {
  if (depth == 4) {
    BuildDefaultColours(table);
  } else {
    BuildGreyRamp(table, depth);
  }
}

bool BuildColoursFromPaletteFile(std::uint8_t* table, unsigned depth, ByteView bytes,
                                 bool kcfNamed) {
  const PaletteLayout layout = RecognisePalette(bytes, kcfNamed);
  if (!layout.recognised) return false;
  BuildPaletteColours(table, depth, bytes, layout, 0);
  return true;
}
