// The colour table of a paletted picture: 2^depth RGBQUAD entries (blue,
// green, red, 0) built from a palette file's bytes, or the fallbacks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cel/cel_format.h"

// The colour table reads no further into a palette file than this.
constexpr std::size_t kPaletteReadLength = 1024;
constexpr std::size_t kRgbQuadSize = 4;

// Depths run from 1 to 8; others write nothing.
// Fills 2^depth entries from group of the recognised palette in bytes. An
// entry whose bytes lie (even partly) beyond the first 1024 bytes is black
// and those bytes are not read; bytes past the end of the view read as zero.
void BuildPaletteColours(std::uint8_t* table, unsigned depth, ByteView bytes,
                         const PaletteLayout& layout, std::uint32_t group);
// The same with another bound: entries whose bytes lie (even partly) beyond
// readLimit are black.
void BuildPaletteColours(std::uint8_t* table, unsigned depth, ByteView bytes,
                         const PaletteLayout& layout, std::uint32_t group, std::size_t readLimit);

// The table from the first kPaletteReadLength bytes of the palette file that
// the search assigns to a cel (kcfNamed: its name ends in ".kcf", which
// lets a headerless palette be taken as one): group 0, since each palette
// file of a configuration holds its own colours. False, nothing written,
// when the bytes are no recognised palette.
bool BuildColoursFromPaletteFile(std::uint8_t* table, unsigned depth, ByteView bytes,
                                 bool kcfNamed);

// The built-in table of 16 colours, for 4-bit pictures without a palette.
void BuildDefaultColours(std::uint8_t* table);

// Entry i grey at (i * 255) / (2^depth - 1), for pictures of 8 bits or fewer.
void BuildGreyRamp(std::uint8_t* table, unsigned depth);

// The table when no palette is recognised: the built-in colours at depth 4,
// the grey ramp at any other depth.
void BuildFallbackColours(std::uint8_t* table, unsigned depth);
