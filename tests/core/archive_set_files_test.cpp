// The set over the real readers, against the same files in a folder: the
// sample set's archives against samples/mira, and the real archives beside
// the project (when present) against copies that Debian's own lha and unzip
// unpack, independent of the readers. Every cel member's palette answer and
// every page of every configuration member must be the folder's.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "archive/archive_set.h"
#include "archive/member_names.h"
#include "archive/single_byte_text.h"
#include "cel/colour_table.h"
#include "core/fake_folders.h"

namespace {

namespace fs = std::filesystem;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}
std::string Narrow(const std::wstring& text) {
  std::string narrow;
  for (wchar_t c : text) narrow.push_back(static_cast<char>(c));
  return narrow;
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The folder tree below root in memory, each folder listed as NTFS lists it
// (names by their upper-case characters), folders named as the set names
// them ("" at the top, parts joined by '\').
void LoadTree(const fs::path& root, const std::string& folder, FakeFolders* disk, int* files) {
  std::vector<fs::directory_entry> entries{fs::directory_iterator(root), fs::directory_iterator()};
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return Upper(a.path().filename().string()) < Upper(b.path().filename().string());
  });
  for (const fs::directory_entry& entry : entries) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory()) {
      LoadTree(entry.path(), folder.empty() ? name : folder + "\\" + name, disk, files);
    } else {
      disk->Write(folder, name, ReadWhole(entry.path()));
      ++*files;
    }
  }
}

std::unique_ptr<ArchiveSet> OpenFile(const fs::path& path) {
  auto bytes = std::make_shared<std::string>(ReadWhole(path));
  // The source keeps the bytes it reads.
  class HeldString : public MemorySource {
   public:
    explicit HeldString(std::shared_ptr<std::string> bytes)
        : MemorySource(
              ByteView{reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()}),
          bytes_(std::move(bytes)) {}

   private:
    std::shared_ptr<std::string> bytes_;
  };
  ArchiveStatus status = ArchiveStatus::kOk;
  auto set = OpenArchiveSet(std::make_shared<HeldString>(bytes), std::make_shared<SingleByteText>(),
                            ArchiveLimits(), &status);
  EXPECT_NE(set, nullptr) << path << ": status " << static_cast<int>(status);
  return set;
}

class DiskFiles : public DollFiles {
 public:
  DiskFiles(FakeFolders& disk, std::string folder) : disk_(disk), folder_(std::move(folder)) {}
  bool Read(const std::string& name, std::vector<std::uint8_t>* bytes) override {
    std::vector<ListedFile<char>> entries;
    disk_.List(folder_, &entries);
    for (const ListedFile<char>& entry : entries) {
      if (Upper(entry.name) == Upper(name))
        return disk_.Read(folder_ + "\\" + entry.name, 0, bytes);
    }
    return false;
  }

 private:
  FakeFolders& disk_;
  std::string folder_;
};

bool EndsWith(const std::wstring& name, const char* extension) {
  return EndsWithNoCase(name.data(), name.size(), extension);
}

// Every cel member's palette answer and every page are the folder's; the
// counts of both come back.
void ExpectFolderAnswers(const ArchiveSet& set, FakeFolders& disk, int* cels, int* pages) {
  for (std::size_t i = 0; i < set.Members().size(); ++i) {
    const SetMember& member = set.Members()[i];
    if (member.problem != ArchiveStatus::kOk) continue;
    SCOPED_TRACE(Narrow(member.path));
    const std::string folder = Narrow(member.folder);
    if (EndsWith(member.name, ".cel")) {
      ++*cels;
      const PaletteSearchResult<char> expected =
          FindPaletteInFolder<char>(disk, folder, Narrow(member.name), {32767, 32767});
      const PaletteSearchResult<wchar_t> answer = set.FindPalette(i, kPaletteReadLength);
      ASSERT_EQ(answer.found, expected.found);
      if (!expected.found) continue;
      // The unpacking tool may spell a name in another case; the system takes both as one.
      EXPECT_EQ(Upper(Narrow(answer.path)), Upper(expected.path));
      std::vector<std::uint8_t> bytes;
      ASSERT_TRUE(disk.Read(expected.path, kPaletteReadLength, &bytes));
      EXPECT_EQ(answer.bytes, bytes);
    } else if (EndsWith(member.name, ".cnf")) {
      std::shared_ptr<const std::vector<std::uint8_t>> text;
      ASSERT_EQ(set.Read(i, &text), ArchiveStatus::kOk);
      const DollConfig config = ReadDollConfig(ByteView{text->data(), text->size()});
      if (!DollSizeServed(config)) continue;
      const PicturePlan plan = DollPicturePlan(config);
      const std::unique_ptr<DollFiles> fromSet = set.FilesBeside(i);
      DiskFiles fromDisk(disk, folder);
      for (int page = 0; page < DollPageCount(config); ++page, ++*pages) {
        std::vector<std::uint8_t> expected(plan.pixelBytes), composed(plan.pixelBytes, 0xAA);
        ComposeDoll(config, page, fromDisk, expected.data());
        ComposeDoll(config, page, *fromSet, composed.data());
        EXPECT_TRUE(composed == expected) << "page " << page;
      }
    }
  }
}

TEST(ArchiveSetFiles, TheSampleArchivesAnswerAsTheSampleFolder) {
  FakeFolders disk;
  int files = 0;
  LoadTree(fs::path(TAMSA_SAMPLES_PATH) / "mira", "", &disk, &files);
  ASSERT_EQ(files, 11);
  for (const char* archive : {"mira.zip", "mira.lzh"}) {
    SCOPED_TRACE(archive);
    const auto set = OpenFile(fs::path(TAMSA_SAMPLES_PATH) / "archives" / archive);
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->Members().size(), 11u);
    int cels = 0, pages = 0;
    ExpectFolderAnswers(*set, disk, &cels, &pages);
    EXPECT_EQ(cels, 7);
    EXPECT_EQ(pages, 1);
  }
}

TEST(ArchiveSetFiles, EveryRealArchiveAnswersAsItsCopyUnpackedByDebiansTools) {
#ifdef _WIN32
  GTEST_SKIP() << "unpacked by Debian's lha and unzip: native trees only";
#else
  const fs::path archives = TAMSA_REALARCHIVES_PATH;
  if (!fs::exists(archives)) GTEST_SKIP() << "no real archives at " << archives;
  if (std::system("command -v lha >/dev/null && command -v unzip >/dev/null") != 0)
    GTEST_SKIP() << "lha or unzip is not installed (scripts/setup.sh installs them)";
  int compared = 0;
  for (const char* name :
       {"sk_kimux.lzh", "washua.lzh", "transparent.lzh", "watch.lzh", "Wallpaper.zip"}) {
    SCOPED_TRACE(name);
    const fs::path archive = archives / name;
    const fs::path copy = fs::temp_directory_path() / ("tamsa-unpacked-" + std::string(name));
    fs::remove_all(copy);
    fs::create_directories(copy);
    const std::string tool =
        EndsWithNoCase(name, std::strlen(name), ".zip") ? "unzip -qq" : "lha xqf";
    ASSERT_EQ(
        std::system(
            ("cd '" + copy.string() + "' && " + tool + " '" + archive.string() + "'").c_str()),
        0);
    FakeFolders disk;
    int files = 0;
    LoadTree(copy, "", &disk, &files);
    fs::remove_all(copy);
    const auto set = OpenFile(archive);
    ASSERT_NE(set, nullptr);
    // lha leaves out members it takes for folders (watch.lzh stores its
    // configuration files with the folder method -lhd-, data and all):
    // such a copy is not the set, and is not compared.
    int readable = 0;
    for (const SetMember& member : set->Members()) readable += member.problem == ArchiveStatus::kOk;
    if (files != readable) {
      std::printf("[ note     ] %s: the unpacked copy has %d files, the set %d members\n", name,
                  files, readable);
      continue;
    }
    int cels = 0, pages = 0;
    ExpectFolderAnswers(*set, disk, &cels, &pages);
    EXPECT_GT(cels, 10);
    EXPECT_GT(pages, 0);
    ++compared;
  }
  EXPECT_GE(compared, 4);
#endif
}

TEST(ArchiveSetThreads, CallsAtOnceOverTheSampleArchivesGiveTheAnswersOfOneThread) {
  std::vector<std::unique_ptr<ArchiveSet>> sets;
  for (const char* archive : {"mira.zip", "mira.lzh"})
    sets.push_back(OpenFile(fs::path(TAMSA_SAMPLES_PATH) / "archives" / archive));
  ASSERT_TRUE(sets[0] != nullptr && sets[1] != nullptr);
  struct Answer {
    PaletteSearchResult<wchar_t> palette;
    std::vector<std::uint8_t> bytes;
  };
  auto answers = [](const ArchiveSet& set) {
    std::vector<Answer> all;
    for (std::size_t i = 0; i < set.Members().size(); ++i) {
      Answer answer;
      std::shared_ptr<const std::vector<std::uint8_t>> bytes;
      if (set.Read(i, &bytes) == ArchiveStatus::kOk) answer.bytes = *bytes;
      answer.palette = set.FindPalette(i, kPaletteReadLength);
      all.push_back(std::move(answer));
    }
    return all;
  };
  // From fresh sets of their own, one thread.
  const std::vector<Answer> expected =
      answers(*OpenFile(fs::path(TAMSA_SAMPLES_PATH) / "archives" / "mira.zip"));
  std::vector<std::vector<Answer>> got(6);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < got.size(); ++t)
    threads.emplace_back([&, t] { got[t] = answers(*sets[t % 2]); });
  for (std::thread& thread : threads) thread.join();
  for (const std::vector<Answer>& one : got) {
    ASSERT_EQ(one.size(), expected.size());
    for (std::size_t i = 0; i < one.size(); ++i) {
      EXPECT_EQ(one[i].bytes, expected[i].bytes);
      EXPECT_EQ(one[i].palette.found, expected[i].palette.found);
      EXPECT_EQ(one[i].palette.path, expected[i].palette.path);
      EXPECT_EQ(one[i].palette.bytes, expected[i].palette.bytes);
    }
  }
}

}  // namespace
