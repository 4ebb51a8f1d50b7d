// Palette recognition and the colour table on any palette bytes, name,
// depth and group. The palette's bytes lie in a block of exactly their size
// and, when there are more than 1024, the ones past 1024 are poisoned, so any
// read past the data or past the part the table may read is reported.
//
// Input: a depth byte (0 to 15; 1 to 8 are the table's depths), the group
// (32 bits, little-endian), the palette file's name up to the first zero
// byte, then the file's bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "cel/cel_format.h"
#include "cel/colour_table.h"
#include "fuzz/fuzz_support.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define TAMSA_POISON(address, size) ASAN_POISON_MEMORY_REGION(address, size)
#define TAMSA_UNPOISON(address, size) ASAN_UNPOISON_MEMORY_REGION(address, size)
#endif
#endif
#ifndef TAMSA_POISON
#define TAMSA_POISON(address, size) ((void)(address), (void)(size))
#define TAMSA_UNPOISON(address, size) ((void)(address), (void)(size))
#endif

namespace {

constexpr std::uint8_t kMagic[4] = {'K', 'i', 'S', 'S'};
constexpr std::size_t kLargestTable = 256 * kRgbQuadSize;
constexpr std::uint8_t kUntouched = 0xA5;

// The bytes past the first 1024 are off limits for as long as this lives.
class PoisonedTail {
 public:
  explicit PoisonedTail(ExactBytes& bytes)
      : start_(bytes.data() + kPaletteReadLength),
        size_(bytes.size() > kPaletteReadLength ? bytes.size() - kPaletteReadLength : 0) {
    if (size_ != 0) TAMSA_POISON(start_, size_);
  }
  ~PoisonedTail() {
    if (size_ != 0) TAMSA_UNPOISON(start_, size_);
  }
  PoisonedTail(const PoisonedTail&) = delete;
  PoisonedTail& operator=(const PoisonedTail&) = delete;

 private:
  std::uint8_t* start_;
  std::size_t size_;
};

bool IsBlack(const std::uint8_t* entry) {
  return entry[0] == 0 && entry[1] == 0 && entry[2] == 0 && entry[3] == 0;
}

// Byte offset of the file as the table may see it: the data, zero past its
// end, nothing past 1024.
std::uint8_t VisibleByte(const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  return offset < size && offset < kPaletteReadLength ? data[offset] : 0;
}

void CheckRecognition(const PaletteLayout& layout, const PaddedWindow<kKissHeaderSize>& header,
                      bool kcfNamed) {
  const bool magic = std::memcmp(header.bytes, kMagic, sizeof kMagic) == 0;
  const unsigned colours = header.U16(8);
  const unsigned groups = header.U16(10);
  const bool headerAccepted = magic && header.bytes[4] == kPaletteMark &&
                              (header.bytes[5] == 12 || header.bytes[5] == 24) && colours >= 1 &&
                              colours <= 256 && groups >= 1 && groups <= 10;
  Require(layout.recognised == (headerAccepted || kcfNamed),
          "a palette is a whole header, or any file named .KCF");
  if (headerAccepted) {
    Require(layout.coloursPerGroup == colours && layout.bitsPerColour == header.bytes[5] &&
                layout.firstGroupOffset == kKissHeaderSize,
            "a headed palette takes its header's layout, groups from byte 32");
  } else if (kcfNamed) {
    Require(layout.coloursPerGroup == kHeaderlessPaletteColours && layout.bitsPerColour == 12 &&
                layout.firstGroupOffset == 0,
            "a headerless palette has groups of 16 12-bit colours from byte 0");
  }
}

void CheckGroupOffsets(const PaletteLayout& layout, std::uint32_t group) {
  const std::uint64_t groupBytes =
      static_cast<std::uint64_t>(layout.coloursPerGroup) * PaletteEntrySize(layout.bitsPerColour);
  Require(PaletteGroupOffset(layout, 0) == layout.firstGroupOffset, "group 0 begins the groups");
  if (group != 0) {
    Require(PaletteGroupOffset(layout, group) - PaletteGroupOffset(layout, group - 1) == groupBytes,
            "every group is as long as its colours, however far out");
  }
}

void CheckTable(const std::uint8_t* table, unsigned depth, const std::uint8_t* data,
                std::size_t size, const PaletteLayout& layout, std::uint32_t group) {
  const unsigned entrySize = PaletteEntrySize(layout.bitsPerColour);
  std::uint64_t offset = PaletteGroupOffset(layout, group);
  for (std::size_t i = 0; i < (std::size_t{1} << depth); ++i, offset += entrySize) {
    const std::uint8_t* entry = table + i * kRgbQuadSize;
    Require(entry[3] == 0, "every entry's reserved byte is 0");
    if (offset + entrySize > kPaletteReadLength) {
      Require(IsBlack(entry), "an entry past the first 1024 bytes is black");
      continue;
    }
    const std::uint8_t b0 = VisibleByte(data, size, offset);
    const std::uint8_t b1 = VisibleByte(data, size, offset + 1);
    const std::uint8_t b2 = VisibleByte(data, size, offset + 2);
    // Blue, green, red: 24-bit entries are red, green, blue bytes; 12-bit
    // ones red and blue nibbles in the first byte, green in the second's low.
    if (entrySize == 3) {
      Require(entry[0] == b2 && entry[1] == b1 && entry[2] == b0, "a 24-bit entry's colour");
    } else {
      Require(entry[0] == (b0 & 0x0F) * 17 && entry[1] == (b1 & 0x0F) * 17 &&
                  entry[2] == (b0 >> 4) * 17,
              "a 12-bit entry's colour");
    }
  }
}

void CheckFallback(const std::uint8_t* table, unsigned depth) {
  const std::size_t count = std::size_t{1} << depth;
  if (depth == 4) {
    std::uint8_t builtIn[16 * kRgbQuadSize];
    BuildDefaultColours(builtIn);
    Require(std::memcmp(table, builtIn, sizeof builtIn) == 0, "4-bit falls back to the 16 colours");
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = table + i * kRgbQuadSize;
    Require(entry[0] == entry[1] && entry[1] == entry[2] && entry[3] == 0, "the ramp is grey");
    if (i > 0) Require(entry[0] > *(entry - kRgbQuadSize), "the ramp rises");
  }
  Require(table[0] == 0 && table[(count - 1) * kRgbQuadSize] == 255,
          "the ramp runs from black to white");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 5) return 0;
  const unsigned depth = data[0] & 0x0F;
  std::uint32_t group = 0;
  for (int i = 0; i < 4; ++i) group |= static_cast<std::uint32_t>(data[1 + i]) << (8 * i);
  const char* rest = reinterpret_cast<const char*>(data + 5);
  const void* zero = std::memchr(rest, 0, size - 5);
  const std::size_t nameLength = zero != nullptr ? static_cast<const char*>(zero) - rest : size - 5;
  const std::string name(rest, nameLength);
  const std::size_t fileStart = zero != nullptr ? 5 + nameLength + 1 : size;
  ExactBytes file(data + fileStart, size - fileStart);
  const PaddedWindow<kKissHeaderSize> header(file.data(), file.size());
  const PoisonedTail offLimits(file);
  const ByteView view = file.View();

  const bool kcfNamed = fuzz_text::EndsInExtension(name.c_str(), ".KCF");
  const PaletteLayout layout = RecognisePalette(view, kcfNamed);
  const PaletteLayout byAscii = RecognisePalette(view, name.c_str(), test_steps::CompareNoCase);
  const PaletteLayout byCp932 = RecognisePalette(view, name.c_str(), fuzz_text::CompareNoCaseCp932);
  for (const PaletteLayout* other : {&byAscii, &byCp932}) {
    Require(other->recognised == layout.recognised &&
                other->coloursPerGroup == layout.coloursPerGroup &&
                other->bitsPerColour == layout.bitsPerColour &&
                other->firstGroupOffset == layout.firstGroupOffset,
            "recognition by name equals recognition by its name test");
  }
  CheckRecognition(layout, header, kcfNamed);

  // A table of exactly 2^depth entries; outside depths 1 to 8 nothing is written.
  const bool tableDepth = depth >= 1 && depth <= 8;
  const std::size_t tableBytes = tableDepth ? (std::size_t{1} << depth) * kRgbQuadSize : 0;
  std::unique_ptr<std::uint8_t[]> table(new std::uint8_t[tableDepth ? tableBytes : kLargestTable]);
  std::memset(table.get(), kUntouched, tableDepth ? tableBytes : kLargestTable);
  if (layout.recognised) {
    CheckGroupOffsets(layout, group);
    BuildPaletteColours(table.get(), depth, view, layout, group);
    if (tableDepth) CheckTable(table.get(), depth, file.data(), file.size(), layout, group);
  } else {
    BuildFallbackColours(table.get(), depth);
    if (tableDepth) CheckFallback(table.get(), depth);
  }
  if (!tableDepth) {
    for (std::size_t i = 0; i < kLargestTable; ++i) {
      Require(table[i] == kUntouched, "no table is written outside depths 1 to 8");
    }
  }
  return 0;
}
