#include "doll/fkiss_script.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "doll/text_lines.h"

namespace {

using doll_text::IsBlank;
using doll_text::IsDigit;
using doll_text::SkipBlanks;
using doll_text::TextLine;

constexpr std::int64_t kNumberLimit = 0x7FFFFFFF;

bool IsLetter(std::uint8_t c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
bool IsNameByte(std::uint8_t c) { return IsLetter(c) || IsDigit(c) || c == '_'; }
char Lower(std::uint8_t c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); }

// The statements a still picture depends on, and the kinds of their
// arguments: 'x' an object, a cel or a variable holding an object's number;
// 'o' an object or such a variable; 'c' a cel; 'v' a variable; 'd' a number
// or a variable; 'i' a label's number or name (or a variable).
struct ActionForm {
  const char* name;
  FkissVerb verb;
  const char* args;
};
constexpr ActionForm kActions[] = {
    {"map", FkissVerb::kMap, "x"},
    {"unmap", FkissVerb::kUnmap, "x"},
    {"altmap", FkissVerb::kAltmap, "x"},
    {"move", FkissVerb::kMove, "odd"},
    {"moveto", FkissVerb::kMoveTo, "odd"},
    {"movebyx", FkissVerb::kMoveByX, "ood"},
    {"movebyy", FkissVerb::kMoveByY, "ood"},
    {"transparent", FkissVerb::kTransparent, "xd"},
    {"changeset", FkissVerb::kChangeSet, "d"},
    {"changecol", FkissVerb::kChangeCol, "d"},
    {"let", FkissVerb::kLet, "vd"},
    {"add", FkissVerb::kAdd, "vdd"},
    {"sub", FkissVerb::kSub, "vdd"},
    {"mul", FkissVerb::kMul, "vdd"},
    {"div", FkissVerb::kDiv, "vdd"},
    {"mod", FkissVerb::kMod, "vdd"},
    {"random", FkissVerb::kRandom, "vdd"},
    {"letmapped", FkissVerb::kLetMapped, "vc"},
    {"letobjectx", FkissVerb::kLetObjectX, "vo"},
    {"letobjecty", FkissVerb::kLetObjectY, "vo"},
    {"letset", FkissVerb::kLetSet, "v"},
    {"letpal", FkissVerb::kLetPal, "v"},
    {"lettransparent", FkissVerb::kLetTransparent, "vc"},
    {"letfix", FkissVerb::kLetFix, "vo"},
    {"ifequal", FkissVerb::kIfEqual, "dd"},
    {"ifnotequal", FkissVerb::kIfNotEqual, "dd"},
    {"ifgreaterthan", FkissVerb::kIfGreaterThan, "dd"},
    {"iflessthan", FkissVerb::kIfLessThan, "dd"},
    {"else", FkissVerb::kElse, ""},
    {"endif", FkissVerb::kEndIf, ""},
    {"gosub", FkissVerb::kGosub, "i"},
    {"goto", FkissVerb::kGoto, "i"},
    {"gosubrandom", FkissVerb::kGosubRandom, "dii"},
    {"gotorandom", FkissVerb::kGotoRandom, "dii"},
    {"exitevent", FkissVerb::kExitEvent, ""},
};

struct EventForm {
  const char* name;
  FkissEventKind kind;
};
// Every event of the FKiSS levels: a new event ends the one before, whether
// or not it runs at opening.
constexpr EventForm kEvents[] = {
    {"initialize", FkissEventKind::kInitialize},
    {"begin", FkissEventKind::kBegin},
    {"set", FkissEventKind::kSet},
    {"col", FkissEventKind::kCol},
    {"label", FkissEventKind::kLabel},
    {"alarm", FkissEventKind::kOther},
    {"apart", FkissEventKind::kOther},
    {"catch", FkissEventKind::kOther},
    {"collide", FkissEventKind::kOther},
    {"detached", FkissEventKind::kOther},
    {"drop", FkissEventKind::kOther},
    {"end", FkissEventKind::kOther},
    {"fixcatch", FkissEventKind::kOther},
    {"fixdrop", FkissEventKind::kOther},
    {"in", FkissEventKind::kOther},
    {"keypress", FkissEventKind::kOther},
    {"keyrelease", FkissEventKind::kOther},
    {"mousein", FkissEventKind::kOther},
    {"mouseout", FkissEventKind::kOther},
    {"never", FkissEventKind::kOther},
    {"nothing", FkissEventKind::kOther},
    {"out", FkissEventKind::kOther},
    {"overflow", FkissEventKind::kOther},
    {"press", FkissEventKind::kOther},
    {"release", FkissEventKind::kOther},
    {"stillin", FkissEventKind::kOther},
    {"stillout", FkissEventKind::kOther},
    {"unfix", FkissEventKind::kOther},
    {"version", FkissEventKind::kOther},
};

bool Accepts(char form, FkissArgKind kind) {
  switch (form) {
    case 'x':
      return kind == FkissArgKind::kObject || kind == FkissArgKind::kCel ||
             kind == FkissArgKind::kName;
    case 'o':
      return kind == FkissArgKind::kObject || kind == FkissArgKind::kName;
    case 'c':
      return kind == FkissArgKind::kCel;
    case 'v':
      return kind == FkissArgKind::kName;
    default:  // 'd', 'i'
      return kind == FkissArgKind::kNumber || kind == FkissArgKind::kName;
  }
}

bool Fits(const char* form, const std::vector<FkissArg>& args) {
  if (std::strlen(form) != args.size()) return false;
  for (std::size_t i = 0; i < args.size(); ++i)
    if (!Accepts(form[i], args[i].kind)) return false;
  return true;
}

struct Statement {
  std::string name;  // lower case
  std::vector<FkissArg> args;
  bool broken = false;  // its list could not be read: it is skipped
};

// One argument at *at: "#n", "\"text\"", a number or a name. False when it
// is none of them.
bool ReadArg(const std::uint8_t** at, const std::uint8_t* end, FkissArg* arg) {
  const std::uint8_t* p = *at;
  if (p == end) return false;
  std::int64_t number = 0;
  if (*p == '"') {
    const std::uint8_t* close = ++p;
    while (close != end && *close != '"') ++close;
    if (close == end) return false;
    arg->kind = FkissArgKind::kCel;
    arg->text.assign(reinterpret_cast<const char*>(p), reinterpret_cast<const char*>(close));
    p = close + 1;
  } else if (*p == '#') {
    ++p;
    SkipBlanks(&p, end);
    if (!doll_text::ReadNumber(&p, end, kNumberLimit, &number)) return false;
    arg->kind = FkissArgKind::kObject;
    arg->number = static_cast<std::int32_t>(number);
  } else if (doll_text::ReadNumber(&p, end, kNumberLimit, &number)) {
    arg->kind = FkissArgKind::kNumber;
    arg->number = static_cast<std::int32_t>(number);
  } else if (IsLetter(*p)) {
    arg->kind = FkissArgKind::kName;
    for (; p != end && IsNameByte(*p); ++p) arg->text += Lower(*p);
  } else {
    return false;
  }
  *at = p;
  return true;
}

// "(arg, arg, ...)" at *at, which points at the '('. False when the list is
// not closed on the line or holds something that is not an argument.
bool ReadArgs(const std::uint8_t** at, const std::uint8_t* end, std::vector<FkissArg>* args) {
  const std::uint8_t* p = *at + 1;
  SkipBlanks(&p, end);
  if (p != end && *p == ')') {
    *at = p + 1;
    return true;
  }
  for (;;) {
    FkissArg arg;
    SkipBlanks(&p, end);
    if (!ReadArg(&p, end, &arg)) return false;
    args->push_back(std::move(arg));
    SkipBlanks(&p, end);
    if (p == end) return false;
    if (*p == ')') break;
    if (*p != ',') return false;
    ++p;
  }
  *at = p + 1;
  return true;
}

// The statements of one ";@" line after its mark, in order, until the line's
// end or a ';' that begins a comment. A statement whose list cannot be read
// is passed on as broken.
template <typename Each>
void ForEachStatement(const std::uint8_t* at, const std::uint8_t* end, Each each) {
  for (;;) {
    SkipBlanks(&at, end);
    if (at == end || *at == ';') return;
    if (!IsLetter(*at)) {
      ++at;  // a stray byte between statements
      continue;
    }
    Statement statement;
    for (; at != end && IsNameByte(*at); ++at) statement.name += Lower(*at);
    SkipBlanks(&at, end);
    if (at != end && *at == '(') {
      const std::uint8_t* p = at;
      if (ReadArgs(&p, end, &statement.args)) {
        at = p;
      } else {
        statement.broken = true;
        // The list is broken: the statement ends at its ')' (or the line's end).
        while (at != end && *at != ')') ++at;
        if (at != end) ++at;
        statement.args.clear();
      }
    }
    each(std::move(statement));
  }
}

// Where each "if" and "else" of an event goes on: an if whose test fails
// continues after its else, or after its endif when it has none; an else
// reached from the if's own branch continues after the endif.
void LinkStructures(std::vector<FkissAction>* actions) {
  std::vector<std::size_t> open;  // the ifs and elses not yet closed
  for (std::size_t i = 0; i < actions->size(); ++i) (*actions)[i].skipTo = actions->size();
  for (std::size_t i = 0; i < actions->size(); ++i) {
    FkissAction& action = (*actions)[i];
    switch (action.verb) {
      case FkissVerb::kIfEqual:
      case FkissVerb::kIfNotEqual:
      case FkissVerb::kIfGreaterThan:
      case FkissVerb::kIfLessThan:
        open.push_back(i);
        break;
      case FkissVerb::kElse:
        if (open.empty() || (*actions)[open.back()].verb == FkissVerb::kElse) break;
        (*actions)[open.back()].skipTo = i + 1;
        open.back() = i;
        break;
      case FkissVerb::kEndIf:
        if (open.empty()) break;
        (*actions)[open.back()].skipTo = i + 1;
        open.pop_back();
        break;
      default:
        break;
    }
  }
}

bool EventArgsFit(FkissEventKind kind, const std::vector<FkissArg>& args) {
  switch (kind) {
    case FkissEventKind::kInitialize:
    case FkissEventKind::kBegin:
      return args.empty();
    case FkissEventKind::kSet:
    case FkissEventKind::kCol:
      return args.size() == 1 && args[0].kind == FkissArgKind::kNumber;
    case FkissEventKind::kLabel:
      return Fits("i", args);
    default:
      return true;
  }
}

}  // namespace

FkissScript ReadFkissScript(ByteView text) {
  FkissScript script;
  bool started = false;  // the ";@EventHandler" line has been read
  doll_text::ForEachLine(text, [&](TextLine line) {
    const std::uint8_t* at = line.begin;
    SkipBlanks(&at, line.end);
    if (line.end - at < 2 || at[0] != ';' || at[1] != '@') return;
    ForEachStatement(at + 2, line.end, [&](Statement statement) {
      if (statement.name == "eventhandler") {
        started = true;
        return;
      }
      if (!started) return;
      for (const EventForm& form : kEvents) {
        if (statement.name != form.name) continue;
        FkissEvent event;
        // An opening event with the wrong arguments never happens.
        event.kind = !statement.broken && EventArgsFit(form.kind, statement.args)
                         ? form.kind
                         : FkissEventKind::kOther;
        if (!statement.args.empty()) event.key = statement.args[0];
        script.events.push_back(std::move(event));
        return;
      }
      if (script.events.empty() || statement.broken) return;  // before any event, or unreadable
      for (const ActionForm& form : kActions) {
        if (statement.name != form.name) continue;
        if (!Fits(form.args, statement.args)) return;
        FkissAction action;
        action.verb = form.verb;
        action.args = std::move(statement.args);
        script.events.back().actions.push_back(std::move(action));
        return;
      }
    });
  });
  // Events that never run at opening have ended the one before; they are not kept.
  script.events.erase(
      std::remove_if(script.events.begin(), script.events.end(),
                     [](const FkissEvent& event) { return event.kind == FkissEventKind::kOther; }),
      script.events.end());
  for (FkissEvent& event : script.events) LinkStructures(&event.actions);
  return script;
}
