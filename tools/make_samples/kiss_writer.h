// Turns pictures held in memory into KiSS cels and palette files; the bytes
// themselves come from the test file builder.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/kiss_files.h"

using kiss::Bytes;

struct Colour {
  std::uint8_t r;
  std::uint8_t g;
  std::uint8_t b;
};

// One palette index per pixel, rows from the top.
struct IndexedCel {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// Red, green, blue, alpha per pixel, rows from the top.
struct RgbaCel {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

using PaletteGroups = std::vector<std::vector<Colour>>;

// A cel with the 32-byte header, 4 or 8 bits per pixel.
Bytes EncodeHeadedCel(const IndexedCel& cel, int bitsPerPixel, int xOffset, int yOffset);
// The old form: width, height and 4-bit rows.
Bytes EncodeHeaderlessCel(const IndexedCel& cel);
// A 32-bit cel: blue, green, red, alpha per pixel.
Bytes EncodeAlphaCel(const RgbaCel& cel, int xOffset, int yOffset);

// A headed palette of 12 or 24 bits per colour; every group as long as the first.
Bytes EncodeHeadedPalette(const PaletteGroups& groups, int bitsPerColour);
// The old form: 12-bit entries, 16 colours per group, no header.
Bytes EncodeHeaderlessPalette(const PaletteGroups& groups);

// The colour that a 12-bit entry written for c reads back as.
Colour Reduce12(Colour c);
