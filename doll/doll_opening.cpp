#include "doll/doll_opening.h"

#include <algorithm>
#include <map>
#include <string>

namespace {

std::uint32_t PageGroup(const DollConfig& config, int page) {
  if (page < 0 || static_cast<std::size_t>(page) >= config.pages.size()) return 0;
  const std::int32_t group = config.pages[static_cast<std::size_t>(page)].group;
  return group >= 0 ? static_cast<std::uint32_t>(group) : 0;
}

// Cel names match with ASCII letters folded, as the set's files do.
std::string Folded(const std::string& name) {
  std::string folded = name;
  for (char& c : folded)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return folded;
}

// Values wrap as 32-bit two's complement numbers do.
std::int32_t Wrapped(std::int64_t value) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

class Interpreter {
 public:
  Interpreter(const DollConfig& config, DollState* state, std::size_t stepLimit)
      : config_(config), state_(*state), stepLimit_(stepLimit) {
    for (std::size_t i = 0; i < config.cels.size(); ++i) {
      celsOfObject_[config.cels[i].object].push_back(i);
      celsOfName_[Folded(config.cels[i].name)].push_back(i);
    }
    const std::vector<FkissEvent>& events = config.script.events;
    for (std::size_t i = 0; i < events.size(); ++i) {
      const FkissArg& key = events[i].key;
      switch (events[i].kind) {
        case FkissEventKind::kInitialize:
          initialize_.push_back(i);
          break;
        case FkissEventKind::kBegin:
          begin_.push_back(i);
          break;
        case FkissEventKind::kSet:
          sets_[key.number].push_back(i);
          break;
        case FkissEventKind::kCol:
          cols_[key.number].push_back(i);
          break;
        case FkissEventKind::kLabel:
          if (key.kind == FkissArgKind::kName) {
            namedLabels_[key.text].push_back(i);
          } else {
            numberedLabels_[key.number].push_back(i);
          }
          break;
        case FkissEventKind::kOther:
          break;
      }
    }
  }

  FkissRun RunOpening() {
    RunEvents(initialize_);
    RunEvents(begin_);
    if (!pageChosen_) {
      RunEvents(Find(sets_, state_.page));
      RunEvents(Find(cols_, static_cast<std::int32_t>(state_.group)));
    }
    return {steps_, stopped_};
  }

 private:
  enum class Flow { kOn, kLeave };  // kLeave: the event handler ends here

  bool Step() {
    if (steps_ >= stepLimit_) stopped_ = true;
    if (stopped_) return false;
    ++steps_;
    return true;
  }

  // The events (indexes into the script) filed under key, or none.
  template <typename Key>
  const std::vector<std::size_t>& Find(const std::map<Key, std::vector<std::size_t>>& events,
                                       const Key& key) const {
    const auto found = events.find(key);
    return found != events.end() ? found->second : none_;
  }

  // Runs the events, in the order of the text.
  void RunEvents(const std::vector<std::size_t>& events) {
    if (depth_ >= kFkissCallDepthLimit) return;
    ++depth_;
    for (const std::size_t i : events) {
      if (!Step()) break;
      RunActions(config_.script.events[i].actions);
    }
    --depth_;
  }

  void RunActions(const std::vector<FkissAction>& actions) {
    std::size_t at = 0;
    while (at < actions.size()) {
      if (!Step()) return;
      const FkissAction& action = actions[at];
      std::size_t next = at + 1;
      if (Run(action, &next) == Flow::kLeave) return;
      at = next;
    }
  }

  std::int32_t& Variable(const FkissArg& arg) { return variables_[arg.text]; }

  std::int32_t Value(const FkissArg& arg) {
    return arg.kind == FkissArgKind::kName ? Variable(arg) : arg.number;
  }

  // The object an argument names, or -1 for none with a place of its own.
  std::int32_t Object(const FkissArg& arg) {
    const std::int32_t object = Value(arg);
    const std::vector<DollPoint>& places = state_.places[static_cast<std::size_t>(state_.page)];
    return object >= 0 && static_cast<std::size_t>(object) < places.size() ? object : -1;
  }

  DollPoint* Place(std::int32_t object) {
    return &state_.places[static_cast<std::size_t>(state_.page)][static_cast<std::size_t>(object)];
  }

  // The cel lines an argument names: an object's lines, or every line of a
  // cel file.
  const std::vector<std::size_t>& Cels(const FkissArg& arg) {
    return arg.kind == FkissArgKind::kCel ? Find(celsOfName_, Folded(arg.text))
                                          : Find(celsOfObject_, Value(arg));
  }

  // Calls each(i) for every cel line the argument names; each line counts as
  // a step, so that no action costs more than the steps left.
  template <typename Each>
  void ForEachCel(const FkissArg& arg, Each each) {
    for (const std::size_t i : Cels(arg)) {
      if (!Step()) return;
      each(i);
    }
  }

  // The first cel line of a cel file, or -1.
  std::ptrdiff_t FirstCel(const FkissArg& arg) {
    const std::vector<std::size_t>& cels = Cels(arg);
    return cels.empty() ? -1 : static_cast<std::ptrdiff_t>(cels.front());
  }

  std::uint32_t Random() {
    // xorshift32 from a fixed seed: the same opening every time.
    random_ ^= random_ << 13;
    random_ ^= random_ >> 17;
    random_ ^= random_ << 5;
    return random_;
  }

  std::int32_t RandomBetween(std::int32_t low, std::int32_t high) {
    if (low > high) std::swap(low, high);
    const std::int64_t range = std::int64_t{high} - low + 1;
    return Wrapped(low + static_cast<std::int64_t>(Random() % static_cast<std::uint64_t>(range)));
  }

  // A label's events: by number, by name, or by a variable holding its
  // number when no label has the name.
  const std::vector<std::size_t>& Label(const FkissArg& arg) {
    if (arg.kind == FkissArgKind::kName) {
      const auto named = namedLabels_.find(arg.text);
      if (named != namedLabels_.end()) return named->second;
    }
    return Find(numberedLabels_, Value(arg));
  }

  Flow Run(const FkissAction& action, std::size_t* next) {
    const std::vector<FkissArg>& a = action.args;
    switch (action.verb) {
      case FkissVerb::kMap:
        ForEachCel(a[0], [&](std::size_t i) { state_.mapped[i] = 1; });
        break;
      case FkissVerb::kUnmap:
        ForEachCel(a[0], [&](std::size_t i) { state_.mapped[i] = 0; });
        break;
      case FkissVerb::kAltmap:
        ForEachCel(a[0], [&](std::size_t i) { state_.mapped[i] ^= 1; });
        break;
      case FkissVerb::kMove:
      case FkissVerb::kMoveTo: {
        const std::int32_t object = Object(a[0]);
        if (object < 0) break;
        DollPoint* place = Place(object);
        const bool relative = action.verb == FkissVerb::kMove;
        place->x = Wrapped((relative ? std::int64_t{place->x} : 0) + Value(a[1]));
        place->y = Wrapped((relative ? std::int64_t{place->y} : 0) + Value(a[2]));
        break;
      }
      case FkissVerb::kMoveByX:
      case FkissVerb::kMoveByY: {
        const std::int32_t object = Object(a[0]);
        const std::int32_t other = Object(a[1]);
        if (object < 0 || other < 0) break;
        const DollPoint from = *Place(other);
        if (action.verb == FkissVerb::kMoveByX) {
          Place(object)->x = Wrapped(std::int64_t{from.x} + Value(a[2]));
        } else {
          Place(object)->y = Wrapped(std::int64_t{from.y} + Value(a[2]));
        }
        break;
      }
      case FkissVerb::kTransparent: {
        const std::int64_t change = Value(a[1]);
        ForEachCel(a[0], [&](std::size_t i) {
          state_.translucency[i] = static_cast<std::uint8_t>(
              std::clamp<std::int64_t>(state_.translucency[i] + change, 0, 255));
        });
        break;
      }
      case FkissVerb::kChangeSet: {
        const std::int32_t page = Value(a[0]);
        if (page < 0 || page >= DollPageCount(config_)) break;
        state_.page = page;
        state_.group = PageGroup(config_, page);
        pageChosen_ = true;
        RunEvents(Find(sets_, page));
        break;
      }
      case FkissVerb::kChangeCol: {
        const std::int32_t group = Value(a[0]);
        if (group < 0) break;
        state_.group = static_cast<std::uint32_t>(group);
        RunEvents(Find(cols_, group));
        break;
      }
      case FkissVerb::kLet:
        Variable(a[0]) = Value(a[1]);
        break;
      case FkissVerb::kAdd:
        Variable(a[0]) = Wrapped(std::int64_t{Value(a[1])} + Value(a[2]));
        break;
      case FkissVerb::kSub:
        Variable(a[0]) = Wrapped(std::int64_t{Value(a[1])} - Value(a[2]));
        break;
      case FkissVerb::kMul:
        Variable(a[0]) = Wrapped(std::int64_t{Value(a[1])} * Value(a[2]));
        break;
      case FkissVerb::kDiv:
      case FkissVerb::kMod: {
        const std::int64_t divisor = Value(a[2]);
        if (divisor == 0) break;  // the variable keeps its value
        const std::int64_t dividend = Value(a[1]);
        Variable(a[0]) =
            Wrapped(action.verb == FkissVerb::kDiv ? dividend / divisor : dividend % divisor);
        break;
      }
      case FkissVerb::kRandom:
        Variable(a[0]) = RandomBetween(Value(a[1]), Value(a[2]));
        break;
      case FkissVerb::kLetMapped:
      case FkissVerb::kLetTransparent: {
        const std::ptrdiff_t cel = FirstCel(a[1]);
        std::int32_t value = 0;
        if (cel >= 0) {
          const auto i = static_cast<std::size_t>(cel);
          value = action.verb == FkissVerb::kLetMapped ? state_.mapped[i] : state_.translucency[i];
        }
        Variable(a[0]) = value;
        break;
      }
      case FkissVerb::kLetObjectX:
      case FkissVerb::kLetObjectY: {
        const std::int32_t object = Object(a[1]);
        const DollPoint place = object >= 0 ? *Place(object) : DollPoint();
        Variable(a[0]) = action.verb == FkissVerb::kLetObjectX ? place.x : place.y;
        break;
      }
      case FkissVerb::kLetSet:
        Variable(a[0]) = state_.page;
        break;
      case FkissVerb::kLetPal:
        Variable(a[0]) = Wrapped(state_.group);
        break;
      case FkissVerb::kLetFix: {
        std::int32_t fix = 0;
        ForEachCel(a[1], [&](std::size_t i) { fix = std::max(fix, config_.cels[i].fix); });
        Variable(a[0]) = fix;
        break;
      }
      case FkissVerb::kIfEqual:
      case FkissVerb::kIfNotEqual:
      case FkissVerb::kIfGreaterThan:
      case FkissVerb::kIfLessThan: {
        const std::int32_t left = Value(a[0]);
        const std::int32_t right = Value(a[1]);
        const bool holds = action.verb == FkissVerb::kIfEqual         ? left == right
                           : action.verb == FkissVerb::kIfNotEqual    ? left != right
                           : action.verb == FkissVerb::kIfGreaterThan ? left > right
                                                                      : left < right;
        if (!holds) *next = action.skipTo;
        break;
      }
      case FkissVerb::kElse:
        *next = action.skipTo;  // the if's own branch has run
        break;
      case FkissVerb::kEndIf:
        break;
      case FkissVerb::kGosub:
      case FkissVerb::kGoto:
        RunEvents(Label(a[0]));
        return action.verb == FkissVerb::kGoto ? Flow::kLeave : Flow::kOn;
      case FkissVerb::kGosubRandom:
      case FkissVerb::kGotoRandom: {
        const bool first = static_cast<std::int64_t>(Random() % 100) < Value(a[0]);
        RunEvents(Label(first ? a[1] : a[2]));
        return action.verb == FkissVerb::kGotoRandom ? Flow::kLeave : Flow::kOn;
      }
      case FkissVerb::kExitEvent:
        return Flow::kLeave;
    }
    return Flow::kOn;
  }

  const DollConfig& config_;
  DollState& state_;
  const std::size_t stepLimit_;
  std::size_t steps_ = 0;
  bool stopped_ = false;
  int depth_ = 0;
  bool pageChosen_ = false;  // a changeset() has run the events of its page
  std::uint32_t random_ = 0x9E3779B9u;
  std::map<std::string, std::int32_t> variables_;  // by lower-case name; 0 until set
  const std::vector<std::size_t> none_;
  // Indexes into the configuration's cel lines and script events.
  std::map<std::int32_t, std::vector<std::size_t>> celsOfObject_;
  std::map<std::string, std::vector<std::size_t>> celsOfName_;  // by folded name
  std::vector<std::size_t> initialize_;
  std::vector<std::size_t> begin_;
  std::map<std::int32_t, std::vector<std::size_t>> sets_;
  std::map<std::int32_t, std::vector<std::size_t>> cols_;
  std::map<std::int32_t, std::vector<std::size_t>> numberedLabels_;
  std::map<std::string, std::vector<std::size_t>> namedLabels_;
};

}  // namespace

DollState StaticDollState(const DollConfig& config, int page) {
  DollState state;
  const int pageCount = DollPageCount(config);
  state.page = page >= 0 && page < pageCount ? page : 0;
  state.group = PageGroup(config, state.page);
  state.mapped.reserve(config.cels.size());
  state.translucency.reserve(config.cels.size());
  std::size_t objects = 0;
  for (const DollCel& cel : config.cels) {
    state.mapped.push_back(cel.startsUnmapped ? 0 : 1);
    state.translucency.push_back(cel.translucency);
    if (cel.object >= 0 && cel.object <= kMaxMovableObject)
      objects = std::max(objects, static_cast<std::size_t>(cel.object) + 1);
  }
  for (const DollPage& line : config.pages) objects = std::max(objects, line.places.size());
  state.places.assign(static_cast<std::size_t>(pageCount), std::vector<DollPoint>(objects));
  for (std::size_t k = 0; k < config.pages.size(); ++k) {
    const std::vector<DollPlace>& given = config.pages[k].places;
    for (std::size_t n = 0; n < given.size(); ++n)
      if (given[n].given) state.places[k][n] = {given[n].x, given[n].y};
  }
  return state;
}

FkissRun RunOpeningEvents(const DollConfig& config, DollState* state, std::size_t stepLimit) {
  return Interpreter(config, state, stepLimit).RunOpening();
}

DollState OpeningDollState(const DollConfig& config, int page) {
  DollState state = StaticDollState(config, page);
  RunOpeningEvents(config, &state);
  return state;
}
