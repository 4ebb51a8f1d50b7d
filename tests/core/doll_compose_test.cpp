// Composing a page of a doll: each rule on a small made-up set whose every
// pixel is known.
#include "doll/doll_compose.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>

#include "support/kiss_files.h"

namespace {

using kiss::Bytes;

struct Rgb8 {
  std::uint8_t red, green, blue;
  bool operator==(const Rgb8& o) const {
    return red == o.red && green == o.green && blue == o.blue;
  }
};

std::ostream& operator<<(std::ostream& out, const Rgb8& c) {
  return out << "(" << int(c.red) << "," << int(c.green) << "," << int(c.blue) << ")";
}

// The set's folder: names compared without regard to case.
class FakeSet : public DollFiles {
 public:
  void Put(const std::string& name, Bytes bytes) { files_[Folded(name)] = std::move(bytes); }
  bool Read(const std::string& name, std::vector<std::uint8_t>* bytes) override {
    ++reads;
    const auto found = files_.find(Folded(name));
    if (found == files_.end()) return false;
    *bytes = found->second;
    return true;
  }
  int reads = 0;

 private:
  static std::string Folded(std::string name) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
  }
  std::map<std::string, Bytes> files_;
};

struct Doll {
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint64_t stride = 0;
  Bytes pixels;

  Rgb8 At(std::int64_t x, std::int64_t y) const {
    const std::uint8_t* p = &pixels[static_cast<std::size_t>((height - 1 - y) * stride + x * 3)];
    return {p[2], p[1], p[0]};
  }
};

Doll Compose(const std::string& cnf, FakeSet& set, int page = 0) {
  const DollConfig config =
      ReadDollConfig({reinterpret_cast<const std::uint8_t*>(cnf.data()), cnf.size()});
  EXPECT_TRUE(DollSizeServed(config));
  const PicturePlan plan = DollPicturePlan(config);
  Doll doll;
  doll.width = config.width;
  doll.height = config.height;
  doll.stride = plan.stride;
  doll.pixels.assign(static_cast<std::size_t>(plan.pixelBytes), 0xA5);  // every byte is written
  ComposeDoll(config, page, set, doll.pixels.data());
  return doll;
}

// A 12-bit palette of 16 colours per group: index i of group g is
// (i, g, 15 - i) scaled by 17.
Bytes GroupedPalette(std::uint16_t groups) {
  std::vector<kiss::Colour12> colours;
  for (std::uint8_t g = 0; g < groups; ++g)
    for (std::uint8_t i = 0; i < 16; ++i)
      colours.push_back({i, g, static_cast<std::uint8_t>(15 - i)});
  return kiss::PaletteFile(12, 16, groups, kiss::Entries12(colours));
}

Rgb8 Entry(std::uint8_t index, std::uint8_t group = 0) {
  return {static_cast<std::uint8_t>(index * 17), static_cast<std::uint8_t>(group * 17),
          static_cast<std::uint8_t>((15 - index) * 17)};
}

// A width x height 4-bit cel of one index.
Bytes Block(std::uint16_t width, std::uint16_t height, std::uint8_t index, std::uint16_t x = 0,
            std::uint16_t y = 0) {
  kiss::CelFields fields;
  fields.width = width;
  fields.height = height;
  fields.xOffset = x;
  fields.yOffset = y;
  return kiss::HeadedCel(
      fields, kiss::FourBitRows(std::vector<std::uint8_t>(width * height, index), width));
}

TEST(DollComposition, LayersTransparencyAndBackground) {
  FakeSet set;
  set.Put("p.kcf", GroupedPalette(1));
  set.Put("top.cel",
          kiss::HeadedCel(kiss::kPalettedCelMark, 4, 2, 1, kiss::FourBitRows({3, 0}, 2)));
  set.Put("bottom.cel", Block(3, 1, 5));
  const Doll doll = Compose("(5,2)\n%p.kcf\n#0 top.cel\n#1 bottom.cel\n", set);
  EXPECT_EQ(doll.At(0, 0), Entry(3));  // the first cel line lies on top
  EXPECT_EQ(doll.At(1, 0), Entry(5));  // index 0 shows what lies below
  EXPECT_EQ(doll.At(2, 0), Entry(5));
  EXPECT_EQ(doll.At(3, 0), Entry(0));  // the background: colour 0 of the first palette
  EXPECT_EQ(doll.At(0, 1), Entry(0));
  for (std::int64_t y = 0; y < doll.height; ++y)  // the row padding is zero
    EXPECT_EQ(doll.pixels[static_cast<std::size_t>(y * doll.stride + 15)], 0);
}

TEST(DollComposition, PlacesOffsetsAndClipping) {
  FakeSet set;
  set.Put("p.kcf", GroupedPalette(1));
  set.Put("a.cel", Block(2, 2, 1, /*x=*/2, /*y=*/1));
  set.Put("b.cel", Block(3, 3, 2));
  set.Put("c.cel", Block(2, 1, 3));
  set.Put("d.cel", Block(40, 40, 4));
  // c's place is '*' and it lies on top; a at 3,2 plus its offset; b at
  // -1,-1, cut at the top left; d has no pair at all.
  const Doll doll = Compose(
      "(10,8)\n%p.kcf\n#2 c.cel\n#0 a.cel\n#1 b.cel\n#3 d.cel\n"
      "$0 3,2 -1,-1 * \n",
      set);
  EXPECT_EQ(doll.At(5, 3), Entry(1));
  EXPECT_EQ(doll.At(6, 4), Entry(1));
  EXPECT_EQ(doll.At(4, 3), Entry(4));  // d (at 0,0, the bottom) shows beside a
  EXPECT_EQ(doll.At(0, 0), Entry(3));  // c at 0,0 over b
  EXPECT_EQ(doll.At(1, 1), Entry(2));  // b's last column and row, over d
  EXPECT_EQ(doll.At(2, 1), Entry(4));
  EXPECT_EQ(doll.At(9, 7), Entry(4));
  // Wholly outside, to the right and above.
  set.Put("e.cel", Block(2, 2, 6));
  const Doll far = Compose("(10,8)\n%p.kcf\n#0 e.cel\n$0 10,0\n", set);
  EXPECT_EQ(far.At(9, 0), Entry(0));
  const Doll farUp = Compose("(10,8)\n%p.kcf\n#0 e.cel\n$0 0,-2\n", set);
  EXPECT_EQ(farUp.At(0, 0), Entry(0));
}

TEST(DollComposition, PagesChooseCelsPlacesAndGroups) {
  FakeSet set;
  set.Put("p.kcf", GroupedPalette(3));
  set.Put("every.cel", Block(1, 1, 1));
  set.Put("later.cel", Block(1, 1, 2));
  const std::string cnf =
      "(4,1)\n%p.kcf\n#0 every.cel\n#1 later.cel :1 2\n"
      "$0 0,0 1,0\n"
      "$2 2,0\n"
      " 3,0\n";
  const Doll page0 = Compose(cnf, set, 0);
  EXPECT_EQ(page0.At(0, 0), Entry(1));
  EXPECT_EQ(page0.At(1, 0), Entry(0));  // later.cel is not on page 0
  const Doll page1 = Compose(cnf, set, 1);
  EXPECT_EQ(page1.At(2, 0), Entry(1, 2));  // the second page line, its group 2
  EXPECT_EQ(page1.At(3, 0), Entry(2, 2));  // placed by the continued line
  EXPECT_EQ(page1.At(0, 0), Entry(0, 2));
  // A page without its page line: every object at 0,0, group 0.
  const Doll page2 = Compose(cnf, set, 2);
  EXPECT_EQ(page2.At(0, 0), Entry(1));
  EXPECT_EQ(page2.At(1, 0), Entry(0));
}

TEST(DollComposition, PaletteNumbersAndTheFillOutRule) {
  FakeSet set;
  set.Put("three.kcf", GroupedPalette(3));
  set.Put("one.kcf", GroupedPalette(1));
  // A headerless palette holds ten groups of 16.
  std::vector<std::vector<kiss::Colour12>> groups(10);
  for (std::uint8_t g = 0; g < 10; ++g) groups[g] = std::vector<kiss::Colour12>(16, {g, 1, 1});
  set.Put("plain.kcf", kiss::HeaderlessPalette(groups));
  set.Put("c.cel", Block(1, 1, 7));
  const std::string cnf =
      "(5,1)\n%three.kcf\n%one.kcf\n%plain.kcf\n"
      "#0 c.cel *1\n#1 c.cel *2\n#2 c.cel *9\n#3 c.cel\n#4 c.cel *-1\n"
      "$2 0,0 1,0 2,0 3,0 4,0\n";
  const Doll doll = Compose(cnf, set);
  EXPECT_EQ(doll.At(0, 0), Entry(7, 0));         // one.kcf has a single group: group 0
  EXPECT_EQ(doll.At(1, 0), (Rgb8{34, 17, 17}));  // plain.kcf's group 2
  EXPECT_EQ(doll.At(2, 0), Entry(7, 2));         // a number past the lines: the first file
  EXPECT_EQ(doll.At(3, 0), Entry(7, 2));
  EXPECT_EQ(doll.At(4, 0), Entry(7, 2));  // a negative number: the first file too
}

TEST(DollComposition, EightBitCelsReadTheWholePaletteFile) {
  FakeSet set;
  std::vector<kiss::Colour24> colours(512);
  for (std::size_t i = 0; i < colours.size(); ++i)
    colours[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8), 9};
  set.Put("big.kcf", kiss::PaletteFile(24, 256, 2, kiss::Entries24(colours)));
  set.Put("c.cel", kiss::HeadedCel(kiss::kPalettedCelMark, 8, 2, 1, {200, 255}));
  const Doll doll = Compose("(2,1)\n%big.kcf\n#0 c.cel\n$1 0,0\n", set);
  // Group 1's entries lie past the first 1024 bytes of the file.
  EXPECT_EQ(doll.At(0, 0), (Rgb8{200, 1, 9}));
  EXPECT_EQ(doll.At(1, 0), (Rgb8{255, 1, 9}));
}

TEST(DollComposition, AlphaCelsBlendOntoWhatLiesBelow) {
  FakeSet set;
  set.Put("p.kcf", GroupedPalette(1));
  set.Put("below.cel", Block(4, 1, 15));  // (255, 0, 0)
  set.Put("glass.cel", kiss::HeadedCel(kiss::kAlphaCelMark, 32, 4, 1,
                                       kiss::AlphaRows({0, 0, 255, 255, 0, 0, 255, 0, 0, 0, 255,
                                                        128, 10, 20, 30, 1})));
  const Doll doll = Compose("(5,1)\n%p.kcf\n#0 glass.cel\n#1 below.cel\n", set);
  EXPECT_EQ(doll.At(0, 0), (Rgb8{0, 0, 255}));
  EXPECT_EQ(doll.At(1, 0), Entry(15));
  EXPECT_EQ(doll.At(2, 0), (Rgb8{255 * 127 / 255, 0, 255 * 128 / 255}));
  // Alpha 1: each channel moves 1/255 of its distance, under 1, cut to 0.
  EXPECT_EQ(doll.At(3, 0), Entry(15));
  EXPECT_EQ(doll.At(4, 0), Entry(0));
  // (200, 156, 99) at alpha 43 over (255, 0, 0): 255 - 55*43/255 (9.27),
  // 156*43/255 (26.3), 99*43/255 (16.7), each step cut toward zero.
  set.Put("soft.cel",
          kiss::HeadedCel(kiss::kAlphaCelMark, 32, 1, 1, kiss::AlphaRows({200, 156, 99, 43})));
  const Doll soft = Compose("(1,1)\n%p.kcf\n#0 soft.cel\n#1 below.cel\n", set);
  EXPECT_EQ(soft.At(0, 0), (Rgb8{246, 26, 16}));
}

TEST(DollComposition, MissingAndBrokenFilesAreLeftOut) {
  FakeSet set;
  set.Put("c.cel", Block(1, 1, 9));
  set.Put("wide.cel", kiss::HeadedCel(kiss::kPalettedCelMark, 24, 1, 1, {1, 2, 3}));
  // No palette file: the cel shows in the built-in colours, the background black.
  Doll doll =
      Compose("(3,1)\n%gone.kcf\n#0 c.cel\n#1 lost.cel\n#2 wide.cel\n$0 0,0 1,0 2,0\n", set);
  EXPECT_EQ(doll.At(0, 0), (Rgb8{255, 0, 0}));  // built-in colour 9
  EXPECT_EQ(doll.At(1, 0), (Rgb8{0, 0, 0}));
  EXPECT_EQ(doll.At(2, 0), (Rgb8{0, 0, 0}));  // a depth the composer does not draw
  // A cel cut short: the rows it lacks are transparent.
  set.Put("p.kcf", GroupedPalette(1));
  Bytes cut = Block(2, 2, 4);
  cut.resize(cut.size() - 1);
  set.Put("cut.cel", cut);
  doll = Compose("(2,2)\n%p.kcf\n#0 cut.cel\n", set);
  EXPECT_EQ(doll.At(1, 0), Entry(4));
  EXPECT_EQ(doll.At(0, 1), Entry(0));
  // A file that is no cel: a GIF's first words would make a headerless cel
  // of 18759 x 14406.
  set.Put("pic.gif", Bytes{'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0});
  doll = Compose("(2,2)\n%p.kcf\n#0 pic.gif\n", set);
  EXPECT_EQ(doll.At(0, 0), Entry(0));
  EXPECT_EQ(doll.At(1, 0), Entry(0));
  // Each palette file is read once however many cels use it.
  set.reads = 0;
  Compose("(2,2)\n%p.kcf\n#0 c.cel\n#0 c.cel\n#0 c.cel\n", set);
  EXPECT_EQ(set.reads, 4);
}

// The opening events and cel options on one small set: a, b and c (objects
// 0, 1 and 2, colours 1, 2 and 3 of a two-group palette) on a 6 x 1 canvas;
// page 0 places them at 0, 1 and 2, page 1 (group 1) at 3, 4 and 5. Each
// case's row reads one character a pixel: the colour's index, 0 for the
// background, in the group the case names.
TEST(DollOpening, EventsAndOptionsDecideWhatShows) {
  FakeSet set;
  set.Put("p.kcf", GroupedPalette(2));
  set.Put("a.cel", Block(1, 1, 1));
  set.Put("b.cel", Block(1, 1, 2));
  set.Put("c.cel", Block(1, 1, 3));
  const std::string cels = "(6,1)\n%p.kcf\n#0.5 a.cel\n#1 b.cel\n#2 c.cel\n";
  const std::string pages = "$0 0,0 1,0 2,0\n$1 3,0 4,0 5,0\n";
  struct Case {
    const char* fkiss;
    const char* row;
    std::uint8_t group;
    int page;
  };
  const Case cases[] = {
      {"", "123000", 0, 0},
      {";@EventHandler\n;@initialize()\n;@ unmap(#1)\n", "103000", 0, 0},
      {";@EventHandler\n;@initialize()\n;@ unmap(\"B.CEL\")\n", "103000", 0, 0},
      {";@EventHandler\n;@begin() altmap(#0) altmap(#1) altmap(\"b.cel\")\n", "023000", 0, 0},
      {";@EventHandler\n;@initialize() unmap(#0)\n;@begin() map(#0)\n", "123000", 0, 0},
      // The opening events of the page shown, and those of another page.
      {";@EventHandler\n;@set(0) unmap(#2)\n;@set(1) unmap(#1)\n", "120000", 0, 0},
      {";@EventHandler\n;@set(0) unmap(#2)\n;@set(1) unmap(#1)\n", "000103", 1, 1},
      {";@EventHandler\n;@col(1) unmap(#0)\n;@initialize() changecol(1)\n", "023000", 1, 0},
      // Places: relative, absolute, by another object, off the canvas.
      {";@EventHandler\n;@initialize() move(#0, 4, 0)\n", "023010", 0, 0},
      {";@EventHandler\n;@initialize() moveto(#2,5,0)\n", "120003", 0, 0},
      {";@EventHandler\n;@initialize() movebyx(#0,#2,3)\n", "023001", 0, 0},
      {";@EventHandler\n;@initialize() movebyy(#0,#1,1)\n", "023000", 0, 0},
      {";@EventHandler\n;@initialize() move(#1,0,0) move(#0,2,0)\n", "021000", 0, 0},
      // A move acts on the page shown.
      {";@EventHandler\n;@initialize() move(#0,1,0)\n", "000013", 1, 1},
      // changeset at initialize: the page, its places and group, its set().
      {";@EventHandler\n;@initialize() changeset(1)\n;@set(1) unmap(#2)\n", "000120", 1, 0},
      {";@EventHandler\n;@initialize() changeset(7)\n", "123000", 0, 0},
      // Translucency: 255 hides a cel, and stays within 0 to 255.
      {";@EventHandler\n;@initialize() transparent(#2,300)\n", "120000", 0, 0},
      {";@EventHandler\n;@initialize() transparent(#2,300) transparent(#2,-200)\n", "12X000", 0, 0},
      // Variables, conditionals, the state read back.
      {";@EventHandler\n;@initialize() let(a,2) add(a,a,1) ifequal(a,3) unmap(#0) else() "
       "unmap(#1) endif()\n",
       "023000", 0, 0},
      {";@EventHandler\n;@initialize() let(n,7) mul(n,n,3) sub(n,n,1) div(n,n,6) mod(n,n,2)\n"
       ";@ ifnotequal(n,1) unmap(#0) endif() ifgreaterthan(n,0) unmap(#1) endif()\n"
       ";@ iflessthan(n,1) unmap(#2) endif()\n",
       "103000", 0, 0},
      {";@EventHandler\n;@initialize() iflessthan(1,2) ifequal(1,2) unmap(#0) else() unmap(#1) "
       "endif() else() unmap(#2) endif()\n",
       "103000", 0, 0},
      {";@EventHandler\n;@initialize() letobjectx(x,#2) letobjecty(y,#2) letfix(f,#0)\n"
       ";@ ifequal(x,2) ifequal(y,0) ifequal(f,5) unmap(#1) endif() endif() endif()\n",
       "103000", 0, 0},
      {";@EventHandler\n;@initialize() changeset(1) letset(s) letpal(g) add(s,s,g) "
       "ifequal(s,2) unmap(#0) endif()\n",
       "000023", 1, 0},
      {";@EventHandler\n;@initialize() unmap(\"c.cel\") transparent(\"b.cel\",9) "
       "letmapped(m,\"c.cel\") lettransparent(t,\"b.cel\")\n"
       ";@ ifequal(m,0) ifequal(t,9) transparent(\"b.cel\",246) endif() endif()\n",
       "100000", 0, 0},
      {";@EventHandler\n;@initialize() random(r,4,4) ifequal(r,4) unmap(#0) endif()\n", "023000", 0,
       0},
      // Labels: gosub comes back, goto and exitevent end the handler.
      {";@EventHandler\n;@initialize() gosub(5) unmap(#0)\n;@label(5) unmap(#2)\n", "020000", 0, 0},
      {";@EventHandler\n;@initialize() goto(5) unmap(#0)\n;@label(5) unmap(#2)\n", "120000", 0, 0},
      {";@EventHandler\n;@initialize() let(L,5) gosub(L) unmap(#0)\n;@label(5) unmap(#2)\n",
       "020000", 0, 0},
      {";@EventHandler\n;@initialize() gosub(Hide)\n;@label(Hide) unmap(#1) exitevent() "
       "unmap(#0)\n",
       "103000", 0, 0},
      {";@EventHandler\n;@initialize() gosubrandom(100,1,2) gotorandom(0,1,2)\n;@label(1) "
       "unmap(#0)\n;@label(2) unmap(#1)\n",
       "003000", 0, 0},
      // What does not run at opening: timers, alarms, mouse events, FKiSS 2 ifs.
      {";@EventHandler\n;@initialize() timer(1,10) ifmapped(\"a.cel\",1,10) unmap(#1)\n"
       ";@alarm(1) unmap(#0)\n;@press(#2) unmap(#2)\n",
       "103000", 0, 0},
      // Lines and statements the reader passes over.
      {"  ;@EventHandler\n\t;@initialize() unmap(#0) ; unmap(#1)\n", "023000", 0, 0},
      {";@initialize() unmap(#0)\n", "123000", 0, 0},
      {";@EventHandler\n;@initialize() frobnicate(#0) unmap(#0,3) move(#1) unmap(#2\n", "123000", 0,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fkiss);
    const Doll doll = Compose(cels + pages + c.fkiss, set, c.page);
    for (std::int64_t x = 0; x < 6; ++x) {
      const char expected = c.row[x];
      if (expected == 'X') {
        // c (51, 0, 204) at translucency 55 over the background (0, 0, 255):
        // each channel moves 200/255 of the way from below to the cel.
        EXPECT_EQ(doll.At(x, 0), (Rgb8{40, 0, 215})) << x;
        continue;
      }
      EXPECT_EQ(doll.At(x, 0), Entry(static_cast<std::uint8_t>(expected - '0'), c.group)) << x;
    }
  }
}

TEST(DollOpening, TranslucentCelsBlendOntoWhatLiesBelow) {
  FakeSet set;
  set.Put("p.kcf", GroupedPalette(1));
  set.Put("a.cel", Block(1, 1, 1));
  set.Put("b.cel", Block(2, 1, 15));
  set.Put("glass.cel", kiss::HeadedCel(kiss::kAlphaCelMark, 32, 2, 1,
                                       kiss::AlphaRows({255, 0, 0, 255, 255, 0, 0, 100})));
  // Colour 1 is (17, 0, 238), colour 15 (255, 0, 0), the background (0, 0, 255).
  const Doll doll = Compose(
      "(4,1)\n%p.kcf\n#0 a.cel ;%t128 a\n#1 b.cel ; %u %t9 hidden\n#2 glass.cel ;%T51\n"
      "#3 a.cel ;%t0%u\n$0 0,0 0,0 2,0 3,0\n",
      set);
  // a over the background, 127/255 of the way there: 17*127/255 is 8.47,
  // -17*127/255 is -8.47, each cut toward zero.
  EXPECT_EQ(doll.At(0, 0), (Rgb8{8, 0, 247}));
  EXPECT_EQ(doll.At(1, 0), Entry(0));  // b starts unmapped
  // The red 32-bit cel's alpha 255 becomes 204, 100 becomes 80, over the
  // background; "%t0%u" leaves the last a.cel unmapped.
  EXPECT_EQ(doll.At(2, 0), (Rgb8{204, 0, 51}));
  EXPECT_EQ(doll.At(3, 0), (Rgb8{80, 0, 175}));
  const Doll shown = Compose(
      "(4,1)\n%p.kcf\n#0 a.cel ;%t128 a\n#1 b.cel ; %u %t9 hidden\n#2 glass.cel ;%t51\n"
      "$0 0,0 0,0 2,0 3,0\n;@EventHandler\n;@begin() map(#1) transparent(#2,-51)\n",
      set);
  // b mapped at translucency 9 over the background, a over b, the 32-bit cel
  // at its own alpha.
  EXPECT_EQ(shown.At(1, 0), (Rgb8{246, 0, 9}));
  // (17, 0, 238) over (246, 0, 9): -229*127/255 is -114.05, 229*127/255 114.05.
  EXPECT_EQ(shown.At(0, 0), (Rgb8{132, 0, 123}));
  EXPECT_EQ(shown.At(2, 0), (Rgb8{255, 0, 0}));
  EXPECT_EQ(shown.At(3, 0), (Rgb8{100, 0, 155}));
}

TEST(DollComposition, SizesServed) {
  auto served = [](const std::string& cnf) {
    return DollSizeServed(
        ReadDollConfig({reinterpret_cast<const std::uint8_t*>(cnf.data()), cnf.size()}));
  };
  EXPECT_TRUE(served("#0 a.cel\n"));
  EXPECT_TRUE(served("(16384,16384)\n"));
  EXPECT_FALSE(served("(16385,2)\n"));
  EXPECT_FALSE(served("(2,99999999999)\n"));
  const std::string cnf = "(5,3)\n";
  const PicturePlan plan = DollPicturePlan(
      ReadDollConfig({reinterpret_cast<const std::uint8_t*>(cnf.data()), cnf.size()}));
  EXPECT_EQ(plan.stride, 16u);
  EXPECT_EQ(plan.pixelBytes, 48u);
  EXPECT_EQ(plan.infoBytes, 40u);
  EXPECT_EQ(plan.rule.outputDepth, 24);
}

}  // namespace
