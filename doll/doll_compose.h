// Composing one page of a doll from its configuration: every cel the page
// shows, the bottom one first, onto a 24-bit canvas laid out as a
// device-independent bitmap's rows. Free of Windows headers: the files come
// through DollFiles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cel/convert.h"
#include "doll/doll_config.h"
#include "doll/doll_opening.h"

// What the composer asks of the set's folder.
class DollFiles {
 public:
  virtual ~DollFiles() = default;
  // The whole file that the configuration names (its 8-bit text; names match
  // without regard to case); false when it is missing or cannot be read.
  virtual bool Read(const std::string& name, std::vector<std::uint8_t>* bytes) = 0;
};

// The longest side of a canvas the composer makes.
constexpr std::int64_t kMaxDollSide = 16384;

// Whether the configuration's size can be composed: each side 1 to
// kMaxDollSide.
bool DollSizeServed(const DollConfig& config);

// The bitmap a page makes: depth 24, the configuration's size, bottom-up rows
// of OutputStride(width, 24) bytes. Only for a size that is served.
PicturePlan DollPicturePlan(const DollConfig& config);

// Draws the doll in state into pixels, plan.pixelBytes bytes of
// DollPicturePlan(config): blue, green, red, rows bottom-up, the padding at
// each row's end zero. Every byte is written. The state's page shows its
// mapped cels at their objects' places, each blended onto what lies under it
// by its translucency, in the state's palette group.
void DrawDoll(const DollConfig& config, const DollState& state, DollFiles& files,
              std::uint8_t* pixels);

// Draws page (0 to DollPageCount - 1) as a viewer opens it: DrawDoll of
// OpeningDollState(config, page).
void ComposeDoll(const DollConfig& config, int page, DollFiles& files, std::uint8_t* pixels);
