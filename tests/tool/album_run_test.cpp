// spihost through an archive plug-in, run as a child process: the sample
// set's archive through tamsaset lists its pages and cels, and each is
// written as the picture tamsadoll and tamsa give of the unpacked set.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/test_files.h"
#include "tool/tool_child.h"
#include "tools/plugin_module/plugin_module.h"

namespace {

const std::string kAlbumPath = TAMSASET_SPI_PATH;
const std::string kSamples = SAMPLES_PATH;

TEST(AlbumRun, TheSampleArchiveIsWrittenAsItsPagesAndCels) {
  if (!Exists(kAlbumPath)) GTEST_SKIP() << "tamsaset is not built: " << kAlbumPath;
  const TempFolder out;
  const std::string archive = Backslashed(kSamples + "/archives/mira.zip");
  const ToolRun run = RunTool("--plugin " + Quote(Backslashed(kAlbumPath)) + " -o " +
                              Quote(out.Path()) + " " + Quote(archive));
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_TRUE(Contains(run.output, "8 of 8 files converted, 0 failed")) << run.output;

  PluginModule doll(TAMSA_DOLL_PATH);
  PluginModule tamsa(TAMSA_SPI_PATH);
  ASSERT_NE(doll.getDollPage, nullptr);
  ASSERT_NE(tamsa.getPicture, nullptr);
  HLOCAL info = nullptr, pixels = nullptr;
  const std::string set = Backslashed(kSamples + "/mira");
  ASSERT_EQ(doll.getDollPage((set + "\\mira.cnf").c_str(), 0, &info, &pixels), 0);
  EXPECT_TRUE(
      SamePicture(FromBlocks(info, pixels), Load(out.Path() + "\\mira.zip\\!mira.set0.png")));
  for (const char* cel : {"body", "dress", "bow", "hair", "hat", "loose\\flower", "loose\\moon"}) {
    SCOPED_TRACE(cel);
    ASSERT_EQ(
        tamsa.getPicture((set + "\\" + cel + ".cel").c_str(), 0, 0, &info, &pixels, nullptr, 0), 0);
    EXPECT_TRUE(
        SamePicture(FromBlocks(info, pixels), Load(out.Path() + "\\mira.zip\\" + cel + ".png")));
  }
}

TEST(AlbumRun, AnArchiveThePluginRefusesFailsByName) {
  if (!Exists(kAlbumPath)) GTEST_SKIP() << "tamsaset is not built: " << kAlbumPath;
  const TempFolder out;
  const std::string broken = out.Write("broken.zip", std::string("PK\x03\x04 and nothing more"));
  const ToolRun run = RunTool("--plugin " + Quote(Backslashed(kAlbumPath)) + " -o " +
                              Quote(out.Path() + "\\out") + " " + Quote(broken));
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_TRUE(Contains(run.output, "failed  " + broken + ": ")) << run.output;
}

}  // namespace
