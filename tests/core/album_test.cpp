// A set as an album: which members become which files, in which order, each
// file's size known at listing and met by the file made; cels in the colours
// their configuration assigns, pages as the composer draws them from an
// unpacked copy, pictures as they are.
#include "album/album.h"

#include <gtest/gtest.h>

#include <map>

#include "archive/single_byte_text.h"
#include "support/fake_archive.h"
#include "support/kiss_files.h"

namespace {

using kiss::Bytes;

Bytes Text(const std::string& text) { return {text.begin(), text.end()}; }

std::unique_ptr<ArchiveSet> OpenFake(const std::vector<FakeEntry>& entries) {
  ArchiveStatus status = ArchiveStatus::kBroken;
  auto set =
      OpenArchiveSetWith(&OpenFakeArchive, std::make_shared<OwnedSource>(FakeArchive(entries)),
                         std::make_shared<SingleByteText>(), ArchiveLimits{}, &status);
  EXPECT_EQ(status, ArchiveStatus::kOk);
  return set;
}

std::uint32_t U32(const Bytes& bytes, std::size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
         (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

// The files of an unpacked copy, for the composer.
class UnpackedFiles : public DollFiles {
 public:
  explicit UnpackedFiles(std::map<std::string, Bytes> files) : files_(std::move(files)) {}
  bool Read(const std::string& name, std::vector<std::uint8_t>* bytes) override {
    const auto it = files_.find(name);
    if (it == files_.end()) return false;
    *bytes = it->second;
    return true;
  }

 private:
  std::map<std::string, Bytes> files_;
};

const Bytes kBodyCel =
    kiss::HeadedCel(kiss::kPalettedCelMark, 4, 3, 2, kiss::FourBitRows({1, 2, 3, 3, 2, 1}, 3));
const Bytes kHatCel =
    kiss::HeadedCel(kiss::kAlphaCelMark, 32, 1, 1, kiss::AlphaRows({10, 20, 30, 255}));
const Bytes kPalette =
    kiss::PaletteFile(12, 16, 1, kiss::Entries12({{0, 0, 0}, {15, 0, 0}, {0, 15, 0}, {0, 0, 15}}));
const std::string kConfig = "(8,4)\r\n%mira.kcf\r\n#0 body.cel *0 :0 1\r\n$0 2,1\r\n$0 0,0\r\n";
const Bytes kPng = {0x89, 'P', 'N', 'G', 1, 2, 3};

std::vector<FakeEntry> MiraEntries() {
  return {
      {"body.cel", kBodyCel},
      {"mira.kcf", kPalette},
      {"readme.txt", Text("not a picture")},
      {"cels/hat.cel", kHatCel},
      {"odd.cel", kiss::HeadedCel(kiss::kPalettedCelMark, 7, 1, 1)},  // no depth served
      {"locked.cel", kBodyCel, FakeEntry::kEncrypted},
      {"mira.cnf", Text(kConfig)},
      {"logo.PNG", kPng},
  };
}

TEST(Album, ListsPagesThenCelsThenPicturesWithExactSizes) {
  const auto set = OpenFake(MiraEntries());
  ASSERT_NE(set, nullptr);
  struct Expected {
    AlbumKind kind;
    std::wstring folder, name;
    std::uint64_t size;
  };
  // A page: 14 + 40 + 4 rows of 24 bytes; body: 14 + 40 + 64 colours + 2
  // rows of 4; the hat: 14 + 40 + one 4-byte row.
  const std::vector<Expected> expected = {
      {AlbumKind::kPage, L"", L"!mira.set0.bmp", 14 + 40 + 4 * 24},
      {AlbumKind::kPage, L"", L"!mira.set1.bmp", 14 + 40 + 4 * 24},
      {AlbumKind::kCel, L"", L"body.bmp", 14 + 40 + 64 + 2 * 4},
      {AlbumKind::kCel, L"cels\\", L"hat.bmp", 14 + 40 + 4},
      {AlbumKind::kPicture, L"", L"logo.PNG", kPng.size()},
  };
  const std::vector<AlbumEntry> entries = ListAlbum(*set, -1);
  ASSERT_EQ(entries.size(), expected.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(entries[i].kind, expected[i].kind);
    EXPECT_EQ(entries[i].folder, expected[i].folder);
    EXPECT_EQ(entries[i].name, expected[i].name);
    EXPECT_EQ(entries[i].size, expected[i].size);
    EXPECT_FALSE(entries[i].method.empty());
    std::vector<std::uint8_t> file;
    ASSERT_EQ(MakeAlbumFile(*set, entries[i], PluginSettings{}, &file), AlbumResult::kOk);
    EXPECT_EQ(file.size(), entries[i].size);
    if (entries[i].kind == AlbumKind::kPicture) {
      EXPECT_EQ(file, kPng);
    } else {
      EXPECT_EQ(file[0], 'B');
      EXPECT_EQ(file[1], 'M');
      EXPECT_EQ(U32(file, 2), file.size());
      EXPECT_EQ(U32(file, 10), file.size() - U32(file, 14 + 20));  // rows after the table
    }
  }
}

TEST(Album, CelTakesItsConfigurationsPaletteAndPageEqualsTheUnpackedComposition) {
  const auto set = OpenFake(MiraEntries());
  ASSERT_NE(set, nullptr);
  const std::vector<AlbumEntry> entries = ListAlbum(*set, -1);
  ASSERT_GE(entries.size(), 3u);

  std::vector<std::uint8_t> body;
  ASSERT_EQ(MakeAlbumFile(*set, entries[2], PluginSettings{}, &body), AlbumResult::kOk);
  // Entry 1 is pure red in mira.kcf: blue, green, red, 0.
  const std::size_t table = 14 + 40;
  EXPECT_EQ(Bytes(body.begin() + table + 4, body.begin() + table + 8), (Bytes{0, 0, 255, 0}));
  EXPECT_EQ(Bytes(body.begin() + table + 12, body.begin() + table + 16), (Bytes{255, 0, 0, 0}));
  // The rows bottom-up: the cel's second row (3 2 1) first.
  EXPECT_EQ(Bytes(body.begin() + table + 64, body.end()),
            (Bytes{0x32, 0x10, 0, 0, 0x12, 0x30, 0, 0}));

  UnpackedFiles unpacked({{"body.cel", kBodyCel}, {"mira.kcf", kPalette}});
  const DollConfig config = ReadDollConfig(
      ByteView{reinterpret_cast<const std::uint8_t*>(kConfig.data()), kConfig.size()});
  for (int page = 0; page < 2; ++page) {
    SCOPED_TRACE(page);
    std::vector<std::uint8_t> file;
    ASSERT_EQ(MakeAlbumFile(*set, entries[page], PluginSettings{}, &file), AlbumResult::kOk);
    const PicturePlan plan = DollPicturePlan(config);
    Bytes rows(static_cast<std::size_t>(plan.pixelBytes));
    ComposeDoll(config, page, unpacked, rows.data());
    EXPECT_EQ(Bytes(file.begin() + 14 + 40, file.end()), rows);
  }
}

TEST(Album, ASetOpenedThroughOneConfigurationShowsOnlyItsPages) {
  std::vector<FakeEntry> entries = MiraEntries();
  entries.push_back({"other.cnf", Text("(4,4)\n#0 body.cel\n")});
  const auto set = OpenFake(entries);
  ASSERT_NE(set, nullptr);
  const std::ptrdiff_t other = set->Find(L"other.cnf");
  ASSERT_GE(other, 0);
  std::vector<std::wstring> pages;
  for (const AlbumEntry& entry : ListAlbum(*set, other))
    if (entry.kind == AlbumKind::kPage) pages.push_back(entry.name);
  EXPECT_EQ(pages, std::vector<std::wstring>{L"!other.set0.bmp"});
  EXPECT_EQ(ListAlbum(*set, -1).size(), 6u);  // both configurations' pages
}

// A file system takes names in any case for one file, so every listed path
// is distinct so compared: the plain name where it is free, else the
// member's whole name, else a counter; pictures keep their own.
TEST(Album, EveryListedPathIsDistinctWithoutRegardToCase) {
  const Bytes cel = kBodyCel;
  const Bytes page = Text("(8,4)\r\n#0 x.cel *0 :0 1\r\n$0 0,0\r\n$0 0,0\r\n");
  struct Case {
    const char* what;
    std::vector<FakeEntry> members;
    std::vector<std::wstring> paths;  // in the album's order
  };
  const std::vector<Case> cases = {
      {"no clash", {{"x.cel", cel}, {"y.bmp", kPng}}, {L"x.bmp", L"y.bmp"}},
      {"a picture has the cel's name", {{"x.cel", cel}, {"x.bmp", kPng}}, {L"x.cel.bmp", L"x.bmp"}},
      {"in another case, folders too",
       {{"Cels/x.cel", cel}, {"cels/X.BMP", kPng}},
       {L"Cels\\x.cel.bmp", L"cels\\X.BMP"}},
      {"the whole name taken as well: a counter",
       {{"x.cel", cel}, {"x.bmp", kPng}, {"X.CEL.BMP", kPng}},
       {L"x.cel.2.bmp", L"x.bmp", L"X.CEL.BMP"}},
      {"a cel whose plain name is another's whole name",
       {{"x.cel", cel}, {"x.cel.cel", cel}, {"x.bmp", kPng}},
       {L"x.cel.bmp", L"x.cel.cel.bmp", L"x.bmp"}},
      {"the same cel name in another case is one member",
       {{"x.cel", cel}, {"X.CEL", cel}},
       {L"x.bmp"}},
      {"the same name in other folders is no clash",
       {{"x.cel", cel}, {"a/x.cel", cel}, {"a/b/x.bmp", kPng}},
       {L"x.bmp", L"a\\x.bmp", L"a\\b\\x.bmp"}},
      {"pages against cels and pictures",
       {{"mira.cnf", page}, {"x.cel", cel}, {"!MIRA.set0.cel", cel}, {"!mira.SET1.bmp", kPng}},
       {L"!mira.set0.bmp", L"!mira.cnf.set1.bmp", L"x.bmp", L"!MIRA.set0.cel.bmp",
        L"!mira.SET1.bmp"}},
      {"a page's whole name taken too",
       {{"mira.cnf", page}, {"x.cel", cel}, {"!mira.set0.bmp", kPng}, {"!mira.cnf.set0.bmp", kPng}},
       {L"!mira.cnf.set0.2.bmp", L"!mira.set1.bmp", L"x.bmp", L"!mira.set0.bmp",
        L"!mira.cnf.set0.bmp"}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    const auto set = OpenFake(test.members);
    ASSERT_NE(set, nullptr);
    std::vector<std::wstring> paths;
    for (const AlbumEntry& entry : ListAlbum(*set, -1)) paths.push_back(entry.folder + entry.name);
    EXPECT_EQ(paths, test.paths);
  }
}

TEST(Album, AnEntryThatNoLongerFitsItsMemberIsRefused) {
  const auto set = OpenFake(MiraEntries());
  ASSERT_NE(set, nullptr);
  std::vector<AlbumEntry> entries = ListAlbum(*set, -1);
  std::vector<std::uint8_t> file;
  for (AlbumEntry entry : entries) {
    entry.size += 1;  // a listing that does not belong to this set
    EXPECT_EQ(MakeAlbumFile(*set, entry, PluginSettings{}, &file), AlbumResult::kBroken);
  }
  AlbumEntry beyond = entries[0];
  beyond.member = set->Members().size();
  EXPECT_EQ(MakeAlbumFile(*set, beyond, PluginSettings{}, &file), AlbumResult::kBroken);
}

}  // namespace
