// spihost over KiSS sets, run as a child process: every page of a doll made
// here is written under its own name, at the configuration's size, as the
// doll plug-in gives it to this process, and goes on the contact sheet. The
// runs through tamsadoll need it built; the fallback of a plug-in without
// page export runs through tamsa.spi.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "support/test_files.h"
#include "tool/tool_child.h"
#include "tools/plugin_module/plugin_module.h"

namespace {

using kiss::Colour24;
using kiss::Entries24;
using kiss::FourBitRows;

constexpr int kWidth = 40;
constexpr int kHeight = 30;

// The palette's colours by group: background (0), the first cel's (1) and the second's (2).
constexpr Colour24 kColours[2][3] = {{{10, 20, 30}, {200, 40, 40}, {40, 200, 40}},
                                     {{30, 20, 10}, {40, 40, 200}, {220, 220, 40}}};

Bytes Palette() {
  std::vector<Colour24> entries;
  for (const auto& group : kColours) {
    entries.insert(entries.end(), std::begin(group), std::end(group));
    entries.resize(entries.size() + 13, Colour24{0, 0, 0});
  }
  return PaletteFile(24, 16, 2, Entries24(entries));
}

Bytes SolidCel(int width, int height, std::uint8_t index, bool headed) {
  const Bytes rows = FourBitRows(std::vector<std::uint8_t>(width * height, index), width);
  return headed ? HeadedCel(0x20, 4, width, height, rows) : HeaderlessCel(width, height, rows);
}

// Three pages: the first cel at 2,3 on page 0 and 20,5 on page 1 and not on
// page 2; the second at 10,10, 0,0 (a '*') and 30,20. Page 1 takes group 1.
constexpr char kConfig[] =
    "; three pages of a made-up doll\r\n"
    "(40,30)\r\n"
    "%doll.kcf\r\n"
    "#0 square.cel *0 :0 1\r\n"
    "#1 dot.cel *0 :0 1 2\r\n"
    "$0 2,3 10,10\r\n"
    "$1 20,5 *\r\n"
    "$0 *\r\n"
    " 30,20\r\n";

void WriteSet(const TempFolder& folder, const std::string& sub, const std::string& name) {
  const std::string prefix = sub.empty() ? "" : sub + "\\";
  if (!sub.empty()) CreateDirectoryA((folder.Path() + "\\" + sub).c_str(), nullptr);
  folder.Write(prefix + "doll.kcf", Palette());
  folder.Write(prefix + "square.cel", SolidCel(6, 4, 1, true));
  folder.Write(prefix + "dot.cel", SolidCel(3, 3, 2, false));
  folder.Write(prefix + name, std::string(kConfig));
}

// The picture's pixel as a colour.
::testing::AssertionResult PixelIs(const Picture& picture, int x, int y, const Colour24& colour) {
  if (!picture.error.empty()) return ::testing::AssertionFailure() << picture.error;
  if (x >= picture.width || y >= picture.height)
    return ::testing::AssertionFailure() << x << "," << y << " lies outside the picture";
  const std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
  if (p[0] == colour.red && p[1] == colour.green && p[2] == colour.blue)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel " << x << "," << y << " is " << int{p[0]} << " "
                                       << int{p[1]} << " " << int{p[2]};
}

const std::string kDollPath = TAMSA_DOLL_PATH;

class DollRunTest : public ::testing::Test {
 protected:
  // Two runs through tamsadoll: a set named by its configuration file with
  // --doll and the default plug-in, and a folder through the plug-in named
  // with --plugin (its pattern makes the doll mode) with a missing file.
  static void SetUpTestSuite() {
    if (kDollPath.empty() || !Exists(kDollPath)) return;
    out = new TempFolder;
    WriteSet(*out, "", "doll.cnf");
    dollRun = new ToolRun(RunTool("--doll -o " + Quote(out->Path() + "\\one") + " --sheet " +
                                  Quote(out->Path() + "\\sheet.png") + " " +
                                  Quote(out->Path() + "\\doll.cnf")));
    WriteSet(*out, "more", "second.set.cnf");
    folderRun = new ToolRun(RunTool("--plugin " + Quote(Backslashed(kDollPath)) + " -r --bmp -o " +
                                    Quote(out->Path() + "\\all") + " " + Quote(out->Path()) + " " +
                                    Quote(out->Path() + "\\nothere.cnf")));
    module = new PluginModule(kDollPath.c_str());
  }
  static void TearDownTestSuite() {
    delete module;
    delete folderRun;
    delete dollRun;
    delete out;
  }
  void SetUp() override {
    if (kDollPath.empty()) GTEST_SKIP() << "this tree does not build the doll plug-in tamsadoll";
    if (!Exists(kDollPath)) GTEST_SKIP() << "tamsadoll is not built: " << kDollPath;
    ASSERT_NE(module->module, nullptr) << "cannot load " << kDollPath;
  }
  // The page as GetDollPageW gives it to this process.
  static Picture Page(const std::string& config, int page) {
    Picture picture;
    if (module->getDollPageW == nullptr) {
      picture.error = "no GetDollPageW";
      return picture;
    }
    HLOCAL info = nullptr;
    HLOCAL pixels = nullptr;
    const int code = module->getDollPageW(Widened(config).c_str(), page, &info, &pixels);
    if (code != 0) {
      picture.error = "GetDollPageW returned " + std::to_string(code);
      return picture;
    }
    return FromBlocks(info, pixels);
  }

  static inline TempFolder* out = nullptr;
  static inline ToolRun* dollRun = nullptr;
  static inline ToolRun* folderRun = nullptr;
  static inline PluginModule* module = nullptr;
};

TEST_F(DollRunTest, EveryPageIsWrittenAtTheConfigurationsSizeAsThePluginGivesIt) {
  EXPECT_EQ(dollRun->exitCode, 0u) << dollRun->output;
  EXPECT_TRUE(Contains(dollRun->output, sizeof(void*) == 8 ? "tamsadoll.sph" : "tamsadoll.spi"))
      << "not the default doll plug-in: " << dollRun->output;
  EXPECT_TRUE(Contains(dollRun->output, "3 of 3 pages converted, 0 failed")) << dollRun->output;
  const std::string config = out->Path() + "\\doll.cnf";
  for (int page = 0; page < 3; ++page) {
    const std::string n = std::to_string(page);
    EXPECT_TRUE(Contains(dollRun->output, "ok      " + config + " set" + n + " -> ")) << n;
    const Picture written = Load(out->Path() + "\\one\\doll.set" + n + ".png");
    EXPECT_EQ(written.width, kWidth) << n;
    EXPECT_EQ(written.height, kHeight) << n;
    EXPECT_TRUE(SamePicture(Page(config, page), written)) << n;
  }
  EXPECT_FALSE(Exists(out->Path() + "\\one\\doll.set3.png"));

  // Each file holds its own page: the places and the group differ.
  const Picture page0 = Load(out->Path() + "\\one\\doll.set0.png");
  const Picture page1 = Load(out->Path() + "\\one\\doll.set1.png");
  const Picture page2 = Load(out->Path() + "\\one\\doll.set2.png");
  EXPECT_TRUE(PixelIs(page0, 2, 3, kColours[0][1]));
  EXPECT_TRUE(PixelIs(page0, 11, 11, kColours[0][2]));
  EXPECT_TRUE(PixelIs(page0, 20, 5, kColours[0][0]));
  EXPECT_TRUE(PixelIs(page1, 20, 5, kColours[1][1]));
  EXPECT_TRUE(PixelIs(page1, 1, 1, kColours[1][2]));
  EXPECT_TRUE(PixelIs(page1, 2, 3, kColours[1][0]));
  EXPECT_TRUE(PixelIs(page2, 31, 21, kColours[0][2]));
  EXPECT_TRUE(PixelIs(page2, 2, 3, kColours[0][0]));
}

TEST_F(DollRunTest, TheSheetShowsEachPageWithItsLabel) {
  EXPECT_TRUE(Contains(dollRun->output, "sheet   ")) << dollRun->output;
  EXPECT_TRUE(Contains(dollRun->output, "(3 pictures, ")) << dollRun->output;
  const Picture sheet = Load(out->Path() + "\\sheet.png");
  ASSERT_EQ(sheet.error, "");
  for (int page = 0; page < 3; ++page) {
    const Picture picture = Load(out->Path() + "\\one\\doll.set" + std::to_string(page) + ".png");
    int x = 0;
    int y = 0;
    ASSERT_TRUE(FindIn(sheet, picture, x, y)) << "page " << page << " is not on the sheet";
    // The label "...doll.cnf setN" is wider than the picture and centred under it.
    EXPECT_GT(DarkPixelsUnder(sheet, picture, x, y), 10) << "no label under page " << page;
  }
}

TEST_F(DollRunTest, APluginWithTheCnfPatternTakesTheFoldersConfigurationsOnly) {
  EXPECT_EQ(folderRun->exitCode, 1u) << folderRun->output;
  // Three pages of doll.cnf, three of more\second.set.cnf; the cels and the
  // palettes are not offered; the missing file fails once.
  EXPECT_TRUE(Contains(folderRun->output, "6 of 7 pages converted, 1 failed")) << folderRun->output;
  EXPECT_TRUE(Contains(folderRun->output, "failed  " + out->Path() + "\\nothere.cnf: file failed"))
      << folderRun->output;
  EXPECT_FALSE(Contains(folderRun->output, ".cel")) << folderRun->output;
  EXPECT_FALSE(Contains(folderRun->output, ".kcf")) << folderRun->output;
  EXPECT_TRUE(Contains(folderRun->output, "ok      more\\second.set.cnf set2 -> "))
      << folderRun->output;
  for (const char* stem : {"doll", "more\\second.set"})
    for (int page = 0; page < 3; ++page) {
      const std::string file = out->Path() + "\\all\\" + stem + ".set" + std::to_string(page);
      EXPECT_FALSE(Exists(file + ".png")) << file;
      const Picture written = Load(file + ".bmp");
      EXPECT_EQ(written.width, kWidth) << file;
      EXPECT_EQ(written.height, kHeight) << file;
    }
  EXPECT_FALSE(Exists(out->Path() + "\\all\\nothere.set0.bmp"));
}

// A plug-in without a page export shows page 0 alone, through GetPicture:
// tamsa.spi has none, so a cel stands in for the configuration.
TEST(DollFallbackRun, APluginWithoutPagesGivesPageZeroThroughGetPicture) {
  TempFolder files;
  const std::string cel = files.Write("square.cel", SolidCel(6, 4, 3, true));
  const ToolRun run = RunTool("--doll --plugin " + Quote(Backslashed(TAMSA_SPI_PATH)) + " -o " +
                              Quote(files.Path() + "\\out") + " " + Quote(cel));
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_TRUE(Contains(run.output, "ok      " + cel + " set0 -> ")) << run.output;
  EXPECT_TRUE(Contains(run.output, "1 of 1 pages converted, 0 failed")) << run.output;
  const Picture written = Load(files.Path() + "\\out\\square.set0.png");
  EXPECT_EQ(written.width, 6);
  EXPECT_EQ(written.height, 4);
  EXPECT_FALSE(Exists(files.Path() + "\\out\\square.set1.png"));
  EXPECT_FALSE(Exists(files.Path() + "\\out\\square.png"));
}

}  // namespace
