// Building the output bitmap of GetPicture from a cel's bytes: the depth
// table, the block sizes, the BITMAPINFOHEADER and the pixel conversion.
// Free of Windows headers: the byte work builds natively as well.
//
// Sizes are 64-bit so that a 65535 x 65535 cel cannot wrap; the edge decides
// from FitsIn32Bits whether the blocks can be asked for at all.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cel/byte_view.h"
#include "cel/cel_format.h"
#include "settings/plugin_settings.h"

constexpr std::size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER

enum class PixelConversion : std::uint8_t {
  kNone,       // rows stay as allocated (zero)
  kCopy4,      // (width + 1) / 2 bytes a row, copied byte for byte
  kCopy8,      // width bytes a row
  kFlatten32,  // blue, green, red, alpha to 24 bits by the alpha rule
};

struct DepthRule {
  std::uint8_t bitsPerPixel;  // the cel's (4 for a headerless cel)
  std::uint16_t outputDepth;  // 4, 8 or 24
  PixelConversion conversion;
};

// One row per bits-per-pixel value the decoder serves; any other value is not.
constexpr DepthRule kDepthTable[] = {
    {4, 4, PixelConversion::kCopy4},       {8, 8, PixelConversion::kCopy8},
    {12, 4, PixelConversion::kNone},       {24, 24, PixelConversion::kNone},
    {32, 24, PixelConversion::kFlatten32},
};

// The rule for the cel's bits per pixel, or null when the call returns -1.
const DepthRule* FindDepthRule(std::uint8_t bitsPerPixel);

// 4 * 2^depth for depth 4 and 8, 0 for depth 24.
std::uint64_t ColourTableBytes(unsigned outputDepth);
// ((width * depth + 31) / 32) * 4: every output row a multiple of 4 bytes.
std::uint64_t OutputStride(std::uint32_t width, unsigned outputDepth);

// Everything GetPicture needs to know before it allocates.
struct PicturePlan {
  CelLayout layout;
  DepthRule rule;
  std::uint64_t colourTableBytes;
  std::uint64_t infoBytes;  // header + colour table
  std::uint64_t stride;
  std::uint64_t pixelBytes;  // stride * height
};

// Parses the cel and fills plan; false when its depth is not in the table.
bool PlanPicture(ByteView cel, PicturePlan* plan);

// True when both blocks can be described by a 32-bit size (and by size_t).
bool FitsIn32Bits(const PicturePlan& plan);

// Writes the 40-byte BITMAPINFOHEADER, little-endian, at info: size, width,
// height, planes, depth and the pixel block's size; the other fields are left
// as they are (zero in a fresh block). The plan must fit in 32 bits.
void WriteInfoHeader(std::uint8_t* info, const PicturePlan& plan);

// The cel's pixel at (x, y) flattened over the checker pattern, as a Windows
// colour value (red in bits 0-7). pixel points at blue, green, red, alpha.
std::uint32_t BlendOverChecker(const std::uint8_t* pixel, std::int32_t x, std::int32_t y,
                               std::int32_t gridSizeX, std::int32_t gridSizeY,
                               std::uint32_t colorLight, std::uint32_t colorDark);

// The block's row for the cel's row sourceRow: bottom-up, the cel's top row
// is the block's last.
std::uint8_t* OutputRow(std::uint8_t* pixels, const PicturePlan& plan, std::uint32_t sourceRow);
// Bytes of cel from offset on, in 64-bit so that a row offset past the range
// of size_t (possible on 32 bits) simply finds nothing.
std::uint64_t AvailableFrom(ByteView cel, std::uint64_t offset);

// Writes the rows of cel into pixels, a block of plan.pixelBytes bytes that
// is zero on entry, bottom-up. Bytes past the end of cel count as zero, so a
// short cel gives the rows it has and zero (or transparent) rows after them.
void ConvertPixels(ByteView cel, const PicturePlan& plan, const PluginSettings& settings,
                   std::uint8_t* pixels);
