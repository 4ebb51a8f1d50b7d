// The FKiSS lines of a configuration, read once into events and their
// actions: what a viewer runs when it opens the set. Only the statements that
// can change the opening picture are kept; the rest (timers, sounds, mouse
// events, ...) are left out as they are read. Free of Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cel/byte_view.h"

enum class FkissArgKind : std::uint8_t {
  kNumber,  // 12, -3
  kObject,  // #12
  kCel,     // "name.cel"
  kName,    // a variable, or the symbolic name of a label
};

struct FkissArg {
  FkissArgKind kind = FkissArgKind::kNumber;
  std::int32_t number = 0;  // the number, or the object's
  std::string text;         // the cel's name as written; a name in lower case
};

enum class FkissVerb : std::uint8_t {
  kMap,
  kUnmap,
  kAltmap,
  kMove,
  kMoveTo,
  kMoveByX,
  kMoveByY,
  kTransparent,
  kChangeSet,
  kChangeCol,
  kLet,
  kAdd,
  kSub,
  kMul,
  kDiv,
  kMod,
  kRandom,
  kLetMapped,
  kLetObjectX,
  kLetObjectY,
  kLetSet,
  kLetPal,
  kLetTransparent,
  kLetFix,
  kIfEqual,
  kIfNotEqual,
  kIfGreaterThan,
  kIfLessThan,
  kElse,
  kEndIf,
  kGosub,
  kGoto,
  kGosubRandom,
  kGotoRandom,
  kExitEvent,
};

struct FkissAction {
  FkissVerb verb = FkissVerb::kExitEvent;
  std::vector<FkissArg> args;  // as many and of the kinds the verb takes
  // For an "if": the action after its else (or after its endif) where a false
  // test goes on; for an else: the action after its endif. The end of the
  // event when the structure is not closed.
  std::size_t skipTo = 0;
};

enum class FkissEventKind : std::uint8_t {
  kInitialize,
  kBegin,
  kSet,    // set(n): the page becomes n
  kCol,    // col(n): the palette group becomes n
  kLabel,  // label(n) or label(Name): run by gosub and goto
  kOther,  // any event that does not happen at opening (alarm, press, ...): not kept
};

struct FkissEvent {
  FkissEventKind kind = FkissEventKind::kOther;
  FkissArg key;  // set's or col's number, the label's number or name
  std::vector<FkissAction> actions;
};

struct FkissScript {
  std::vector<FkissEvent> events;  // in the order of the text
};

// Reads the ";@" lines that follow the ";@EventHandler" line (a line may be
// indented, hold several statements and end in a ';' comment). An unknown
// statement, one with arguments of the wrong number or kind, and actions
// before the first event are left out.
FkissScript ReadFkissScript(ByteView text);
