#include "cel_format.h"

#include <cstring>

// Fields are assembled through the view, so the result does not depend on the
// host's byte order and a short input leaves the missing fields zero.
CelHeader ReadCelHeader(ByteView bytes) {
  CelHeader header{};
  header.magic = bytes.U32(0);
  header.mark = bytes.At(4);
  header.bitsPerPixel = bytes.At(5);
  header.reserved = bytes.U16(6);
  header.width = bytes.U16(8);
  header.height = bytes.U16(10);
  header.xOffset = bytes.U16(12);
  header.yOffset = bytes.U16(14);
  bytes.CopyOut(16, header.reserved2, sizeof header.reserved2);
  return header;
}

PaletteHeader ReadPaletteHeader(ByteView bytes) {
  PaletteHeader header{};
  header.magic = bytes.U32(0);
  header.mark = bytes.At(4);
  header.bitsPerColour = bytes.At(5);
  header.reserved = bytes.U16(6);
  header.coloursPerGroup = bytes.U16(8);
  header.groupCount = bytes.U16(10);
  bytes.CopyOut(12, header.reserved2, sizeof header.reserved2);
  return header;
}

bool HasKissMagic(ByteView bytes) { return bytes.U32(0) == kKissMagic; }

bool HasExtension(const char* name, const char* extension, NameCompare compare) {
  if (name == nullptr) return false;
  const std::size_t length = std::strlen(name);
  if (length < 4) return false;
  return compare(name + length - 4, extension) == 0;
}

bool PassesQuickHeaderTest(const CelHeader& header) {
  if (header.magic != kKissMagic) return false;
  const bool paletted =
      header.mark == kCelMarkPaletted && (header.bitsPerPixel == 4 || header.bitsPerPixel == 8);
  const bool alpha = header.mark == kCelMarkAlpha && header.bitsPerPixel == 32;
  return (paletted || alpha) && header.width != 0 && header.height != 0;
}

bool PassesQuickTest(ByteView window, bool celNamed) {
  if (PassesQuickHeaderTest(ReadCelHeader(window))) return true;
  // Headerless cels carry no signature; only the name and a non-zero size tell.
  return celNamed && window.U16(0) != 0 && window.U16(2) != 0;
}

bool PassesQuickTest(ByteView window, const char* fileName, NameCompare compare) {
  return PassesQuickTest(window, HasExtension(fileName, ".CEL", compare));
}

CelPictureInfo ReadCelPictureInfo(ByteView window) {
  if (HasKissMagic(window)) {
    return {window.U16(8), window.U16(10), static_cast<std::int16_t>(window.At(5))};
  }
  return {window.U16(0), window.U16(2), 4};
}

CelLayout ReadCelLayout(ByteView bytes) {
  if (HasKissMagic(bytes)) {
    return {true, bytes.At(5), bytes.U16(8), bytes.U16(10), kKissHeaderSize};
  }
  return {false, 4, bytes.U16(0), bytes.U16(2), kHeaderlessCelHeaderSize};
}

std::uint64_t CelBytesPerRow(std::uint32_t width, unsigned bitsPerPixel) {
  switch (bitsPerPixel) {
    case 4:
      return (static_cast<std::uint64_t>(width) + 1) / 2;
    case 8:
      return width;
    case 32:
      return static_cast<std::uint64_t>(width) * 4;
    default:
      return 0;
  }
}

bool PassesPaletteHeaderTest(const PaletteHeader& header) {
  return header.magic == kKissMagic && header.mark == kPaletteMark &&
         (header.bitsPerColour == 12 || header.bitsPerColour == 24) &&
         header.coloursPerGroup >= 1 && header.coloursPerGroup <= 256 && header.groupCount >= 1 &&
         header.groupCount <= 10;
}

PaletteLayout RecognisePalette(ByteView bytes, bool kcfNamed) {
  const PaletteHeader header = ReadPaletteHeader(bytes);
  if (PassesPaletteHeaderTest(header)) {
    return {true, header.coloursPerGroup, header.bitsPerColour, kKissHeaderSize};
  }
  if (kcfNamed) return {true, kHeaderlessPaletteColours, 12, 0};
  return {false, 0, 0, 0};
}

PaletteLayout RecognisePalette(ByteView bytes, const char* path, NameCompare compare) {
  return RecognisePalette(bytes, HasExtension(path, ".KCF", compare));
}

unsigned PaletteEntrySize(unsigned bitsPerColour) { return bitsPerColour == 24 ? 3 : 2; }

std::uint64_t PaletteGroupOffset(const PaletteLayout& layout, std::uint32_t group) {
  return layout.firstGroupOffset + static_cast<std::uint64_t>(layout.coloursPerGroup) *
                                       PaletteEntrySize(layout.bitsPerColour) * group;
}

Rgb ExpandColour12(std::uint8_t b0, std::uint8_t b1) {
  return {static_cast<std::uint8_t>((b0 >> 4) * 17), static_cast<std::uint8_t>((b1 & 0x0F) * 17),
          static_cast<std::uint8_t>((b0 & 0x0F) * 17)};
}

Rgb ExpandColour24(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2) { return {b0, b1, b2}; }
