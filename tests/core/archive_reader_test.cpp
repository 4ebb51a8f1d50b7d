// The archive readers on archives the tests write (every LZH header level,
// ZIP stored and deflated, damaged copies), on the samples in lhasa's source
// and on real KiSS set archives when present.
#include "archive/archive_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "support/archive_files.h"

using archive_files::Bytes;
using archive_files::LzhMember;
using archive_files::ZipMember;

namespace {

Bytes Pattern(std::size_t size, unsigned seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>((i * 31 + seed) ^ (i >> 7));
  return bytes;
}

struct Opened {
  Bytes bytes;
  std::unique_ptr<MemorySource> source;
  std::unique_ptr<ArchiveReader> reader;
  ArchiveStatus status = ArchiveStatus::kOk;
};

Opened Open(Bytes bytes, const ArchiveLimits& limits = {}) {
  Opened opened;
  opened.bytes = std::move(bytes);
  opened.source =
      std::make_unique<MemorySource>(ByteView{opened.bytes.data(), opened.bytes.size()});
  opened.reader = OpenArchive(*opened.source, limits, &opened.status);
  return opened;
}

ArchiveStatus ExtractStatus(const ArchiveReader& reader, std::size_t index) {
  Bytes bytes;
  return reader.Extract(index, &bytes);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return std::ifstream(path, std::ios::binary).good(); }

struct Expected {
  std::string name;
  NameText text;
  bool directory;
  std::string method;
  Bytes data;
};

void ExpectEntries(const Opened& opened, const std::vector<Expected>& expected) {
  ASSERT_NE(opened.reader, nullptr) << static_cast<int>(opened.status);
  EXPECT_EQ(opened.reader->ListingStatus(), ArchiveStatus::kOk);
  const auto& entries = opened.reader->Entries();
  ASSERT_EQ(entries.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(entries[i].name, expected[i].name);
    EXPECT_EQ(entries[i].text, expected[i].text);
    EXPECT_EQ(entries[i].directory, expected[i].directory);
    EXPECT_EQ(entries[i].method, expected[i].method);
    EXPECT_EQ(entries[i].size, expected[i].data.size());
    Bytes bytes;
    EXPECT_EQ(opened.reader->Extract(i, &bytes), ArchiveStatus::kOk);
    EXPECT_EQ(bytes, expected[i].data);
  }
}

const Bytes kCel = Pattern(700, 1);
const Bytes kPalette = Pattern(48, 2);

}  // namespace

TEST(ArchiveReader, RecognisesKindsBySignature) {
  Bytes lzh = archive_files::MakeLzh({{"A.CEL", "", kCel}}, 0);
  Bytes zip = archive_files::MakeZip({{"a.cel", kCel}});
  Bytes empty = archive_files::MakeZip({});
  EXPECT_EQ(RecogniseArchive({lzh.data(), lzh.size()}), ArchiveKind::kLzh);
  EXPECT_EQ(RecogniseArchive({zip.data(), zip.size()}), ArchiveKind::kZip);
  EXPECT_EQ(RecogniseArchive({empty.data(), empty.size()}), ArchiveKind::kZip);
  EXPECT_EQ(RecogniseArchive({kCel.data(), kCel.size()}), ArchiveKind::kUnknown);
  EXPECT_EQ(Open(kCel).status, ArchiveStatus::kUnknownFormat);
  EXPECT_EQ(Open({}).status, ArchiveStatus::kUnknownFormat);
  Opened opened = Open(empty);
  ASSERT_NE(opened.reader, nullptr);
  EXPECT_TRUE(opened.reader->Entries().empty());
}

TEST(ArchiveReader, MemorySourceReadsOnlyWhatItHas) {
  Bytes bytes = Pattern(16, 3);
  MemorySource source({bytes.data(), bytes.size()});
  std::uint8_t out[16] = {};
  EXPECT_TRUE(source.ReadAt(12, out, 4));
  EXPECT_EQ(out[3], bytes[15]);
  EXPECT_TRUE(source.ReadAt(16, out, 0));
  EXPECT_FALSE(source.ReadAt(13, out, 4));
  EXPECT_FALSE(source.ReadAt(~0ull, out, 2));
}

// The names as stored, in every header level: folders in the name itself
// (levels 0 and 1) or in a path header (levels 1 and 2), capitals kept, a
// double-byte name whose second byte is a backslash kept whole.
TEST(ArchiveReader, LzhHeaderLevels) {
  const std::string kanjiWithBackslash = "\x83\x5C.CEL";  // code page 932
  struct Case {
    int level;
    std::vector<LzhMember> members;
    std::vector<Expected> expected;
  };
  const Case cases[] = {
      {0,
       {{"BODY.CEL", "", kCel},
        {"SUB\\COL.KCF", "", kPalette},
        {kanjiWithBackslash, "", kCel},
        {"SUB\\", "", {}, true}},
       {{"BODY.CEL", NameText::kCodePage, false, "-lh0-", kCel},
        {"SUB\\COL.KCF", NameText::kCodePage, false, "-lh0-", kPalette},
        {kanjiWithBackslash, NameText::kCodePage, false, "-lh0-", kCel},
        {"SUB\\", NameText::kCodePage, true, "-lhd-", {}}}},
      {1,
       {{"BODY.CEL", "", kCel}, {"COL.KCF", "sub/deep", kPalette}, {"", "sub", {}, true}},
       {{"BODY.CEL", NameText::kCodePage, false, "-lh0-", kCel},
        {"sub/deep/COL.KCF", NameText::kCodePage, false, "-lh0-", kPalette},
        {"sub/", NameText::kCodePage, true, "-lhd-", {}}}},
      {2,
       {{"body.cel", "", kCel},
        {"col.kcf", "sub", kPalette},
        {"", "sub", {}, true},
        {"x.cel", "", kCel, false, u"\u30E0\u30FC\u30F3.cel"},
        {"\xE3\x83\xA0.cel", "", kPalette, false, {}, true}},
       {{"body.cel", NameText::kCodePage, false, "-lh0-", kCel},
        {"sub/col.kcf", NameText::kCodePage, false, "-lh0-", kPalette},
        {"sub/", NameText::kCodePage, true, "-lhd-", {}},
        {"\xE3\x83\xA0\xE3\x83\xBC\xE3\x83\xB3.cel", NameText::kUtf8, false, "-lh0-", kCel},
        {"\xE3\x83\xA0.cel", NameText::kUtf8, false, "-lh0-", kPalette}}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE("level " + std::to_string(test.level));
    ExpectEntries(Open(archive_files::MakeLzh(test.members, test.level)), test.expected);
  }
}

TEST(ArchiveReader, ZipStoredAndDeflated) {
  Bytes zeros(100000, 0);
  Opened opened = Open(archive_files::MakeZip({
      {"set/body.cel", kCel, false},
      {"set/", {}, false},
      {"set/col.kcf", kPalette, true},
      {"set/zeros.cel", zeros, true},
      {"\xE3\x83\xA0.cel", kCel, true, 1u << 11},
  }));
  ExpectEntries(opened, {{"set/body.cel", NameText::kCodePage, false, "stored", kCel},
                         {"set/", NameText::kCodePage, true, "stored", {}},
                         {"set/col.kcf", NameText::kCodePage, false, "deflate", kPalette},
                         {"set/zeros.cel", NameText::kCodePage, false, "deflate", zeros},
                         {"\xE3\x83\xA0.cel", NameText::kUtf8, false, "deflate", kCel}});
  EXPECT_LT(opened.reader->Entries()[3].packedSize, 1000u);
  EXPECT_EQ(opened.reader->Entries()[0].crc,
            0u + crc32(0, kCel.data(), static_cast<unsigned>(kCel.size())));
}

// Each damage fails the member it touches with its own result and leaves the
// others readable.
TEST(ArchiveReader, DamagedMembersFailAlone) {
  Bytes zeros(1 << 20, 0);
  ArchiveLimits small;
  small.memberBytes = 64 << 10;
  struct Case {
    const char* what;
    Bytes archive;
    ArchiveLimits limits;
    ArchiveStatus expected;
  };
  LzhMember badCrc{"BAD.CEL", "", kCel};
  badCrc.crc = 0x1234;
  LzhMember lzhBig{"BIG.CEL", "", zeros};
  LzhMember lzhOverrun{"RUN.CEL", "", kCel};
  lzhOverrun.claimedPacked = 1 << 20;
  ZipMember zipBadCrc{"bad.cel", kCel, true};
  zipBadCrc.crc = 0x12345678;
  ZipMember bomb{"bomb.cel", zeros, true};
  ZipMember zipOverrun{"run.cel", kCel, false};
  zipOverrun.claimedPacked = 1 << 20;
  zipOverrun.claimedSize = 1 << 20;
  ZipMember encrypted{"secret.cel", kCel, false, 1};
  ZipMember bzip2{"b.cel", kCel, false};
  bzip2.method = 12;
  ZipMember claimsLess{"less.cel", kCel, true};
  claimsLess.claimedSize = 100;
  LzhMember good{"GOOD.CEL", "", kPalette};
  ZipMember zipGood{"good.cel", kPalette, true};
  const Case cases[] = {
      {"lzh crc", archive_files::MakeLzh({badCrc, good}, 1), {}, ArchiveStatus::kCrcMismatch},
      {"lzh past the member limit", archive_files::MakeLzh({lzhBig, good}, 2), small,
       ArchiveStatus::kTooLarge},
      {"zip crc", archive_files::MakeZip({zipBadCrc, zipGood}), {}, ArchiveStatus::kCrcMismatch},
      {"zip bomb", archive_files::MakeZip({bomb, zipGood}), small, ArchiveStatus::kTooLarge},
      {"zip encrypted",
       archive_files::MakeZip({encrypted, zipGood}),
       {},
       ArchiveStatus::kUnsupported},
      {"zip method", archive_files::MakeZip({bzip2, zipGood}), {}, ArchiveStatus::kUnsupported},
      {"zip claims fewer bytes",
       archive_files::MakeZip({claimsLess, zipGood}),
       {},
       ArchiveStatus::kCrcMismatch},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    Opened opened = Open(test.archive, test.limits);
    ASSERT_NE(opened.reader, nullptr) << static_cast<int>(opened.status);
    ASSERT_EQ(opened.reader->Entries().size(), 2u);
    Bytes bytes;
    EXPECT_EQ(opened.reader->Extract(0, &bytes), test.expected);
    EXPECT_LE(bytes.capacity(), test.limits.memberBytes);
    EXPECT_EQ(opened.reader->Extract(1, &bytes), ArchiveStatus::kOk);
    EXPECT_EQ(bytes, kPalette);
  }
  // A member whose data runs past the archive's end: the member and the
  // listing say so.
  for (Bytes archive : {archive_files::MakeLzh({good, lzhOverrun}, 0),
                        archive_files::MakeZip({zipGood, zipOverrun})}) {
    Opened opened = Open(archive);
    ASSERT_NE(opened.reader, nullptr) << static_cast<int>(opened.status);
    ASSERT_EQ(opened.reader->Entries().size(), 2u);
    EXPECT_EQ(ExtractStatus(*opened.reader, 0), ArchiveStatus::kOk);
    EXPECT_EQ(ExtractStatus(*opened.reader, 1), ArchiveStatus::kBroken);
  }
}

// Every truncation and every flipped byte of a small archive of each kind
// either fails with a result or reads members that pass their check; a cut
// is never taken for the whole archive.
TEST(ArchiveReader, TruncatedAndFlippedArchivesFailCleanly) {
  LzhMember dir{"", "sub", {}, true};
  const Bytes archives[] = {
      archive_files::MakeLzh({{"A.CEL", "", kCel}, {"SUB\\B.KCF", "", kPalette}}, 0),
      archive_files::MakeLzh({{"a.cel", "sub", kCel}, {"b.kcf", "", kPalette}}, 1),
      archive_files::MakeLzh({dir, {"a.cel", "sub", kCel}, {"b.kcf", "", kPalette}}, 2),
      archive_files::MakeZip({{"a.cel", kCel, true}, {"sub/b.kcf", kPalette, false}}),
  };
  for (const Bytes& whole : archives) {
    std::size_t count = Open(whole).reader->Entries().size();
    // Only a cut into the LZH end marker or the ZIP's end record may leave
    // every member whole.
    std::size_t spare = whole[0] == 'P' ? 22 : 1;
    for (std::size_t length = 0; length < whole.size(); ++length) {
      Opened opened =
          Open(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length)));
      if (!opened.reader) {
        EXPECT_NE(opened.status, ArchiveStatus::kOk);
        continue;
      }
      bool allRead = opened.reader->ListingStatus() == ArchiveStatus::kOk &&
                     opened.reader->Entries().size() == count;
      for (std::size_t i = 0; allRead && i < count; ++i) {
        allRead = ExtractStatus(*opened.reader, i) == ArchiveStatus::kOk;
      }
      EXPECT_FALSE(allRead && length + spare < whole.size())
          << "cut at " << length << " of " << whole.size();
    }
    for (std::size_t at = 0; at < whole.size(); ++at) {
      Bytes flipped = whole;
      flipped[at] ^= 0x55;
      Opened opened = Open(flipped);
      if (!opened.reader) continue;
      for (std::size_t i = 0; i < opened.reader->Entries().size(); ++i) {
        Bytes bytes;
        ArchiveStatus status = opened.reader->Extract(i, &bytes);
        if (status == ArchiveStatus::kOk && !opened.reader->Entries()[i].directory) {
          EXPECT_TRUE(bytes == kCel || bytes == kPalette) << "flipped at " << at;
        }
      }
    }
  }
}

// 100,000 members list under the default limits; one more than the limit
// refuses the archive.
TEST(ArchiveReader, MemberCountLimit) {
  constexpr std::size_t kMembers = 100000;
  std::vector<LzhMember> lzhMembers(kMembers);
  std::vector<ZipMember> zipMembers(kMembers);
  for (std::size_t i = 0; i < kMembers; ++i) {
    lzhMembers[i].name = zipMembers[i].name = std::to_string(i) + ".cel";
  }
  ArchiveLimits fewer;
  fewer.members = kMembers - 1;
  for (const Bytes& archive :
       {archive_files::MakeLzh(lzhMembers, 0), archive_files::MakeZip(zipMembers)}) {
    Opened opened = Open(archive);
    ASSERT_NE(opened.reader, nullptr) << static_cast<int>(opened.status);
    EXPECT_EQ(opened.reader->Entries().size(), kMembers);
    EXPECT_EQ(opened.reader->Entries().back().name, "99999.cel");
    EXPECT_EQ(ExtractStatus(*opened.reader, kMembers - 1), ArchiveStatus::kOk);
    Opened refused = Open(archive, fewer);
    EXPECT_EQ(refused.reader, nullptr);
    EXPECT_EQ(refused.status, ArchiveStatus::kTooLarge);
  }
}

// Members read from several threads at once give the single-threaded bytes.
TEST(ArchiveReaderThreads, ExtractAtOnce) {
  std::vector<ZipMember> zipMembers;
  std::vector<LzhMember> lzhMembers;
  for (unsigned i = 0; i < 24; ++i) {
    zipMembers.push_back({std::to_string(i) + ".cel", Pattern(3000 + i * 100, i), i % 2 == 0});
    lzhMembers.push_back({std::to_string(i) + ".CEL", "", Pattern(3000 + i * 100, i)});
  }
  for (const Bytes& archive :
       {archive_files::MakeZip(zipMembers), archive_files::MakeLzh(lzhMembers, 2)}) {
    Opened opened = Open(archive);
    ASSERT_NE(opened.reader, nullptr);
    std::vector<std::thread> threads;
    std::vector<int> mismatches(6, 0);
    for (int t = 0; t < 6; ++t) {
      threads.emplace_back([&, t] {
        for (unsigned i = 0; i < 24; ++i) {
          unsigned index = (i + static_cast<unsigned>(t) * 5) % 24;
          Bytes bytes;
          if (opened.reader->Extract(index, &bytes) != ArchiveStatus::kOk ||
              bytes != Pattern(3000 + index * 100, index)) {
            ++mismatches[t];
          }
        }
      });
    }
    for (auto& thread : threads) thread.join();
    for (int count : mismatches) EXPECT_EQ(count, 0);
  }
}

// The -lh5-, -lh6- and -lh7- samples of lhasa's source, under header levels
// 0 to 3: every member decodes and passes its CRC.
TEST(ArchiveReader, LhasaSamples) {
  const std::string folder = TAMSA_LHASA_ARCHIVES;
  const char* names[] = {"lha_unix114i/h0_lh5.lzh",    "lha_unix114i/h1_lh6.lzh",
                         "lha_unix114i/h2_lh7.lzh",    "lha_unix114i/h0_lh7.lzh",
                         "lha_unix114i/lh6_long.lzh",  "lha_unix114i/lh7_long.lzh",
                         "lha_unix114i/h2_subdir.lzh", "lha_os2_208/h3_lh5.lzh",
                         "lha_os2_208/h3_subdir.lzh",  "lha213/lh5_long.lzh"};
  if (!Exists(folder + "/" + names[0])) GTEST_SKIP() << "no lhasa samples in " << folder;
  for (const char* name : names) {
    SCOPED_TRACE(name);
    Opened opened = Open(ReadFile(folder + "/" + name));
    ASSERT_NE(opened.reader, nullptr) << static_cast<int>(opened.status);
    EXPECT_EQ(opened.reader->ListingStatus(), ArchiveStatus::kOk);
    std::size_t files = 0;
    for (std::size_t i = 0; i < opened.reader->Entries().size(); ++i) {
      const ArchiveEntry& entry = opened.reader->Entries()[i];
      Bytes bytes;
      EXPECT_EQ(opened.reader->Extract(i, &bytes), ArchiveStatus::kOk) << entry.name;
      EXPECT_EQ(bytes.size(), entry.directory ? 0 : entry.size);
      files += entry.directory ? 0 : 1;
    }
    EXPECT_GT(files, 0u);
  }
}

// The real set archives: every member reads and passes its check; the
// damaged one fails with a result.
TEST(ArchiveReader, RealArchives) {
  const std::string folder = TAMSA_REALARCHIVES_PATH;
  if (!Exists(folder + "/washua.lzh")) GTEST_SKIP() << "no real archives in " << folder;
  struct Case {
    const char* name;
    std::size_t entries, directories;
  };
  for (const Case& test :
       {Case{"sk_kimux.lzh", 124, 0}, Case{"washua.lzh", 19, 0}, Case{"transparent.lzh", 41, 0},
        Case{"watch.lzh", 70, 0}, Case{"Wallpaper.zip", 77, 0}}) {
    SCOPED_TRACE(test.name);
    Opened opened = Open(ReadFile(folder + "/" + test.name));
    ASSERT_NE(opened.reader, nullptr) << static_cast<int>(opened.status);
    EXPECT_EQ(opened.reader->ListingStatus(), ArchiveStatus::kOk);
    const auto& entries = opened.reader->Entries();
    EXPECT_EQ(entries.size(), test.entries);
    std::size_t directories = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
      directories += entries[i].directory ? 1 : 0;
      Bytes bytes;
      EXPECT_EQ(opened.reader->Extract(i, &bytes), ArchiveStatus::kOk) << entries[i].name;
      EXPECT_EQ(bytes.size(), entries[i].size) << entries[i].name;
    }
    EXPECT_EQ(directories, test.directories);
  }
  Opened damaged = Open(ReadFile(folder + "/arwen.lzh"));
  bool failed = !damaged.reader || damaged.reader->ListingStatus() != ArchiveStatus::kOk;
  for (std::size_t i = 0; damaged.reader && i < damaged.reader->Entries().size(); ++i) {
    failed = failed || ExtractStatus(*damaged.reader, i) != ArchiveStatus::kOk;
  }
  EXPECT_TRUE(failed);
}
