// Reading KiSS set configuration lines. Only the first character of a line
// decides its kind: '#' places a cel, '%' names a palette file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cel/cel_format.h"
#include "palette/text_utils.h"

// Lines are fetched into path-sized buffers: at most 258 characters of each.
constexpr int kCnfLineLimit = 259;
// Field 2 of a cel line is looked for within the line's first 254 characters.
constexpr std::size_t kCelFieldWindow = 254;
constexpr std::int32_t kNotThisCel = -2;

// Cel line: -2 when field 2 is not celName (under compare); otherwise the
// palette number after the first '*' that precedes any ';' or ':' (0 when
// there is none). A field 2 that runs past the window is not taken as a name.
std::int32_t MatchCelLine(const char* line, const char* celName, NextChar next,
                          NameCompare compare);

// Palette line: the palette file's name, the characters right after the '%'
// up to the first space, tab, CR or LF. Writes it into name (a path buffer).
void ReadPaletteLineName(const char* line, char* name, NextChar next);

// What one configuration file, loaded in the line store, says about a cel.
struct CnfAnswer {
  bool placed;                 // a cel line names the cel with a number of 0 or more
  std::int32_t paletteNumber;  // that number
  int paletteLineCount;        // '%' lines among the counted lines
  bool hasPalette;             // paletteName is set
  char paletteName[kPathBufferSize];
};

// Scans the counted lines of the store. Palette number N picks the palette
// file of '%' line N (from 0, in line order); a number beyond the list picks
// the first '%' line; without any '%' line, or when that line's name runs
// past the part of the line that is read, there is no palette name.
CnfAnswer ReadCnfForCel(const char* celName, NextChar next, NameCompare compare);
