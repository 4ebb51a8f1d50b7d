// Reading a configuration's FKiSS lines into events and actions, and running
// the opening events against a doll's state: what the pictures of the
// composer's tests do not show.
#include <gtest/gtest.h>

#include <string>

#include "doll/doll_config.h"
#include "doll/doll_opening.h"
#include "doll/fkiss_script.h"

namespace {

FkissScript Read(const std::string& text) {
  return ReadFkissScript({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

DollConfig Config(const std::string& text) {
  return ReadDollConfig({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

TEST(FkissScript, EventsActionsAndArguments) {
  const FkissScript script = Read(
      "#0 a.cel\n;@map(#9)\n;@ EventHandler()\n"
      ";@alarm(3) unmap(#1)\n"
      ";@initialize() ; the rest is a comment: unmap(#2)\n"
      "\t ;@ move( # 4 , -10,y1 )  transparent(\"Eyes.CEL\", 64) let(Count9,0)\n"
      ";@set(2) changeset(1) sound(\"a.wav\") timer(1,100) nop()\n"
      ";@label(Blink)\n;@label(7) exitevent()\n"
      ";@set(x) unmap(#1)\n;@begin( else(\n;@ endif( unmap(#1)\n");
  // map(#9) comes before the handler line, alarm(3) never runs at opening;
  // set(x) is not an event of a page; a begin() whose list is broken never
  // happens, and a broken endif( takes the rest of its line with it.
  ASSERT_EQ(script.events.size(), 4u);
  const FkissEvent& init = script.events[0];
  EXPECT_EQ(init.kind, FkissEventKind::kInitialize);
  ASSERT_EQ(init.actions.size(), 3u);
  EXPECT_EQ(init.actions[0].verb, FkissVerb::kMove);
  const std::vector<FkissArg>& move = init.actions[0].args;
  ASSERT_EQ(move.size(), 3u);
  EXPECT_EQ(move[0].kind, FkissArgKind::kObject);
  EXPECT_EQ(move[0].number, 4);
  EXPECT_EQ(move[1].kind, FkissArgKind::kNumber);
  EXPECT_EQ(move[1].number, -10);
  EXPECT_EQ(move[2].kind, FkissArgKind::kName);
  EXPECT_EQ(move[2].text, "y1");
  EXPECT_EQ(init.actions[1].args[0].kind, FkissArgKind::kCel);
  EXPECT_EQ(init.actions[1].args[0].text, "Eyes.CEL");
  EXPECT_EQ(init.actions[2].args[0].text, "count9");  // names in lower case
  EXPECT_EQ(script.events[1].kind, FkissEventKind::kSet);
  EXPECT_EQ(script.events[1].key.number, 2);
  ASSERT_EQ(script.events[1].actions.size(), 1u);  // sound, timer and nop are not kept
  EXPECT_EQ(script.events[2].kind, FkissEventKind::kLabel);
  EXPECT_EQ(script.events[2].key.text, "blink");
  EXPECT_EQ(script.events[3].key.number, 7);
}

TEST(FkissScript, IfsElsesAndEndifsAreLinked) {
  const FkissScript script = Read(
      ";@EventHandler\n;@begin()\n"
      ";@ ifequal(a,1) ifequal(b,2) nop() let(c,1) else() let(c,2) endif() let(d,1)\n"
      ";@ else() let(d,2) endif() iflessthan(a,b) let(e,1)\n");
  const std::vector<FkissAction>& actions = script.events.at(0).actions;
  ASSERT_EQ(actions.size(), 12u);
  EXPECT_EQ(actions[0].skipTo, 8u);    // the outer if: after its else
  EXPECT_EQ(actions[1].skipTo, 4u);    // the inner if: after its else
  EXPECT_EQ(actions[3].skipTo, 6u);    // the inner else: after its endif
  EXPECT_EQ(actions[7].skipTo, 10u);   // the outer else: after its endif
  EXPECT_EQ(actions[10].skipTo, 12u);  // an if never closed: the event's end
}

TEST(FkissOpening, TheStaticStateAndARunCutShort) {
  const std::string cels =
      "#0 a.cel ;%u\n#3 b.cel :1 ;%t300\n#40000 far.cel\n$0 5,6 * 7,8\n$4 1,1\n";
  const DollState still = StaticDollState(Config(cels), 1);
  EXPECT_EQ(still.page, 1);
  EXPECT_EQ(still.group, 4u);
  EXPECT_EQ(still.mapped, (std::vector<std::uint8_t>{0, 1, 1}));
  EXPECT_EQ(still.translucency, (std::vector<std::uint8_t>{0, 255, 0}));
  // "%u" must stand alone; "%t" needs a number; other text is no option.
  const DollState words = StaticDollState(Config("#0 a.cel ;%usize %t %tx 50%\n"), 0);
  EXPECT_EQ(words.mapped, (std::vector<std::uint8_t>{1}));
  EXPECT_EQ(words.translucency, (std::vector<std::uint8_t>{0}));
  ASSERT_EQ(still.places.size(), 2u);
  ASSERT_EQ(still.places[0].size(), 4u);  // objects 0 to 3; 40000 has no place of its own
  EXPECT_EQ(still.places[0][0].x, 5);
  EXPECT_EQ(still.places[0][1].x, 0);
  EXPECT_EQ(still.places[0][2].y, 8);

  // A call tree twice as wide at every level: only the step limit ends it,
  // and nothing after it runs.
  const DollConfig looping = Config(cels +
                                    ";@EventHandler\n;@initialize() gosub(1) unmap(#3)\n"
                                    ";@label(1) gosub(1) gosub(1)\n");
  DollState state = StaticDollState(looping, 0);
  const FkissRun run = RunOpeningEvents(looping, &state, 5000);
  EXPECT_TRUE(run.stopped);
  EXPECT_EQ(run.steps, 5000u);
  EXPECT_EQ(state.mapped[1], 1);
  // goto into itself nests no deeper than the limit, then the run goes on.
  const DollConfig selfGoto = Config(cels +
                                     ";@EventHandler\n;@initialize() gosub(1) unmap(#3)\n"
                                     ";@label(1) goto(1)\n");
  state = StaticDollState(selfGoto, 0);
  const FkissRun bounded = RunOpeningEvents(selfGoto, &state);
  EXPECT_FALSE(bounded.stopped);
  EXPECT_LT(bounded.steps, 200u);
  EXPECT_EQ(state.mapped[1], 0);
  // Arithmetic wraps, division by zero keeps the variable, random is fixed.
  const DollConfig numbers =
      Config(cels +
             ";@EventHandler\n;@initialize() let(a,2147483647) add(a,a,1)\n"
             ";@ let(b,5) div(b,b,0) mod(b,b,0) random(r,0,1000)\n"
             ";@ iflessthan(a,0) ifequal(b,5) moveto(#1,r,0) endif() endif()\n");
  const DollState first = OpeningDollState(numbers, 0);
  const DollState second = OpeningDollState(numbers, 0);
  EXPECT_GE(first.places[0][1].x, 0);
  EXPECT_LE(first.places[0][1].x, 1000);
  EXPECT_EQ(first.places[0][1].x, second.places[0][1].x);
  EXPECT_NE(first.places[0][1].x, 0) << "the moveto ran";
}

}  // namespace
