// spihost over archives as a user runs it: the pictures of a set held in an
// archive, byte for byte those that tamsa.spi and tamsadoll.spi give for an
// unpacked copy of the same set; damaged archives and members failing by
// name while the rest of the set still shows.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "archive_members.h"
#include "file_io.h"
#include "support/test_files.h"
#include "tool/tool_child.h"

namespace {

const std::string kSamples = Backslashed(SAMPLES_PATH);
const std::string kRealArchives = Backslashed(TAMSA_REALARCHIVES_PATH);

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Every PNG below folder by its path there, in lower case (unpacking tools
// and archives spell the same name differently; the system takes them as
// one), with its bytes.
void CollectPngs(const std::string& folder, const std::string& relative,
                 std::map<std::string, Bytes>* pngs) {
  WIN32_FIND_DATAA entry;
  const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = entry.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = folder + "\\" + name;
    const std::string below = relative.empty() ? name : relative + "\\" + name;
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CollectPngs(path, below, pngs);
    else if (Lower(name).size() > 4 && Lower(name).substr(Lower(name).size() - 4) == ".png")
      (*pngs)[Lower(below)] = ReadBytes(path);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
}

std::map<std::string, Bytes> PngsBelow(const std::string& folder) {
  std::map<std::string, Bytes> pngs;
  CollectPngs(folder, "", &pngs);
  return pngs;
}

// What spihost writes for the unpacked set in folder: its cels (through
// tamsa.spi) and every page of its configuration files (through
// tamsadoll.spi), each below out.
std::map<std::string, Bytes> UnpackedPictures(const std::string& folder, const std::string& out) {
  const ToolRun cels = RunTool("-r -o " + Quote(out + "\\cels") + " " + Quote(folder));
  const ToolRun dolls = RunTool("-r --doll -o " + Quote(out + "\\dolls") + " " + Quote(folder));
  EXPECT_EQ(cels.exitCode, 0u) << cels.output;
  EXPECT_EQ(dolls.exitCode, 0u) << dolls.output;
  std::map<std::string, Bytes> pictures = PngsBelow(out + "\\cels");
  for (auto& page : PngsBelow(out + "\\dolls")) pictures.insert(page);
  return pictures;
}

void ExpectSamePictures(const std::map<std::string, Bytes>& expected,
                        const std::map<std::string, Bytes>& actual) {
  for (const auto& picture : expected) {
    const auto found = actual.find(picture.first);
    if (found == actual.end()) {
      ADD_FAILURE() << "no " << picture.first << " from the archive";
    } else {
      EXPECT_TRUE(found->second == picture.second) << picture.first << " differs";
    }
  }
  for (const auto& picture : actual)
    EXPECT_TRUE(expected.count(picture.first) != 0) << "only the archive gives " << picture.first;
}

bool SpihostRuns() { return Exists(Backslashed(SPIHOST_EXE_PATH)); }

TEST(ArchiveRun, TheSampleArchivesGiveThePicturesOfTheUnpackedSample) {
  if (!SpihostRuns() || std::string(TAMSA_DOLL_PATH).empty()) GTEST_SKIP() << "no doll plug-in";
  TempFolder out;
  const std::map<std::string, Bytes> expected =
      UnpackedPictures(kSamples + "\\mira", out.Path() + "\\unpacked");
  EXPECT_EQ(expected.size(), 8u);  // seven cels and one page
  const ToolRun run =
      RunTool("-o " + Quote(out.Path() + "\\packed") + " " + Quote(kSamples + "\\archives"));
  EXPECT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_TRUE(Contains(run.output, "16 of 16 files converted, 0 failed")) << run.output;
  EXPECT_TRUE(Contains(run.output, "ok      mira.zip\\loose\\moon.cel -> ")) << run.output;
  EXPECT_TRUE(Contains(run.output, "skip    mira.lzh\\hair.kcf")) << run.output;
  for (const char* archive : {"mira.zip", "mira.lzh"}) {
    SCOPED_TRACE(archive);
    ExpectSamePictures(expected, PngsBelow(out.Path() + "\\packed\\" + archive));
  }
}

TEST(ArchiveRun, DamageFailsTheArchiveOrItsMemberByNameAndTheRestStillShows) {
  if (!SpihostRuns()) GTEST_SKIP();
  TempFolder out;
  Bytes lzh = ReadBytes(kSamples + "\\archives\\mira.lzh");
  // The stored body.cel's bytes no longer match their CRC-16 (its header's
  // name, after its length).
  const std::string name =
      "\x08"
      "body.cel";
  const auto at = std::search(lzh.begin(), lzh.end(), name.begin(), name.end());
  ASSERT_NE(at, lzh.end());
  lzh[static_cast<std::size_t>(at - lzh.begin()) + name.size() + 2 + 100] ^= 0xFF;
  const std::string crc = out.Write("crc.lzh", lzh);
  // Cut inside the fifth member's data: the four before it still show.
  const std::string cutLzh = out.Write("cut.lzh", Bytes(lzh.begin(), at + 300));
  Bytes zip = ReadBytes(kSamples + "\\archives\\mira.zip");
  zip.resize(zip.size() / 2);  // no central directory
  const std::string cut = out.Write("cut.zip", zip);
  const std::string text = out.Write("text.lha", std::string("not an archive"));

  const ToolRun run = RunTool("-o " + Quote(out.Path() + "\\pictures") + " " + Quote(crc) + " " +
                              Quote(cutLzh) + " " + Quote(cut) + " " + Quote(text));
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_TRUE(Contains(run.output, "failed  " + crc +
                                       "\\body.cel: the member's bytes do not match their "
                                       "stored check"))
      << run.output;
  EXPECT_TRUE(Contains(run.output, "ok      " + crc + "\\hair.cel -> ")) << run.output;
  EXPECT_TRUE(Contains(run.output, "failed  " + cut + ": cannot list the archive")) << run.output;
  EXPECT_TRUE(Contains(run.output, "ok      " + cutLzh + "\\mira.cnf set0")) << run.output;
  EXPECT_TRUE(Contains(run.output,
                       "failed  " + cutLzh + ": the archive is damaged after the members listed"))
      << run.output;
  EXPECT_TRUE(Contains(run.output, "failed  " + cutLzh + "\\body.cel: the archive is damaged"))
      << run.output;
  EXPECT_TRUE(Contains(run.output, "failed  " + text +
                                       ": cannot list the archive: not an "
                                       "archive of a known format"))
      << run.output;
  // The doll lacks its body, the rest of the set is there.
  EXPECT_TRUE(Exists(out.Path() + "\\pictures\\crc.lzh\\mira.set0.png")) << run.output;
  EXPECT_FALSE(Exists(out.Path() + "\\pictures\\crc.lzh\\body.png"));
}

// The real archives beside the project: each unpacked through the readers
// into a folder, which tamsa.spi and tamsadoll.spi then read as any folder.
TEST(ArchiveRun, EveryRealArchiveGivesThePicturesOfItsUnpackedCopy) {
  if (!SpihostRuns() || std::string(TAMSA_DOLL_PATH).empty()) GTEST_SKIP() << "no doll plug-in";
  if (!Exists(kRealArchives)) GTEST_SKIP() << "no real archives at " << kRealArchives;
  for (const char* archive :
       {"sk_kimux.lzh", "washua.lzh", "transparent.lzh", "watch.lzh", "Wallpaper.zip"}) {
    SCOPED_TRACE(archive);
    const std::string path = kRealArchives + "\\" + archive;
    TempFolder out;
    std::string failure;
    const std::unique_ptr<ArchiveSet> set = OpenSetArchive(path, failure);
    ASSERT_NE(set, nullptr) << failure;
    for (std::size_t i = 0; i < set->Members().size(); ++i) {
      std::shared_ptr<const std::vector<std::uint8_t>> bytes;
      if (set->Read(i, &bytes) != ArchiveStatus::kOk) continue;
      std::string error;
      ASSERT_TRUE(
          WriteWhole(out.Path() + "\\copy\\" + MemberText(set->Members()[i].path), *bytes, error))
          << error;
    }
    const std::map<std::string, Bytes> expected =
        UnpackedPictures(out.Path() + "\\copy", out.Path() + "\\unpacked");
    EXPECT_GT(expected.size(), 10u);
    const ToolRun run = RunTool("-o " + Quote(out.Path() + "\\packed") + " " + Quote(path));
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    ExpectSamePictures(expected, PngsBelow(out.Path() + "\\packed\\" + archive));
  }
}

TEST(ArchiveRun, TheDamagedRealArchiveFailsCleanly) {
  if (!SpihostRuns()) GTEST_SKIP();
  const std::string path = kRealArchives + "\\arwen.lzh";
  if (!Exists(path)) GTEST_SKIP() << "no " << path;
  TempFolder out;
  const ToolRun run = RunTool("-o " + Quote(out.Path()) + " " + Quote(path));
  EXPECT_EQ(run.exitCode, 1u) << run.output;
  EXPECT_TRUE(Contains(run.output, "failed  " + path + ": cannot list the archive")) << run.output;
  EXPECT_TRUE(Contains(run.output, "0 of 1 files converted, 1 failed")) << run.output;
}

}  // namespace
