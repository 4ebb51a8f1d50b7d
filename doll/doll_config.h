// What a KiSS set's configuration file (*.cnf) says about the doll it
// dresses: the size, the palette files, the cels with their objects and
// pages, and each page's palette group and object places. Free of Windows
// headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cel/byte_view.h"
#include "doll/fkiss_script.h"

constexpr int kDollPageLimit = 10;  // pages (sets) 0 to 9
constexpr std::int64_t kDefaultDollWidth = 448;
constexpr std::int64_t kDefaultDollHeight = 320;
// The quick test looks no further into the file than this.
constexpr std::size_t kDollClaimWindow = 2048;

struct DollPlace {
  bool given = false;  // false: "*", or no pair at this position
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct DollCel {
  std::string name;  // as the configuration spells it, 8-bit text
  std::int32_t object = 0;
  std::int32_t paletteNumber = 0;  // after '*' (any sign); 0 without one
  std::uint16_t pages = 0;         // bit k: shown on page k; every bit without a ':' list
  std::int32_t fix = 0;            // after the object's '.': clicks before the user may move it
  // Options in the comment: "%t<n>" (0 opaque to 255 invisible) and "%u".
  std::uint8_t translucency = 0;
  bool startsUnmapped = false;
};

struct DollPage {
  std::int32_t group = 0;         // the palette group of the page
  std::vector<DollPlace> places;  // position k: object k's place
};

struct DollConfig {
  // The "(width,height)" line's numbers, or the default size; large numbers
  // are kept (saturated), for the composer to refuse.
  std::int64_t width = kDefaultDollWidth;
  std::int64_t height = kDefaultDollHeight;
  std::vector<std::string> paletteFiles;  // the '%' lines' names, in line order
  std::vector<DollCel> cels;              // the cel lines in line order: the first lies on top
  std::vector<DollPage> pages;            // the '$' lines in line order, at most ten
  FkissScript script;                     // the ";@" lines after ";@EventHandler"
};

// The quick test on a file's first bytes (kDollClaimWindow at most): no zero
// byte, and at least one line that starts with '#' and a digit, '%' and a
// name ending in ".kcf", or '(' and a digit. Zero bytes that last to the
// window's end are the padding a host puts after a short file, not part of
// it.
bool LooksLikeDollConfig(ByteView head);

// Reads the whole text, its FKiSS lines too; lines may end in CR LF, LF or CR.
DollConfig ReadDollConfig(ByteView text);

// The pages the configuration defines: one per '$' line, at least one.
int DollPageCount(const DollConfig& config);
