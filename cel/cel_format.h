// KiSS cel and palette file layouts, and the test by which each reader of the
// plug-in recognises them. Free of Windows headers: builds natively as well.
//
// The readers deliberately differ (the quick test checks the mark, the
// decoder does not, ...); each has its own function here so that one place
// states each rule.
#pragma once

#include <cstddef>
#include <cstdint>

#include "byte_view.h"
#include "text_adapters.h"

constexpr std::uint32_t kKissMagic = 0x5353694B;  // "KiSS", little-endian
constexpr std::uint8_t kCelMarkPaletted = 0x20;
constexpr std::uint8_t kCelMarkAlpha = 0x21;
constexpr std::uint8_t kPaletteMark = 0x10;
constexpr std::size_t kKissHeaderSize = 32;
constexpr std::size_t kHeaderlessCelHeaderSize = 4;
constexpr std::size_t kHeaderlessPaletteGroupCount = 10;
constexpr std::uint16_t kHeaderlessPaletteColours = 16;

#pragma pack(push, 1)
struct CelHeader {
  std::uint32_t magic;
  std::uint8_t mark;
  std::uint8_t bitsPerPixel;
  std::uint16_t reserved;
  std::uint16_t width;
  std::uint16_t height;
  std::uint16_t xOffset;
  std::uint16_t yOffset;
  std::uint8_t reserved2[16];
};
struct PaletteHeader {
  std::uint32_t magic;
  std::uint8_t mark;
  std::uint8_t bitsPerColour;
  std::uint16_t reserved;
  std::uint16_t coloursPerGroup;
  std::uint16_t groupCount;
  std::uint8_t reserved2[20];
};
#pragma pack(pop)
static_assert(sizeof(CelHeader) == kKissHeaderSize, "CelHeader is 32 bytes");
static_assert(sizeof(PaletteHeader) == kKissHeaderSize, "PaletteHeader is 32 bytes");

// The header fields, read through the view: bytes past its end read as zero.
CelHeader ReadCelHeader(ByteView bytes);
PaletteHeader ReadPaletteHeader(ByteView bytes);

bool HasKissMagic(ByteView bytes);

// True when the last four characters of name equal extension (".CEL",
// ".KCF") under compare. Names shorter than four characters never match.
bool HasExtension(const char* name, const char* extension, NameCompare compare);

// IsSupported: the header test, then the headerless name test.
bool PassesQuickHeaderTest(const CelHeader& header);
// celNamed: the file's name ends in ".CEL", however its caller compares names.
bool PassesQuickTest(ByteView window, bool celNamed);
bool PassesQuickTest(ByteView window, const char* fileName, NameCompare compare);

// GetPictureInfo: size and depth as the host sees them.
struct CelPictureInfo {
  std::int32_t width;
  std::int32_t height;
  std::int16_t bitsPerPixel;
};
CelPictureInfo ReadCelPictureInfo(ByteView window);

// GetPicture: where the rows are and how wide each pixel is. For a headerless
// cel bitsPerPixel is 4; for a headed cel it is the header byte, unchecked.
struct CelLayout {
  bool headed;
  std::uint8_t bitsPerPixel;
  std::uint32_t width;
  std::uint32_t height;
  std::size_t pixelOffset;
};
CelLayout ReadCelLayout(ByteView bytes);

// Bytes one stored row takes: (width + 1) / 2 at 4 bits, width at 8,
// 4 * width at 32, and 0 for depths that store no rows the decoder reads.
std::uint64_t CelBytesPerRow(std::uint32_t width, unsigned bitsPerPixel);

// The palette header test shared by the group count and the colour table.
bool PassesPaletteHeaderTest(const PaletteHeader& header);

// How the colour table reads a palette file (first 32 bytes plus its name).
struct PaletteLayout {
  bool recognised;
  std::uint16_t coloursPerGroup;
  std::uint8_t bitsPerColour;  // 12 or 24
  std::size_t firstGroupOffset;
};
// kcfNamed: the file's name ends in ".KCF".
PaletteLayout RecognisePalette(ByteView bytes, bool kcfNamed);
PaletteLayout RecognisePalette(ByteView bytes, const char* path, NameCompare compare);

// Offset of a group's first entry.
std::uint64_t PaletteGroupOffset(const PaletteLayout& layout, std::uint32_t group);

// Size in bytes of one colour entry: 2 for 12 bits, 3 for 24 bits.
unsigned PaletteEntrySize(unsigned bitsPerColour);

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};
// 12-bit entry: red high nibble / blue low nibble of b0, green low nibble of
// b1; each nibble v becomes v * 17.
Rgb ExpandColour12(std::uint8_t b0, std::uint8_t b1);
// 24-bit entry: red, green, blue.
Rgb ExpandColour24(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2);
