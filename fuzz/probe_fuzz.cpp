// The quick test of IsSupported and the header reading of GetPictureInfo on
// any bytes and any name. The plug-in hands both a 32-byte window; here the
// window is the input's bytes in a block of exactly their size, shorter or
// longer than 32, and must give what the zero-padded 32 bytes give.
//
// Input: a flags byte (bit 0: no name at all), the file name up to the first
// zero byte, then the file's first bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "cel/cel_format.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr std::uint8_t kMagic[4] = {'K', 'i', 'S', 'S'};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool nameless = (data[0] & 1) != 0;
  const char* rest = reinterpret_cast<const char*>(data + 1);
  const std::size_t restSize = size - 1;
  const void* zero = std::memchr(rest, 0, restSize);
  const std::size_t nameLength = zero != nullptr ? static_cast<const char*>(zero) - rest : restSize;
  const std::string nameText(rest, nameLength);
  const char* name = nameless ? nullptr : nameText.c_str();
  const std::size_t windowStart = zero != nullptr ? 1 + nameLength + 1 : size;
  const ExactBytes window(data + windowStart, size - windowStart);
  const PaddedWindow<kKissHeaderSize> padded(data + windowStart, size - windowStart);

  // The ".CEL" test: the last four bytes, ASCII letters folded, whichever way
  // the system compares names.
  const bool celNamed = fuzz_text::EndsInExtension(name, ".CEL");
  Require(HasExtension(name, ".CEL", test_steps::CompareNoCase) == celNamed,
          "the ASCII comparison tells a .CEL name");
  Require(HasExtension(name, ".CEL", fuzz_text::CompareNoCaseCp932) == celNamed,
          "the code page 932 comparison tells a .CEL name as ASCII does");

  // IsSupported.
  const bool supported = PassesQuickTest(window.View(), celNamed);
  Require(PassesQuickTest(padded.View(), celNamed) == supported,
          "the quick test reads the first 32 bytes only, missing ones as zero");
  Require(PassesQuickTest(window.View(), name, fuzz_text::CompareNoCaseCp932) == supported,
          "the quick test by name equals the quick test by its name test");
  const bool magic = std::memcmp(padded.bytes, kMagic, sizeof kMagic) == 0;
  const std::uint8_t mark = padded.bytes[4];
  const std::uint8_t depth = padded.bytes[5];
  const bool headerAccepted = magic &&
                              ((mark == kCelMarkPaletted && (depth == 4 || depth == 8)) ||
                               (mark == kCelMarkAlpha && depth == 32)) &&
                              padded.U16(8) != 0 && padded.U16(10) != 0;
  const bool headerlessShape = padded.U16(0) != 0 && padded.U16(2) != 0;
  if (supported && !celNamed) {
    Require(headerAccepted, "a window accepted without the name is a whole, sized header");
  }
  if (supported && !magic) {
    Require(celNamed && headerlessShape, "a window without the magic is accepted by name only");
  }
  if (headerAccepted) Require(supported, "a whole, sized header is accepted under any name");
  if (celNamed && headerlessShape) {
    Require(supported, "a .CEL name with two non-zero words is accepted, magic or not");
  }

  // GetPictureInfo: the 16-bit fields of the header, or of the headerless cel.
  const CelPictureInfo info = ReadCelPictureInfo(window.View());
  const CelPictureInfo paddedInfo = ReadCelPictureInfo(padded.View());
  Require(info.width == paddedInfo.width && info.height == paddedInfo.height &&
              info.bitsPerPixel == paddedInfo.bitsPerPixel,
          "the picture information reads the first 32 bytes only, missing ones as zero");
  if (magic) {
    Require(info.bitsPerPixel == depth, "a headed cel's depth is its header byte, unchanged");
    Require(info.width == static_cast<std::int32_t>(padded.U16(8)) &&
                info.height == static_cast<std::int32_t>(padded.U16(10)),
            "a headed cel's size is bytes 8 to 11");
  } else {
    Require(info.bitsPerPixel == 4, "a cel without the magic is 4-bit");
    Require(info.width == static_cast<std::int32_t>(padded.U16(0)) &&
                info.height == static_cast<std::int32_t>(padded.U16(2)),
            "a headerless cel's size is bytes 0 to 3");
  }
  if (supported && headerAccepted) {
    Require(info.width > 0 && info.height > 0, "an accepted header reports a size");
  }

  // GetPicture reads the same size and depth from the same bytes.
  const CelLayout layout = ReadCelLayout(window.View());
  Require(layout.headed == magic, "the decoder tells a headed cel by the magic alone");
  Require(static_cast<std::int32_t>(layout.width) == info.width &&
              static_cast<std::int32_t>(layout.height) == info.height &&
              layout.bitsPerPixel == info.bitsPerPixel,
          "the decoder sees the size and depth the host was told");
  Require(layout.pixelOffset == (magic ? kKissHeaderSize : kHeaderlessCelHeaderSize),
          "rows begin after the header");
  return 0;
}
