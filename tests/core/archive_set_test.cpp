// A KiSS set held in an archive: member names and their problems, nested
// archives, the limits, and the two searches giving the answers of an
// unpacked copy (the same files in an in-memory folder).
#include "archive/archive_set.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "archive/member_names.h"
#include "archive/single_byte_text.h"
#include "cel/colour_table.h"
#include "core/fake_folders.h"
#include "support/fake_archive.h"
#include "support/kiss_files.h"

namespace {

using kiss::Bytes;

std::vector<std::uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

std::unique_ptr<ArchiveSet> OpenFake(const std::vector<FakeEntry>& entries,
                                     const ArchiveLimits& limits = {},
                                     std::shared_ptr<const SetText> text = nullptr) {
  ArchiveStatus status = ArchiveStatus::kBroken;
  auto set =
      OpenArchiveSetWith(&OpenFakeArchive, std::make_shared<OwnedSource>(FakeArchive(entries)),
                         text ? text : std::make_shared<SingleByteText>(), limits, &status);
  EXPECT_EQ(status, ArchiveStatus::kOk);
  return set;
}

// A code page in which the bytes 0x80 to 0x9F stand for nothing.
class NarrowCodePage : public SingleByteText {
 public:
  bool WidenName(const std::string& name, std::wstring* text) const override {
    for (char c : name) {
      const auto b = static_cast<unsigned char>(c);
      if (b >= 0x80 && b <= 0x9F) return false;
    }
    return SingleByteText::WidenName(name, text);
  }
};

TEST(ArchiveSetNames, EachStoredNameGivesItsPathOrItsProblem) {
  struct Case {
    std::string stored;
    std::uint8_t flags;
    std::wstring path;  // expected, when the member is usable
    ArchiveStatus problem;
  };
  const std::vector<Case> cases = {
      {"body.cel", 0, L"body.cel", ArchiveStatus::kOk},
      {"sub/dir/a.cel", 0, L"sub\\dir\\a.cel", ArchiveStatus::kOk},
      {"sub\\b.cel", 0, L"sub\\b.cel", ArchiveStatus::kOk},
      {"caf\xC3\xA9.cel", FakeEntry::kUtf8, L"caf\u00E9.cel", ArchiveStatus::kOk},
      {"\xE3\x83\xA0.cel", FakeEntry::kUtf8, L"\u30E0.cel", ArchiveStatus::kOk},
      {"\xF0\x9F\x98\x80.cel", FakeEntry::kUtf8,
       sizeof(wchar_t) == 2 ? std::wstring(L"\xD83D\xDE00.cel")
                            : std::wstring(1, wchar_t(0x1F600)) + L".cel",
       ArchiveStatus::kOk},
      {"caf\xE9.cel", 0, L"caf\u00E9.cel", ArchiveStatus::kOk},
      {"\x85.cel", 0, L"", ArchiveStatus::kBadName},  // the code page cannot show it
      {"caf\xE9.cel", FakeEntry::kUtf8, L"", ArchiveStatus::kBadName},
      {"\xC0\xAE.cel", FakeEntry::kUtf8, L"", ArchiveStatus::kBadName},      // overlong '.'
      {"\xED\xA0\x80.cel", FakeEntry::kUtf8, L"", ArchiveStatus::kBadName},  // a surrogate
      {"../up.cel", 0, L"", ArchiveStatus::kBadName},
      {"sub/../../up.cel", 0, L"", ArchiveStatus::kBadName},
      {"./here.cel", 0, L"", ArchiveStatus::kBadName},
      {"C:evil.cel", 0, L"", ArchiveStatus::kBadName},
      {"c:\\windows\\evil.cel", 0, L"", ArchiveStatus::kBadName},
      {"/rooted.cel", 0, L"", ArchiveStatus::kBadName},
      {"\\rooted.cel", 0, L"", ArchiveStatus::kBadName},
      {"sub//a.cel", 0, L"", ArchiveStatus::kBadName},
      {"", 0, L"", ArchiveStatus::kBadName},
      {"what?.cel", 0, L"", ArchiveStatus::kBadName},
      {"tab\t.cel", 0, L"", ArchiveStatus::kBadName},
      {"dot.cel.", 0, L"", ArchiveStatus::kBadName},
      {"sub /a.cel", 0, L"", ArchiveStatus::kBadName},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    auto set = OpenFake({{c.stored, Text("x"), c.flags}}, {}, std::make_shared<NarrowCodePage>());
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->Members().size(), 1u);
    const SetMember& member = set->Members()[0];
    EXPECT_EQ(member.problem, c.problem);
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    if (c.problem == ArchiveStatus::kOk) {
      EXPECT_EQ(member.path, c.path);
      EXPECT_EQ(set->Find(c.path), 0);
      EXPECT_EQ(set->Read(0, &bytes), ArchiveStatus::kOk);
      EXPECT_EQ(*bytes, Text("x"));
    } else {
      EXPECT_EQ(set->Read(0, &bytes), c.problem);
      EXPECT_EQ(bytes, nullptr);
      EXPECT_EQ(set->Find(member.path), -1);
    }
  }
}

TEST(ArchiveSetNames, Utf8IsDecodedOrRefused) {
  std::wstring text;
  EXPECT_TRUE(WidenUtf8("a\xC2\xA9\xE2\x82\xAC", &text));
  EXPECT_EQ(text, L"a\u00A9\u20AC");
  for (const char* bad : {"\x80", "\xC2", "\xE2\x82", "\xF8\x88\x80\x80\x80", "\xF4\x90\x80\x80",
                          "\xE0\x80\xAF", "\xC3\x28"})
    EXPECT_FALSE(WidenUtf8(bad, &text)) << bad;
}

TEST(ArchiveSetNames, LookupsNormaliseAsTheFileSystemWould) {
  std::wstring normal;
  EXPECT_TRUE(NormaliseLookupPath(L"\\sub/./x\\..\\A.KCF", &normal));
  EXPECT_EQ(normal, L"sub\\A.KCF");
  EXPECT_FALSE(NormaliseLookupPath(L"sub\\..\\..\\a.kcf", &normal));
}

TEST(ArchiveSet, FoldersAreKeptDirectoriesLeftOutAndTheFirstOfTwoNamesWins) {
  auto set = OpenFake({
      {"sub/", {}, FakeEntry::kDirectory},
      {"sub/A.cel", Text("first")},
      {"top.cnf", Text("cnf")},
      {"SUB\\a.CEL", Text("second")},
      {"sub/a.cel", Text("third")},
  });
  ASSERT_NE(set, nullptr);
  const std::vector<SetMember>& members = set->Members();
  ASSERT_EQ(members.size(), 4u);
  EXPECT_EQ(members[0].path, L"sub\\A.cel");
  EXPECT_EQ(members[0].folder, L"sub");
  EXPECT_EQ(members[0].name, L"A.cel");
  EXPECT_EQ(members[1].folder, L"");
  EXPECT_EQ(members[2].problem, ArchiveStatus::kSameName);
  EXPECT_EQ(members[3].problem, ArchiveStatus::kSameName);
  EXPECT_EQ(set->Find(L"Sub/a.cel"), 0);
  EXPECT_EQ(set->Find(L"TOP.CNF"), 1);
  EXPECT_EQ(set->Find(L"sub\\..\\top.cnf"), 1);
  EXPECT_EQ(set->Find(L"missing.cel"), -1);
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  ASSERT_EQ(set->Read(0, &bytes), ArchiveStatus::kOk);
  EXPECT_EQ(*bytes, Text("first"));
  EXPECT_EQ(set->Read(9, &bytes), ArchiveStatus::kReadFailed);
}

TEST(ArchiveSet, MembersThatCannotBeReadSayWhyAndTheRestStillRead) {
  ArchiveLimits limits;
  limits.memberBytes = 8;
  limits.totalBytes = 12;
  auto set = OpenFake(
      {
          {"locked.cel", Text("abc"), FakeEntry::kEncrypted},
          {"broken.cel", Text("abc"), FakeEntry::kBadCheck},
          {"big.cel", Text("123456789")},  // past the member limit
          {"a.cel", Text("1234567")},
          {"b.cel", Text("123456")},  // past the total with a.cel
          {"c.cel", Text("12")},
      },
      limits);
  ASSERT_NE(set, nullptr);
  const std::vector<ArchiveStatus> problems = {ArchiveStatus::kUnsupported, ArchiveStatus::kOk,
                                               ArchiveStatus::kTooLarge,    ArchiveStatus::kOk,
                                               ArchiveStatus::kTooLarge,    ArchiveStatus::kOk};
  const std::vector<ArchiveStatus> reads = {
      ArchiveStatus::kUnsupported, ArchiveStatus::kCrcMismatch, ArchiveStatus::kTooLarge,
      ArchiveStatus::kOk,          ArchiveStatus::kTooLarge,    ArchiveStatus::kOk};
  ASSERT_EQ(set->Members().size(), problems.size());
  for (std::size_t i = 0; i < problems.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(set->Members()[i].problem, problems[i]);
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    EXPECT_EQ(set->Read(i, &bytes), reads[i]);
    EXPECT_EQ(set->Read(i, &bytes), reads[i]);  // a failure is kept too
  }

  ArchiveStatus status = ArchiveStatus::kOk;
  EXPECT_EQ(OpenArchiveSetWith(&OpenFakeArchive, std::make_shared<OwnedSource>(Text("PK\3\4")),
                               std::make_shared<SingleByteText>(), {}, &status),
            nullptr);
  EXPECT_EQ(status, ArchiveStatus::kUnknownFormat);
  std::vector<std::uint8_t> cut = FakeArchive({{"a.cel", Text("12345")}, {"b.cel", Text("6")}});
  cut.resize(cut.size() - 1);
  auto damaged = OpenArchiveSetWith(&OpenFakeArchive, std::make_shared<OwnedSource>(cut),
                                    std::make_shared<SingleByteText>(), {}, &status);
  ASSERT_NE(damaged, nullptr);
  EXPECT_EQ(damaged->ListingStatus(), ArchiveStatus::kBroken);
  ASSERT_EQ(damaged->Members().size(), 1u);
  EXPECT_EQ(damaged->Members()[0].path, L"a.cel");
  EXPECT_EQ(set->ListingStatus(), ArchiveStatus::kOk);
}

TEST(ArchiveSet, AnArchiveMemberIsReadOneLevelDeepBesideItself) {
  const auto deepest = FakeArchive({{"deepest.cel", Text("d")}});
  const auto inner = FakeArchive({{"x.cel", Text("x")},
                                  {"part/y.cel", Text("y")},
                                  {"deeper.zip", deepest},
                                  {"../out.cel", Text("o")}});
  std::vector<std::uint8_t> damaged = inner;
  damaged.resize(damaged.size() - 1);
  auto set = OpenFake({{"sub/inner.LZH", inner},
                       {"after.cel", Text("a")},
                       {"sub/x.cel", Text("later")},
                       {"bad.zip", damaged},
                       {"text.lha", Text("not an archive")}});
  ASSERT_NE(set, nullptr);
  std::vector<std::wstring> paths;
  std::vector<ArchiveStatus> problems;
  for (const SetMember& member : set->Members()) {
    paths.push_back(member.path);
    problems.push_back(member.problem);
  }
  const std::vector<std::wstring> expected = {
      L"sub\\inner.LZH", L"sub\\x.cel",  L"sub\\part\\y.cel", L"sub\\deeper.zip",
      L"../out.cel",     L"after.cel",   L"sub\\x.cel",       L"bad.zip",
      L"x.cel",          L"part\\y.cel", L"deeper.zip",       L"text.lha"};
  EXPECT_EQ(paths, expected);
  const std::vector<ArchiveStatus> expectedProblems = {
      ArchiveStatus::kOk,       ArchiveStatus::kOk,      ArchiveStatus::kOk,
      ArchiveStatus::kOk,       ArchiveStatus::kBadName, ArchiveStatus::kOk,
      ArchiveStatus::kSameName, ArchiveStatus::kBroken,  ArchiveStatus::kOk,
      ArchiveStatus::kOk,       ArchiveStatus::kOk,      ArchiveStatus::kUnknownFormat};
  EXPECT_EQ(problems, expectedProblems);
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  ASSERT_EQ(set->Read(static_cast<std::size_t>(set->Find(L"sub\\part\\y.cel")), &bytes),
            ArchiveStatus::kOk);
  EXPECT_EQ(*bytes, Text("y"));
  EXPECT_EQ(set->Find(L"sub\\deepest.cel"), -1);
  ASSERT_EQ(set->Read(0, &bytes), ArchiveStatus::kOk);  // the inner archive stays a file
  EXPECT_EQ(*bytes, inner);

  // The members of an inner archive count toward the set's limit.
  ArchiveLimits limits;
  limits.members = 3;
  auto bounded = OpenFake({{"inner.zip", inner}, {"z.cel", Text("z")}}, limits);
  ASSERT_NE(bounded, nullptr);
  ASSERT_EQ(bounded->Members().size(), 2u);
  EXPECT_EQ(bounded->Members()[0].problem, ArchiveStatus::kTooLarge);
}

// Two folders of a small set, each as an unpacked copy and as members.
struct SetFiles {
  std::map<std::string, std::vector<std::pair<std::string, Bytes>>> folders;  // in listing order
};

SetFiles SampleSet() {
  const Bytes red = kiss::PaletteFile(12, 16, 1, kiss::Entries12({{15, 0, 0}, {0, 15, 0}}));
  const Bytes blue = kiss::PaletteFile(12, 16, 1, kiss::Entries12({{0, 0, 15}, {0, 15, 15}}));
  const Bytes cel = kiss::HeadedCel(0x20, 4, 4, 2, kiss::FourBitRows({0, 1, 2, 1, 1, 1, 0, 0}, 4));
  const std::string cnf =
      "(40,30)\r\n%red.kcf\r\n%BLUE.KCF\r\n#0 body.cel *0 :0 1\r\n#1 Hat.cel *1 :1\r\n"
      "#2 gone.cel\r\n$0 1,2 5,6\r\n$1 3,4 *\r\n";
  SetFiles files;
  files.folders[""] = {{"a.cnf", Text(cnf)}, {"blue.kcf", blue}, {"body.cel", cel},
                       {"hat.cel", cel},     {"loose.cel", cel}, {"red.kcf", red}};
  files.folders["sub"] = {{"b.cnf", Text("%blue.kcf\r\n#0 skirt.cel\r\n$0 2,2\r\n")},
                          {"blue.kcf", blue},
                          {"skirt.cel", cel}};
  files.folders["none"] = {{"orphan.cel", cel}};
  return files;
}

std::unique_ptr<ArchiveSet> PackSet(const SetFiles& files) {
  std::vector<FakeEntry> entries;
  // Archive order differs from listing order: the set lists as the disk does.
  for (auto folder = files.folders.rbegin(); folder != files.folders.rend(); ++folder) {
    for (auto file = folder->second.rbegin(); file != folder->second.rend(); ++file)
      entries.push_back(
          {folder->first.empty() ? file->first : folder->first + "/" + file->first, file->second});
  }
  return OpenFake(entries);
}

void Unpack(const SetFiles& files, FakeFolders* disk) {
  for (const auto& folder : files.folders) {
    for (const auto& file : folder.second)
      disk->Write(folder.first, file.first, std::string(file.second.begin(), file.second.end()));
  }
}

std::wstring Wide(const std::string& text) { return {text.begin(), text.end()}; }

TEST(ArchiveSet, EveryCelGetsThePaletteOfTheUnpackedCopy) {
  const SetFiles files = SampleSet();
  auto set = PackSet(files);
  ASSERT_NE(set, nullptr);
  FakeFolders disk;
  Unpack(files, &disk);
  int found = 0;
  for (std::size_t i = 0; i < set->Members().size(); ++i) {
    const SetMember& member = set->Members()[i];
    if (!EndsWithNoCase(member.name.data(), member.name.size(), ".cel")) continue;
    SCOPED_TRACE(std::string(member.path.begin(), member.path.end()));
    const std::string folder(member.folder.begin(), member.folder.end());
    const std::string name(member.name.begin(), member.name.end());
    const PaletteSearchResult<char> expected =
        FindPaletteInFolder<char>(disk, folder, name, {32767, 32767});
    for (int round = 0; round < 2; ++round) {  // fresh, then from what the set kept
      const PaletteSearchResult<wchar_t> answer = set->FindPalette(i, kPaletteReadLength);
      EXPECT_EQ(answer.found, expected.found);
      EXPECT_EQ(answer.path, Wide(expected.path));
      if (!expected.found) continue;
      std::vector<std::uint8_t> bytes;
      ASSERT_TRUE(disk.Read(expected.path, kPaletteReadLength, &bytes));
      EXPECT_TRUE(answer.read);
      EXPECT_EQ(answer.bytes, bytes);
    }
    found += expected.found;
  }
  EXPECT_EQ(found, 4);  // body, hat, loose, skirt; orphan has no configuration beside it
}

class FolderFiles : public DollFiles {
 public:
  FolderFiles(FakeFolders& disk, std::string folder) : disk_(disk), folder_(std::move(folder)) {}
  // Names match without regard to case, as on disk.
  bool Read(const std::string& name, std::vector<std::uint8_t>* bytes) override {
    std::vector<ListedFile<char>> entries;
    disk_.List(folder_, &entries);
    for (const ListedFile<char>& entry : entries) {
      if (test_steps::CompareNoCase(entry.name.c_str(), name.c_str()) == 0)
        return disk_.Read(folder_ + "\\" + entry.name, 0, bytes);
    }
    return false;
  }

 private:
  FakeFolders& disk_;
  std::string folder_;
};

TEST(ArchiveSet, EveryPageOfEveryConfigurationIsTheUnpackedCopysPage) {
  const SetFiles files = SampleSet();
  auto set = PackSet(files);
  ASSERT_NE(set, nullptr);
  FakeFolders disk;
  Unpack(files, &disk);
  int pages = 0;
  for (std::size_t i = 0; i < set->Members().size(); ++i) {
    const SetMember& member = set->Members()[i];
    if (!EndsWithNoCase(member.name.data(), member.name.size(), ".cnf")) continue;
    std::shared_ptr<const std::vector<std::uint8_t>> text;
    ASSERT_EQ(set->Read(i, &text), ArchiveStatus::kOk);
    const DollConfig config = ReadDollConfig(ByteView{text->data(), text->size()});
    const PicturePlan plan = DollPicturePlan(config);
    std::unique_ptr<DollFiles> fromSet = set->FilesBeside(i);
    FolderFiles fromDisk(disk, std::string(member.folder.begin(), member.folder.end()));
    for (int page = 0; page < DollPageCount(config); ++page, ++pages) {
      std::vector<std::uint8_t> expected(plan.pixelBytes), composed(plan.pixelBytes, 0xAA);
      ComposeDoll(config, page, fromDisk, expected.data());
      ComposeDoll(config, page, *fromSet, composed.data());
      EXPECT_EQ(composed, expected) << "page " << page;
    }
  }
  EXPECT_EQ(pages, 3);
}

TEST(ArchiveSetThreads, CallsAtOnceGiveTheAnswersOfOneThread) {
  const SetFiles files = SampleSet();
  std::vector<std::unique_ptr<ArchiveSet>> sets;
  sets.push_back(PackSet(files));
  sets.push_back(PackSet(files));
  struct Answer {
    PaletteSearchResult<wchar_t> palette;
    std::vector<std::uint8_t> bytes;
  };
  auto answers = [](const ArchiveSet& set) {
    std::vector<Answer> all;
    for (std::size_t i = 0; i < set.Members().size(); ++i) {
      Answer answer;
      answer.palette = set.FindPalette(i, kPaletteReadLength);
      std::shared_ptr<const std::vector<std::uint8_t>> bytes;
      if (set.Read(i, &bytes) == ArchiveStatus::kOk) answer.bytes = *bytes;
      all.push_back(std::move(answer));
    }
    return all;
  };
  const std::vector<Answer> expected = answers(*PackSet(files));
  std::vector<std::vector<Answer>> got(6);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < got.size(); ++t)
    threads.emplace_back([&, t] { got[t] = answers(*sets[t % 2]); });
  for (std::thread& thread : threads) thread.join();
  for (const std::vector<Answer>& one : got) {
    ASSERT_EQ(one.size(), expected.size());
    for (std::size_t i = 0; i < one.size(); ++i) {
      EXPECT_EQ(one[i].palette.found, expected[i].palette.found);
      EXPECT_EQ(one[i].palette.path, expected[i].palette.path);
      EXPECT_EQ(one[i].palette.bytes, expected[i].palette.bytes);
      EXPECT_EQ(one[i].bytes, expected[i].bytes);
    }
  }
}

}  // namespace
