// Reading KiSS set configuration lines. Only the first character of a line
// decides its kind: '#' places a cel, '%' names a palette file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cel/text_adapters.h"
#include "palette/line_buffer.h"
#include "palette/text_utils.h"

// Lines are fetched into path-sized buffers: at most 258 characters of each.
constexpr int kCnfLineLimit = 259;
// Field 2 of a cel line is looked for within the line's first 254 characters.
constexpr std::size_t kCelFieldWindow = 254;
constexpr std::int32_t kNotThisCel = -2;

// Cel line: -2 when field 2 is not celName (under compare); otherwise the
// palette number after the first '*' that precedes any ';' or ':' (0 when
// there is none). A field 2 that runs past the window is not taken as a name.
std::int32_t MatchCelLine(const char* line, const char* celName, const NextChar& next,
                          NameCompare compare);

// Palette line: the palette file's name, the characters right after the '%'
// up to the first space, tab, CR or LF. Writes it into name (a path buffer).
void ReadPaletteLineName(const char* line, char* name, const NextChar& next);

// A cel line that can place a cel: its field 2, read whole, and a palette
// number of 0 or more.
struct CelPlacement {
  std::string name;
  std::int32_t paletteNumber;
  // The name holds only ASCII letters, digits, '.' and '_'; then the hash of
  // its upper-cased form lets most names be passed over without comparing.
  bool plain;
  std::uint32_t foldedHash;
};

struct PaletteLine {
  std::string name;
  bool whole;  // the name ends within the part of the line that is read
};

// What one configuration file says, read once: its placing cel lines and its
// palette lines, each in line order.
struct CnfIndex {
  std::vector<CelPlacement> placements;
  std::vector<PaletteLine> paletteLines;
};

CnfIndex IndexCnf(const LineBuffer& lines, const NextChar& next);

// Palette number N picks '%' line N (from 0, in line order); a number beyond
// the list picks the first; null when the file has no '%' line.
const PaletteLine* PaletteLineFor(const CnfIndex& index, std::int32_t paletteNumber);

// Whether a name is plain, and its folded hash (see CelPlacement).
template <typename Char>
bool FoldPlainName(const Char* name, std::size_t length, std::uint32_t* hash) {
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < length; ++i) {
    const auto c = static_cast<std::uint32_t>(name[i]);
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(c >= '0' && c <= '9') && c != '.' && c != '_') return false;
    h = (h ^ (c >= 'a' && c <= 'z' ? c - 32 : c)) * 16777619u;
  }
  *hash = h;
  return true;
}

// The first placement whose name sameName finds equal to the cel's name, or
// null. sameName (the system's case-insensitive comparison) decides every
// pair, except that two plain names of different length or different folded
// hash are not the same under any code page, so it is not asked for them.
template <typename Char, typename SameName>
const CelPlacement* FindPlacement(const CnfIndex& index, const std::basic_string<Char>& celName,
                                  SameName sameName) {
  std::uint32_t celHash = 0;
  const bool celPlain = FoldPlainName(celName.data(), celName.size(), &celHash);
  for (const CelPlacement& placement : index.placements) {
    if (celPlain && placement.plain &&
        (placement.foldedHash != celHash || placement.name.size() != celName.size()))
      continue;
    if (sameName(placement.name)) return &placement;
  }
  return nullptr;
}
