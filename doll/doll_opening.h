// What a doll shows the moment a viewer opens its set: the static rules of
// the configuration (every cel mapped unless "%u", its "%t" translucency,
// the page lines' places), then the FKiSS opening events run against that
// state: initialize(), begin(), set(page) and col(group). Free of Windows
// headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "doll/doll_config.h"

// An endless loop in the events stops after this many steps: an event run,
// an action and each cel line an action changes is one step each.
constexpr std::size_t kFkissStepLimit = 100000;
// Objects with a number above this have no place of their own beyond what
// the page lines give: FKiSS cannot move them.
constexpr std::int32_t kMaxMovableObject = 32767;
// gosub, goto, changeset and changecol nest at most this deep; a deeper call
// is skipped.
constexpr int kFkissCallDepthLimit = 64;

struct DollPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct DollState {
  int page = 0;             // 0 to DollPageCount - 1
  std::uint32_t group = 0;  // the palette group the cels are drawn in
  // Per cel line of the configuration, in its order.
  std::vector<std::uint8_t> mapped;        // 1 shown, 0 hidden
  std::vector<std::uint8_t> translucency;  // 0 opaque to 255 invisible
  // places[k][n]: object n's place on page k (0,0 where no pair gives one).
  std::vector<std::vector<DollPoint>> places;
};

// The state of page (0 to DollPageCount - 1) by the static rules alone.
DollState StaticDollState(const DollConfig& config, int page);

struct FkissRun {
  std::size_t steps = 0;
  bool stopped = false;  // the step limit cut the run short
};

// Runs the configuration's opening events against state: initialize(),
// begin(), then set(page) and col(group) of the page shown (unless a
// changeset() has already run the events of the page it chose).
FkissRun RunOpeningEvents(const DollConfig& config, DollState* state,
                          std::size_t stepLimit = kFkissStepLimit);

// The page as a viewer opens it: the static state, then the opening events.
DollState OpeningDollState(const DollConfig& config, int page);
