// The flattening's kernels in standard C++: two channels per 32-bit word,
// and the divisions by 255 done by an exact add-and-shift.
#include "cel/flatten_kernels.h"

namespace {

constexpr std::uint32_t kLowBytes = 0x00FF00FF;

// x / 255, truncated, in each 16-bit half of x, for halves up to 255 * 255:
// (x + (x >> 8) + 1) >> 8 is exact there, and no half carries into the next.
std::uint32_t DivideHalvesBy255(std::uint32_t x) {
  return ((x + ((x >> 8) & kLowBytes) + 0x00010001u) >> 8) & kLowBytes;
}

}  // namespace

void BlendOverPatternPortable(const std::uint8_t* source, const std::uint32_t* pattern,
                              std::uint32_t flip, std::size_t count, std::uint8_t* out) {
  for (std::size_t i = 0; i < count; ++i, source += 4, out += 3) {
    const std::uint32_t alpha = source[3];
    const std::uint32_t clear = 255 - alpha;
    const std::uint32_t colour = pattern[i] ^ flip;
    // Blue in the low half, red in the high half; green in a word of its own.
    const std::uint32_t blueRed = source[0] | (std::uint32_t{source[2]} << 16);
    const std::uint32_t mixedBlueRed =
        DivideHalvesBy255((colour & kLowBytes) * clear) + DivideHalvesBy255(blueRed * alpha);
    const std::uint32_t mixedGreen =
        DivideHalvesBy255(((colour >> 8) & 0xFF) * clear) + DivideHalvesBy255(source[1] * alpha);
    out[0] = static_cast<std::uint8_t>(mixedBlueRed);
    out[1] = static_cast<std::uint8_t>(mixedGreen);
    out[2] = static_cast<std::uint8_t>(mixedBlueRed >> 16);
  }
}

void KeepColoursPortable(const std::uint8_t* source, std::size_t count, std::uint8_t* out) {
  for (std::size_t i = 0; i < count; ++i, source += 4, out += 3) {
    const std::uint8_t white = source[3] == 0 ? 0xFF : 0;
    out[0] = source[0] | white;
    out[1] = source[1] | white;
    out[2] = source[2] | white;
  }
}
