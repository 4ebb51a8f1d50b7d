#include "dib_image.h"

#include <new>

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::size_t kInfoHeaderSize = 40;

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

// One channel of a bit-field pixel: the masked bits scaled to 0..255.
struct Channel {
  std::uint32_t mask = 0;
  unsigned shift = 0;
  std::uint32_t maximum = 0;

  explicit Channel(std::uint32_t m) : mask(m) {
    if (mask == 0) return;
    while (((mask >> shift) & 1u) == 0) ++shift;
    maximum = mask >> shift;
  }
  std::uint8_t Take(std::uint32_t pixel) const {
    if (maximum == 0) return 0;
    const std::uint64_t v = (pixel & mask) >> shift;
    return static_cast<std::uint8_t>((v * 255 + maximum / 2) / maximum);
  }
};

DibReadResult Fail(std::string why) {
  DibReadResult result;
  result.error = std::move(why);
  return result;
}

}  // namespace

DibReadResult ReadDib(const std::uint8_t* info, std::size_t infoSize, const std::uint8_t* bits,
                      std::size_t bitsSize) {
  if (info == nullptr || infoSize < kInfoHeaderSize)
    return Fail("information block smaller than a BITMAPINFOHEADER");
  const std::uint32_t headerSize = U32(info);
  if (headerSize < kInfoHeaderSize || headerSize > infoSize)
    return Fail("unsupported bitmap header size " + std::to_string(headerSize));
  const std::int32_t width = I32(info + 4);
  const std::int32_t rawHeight = I32(info + 8);
  const unsigned bitCount = U16(info + 14);
  const std::uint32_t compression = U32(info + 16);
  const std::uint32_t coloursUsed = U32(info + 32);

  if (width <= 0 || rawHeight == 0 || rawHeight == INT32_MIN)
    return Fail("empty picture (" + std::to_string(width) + " x " + std::to_string(rawHeight) +
                ")");
  const bool topDown = rawHeight < 0;
  const std::uint32_t height =
      topDown ? 0u - static_cast<std::uint32_t>(rawHeight) : static_cast<std::uint32_t>(rawHeight);
  if (static_cast<std::uint64_t>(width) * height > kMaxPicturePixels)
    return Fail("picture too large (" + std::to_string(width) + " x " + std::to_string(height) +
                ")");

  const bool paletted = bitCount == 1 || bitCount == 4 || bitCount == 8;
  if (!paletted && bitCount != 16 && bitCount != 24 && bitCount != 32)
    return Fail("unsupported depth of " + std::to_string(bitCount) + " bits per pixel");
  const bool bitfields = compression == kBiBitfields && (bitCount == 16 || bitCount == 32);
  if (compression != kBiRgb && !bitfields)
    return Fail("unsupported bitmap compression " + std::to_string(compression));

  // The colour table follows the header; the masks of BI_BITFIELDS sit at
  // byte 40 whether they follow a 40-byte header or belong to a longer one.
  std::size_t tableEntries = 0;
  if (paletted) {
    const std::size_t full = std::size_t{1} << bitCount;
    tableEntries = coloursUsed != 0 && coloursUsed < full ? coloursUsed : full;
    if (infoSize - headerSize < tableEntries * 4) return Fail("colour table cut short");
  }
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bitCount == 32) {
    masks[0] = 0xFF0000;
    masks[1] = 0xFF00;
    masks[2] = 0xFF;
  }
  if (bitfields) {
    if (infoSize < kInfoHeaderSize + 12) return Fail("bit-field masks cut short");
    for (int i = 0; i < 3; ++i) masks[i] = U32(info + kInfoHeaderSize + 4 * i);
  }
  const Channel red(masks[0]);
  const Channel green(masks[1]);
  const Channel blue(masks[2]);

  const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
  if (bits == nullptr || bitsSize < stride * height) return Fail("pixel block cut short");

  DibReadResult result;
  result.bitCount = static_cast<int>(bitCount);
  result.image.width = width;
  result.image.height = static_cast<int>(height);
  try {
    result.image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
  } catch (const std::bad_alloc&) {
    return Fail("out of memory for a " + std::to_string(width) + " x " + std::to_string(height) +
                " picture");
  }
  const std::uint8_t* table = info + headerSize;
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = bits + stride * (topDown ? y : height - 1 - y);
    std::uint8_t* out = &result.image.rgb[static_cast<std::size_t>(y) * width * 3];
    for (std::int32_t x = 0; x < width; ++x, out += 3) {
      if (paletted) {
        const unsigned bitOffset = static_cast<unsigned>(x) * bitCount;
        const unsigned shift = 8 - bitCount - bitOffset % 8;
        const std::size_t index = (row[bitOffset / 8] >> shift) & ((1u << bitCount) - 1);
        if (index < tableEntries) {
          out[0] = table[index * 4 + 2];
          out[1] = table[index * 4 + 1];
          out[2] = table[index * 4];
        } else {
          out[0] = out[1] = out[2] = 0;  // an index past a shortened table
        }
      } else if (bitCount == 24) {
        out[0] = row[x * 3 + 2];
        out[1] = row[x * 3 + 1];
        out[2] = row[x * 3];
      } else {
        const std::uint32_t pixel = bitCount == 16 ? U16(row + x * 2) : U32(row + x * 4);
        out[0] = red.Take(pixel);
        out[1] = green.Take(pixel);
        out[2] = blue.Take(pixel);
      }
    }
  }
  result.ok = true;
  return result;
}
