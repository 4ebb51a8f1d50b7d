// spihost run as a user runs it: a child process over the sample set and over
// files that fail, its pictures read back and compared pixel by pixel with
// what GetPicture returns to this process. Every run of the tool is a process
// start, which is slow under Wine, so the runs are few and shared.
#include <gtest/gtest.h>
#include <stb_image.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "host/plugin_host.h"
#include "support/settings_registry.h"
#include "support/test_files.h"
#include "tool/tool_child.h"

namespace {

const std::string kSamples = Backslashed(SAMPLES_PATH) + "\\mira";

// GetPicture called here, its bitmap read directly.
Picture Decode(const PluginHost& host, const std::string& path, bool memory) {
  HLOCAL info = nullptr;
  HLOCAL pixels = nullptr;
  const Bytes bytes = memory ? ReadBytes(path) : Bytes();
  const int code =
      memory ? host.getPicture(reinterpret_cast<LPCSTR>(bytes.data()),
                               static_cast<LONG_PTR>(bytes.size()), 1, &info, &pixels, nullptr, 0)
             : host.getPicture(path.c_str(), 0, 0, &info, &pixels, nullptr, 0);
  if (code != 0) {
    Picture failed;
    failed.error = "GetPicture returned " + std::to_string(code);
    return failed;
  }
  return FromBlocks(info, pixels);
}

// The cels of the sample set, by their place below the set's folder.
const char* const kSampleCels[] = {"body", "bow",           "dress",      "hair",
                                   "hat",  "loose\\flower", "loose\\moon"};

class ToolRunTest : public ::testing::Test {
 protected:
  // The two long runs that several tests look at: the sample set by file
  // name with a contact sheet, and a mixed batch handed over in memory.
  static void SetUpTestSuite() {
    host = new PluginHost;
    out = new TempFolder;
    fileRun = new ToolRun(RunTool("-r -o " + Quote(out->Path() + "\\file") + " --sheet " +
                                  Quote(out->Path() + "\\sheet.png") + " " + Quote(kSamples)));
    out->Write("notes.txt", std::string("not a picture"));
    // Supported by its name, but a depth of 16 bits that GetPicture does not serve.
    out->Write("odd.cel", HeadedCel(0x20, 16, 2, 2, Bytes(16, 0)));
    std::string batch;
    for (const std::string& file : MixedBatch()) batch += " " + Quote(file);
    mixedRun = new ToolRun(RunTool("--memory --bmp -o " + Quote(out->Path() + "\\mixed") + batch));
  }
  static void TearDownTestSuite() {
    delete mixedRun;
    delete fileRun;
    delete out;
    delete host;
  }
  void SetUp() override {
    ASSERT_NE(host->module, nullptr) << "cannot load " << TAMSA_SPI_PATH;
    ASSERT_NE(host->getPicture, nullptr);
  }
  static std::string Cel(const std::string& stem) { return kSamples + "\\" + stem + ".cel"; }
  // Three cels that convert, a missing file, a text file and a cel of an
  // unserved depth, in this order.
  static std::vector<std::string> MixedBatch() {
    return {Cel("hat"),
            out->Path() + "\\nothere.cel",
            out->Path() + "\\notes.txt",
            out->Path() + "\\odd.cel",
            Cel("loose\\flower"),
            Cel("loose\\moon")};
  }

  static PluginHost* host;
  static TempFolder* out;
  static ToolRun* fileRun;
  static ToolRun* mixedRun;
};
PluginHost* ToolRunTest::host = nullptr;
TempFolder* ToolRunTest::out = nullptr;
ToolRun* ToolRunTest::fileRun = nullptr;
ToolRun* ToolRunTest::mixedRun = nullptr;

// The stems of the mixed batch's cels that convert: a 32-bit cel and two loose
// cels, none of which takes its colours from a palette file.
const char* const kMixedGood[] = {"hat", "flower", "moon"};

TEST_F(ToolRunTest, ConvertsTheSampleSetByFileNameAsGetPictureReturnsIt) {
  EXPECT_EQ(fileRun->exitCode, 0u) << fileRun->output;
  EXPECT_TRUE(Contains(fileRun->output, "7 of 7 files converted, 0 failed")) << fileRun->output;
  for (const char* stem : kSampleCels) {
    EXPECT_TRUE(Contains(fileRun->output, std::string("ok      ") + stem + ".cel -> ")) << stem;
    EXPECT_TRUE(SamePicture(Decode(*host, Cel(stem), false),
                            Load(out->Path() + "\\file\\" + stem + ".png")))
        << stem;
  }
}

TEST_F(ToolRunTest, MixedBatchConvertsWhatItCanAndReportsEachFailure) {
  const std::vector<std::string> batch = MixedBatch();
  EXPECT_EQ(mixedRun->exitCode, 1u) << mixedRun->output;
  EXPECT_TRUE(Contains(mixedRun->output, "failed  " + batch[1] + ": file failed to open"))
      << mixedRun->output;
  EXPECT_TRUE(Contains(mixedRun->output, "failed  " + batch[2] + ": not supported"))
      << mixedRun->output;
  EXPECT_TRUE(
      Contains(mixedRun->output, "failed  " + batch[3] + ": not served (GetPicture returned -1)"))
      << mixedRun->output;
  EXPECT_TRUE(Contains(mixedRun->output, "3 of 6 files converted, 3 failed")) << mixedRun->output;
  for (const char* stem : {"nothere", "notes", "odd"})
    EXPECT_FALSE(Exists(out->Path() + "\\mixed\\" + stem + ".bmp")) << stem;
}

TEST_F(ToolRunTest, MemoryInputGivesWhatGetPictureReturnsForTheBytes) {
  const std::vector<std::string> batch = MixedBatch();
  const std::string sources[] = {batch[0], batch[4], batch[5]};
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(SamePicture(Decode(*host, sources[i], true),
                            Load(out->Path() + "\\mixed\\" + kMixedGood[i] + ".bmp")))
        << kMixedGood[i];
}

// Cels whose colours come from no palette file look the same whether the
// plug-in gets the name or the bytes. (A paletted cel of a set gets its
// palette only by name: from memory there is no folder to search.)
TEST_F(ToolRunTest, BothInputModesGiveTheSamePictureWhereNoPaletteFileIsRead) {
  const char* const byName[] = {"hat", "loose\\flower", "loose\\moon"};
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(SamePicture(Load(out->Path() + "\\file\\" + byName[i] + ".png"),
                            Load(out->Path() + "\\mixed\\" + kMixedGood[i] + ".bmp")))
        << byName[i];
}

TEST_F(ToolRunTest, ContactSheetHoldsEveryPictureWithALabelUnderIt) {
  EXPECT_TRUE(Contains(fileRun->output, "sheet   ")) << fileRun->output;
  const Picture sheet = Load(out->Path() + "\\sheet.png");
  ASSERT_EQ(sheet.error, "");
  for (const char* stem : kSampleCels) {
    const Picture picture = Decode(*host, Cel(stem), false);
    ASSERT_EQ(picture.error, "") << stem;
    int x = 0;
    int y = 0;
    ASSERT_TRUE(FindIn(sheet, picture, x, y)) << stem << " is not on the sheet";
    EXPECT_GT(DarkPixelsUnder(sheet, picture, x, y), 10) << "no label under " << stem;
  }
}

TEST_F(ToolRunTest, MissingAndUnsupportedFilesFailTheRun) {
  // --info shows the plug-in's strings and each picture's information, writes
  // nothing, and still fails the run for a file that is missing.
  const std::string missing = out->Path() + "\\absent\\nothere.cel";
  ToolRun run = RunTool("--info -o " + Quote(out->Path() + "\\info") + " " + Quote(missing) + " " +
                        Quote(Cel("hat")));
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_TRUE(Contains(run.output, "failed  " + missing + ": file failed to open")) << run.output;
  EXPECT_TRUE(Contains(run.output, "version      00IN")) << run.output;
  EXPECT_TRUE(Contains(run.output, "format       *.cel  (Kiss Cel file)")) << run.output;
  EXPECT_TRUE(Contains(
      run.output,
      "info    " + Cel("hat") + ": 124 x 58, 32 bits per pixel, left 0, top 0, density 0 x 0"))
      << run.output;
  EXPECT_TRUE(Contains(run.output, "1 of 2 files probed, 1 failed")) << run.output;
  EXPECT_FALSE(Exists(out->Path() + "\\info"));

  TempFolder files;
  const std::string notes = files.Write("notes.txt", std::string("not a picture"));
  run = RunTool("--plugin " + Quote(Backslashed(TAMSA_SPI_PATH)) + " -o " + Quote(files.Path()) +
                " " + Quote(notes));
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_TRUE(Contains(run.output, "failed  " + notes + ": not supported")) << run.output;
  EXPECT_FALSE(Exists(files.Path() + "\\notes.png"));
}

TEST_F(ToolRunTest, DisplaySettingsHoldForTheRunAndAreRestoredAfterIt) {
  // The values as they were are put back when the guard goes.
  const SettingsKeyGuard guard;
  // A known starting point: one value stored, one absent, one of another type.
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 0));
  const BYTE five[] = {5, 0};
  ASSERT_TRUE(SettingsKeyGuard::Set(kGridSizeXName, REG_BINARY, five, sizeof five));

  TempFolder files;
  const std::string hat = Cel("hat");
  const ToolRun run = RunTool("--alpha-type 1 --color-light 0x0000FF --grid-x 3 -o " +
                              Quote(files.Path()) + " " + Quote(hat));
  EXPECT_EQ(run.exitCode, 0u) << run.output;

  DWORD type = 0;
  EXPECT_EQ(SettingsKeyGuard::Get(kAlphaTypeName, &type), (std::vector<BYTE>{0, 0, 0, 0}));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_TRUE(SettingsKeyGuard::Get(kColorLightName, &type).empty());
  EXPECT_EQ(SettingsKeyGuard::Get(kGridSizeXName, &type), (std::vector<BYTE>{5, 0}));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));

  // The picture was made with transparency ignored, which shows: the blended one differs.
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 1));
  const Picture unblended = Decode(*host, hat, false);
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 0));
  const Picture blended = Decode(*host, hat, false);
  const Picture written = Load(files.Path() + "\\hat.png");
  EXPECT_TRUE(SamePicture(unblended, written));
  EXPECT_FALSE(SamePicture(blended, written));

  // Pattern settings alone, with no AlphaType stored: AlphaType 0 is stored
  // for the run too, so they show; afterwards it is gone again.
  SettingsKeyGuard::Remove(kAlphaTypeName);
  const ToolRun pattern = RunTool("--grid-x 3 --grid-y 2 --color-dark 0x804020 -o " +
                                  Quote(files.Path() + "\\pattern") + " " + Quote(hat));
  EXPECT_EQ(pattern.exitCode, 0u) << pattern.output;
  EXPECT_TRUE(Contains(pattern.output, "note    AlphaType is not stored")) << pattern.output;
  EXPECT_TRUE(SettingsKeyGuard::Get(kAlphaTypeName, &type).empty());
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kAlphaTypeName, 0));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeXName, 3));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kGridSizeYName, 2));
  ASSERT_TRUE(SettingsKeyGuard::SetDword(kColorDarkName, 0x804020));
  const Picture patterned = Decode(*host, hat, false);
  EXPECT_TRUE(SamePicture(patterned, Load(files.Path() + "\\pattern\\hat.png")));
  EXPECT_FALSE(SamePicture(blended, patterned));
}

}  // namespace
