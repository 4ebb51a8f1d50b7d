#include "cel/convert.h"

#include <limits>

#include "cel/flatten.h"

namespace {

void PutU16(std::uint8_t* out, std::uint16_t value) {
  out[0] = static_cast<std::uint8_t>(value);
  out[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(std::uint8_t* out, std::uint32_t value) {
  PutU16(out, static_cast<std::uint16_t>(value));
  PutU16(out + 2, static_cast<std::uint16_t>(value >> 16));
}

void CopyRows(ByteView cel, const PicturePlan& plan, std::uint8_t* pixels) {
  const std::uint64_t rowBytes = CelBytesPerRow(plan.layout.width, plan.rule.bitsPerPixel);
  for (std::uint32_t y = 0; y < plan.layout.height; ++y) {
    const std::uint64_t start = plan.layout.pixelOffset + y * rowBytes;
    // Past the data the rows keep the zeros of the fresh block.
    if (AvailableFrom(cel, start) == 0) break;
    cel.CopyOut(static_cast<std::size_t>(start), OutputRow(pixels, plan, y),
                static_cast<std::size_t>(rowBytes));
  }
}

}  // namespace

std::uint8_t* OutputRow(std::uint8_t* pixels, const PicturePlan& plan, std::uint32_t sourceRow) {
  // The caller has checked that the block's size fits size_t, so every row
  // offset does too.
  const std::uint64_t row = plan.layout.height - 1 - static_cast<std::uint64_t>(sourceRow);
  return pixels + static_cast<std::size_t>(row * plan.stride);
}

std::uint64_t AvailableFrom(ByteView cel, std::uint64_t offset) {
  return offset < cel.size ? cel.size - offset : 0;
}

const DepthRule* FindDepthRule(std::uint8_t bitsPerPixel) {
  for (const DepthRule& rule : kDepthTable) {
    if (rule.bitsPerPixel == bitsPerPixel) return &rule;
  }
  return nullptr;
}

std::uint64_t ColourTableBytes(unsigned outputDepth) {
  return outputDepth == 4 || outputDepth == 8 ? std::uint64_t{4} << outputDepth : 0;
}

std::uint64_t OutputStride(std::uint32_t width, unsigned outputDepth) {
  return (static_cast<std::uint64_t>(width) * outputDepth + 31) / 32 * 4;
}

bool PlanPicture(ByteView cel, PicturePlan* plan) {
  plan->layout = ReadCelLayout(cel);
  const DepthRule* rule = FindDepthRule(plan->layout.bitsPerPixel);
  if (rule == nullptr) return false;
  plan->rule = *rule;
  plan->colourTableBytes = ColourTableBytes(rule->outputDepth);
  plan->infoBytes = kInfoHeaderSize + plan->colourTableBytes;
  plan->stride = OutputStride(plan->layout.width, rule->outputDepth);
  plan->pixelBytes = plan->stride * plan->layout.height;
  return true;
}

bool FitsIn32Bits(const PicturePlan& plan) {
  constexpr std::uint64_t limit =
      std::numeric_limits<std::size_t>::max() < std::numeric_limits<std::uint32_t>::max()
          ? std::numeric_limits<std::size_t>::max()
          : std::numeric_limits<std::uint32_t>::max();
  return plan.pixelBytes <= limit && plan.infoBytes <= limit;
}

void WriteInfoHeader(std::uint8_t* info, const PicturePlan& plan) {
  PutU32(info + 0, kInfoHeaderSize);  // biSize
  PutU32(info + 4, plan.layout.width);
  PutU32(info + 8, plan.layout.height);  // positive: bottom-up rows
  PutU16(info + 12, 1);                  // biPlanes
  PutU16(info + 14, plan.rule.outputDepth);
  // biSizeImage: hosts that copy exactly this many bytes of pixels need it.
  PutU32(info + 20, static_cast<std::uint32_t>(plan.pixelBytes));
}

std::uint32_t BlendOverChecker(const std::uint8_t* pixel, std::int32_t x, std::int32_t y,
                               std::int32_t gridSizeX, std::int32_t gridSizeY,
                               std::uint32_t colorLight, std::uint32_t colorDark) {
  const std::int32_t cellX = gridSizeX > 0 ? gridSizeX : 1;
  const std::int32_t cellY = gridSizeY > 0 ? gridSizeY : 1;
  // The sum's parity, taken in unsigned arithmetic so that it cannot overflow.
  const std::uint32_t parity =
      (static_cast<std::uint32_t>(x / cellX) + static_cast<std::uint32_t>(y / cellY)) & 1;
  const std::uint32_t pattern = parity == 0 ? colorLight : colorDark;
  const std::uint32_t alpha = pixel[3];
  std::uint32_t result = 0;
  // Channel i: red (bits 0-7) pairs with source byte 2, green with 1, blue with 0.
  for (unsigned i = 0; i < 3; ++i) {
    const std::uint32_t p = (pattern >> (8 * i)) & 0xFF;
    const std::uint32_t s = pixel[2 - i];
    result |= ((p * (255 - alpha)) / 255 + (s * alpha) / 255) << (8 * i);
  }
  return result;
}

void ConvertPixels(ByteView cel, const PicturePlan& plan, const PluginSettings& settings,
                   std::uint8_t* pixels) {
  if (plan.pixelBytes == 0 || !FitsIn32Bits(plan)) return;
  switch (plan.rule.conversion) {
    case PixelConversion::kCopy4:
    case PixelConversion::kCopy8:
      CopyRows(cel, plan, pixels);
      break;
    case PixelConversion::kFlatten32:
      FlattenRows(FastestFlattenPath(), cel, plan, settings, pixels);
      break;
    case PixelConversion::kNone:
      break;
  }
}
