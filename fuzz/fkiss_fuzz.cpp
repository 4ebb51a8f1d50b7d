// A configuration of any bytes through the FKiSS reader and the opening
// events' interpreter: the reader stays within the text, every if and else
// it links leads forward within its event, and the run stays within its
// steps, leaves a state the composer can draw and gives the same state each
// time.
//
// Input: a page byte, a byte for the step limit, then the configuration's text.
#include <cstddef>
#include <cstdint>

#include "doll/doll_config.h"
#include "doll/doll_opening.h"
#include "fuzz/fuzz_support.h"

namespace {

bool SameState(const DollState& a, const DollState& b) {
  if (a.page != b.page || a.group != b.group || a.mapped != b.mapped ||
      a.translucency != b.translucency || a.places.size() != b.places.size())
    return false;
  for (std::size_t k = 0; k < a.places.size(); ++k) {
    if (a.places[k].size() != b.places[k].size()) return false;
    for (std::size_t n = 0; n < a.places[k].size(); ++n)
      if (a.places[k][n].x != b.places[k][n].x || a.places[k][n].y != b.places[k][n].y)
        return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const ExactBytes text(data + 2, size - 2);
  const DollConfig config = ReadDollConfig(text.View());
  for (const FkissEvent& event : config.script.events) {
    Require(event.kind != FkissEventKind::kOther, "only opening events are kept");
    for (std::size_t i = 0; i < event.actions.size(); ++i) {
      Require(event.actions[i].args.size() <= 3, "no statement kept takes more than three");
      Require(event.actions[i].skipTo > i && event.actions[i].skipTo <= event.actions.size(),
              "an if or else goes on forward within its event");
    }
  }

  const int pages = DollPageCount(config);
  const int page = data[0] % pages;
  const std::size_t stepLimit = 1 + data[1] * 40;  // up to 10,201 steps
  DollState state = StaticDollState(config, page);
  const FkissRun run = RunOpeningEvents(config, &state, stepLimit);
  Require(run.steps <= stepLimit, "the run stays within its steps");
  Require(!run.stopped || run.steps == stepLimit, "a run cut short used every step");
  Require(state.page >= 0 && state.page < pages, "the page is one the configuration defines");
  Require(
      state.mapped.size() == config.cels.size() && state.translucency.size() == config.cels.size(),
      "one mapping and translucency per cel line");
  Require(state.places.size() == static_cast<std::size_t>(pages), "places for every page");
  for (const auto& places : state.places)
    Require(places.size() == state.places[0].size(), "every page places the same objects");

  DollState again = StaticDollState(config, page);
  RunOpeningEvents(config, &again, stepLimit);
  Require(SameState(state, again), "the same opening each time");
  return 0;
}
