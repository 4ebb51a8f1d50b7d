// The host tool's parts that need no plug-in: command line, result texts,
// bitmap reading, file patterns, output names, contact sheet layout and
// image encoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "dib_image.h"
#include "file_list.h"
#include "image_encode.h"
#include "name_pattern.h"
#include "options.h"
#include "output_names.h"
#include "result_codes.h"
#include "sheet_layout.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#include <stb_image.h>

namespace {

using Block = std::vector<std::uint8_t>;

void Put32(Block& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A BITMAPINFOHEADER with the given fields, then the colour table or masks.
Block InfoBlock(std::int32_t width, std::int32_t height, int bitCount,
                std::uint32_t compression = 0, std::uint32_t coloursUsed = 0,
                const Block& tail = {}) {
  Block b(40 + tail.size(), 0);
  std::copy(tail.begin(), tail.end(), b.begin() + 40);
  Put32(b, 0, 40);
  Put32(b, 4, static_cast<std::uint32_t>(width));
  Put32(b, 8, static_cast<std::uint32_t>(height));
  b[12] = 1;
  b[14] = static_cast<std::uint8_t>(bitCount);
  Put32(b, 16, compression);
  Put32(b, 32, coloursUsed);
  return b;
}

// Colour table entries given as 0xRRGGBB, stored blue, green, red, 0.
Block Table(std::initializer_list<std::uint32_t> colours) {
  Block b;
  for (std::uint32_t c : colours)
    b.insert(b.end(), {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8),
                       static_cast<std::uint8_t>(c >> 16), 0});
  return b;
}

// The picture's pixel as 0xRRGGBB.
std::uint32_t Pixel(const RgbImage& image, int x, int y) {
  const std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
  return static_cast<std::uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
}

DibReadResult Read(const Block& info, const Block& bits) {
  return ReadDib(info.data(), info.size(), bits.data(), bits.size());
}

}  // namespace

// ----------------------------------------------------------- command line

TEST(ToolCommandLine, DefaultsAndFlags) {
  ParsedCommandLine p = ParseCommandLine({"a.cel"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.outFolder, ".");
  EXPECT_FALSE(p.options.bmp || p.options.memory || p.options.recursive || p.options.info);
  EXPECT_TRUE(p.options.pluginPath.empty());
  EXPECT_TRUE(p.options.settings.empty());

  p = ParseCommandLine({"--bmp", "--memory", "-r", "--plugin", "x.spi", "-o", "out",
                        "--sheet=s.png", "a.cel", "dir"});
  ASSERT_EQ(p.error, "");
  EXPECT_TRUE(p.options.bmp && p.options.memory && p.options.recursive);
  EXPECT_EQ(p.options.pluginPath, "x.spi");
  EXPECT_EQ(p.options.outFolder, "out");
  EXPECT_EQ(p.options.sheetPath, "s.png");
  EXPECT_EQ(p.options.inputs, (std::vector<std::string>{"a.cel", "dir"}));

  // "--" ends the options: what follows is a file even when it starts with '-'.
  p = ParseCommandLine({"--", "--bmp", "-"});
  ASSERT_EQ(p.error, "");
  EXPECT_FALSE(p.options.bmp);
  EXPECT_EQ(p.options.inputs, (std::vector<std::string>{"--bmp", "-"}));

  p = ParseCommandLine({"--help"});
  EXPECT_TRUE(p.options.help);
  EXPECT_EQ(p.error, "");
}

TEST(ToolCommandLine, SettingsAreKeptInStoreOrderAndTheLastValueWins) {
  const ParsedCommandLine p =
      ParseCommandLine({"--grid-y", "-3", "--color-dark", "0x123456", "--alpha-type=1", "--grid-y",
                        "7", "--color-light", "255", "x.cel"});
  ASSERT_EQ(p.error, "");
  ASSERT_EQ(p.options.settings.size(), 4u);
  EXPECT_EQ(p.options.settings[0].name, "AlphaType");
  EXPECT_EQ(p.options.settings[0].value, 1u);
  EXPECT_EQ(p.options.settings[1].name, "ColorLight");
  EXPECT_EQ(p.options.settings[1].value, 255u);
  EXPECT_EQ(p.options.settings[2].name, "ColorDark");
  EXPECT_EQ(p.options.settings[2].value, 0x123456u);
  EXPECT_EQ(p.options.settings[3].name, "GridSizeY");
  EXPECT_EQ(p.options.settings[3].value, 7u);
}

TEST(ToolCommandLine, Errors) {
  EXPECT_EQ(ParseCommandLine({}).error, "no file or folder given");
  EXPECT_EQ(ParseCommandLine({"--frobnicate", "a.cel"}).error, "unknown option --frobnicate");
  EXPECT_EQ(ParseCommandLine({"a.cel", "--plugin"}).error, "--plugin needs a value");
  EXPECT_EQ(ParseCommandLine({"--bmp=1", "a.cel"}).error, "--bmp takes no value");
  EXPECT_EQ(ParseCommandLine({"--grid-x", "ten", "a.cel"}).error,
            "--grid-x: not a 32-bit number: ten");
  EXPECT_EQ(ParseCommandLine({"-o", "", "a.cel"}).error, "--out needs a folder");
  EXPECT_NE(ParseCommandLine({"--info", "--sheet", "s.png", "a.cel"}).error, "");
}

TEST(ToolCommandLine, DollTakesNoValueAndNoMemoryInput) {
  ParsedCommandLine p = ParseCommandLine({"a.cel"});
  EXPECT_FALSE(p.options.doll);
  p = ParseCommandLine({"--doll", "-r", "--bmp", "--sheet", "s.png", "sets"});
  ASSERT_EQ(p.error, "");
  EXPECT_TRUE(p.options.doll && p.options.recursive && p.options.bmp);
  EXPECT_EQ(p.options.inputs, (std::vector<std::string>{"sets"}));
  // Probing a configuration's size is served; its bytes in memory are not.
  EXPECT_EQ(ParseCommandLine({"--doll", "--info", "a.cnf"}).error, "");
  EXPECT_EQ(ParseCommandLine({"--doll=1", "a.cnf"}).error, "--doll takes no value");
  EXPECT_EQ(ParseCommandLine({"--memory", "--doll", "a.cnf"}).error, kDollNeedsNames);
  EXPECT_NE(std::string(UsageText()).find("--doll"), std::string::npos);
}

TEST(ToolCommandLine, Numbers) {
  std::uint32_t v = 7;
  EXPECT_TRUE(ParseNumber("0", v));
  EXPECT_EQ(v, 0u);
  EXPECT_TRUE(ParseNumber("0xC0c0C0", v));
  EXPECT_EQ(v, 0xC0C0C0u);
  EXPECT_TRUE(ParseNumber("0XFFFFFFFF", v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_TRUE(ParseNumber("4294967295", v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_TRUE(ParseNumber("-1", v));
  EXPECT_EQ(v, 0xFFFFFFFFu);
  EXPECT_TRUE(ParseNumber("-2147483648", v));
  EXPECT_EQ(v, 0x80000000u);
  EXPECT_TRUE(ParseNumber("010", v));  // decimal, not octal
  EXPECT_EQ(v, 10u);
  v = 7;
  for (const char* bad : {"", "-", "0x", "4294967296", "-2147483649", "12a", "0x1g", " 1", "+1"})
    EXPECT_FALSE(ParseNumber(bad, v)) << bad;
  EXPECT_EQ(v, 7u);
}

TEST(ToolResultCodes, EveryCodeHasItsMeaning) {
  EXPECT_EQ(DescribeResult(0), "success");
  EXPECT_EQ(DescribeResult(-1), "not served");
  EXPECT_EQ(DescribeResult(1), "cancelled by the progress callback");
  EXPECT_EQ(DescribeResult(2), "unknown format");
  EXPECT_EQ(DescribeResult(3), "data broken");
  EXPECT_EQ(DescribeResult(4), "out of memory");
  EXPECT_EQ(DescribeResult(5), "memory error");
  EXPECT_EQ(DescribeResult(6), "file failed to open");
  EXPECT_EQ(DescribeResult(8), "internal error");
  EXPECT_EQ(DescribeResult(42), "unknown result code 42");
  EXPECT_EQ(DescribeResult(-7), "unknown result code -7");
}

// ----------------------------------------------------------- bitmaps

TEST(ToolDib, FourBitRowsAreBottomUpWithTheLeftPixelInTheHighNibble) {
  // Width 3: each row is 2 bytes of pixels, padded to 4.
  const Block info = InfoBlock(3, 2, 4, 0, 0, Table({0x000000, 0xFF0000, 0x00FF00, 0x0000FF}));
  Block padded = info;
  padded.resize(40 + 64, 0);              // the rest of the 16-entry table
  const Block bits = {0x01, 0x20, 0, 0,   // bottom row: 0 1 2
                      0x32, 0x1F, 0, 0};  // top row: 3 2 1 (F is the spare nibble)
  const DibReadResult r = Read(padded, bits);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(r.bitCount, 4);
  ASSERT_EQ(r.image.width, 3);
  ASSERT_EQ(r.image.height, 2);
  EXPECT_EQ(Pixel(r.image, 0, 0), 0x0000FFu);
  EXPECT_EQ(Pixel(r.image, 1, 0), 0x00FF00u);
  EXPECT_EQ(Pixel(r.image, 2, 0), 0xFF0000u);
  EXPECT_EQ(Pixel(r.image, 0, 1), 0x000000u);
  EXPECT_EQ(Pixel(r.image, 1, 1), 0xFF0000u);
  EXPECT_EQ(Pixel(r.image, 2, 1), 0x00FF00u);
}

TEST(ToolDib, ShortenedTablesOneBitAndTopDownRows) {
  // 8 bits, a table of 2 colours (biClrUsed): index 5 lies past it and is black.
  Block info = InfoBlock(2, -2, 8, 0, 2, Table({0x102030, 0xA0B0C0}));
  Block bits = {1, 0, 0, 0, 5, 1, 0, 0};
  DibReadResult r = Read(info, bits);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Pixel(r.image, 0, 0), 0xA0B0C0u);  // top-down: the first row is the top
  EXPECT_EQ(Pixel(r.image, 1, 0), 0x102030u);
  EXPECT_EQ(Pixel(r.image, 0, 1), 0x000000u);
  EXPECT_EQ(Pixel(r.image, 1, 1), 0xA0B0C0u);

  info = InfoBlock(10, 1, 1, 0, 0, Table({0xFFFFFF, 0x000000}));
  bits = {0xA5, 0x40, 0, 0};  // 1010 0101 01
  r = Read(info, bits);
  ASSERT_TRUE(r.ok) << r.error;
  const std::uint32_t expected[10] = {0, 0xFFFFFF, 0, 0xFFFFFF, 0xFFFFFF,
                                      0, 0xFFFFFF, 0, 0xFFFFFF, 0};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(Pixel(r.image, x, 0), expected[x]) << x;
}

TEST(ToolDib, DirectColourDepths) {
  // 24 bits, width 1: 3 bytes blue, green, red and one byte of padding per row.
  DibReadResult r = Read(InfoBlock(1, 2, 24), {1, 2, 3, 0xEE, 4, 5, 6, 0xEE});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Pixel(r.image, 0, 0), 0x060504u);
  EXPECT_EQ(Pixel(r.image, 0, 1), 0x030201u);

  // 32 bits without masks: blue, green, red, and a byte that is ignored.
  r = Read(InfoBlock(1, 1, 32), {0x11, 0x22, 0x33, 0x80});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Pixel(r.image, 0, 0), 0x332211u);

  // 16 bits without masks are 5-5-5; with BI_BITFIELDS masks 5-6-5.
  r = Read(InfoBlock(2, 1, 16), {0x00, 0x7C, 0x1F, 0x00});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Pixel(r.image, 0, 0), 0xFF0000u);
  EXPECT_EQ(Pixel(r.image, 1, 0), 0x0000FFu);
  Block masks(12, 0);
  Put32(masks, 0, 0xF800);
  Put32(masks, 4, 0x07E0);
  Put32(masks, 8, 0x001F);
  r = Read(InfoBlock(2, 1, 16, 3, 0, masks), {0xE0, 0x07, 0x10, 0x00});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Pixel(r.image, 0, 0), 0x00FF00u);
  EXPECT_EQ(Pixel(r.image, 1, 0), 0x000084u);  // 16 of 31 scaled to 0..255

  // 32 bits with masks in another order: red in the low byte.
  Put32(masks, 0, 0x000000FF);
  Put32(masks, 4, 0x0000FF00);
  Put32(masks, 8, 0x00FF0000);
  r = Read(InfoBlock(1, 1, 32, 3, 0, masks), {0x11, 0x22, 0x33, 0});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Pixel(r.image, 0, 0), 0x112233u);
}

TEST(ToolDib, BlocksThatCannotBeReadAreRefusedWithoutReadingPastThem) {
  const Block bits(64, 0);
  Block small(39, 0);
  EXPECT_FALSE(Read(small, bits).ok);
  EXPECT_FALSE(ReadDib(nullptr, 0, bits.data(), bits.size()).ok);

  // 8-bit table cut short by one byte.
  Block info = InfoBlock(2, 2, 8, 0, 4, Table({1, 2, 3, 4}));
  info.pop_back();
  EXPECT_EQ(Read(info, bits).error, "colour table cut short");

  // Width 5 at 24 bits: stride 16, so two rows need 32 bytes; 31 are too few.
  info = InfoBlock(5, 2, 24);
  EXPECT_TRUE(Read(info, Block(32, 0)).ok);
  EXPECT_EQ(Read(info, Block(31, 0)).error, "pixel block cut short");
  EXPECT_FALSE(ReadDib(info.data(), info.size(), nullptr, 0).ok);

  EXPECT_EQ(Read(InfoBlock(2, 2, 8, 1), bits).error, "unsupported bitmap compression 1");
  EXPECT_EQ(Read(InfoBlock(2, 2, 2), bits).error, "unsupported depth of 2 bits per pixel");
  EXPECT_EQ(Read(InfoBlock(2, 2, 24, 3), bits).error, "unsupported bitmap compression 3");
  EXPECT_EQ(Read(InfoBlock(0, 0, 24), bits).error, "empty picture (0 x 0)");
  EXPECT_FALSE(Read(InfoBlock(3, 0, 24), bits).ok);
  Block header = InfoBlock(2, 2, 24);
  Put32(header, 0, 64);  // a header longer than the block
  EXPECT_FALSE(Read(header, bits).ok);
  // A huge picture is refused before anything is allocated or read.
  EXPECT_FALSE(Read(InfoBlock(100000, 100000, 24), bits).ok);
  EXPECT_FALSE(Read(InfoBlock(2, INT32_MIN, 24), bits).ok);
}

// ----------------------------------------------------------- patterns

TEST(ToolPatterns, ListsAndWildcards) {
  EXPECT_EQ(SplitPatterns("*.jpg; *.jpeg;;  *.jpe "),
            (std::vector<std::string>{"*.jpg", "*.jpeg", "*.jpe"}));
  EXPECT_TRUE(SplitPatterns("").empty());
  EXPECT_TRUE(MatchesPattern("BODY.CEL", "*.cel"));
  EXPECT_TRUE(MatchesPattern("body.Cel", "*.CEL"));
  EXPECT_FALSE(MatchesPattern("body.cel.bak", "*.cel"));
  EXPECT_FALSE(MatchesPattern("body.ce", "*.cel"));
  EXPECT_TRUE(MatchesPattern(".cel", "*.cel"));
  EXPECT_TRUE(MatchesPattern("a.b.cel", "*.cel"));
  EXPECT_TRUE(MatchesPattern("aaab", "*ab"));
  EXPECT_TRUE(MatchesPattern("abc", "a?c"));
  EXPECT_FALSE(MatchesPattern("ac", "a?c"));
  EXPECT_TRUE(MatchesPattern("", "*"));
  EXPECT_TRUE(MatchesPattern("x", "**"));
  EXPECT_TRUE(MatchesAnyPattern("pic.JPEG", SplitPatterns("*.jpg;*.jpeg")));
  EXPECT_FALSE(MatchesAnyPattern("pic.png", SplitPatterns("*.jpg;*.jpeg")));
}

TEST(ToolPatterns, OnlyAConfigurationPatternMakesADollPlugin) {
  EXPECT_TRUE(ServesDolls({"*.cnf"}));
  EXPECT_TRUE(ServesDolls({"*.CNF"}));
  EXPECT_TRUE(ServesDolls(SplitPatterns("*.cel; *.Cnf")));
  EXPECT_FALSE(ServesDolls({"*.cel"}));
  EXPECT_FALSE(ServesDolls({}));
  // Patterns that would take configuration files among others are not a doll plug-in's.
  EXPECT_FALSE(ServesDolls({"*"}));
  EXPECT_FALSE(ServesDolls({"*.*"}));
  EXPECT_FALSE(ServesDolls({"*.cn?"}));
  EXPECT_FALSE(ServesDolls({"x*.cnf"}));
}

// ----------------------------------------------------------- output names

TEST(ToolOutputNames, PicturesGoBelowTheFolderWithTheirExtension) {
  EXPECT_EQ(OutputPath("out", "body", false), "out\\body.png");
  EXPECT_EQ(OutputPath("out\\", "loose\\moon", true), "out\\loose\\moon.bmp");
}

TEST(ToolOutputNames, EachPageOfADollHasItsOwnFileAndLabel) {
  // The stem comes from the configuration's name as the file list makes it:
  // only the last extension goes, so a name of several dots keeps the others.
  const InputList list = CollectInputs({"sets\\mira.cnf", "sets\\my.doll.v2.cnf"}, {}, false);
  ASSERT_EQ(list.files.size(), 2u);
  EXPECT_EQ(list.files[0].outputStem, "mira");
  EXPECT_EQ(list.files[1].outputStem, "my.doll.v2");
  for (int page = 0; page < 10; ++page) {
    const std::string n = std::to_string(page);
    EXPECT_EQ(OutputPath("out", DollPageStem(list.files[0].outputStem, page), false),
              "out\\mira.set" + n + ".png");
    EXPECT_EQ(OutputPath("out", DollPageStem(list.files[1].outputStem, page), true),
              "out\\my.doll.v2.set" + n + ".bmp");
    EXPECT_EQ(DollPageLabel(list.files[0].label, page), "sets\\mira.cnf set" + n);
  }
  // A set in a sub-folder keeps its place below the output folder.
  EXPECT_EQ(OutputPath("out", DollPageStem("girls\\mira", 3), false), "out\\girls\\mira.set3.png");
  EXPECT_EQ(DollPageLabel("girls\\mira.cnf", 9), "girls\\mira.cnf set9");
}

// ----------------------------------------------------------- contact sheet

namespace {

struct Rect {
  int left, top, right, bottom;  // right and bottom exclusive
  bool Overlaps(const Rect& o) const {
    return left < o.right && o.left < right && top < o.bottom && o.top < bottom;
  }
};

}  // namespace

TEST(ToolSheet, RowsWrapAndNothingOverlapsOrLeavesTheSheet) {
  std::vector<SheetItem> items;
  for (int i = 0; i < 9; ++i)
    items.push_back(SheetItem{100 + 40 * i, 50 + 30 * (i % 3), 60 + 25 * i});
  items.push_back(SheetItem{20, 10, 300});  // a label much wider than its picture
  const int labelHeight = 14;
  const SheetLayout layout = LayOutSheet(items, labelHeight, 500, 18);
  ASSERT_EQ(layout.places.size(), items.size());
  EXPECT_LE(layout.width, kSheetWrapWidth);

  std::vector<Rect> rects;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const SheetPlace& p = layout.places[i];
    rects.push_back(
        Rect{p.pictureX, p.pictureY, p.pictureX + items[i].width, p.pictureY + items[i].height});
    rects.push_back(
        Rect{p.labelX, p.labelY, p.labelX + items[i].labelWidth, p.labelY + labelHeight});
    // The label sits right under the picture.
    EXPECT_GE(p.labelY, p.pictureY + items[i].height) << i;
    EXPECT_LE(p.labelY, p.pictureY + items[i].height + kSheetLabelGap + 100) << i;
  }
  rects.push_back(
      Rect{kSheetMargin, kSheetMargin, kSheetMargin + 500, kSheetMargin + 18});  // title
  for (std::size_t a = 0; a < rects.size(); ++a) {
    EXPECT_GE(rects[a].left, kSheetMargin) << a;
    EXPECT_GE(rects[a].top, kSheetMargin) << a;
    EXPECT_LE(rects[a].right, layout.width - kSheetMargin) << a;
    EXPECT_LE(rects[a].bottom, layout.height - kSheetMargin) << a;
    for (std::size_t b = a + 1; b < rects.size(); ++b)
      EXPECT_FALSE(rects[a].Overlaps(rects[b])) << a << " " << b;
  }
  // More than one row, and the labels of a row share one line.
  EXPECT_GT(layout.places.back().pictureY, layout.places.front().pictureY);
  EXPECT_EQ(layout.places[0].labelY, layout.places[1].labelY);
}

TEST(ToolSheet, OneWidePictureStillGetsItsRowAndAnEmptySheetIsOnlyMargins) {
  const SheetLayout wide = LayOutSheet({SheetItem{2000, 10, 40}}, 12, 0, 0);
  EXPECT_EQ(wide.places[0].pictureX, kSheetMargin);
  EXPECT_EQ(wide.width, 2000 + 2 * kSheetMargin);
  const SheetLayout empty = LayOutSheet({}, 12, 0, 0);
  EXPECT_EQ(empty.width, 2 * kSheetMargin);
  EXPECT_EQ(empty.height, 2 * kSheetMargin);
}

TEST(ToolSheet, ThumbnailsAverageTheCoveredPixels) {
  RgbImage image;
  image.width = 4;
  image.height = 2;
  image.rgb = {0,   0, 0, 100, 0, 0, 10, 10, 10, 10, 10, 10,   // top row
               200, 0, 0, 100, 0, 0, 10, 10, 10, 30, 30, 30};  // bottom row
  const RgbImage same = Thumbnail(image, 4);
  EXPECT_EQ(same.rgb, image.rgb);
  const RgbImage small = Thumbnail(image, 2);
  ASSERT_EQ(small.width, 2);
  ASSERT_EQ(small.height, 1);
  EXPECT_EQ(small.rgb, (std::vector<std::uint8_t>{100, 0, 0, 15, 15, 15}));
  // A very thin picture keeps at least one pixel across.
  RgbImage line;
  line.width = 1000;
  line.height = 1;
  line.rgb.assign(3000, 50);
  const RgbImage thin = Thumbnail(line, 100);
  EXPECT_EQ(thin.width, 100);
  EXPECT_EQ(thin.height, 1);
}

// ----------------------------------------------------------- encoders

TEST(ToolEncode, PngAndBmpDecodeToTheSamePixels) {
  RgbImage image;
  image.width = 5;
  image.height = 3;
  for (int i = 0; i < 15; ++i)
    image.rgb.insert(image.rgb.end(),
                     {static_cast<std::uint8_t>(i * 17), static_cast<std::uint8_t>(255 - i),
                      static_cast<std::uint8_t>(i * 3)});
  std::vector<std::uint8_t> png;
  std::vector<std::uint8_t> bmp;
  ASSERT_TRUE(EncodePng(image, png));
  ASSERT_TRUE(EncodeBmp(image, bmp));
  EXPECT_EQ(std::memcmp(png.data(), "\x89PNG", 4), 0);
  EXPECT_EQ(std::memcmp(bmp.data(), "BM", 2), 0);
  for (const auto* file : {&png, &bmp}) {
    int w = 0, h = 0, n = 0;
    stbi_uc* decoded =
        stbi_load_from_memory(file->data(), static_cast<int>(file->size()), &w, &h, &n, 3);
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 3);
    EXPECT_EQ(std::vector<std::uint8_t>(decoded, decoded + 45), image.rgb);
    stbi_image_free(decoded);
  }
  RgbImage empty;
  EXPECT_FALSE(EncodePng(empty, png));
  image.rgb.pop_back();  // fewer bytes than the size says
  EXPECT_FALSE(EncodeBmp(image, bmp));
}
