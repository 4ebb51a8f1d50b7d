// The palette search's core on folders in memory: what the search answers,
// and that the cache answers the same while reading only what changed.
#include "palette/folder_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/fake_folders.h"

namespace {

constexpr PathLimits kNoLimits = {100000, 100000};
constexpr std::uint64_t kSecond = FakeFolders::kSecond;

std::string Answer(const PaletteSearchResult<char>& result) {
  return result.found ? result.path : "<none>";
}

std::string Uncached(FakeFolders& folders, const std::string& folder, const std::string& cel,
                     PathLimits limits = kNoLimits) {
  return Answer(FindPaletteInFolder<char>(folders, folder, cel, limits));
}

std::string Cached(FolderCache<char>& cache, FakeFolders& folders, const std::string& folder,
                   const std::string& cel, PathLimits limits = kNoLimits) {
  return Answer(cache.Find(folders, folder, cel, limits));
}

TEST(FindPaletteInFolder, TheFirstPlacingConfigurationDecides) {
  FakeFolders folders;
  EXPECT_EQ(Uncached(folders, "set", "body.cel"), "<none>");  // no folder
  folders.Write("set", "b.kcf", "");
  folders.Write("set", "a.kcf", "");
  // Palette files but no configuration file: no guess.
  EXPECT_EQ(Uncached(folders, "set", "body.cel"), "<none>");
  folders.Write("set", "one.CNF", "%a.kcf\r#1 arm.cel *0\r");
  // Configuration files that do not place the cel: the first palette file listed.
  EXPECT_EQ(Uncached(folders, "set", "body.cel"), "set\\b.kcf");
  folders.Write("set", "two.cnf", "%x.kcf\r%b.kcf\r#1 BODY.cel *1\r");
  folders.Write("set", "three.cnf", "%a.kcf\r#1 body.cel *0\r");
  EXPECT_EQ(Uncached(folders, "set", "body.cel"), "set\\b.kcf");
  EXPECT_EQ(Uncached(folders, "set", "arm.cel"), "set\\a.kcf");
  // A placing file without palette lines: the first palette file, and later
  // configuration files are not asked.
  folders.Write("set", "one.CNF", "#1 body.cel *0\r");
  EXPECT_EQ(Uncached(folders, "set", "body.cel"), "set\\b.kcf");
  // Neither a folder nor any other name counts as *.cnf unless it ends so.
  FakeFolders other;
  other.Write("x", "set.cnf.bak", "#1 body.cel *0\r");
  other.Write("x", "a.kcf", "");
  EXPECT_EQ(Uncached(other, "x", "body.cel"), "<none>");
}

// A palette named in another letter case than the listing's is answered as
// listed (the same file, found without a search of the folder); an exact
// spelling, or a name that is not plain, is kept.
TEST(FindPaletteInFolder, PaletteNamesAreSpelledAsListed) {
  FakeFolders folders;
  folders.Write("set", "col.kcf", "");
  folders.Write("set", "set.cnf", "%COL.kcf\r%Pal-2.KCF\r#1 body.cel *0\r#2 arm.cel *1\r");
  folders.Write("set", "pal-2.kcf", "");
  EXPECT_EQ(Uncached(folders, "set", "body.cel"), "set\\col.kcf");
  EXPECT_EQ(Uncached(folders, "set", "arm.cel"), "set\\Pal-2.KCF");
  folders.Write("set", "COL.kcf", "");
  EXPECT_EQ(Uncached(folders, "set", "body.cel"), "set\\COL.kcf");
  FolderCache<char> cache;
  EXPECT_EQ(Cached(cache, folders, "set", "body.cel"), "set\\COL.kcf");
  folders.Remove("set", "COL.kcf");
  EXPECT_EQ(Cached(cache, folders, "set", "body.cel"), "set\\col.kcf");
}

TEST(FindPaletteInFolder, PathsLongerThanTheLimitsAreSkipped) {
  FakeFolders folders;
  folders.Write("set", "long-name.cnf", "%a.kcf\r#1 body.cel *0\r");
  folders.Write("set", "s.cnf", "%pal-long.kcf\r#1 body.cel *0\r");
  folders.Write("set", "z.kcf", "");
  // "set\long-name.cnf" is 17 characters, "set\pal-long.kcf" 16.
  EXPECT_EQ(Uncached(folders, "set", "body.cel", {17, 100}), "set\\a.kcf");
  EXPECT_EQ(Uncached(folders, "set", "body.cel", {16, 100}), "set\\pal-long.kcf");
  EXPECT_EQ(Uncached(folders, "set", "body.cel", {16, 15}), "set\\z.kcf");
  EXPECT_EQ(Uncached(folders, "set", "body.cel", {16, 8}), "<none>");
  // The folder's patterns, "set\*.cnf", must fit as well.
  EXPECT_EQ(Uncached(folders, "set", "body.cel", {8, 100}), "<none>");
  EXPECT_EQ(Uncached(folders, "set", "body.cel", {9, 100}), "set\\pal-long.kcf");
}

TEST(ComposeFolderPath, JoinsWithOneBackslashAndNeverCuts) {
  std::string out = "stale";
  EXPECT_TRUE(ComposeFolderPath<char>("C:\\set", "*.cnf", 259, &out));
  EXPECT_EQ(out, "C:\\set\\*.cnf");
  // Nothing is normalised: a drive root doubles its separator, an empty
  // folder leaves a leading one.
  EXPECT_TRUE(ComposeFolderPath<char>("C:\\", "*.cnf", 259, &out));
  EXPECT_EQ(out, "C:\\\\*.cnf");
  EXPECT_TRUE(ComposeFolderPath<char>("", "a.kcf", 259, &out));
  EXPECT_EQ(out, "\\a.kcf");
  const std::string folder(250, 'f');
  EXPECT_TRUE(ComposeFolderPath<char>(folder, "12345678", 259, &out));
  EXPECT_EQ(out.size(), 259u);
  out = "kept";
  EXPECT_FALSE(ComposeFolderPath<char>(folder, "123456789", 259, &out));
  EXPECT_EQ(out, "kept");
  std::wstring wide;
  EXPECT_TRUE(ComposeFolderPath<wchar_t>(L"\u30e0", L"a.kcf", 7, &wide));
  EXPECT_EQ(wide, L"\u30e0\\a.kcf");
  EXPECT_FALSE(ComposeFolderPath<wchar_t>(L"\u30e0", L"ab.kcf", 7, &wide));
}

TEST(MatchesExtension, TheNameOrItsShortAliasEndsInTheExtension) {
  EXPECT_TRUE(MatchesExtension(ListedFile<char>{"Set.CnF", ""}, ".cnf"));
  EXPECT_TRUE(MatchesExtension(ListedFile<char>{".cnf", ""}, ".cnf"));
  EXPECT_FALSE(MatchesExtension(ListedFile<char>{"cnf", ""}, ".cnf"));
  EXPECT_FALSE(MatchesExtension(ListedFile<char>{"a.cnfx", ""}, ".cnf"));
  EXPECT_TRUE(MatchesExtension(ListedFile<char>{"a.cnfx", "A~1.CNF"}, ".cnf"));
  EXPECT_TRUE(MatchesExtension(ListedFile<wchar_t>{L"\u30e0.kcf", L""}, ".kcf"));
  EXPECT_FALSE(MatchesExtension(ListedFile<wchar_t>{L"a.\uff4bcf", L""}, ".kcf"));
}

// A set written long ago: its stamps are trusted.
class SettledSet : public ::testing::Test {
 protected:
  void SetUp() override {
    folders.Write("set", "set.cnf", "%a.kcf\r%b.kcf\r#1 body.cel *1\r#2 arm.cel *0\r");
    folders.Write("set", "a.kcf", "A");
    folders.Write("set", "b.kcf", "B");
    folders.Advance(60 * kSecond);
    ASSERT_EQ(Cached(cache, folders, "set", "body.cel"), "set\\b.kcf");
    folders.Taken();
  }

  FakeFolders folders;
  FolderCache<char> cache;
};

TEST_F(SettledSet, AnUnchangedFolderIsNeitherListedNorReadAgain) {
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Cached(cache, folders, "set", "body.cel"), "set\\b.kcf");
    EXPECT_EQ(Cached(cache, folders, "set", "arm.cel"), "set\\a.kcf");
    EXPECT_EQ(Cached(cache, folders, "set", "leg.cel"), "set\\a.kcf");
  }
  const FakeFolders::Counts counts = folders.Taken();
  EXPECT_EQ(counts.lists, 0);
  EXPECT_EQ(counts.reads, 0);
  EXPECT_EQ(counts.stamps, 18);  // the folder and its one configuration file, each call
}

TEST_F(SettledSet, AnEditThatKeepsTheSizeShowsInTheNextCall) {
  folders.Advance(1);
  folders.Write("set", "set.cnf", "%a.kcf\r%b.kcf\r#1 body.cel *0\r#2 arm.cel *1\r");
  EXPECT_EQ(Cached(cache, folders, "set", "body.cel"), "set\\a.kcf");
  EXPECT_EQ(folders.Taken().reads, 1);
  // Read again while the new stamp is too recent to trust, then kept.
  EXPECT_EQ(Cached(cache, folders, "set", "arm.cel"), "set\\b.kcf");
  EXPECT_EQ(folders.Taken().reads, 1);
  folders.Advance(3 * kSecond);
  EXPECT_EQ(Cached(cache, folders, "set", "arm.cel"), "set\\b.kcf");
  EXPECT_EQ(folders.Taken().reads, 1);
  EXPECT_EQ(Cached(cache, folders, "set", "arm.cel"), "set\\b.kcf");
  EXPECT_EQ(folders.Taken().reads, 0);
}

TEST_F(SettledSet, AddedRemovedAndRenamedFilesShowInTheNextCall) {
  folders.Advance(1);
  // A configuration file listed before the old one now decides.
  folders.Write("set", "0.cnf", "%b.kcf\r#1 arm.cel *0\r");
  EXPECT_EQ(Cached(cache, folders, "set", "arm.cel"), "set\\a.kcf");  // set.cnf is listed first
  folders.Remove("set", "set.cnf");
  EXPECT_EQ(Cached(cache, folders, "set", "arm.cel"), "set\\b.kcf");
  EXPECT_EQ(Cached(cache, folders, "set", "body.cel"), "set\\a.kcf");  // unplaced: first .kcf
  folders.Rename("set", "a.kcf", "a.old");
  EXPECT_EQ(Cached(cache, folders, "set", "body.cel"), "set\\b.kcf");
  folders.Rename("set", "0.cnf", "0.txt");
  EXPECT_EQ(Cached(cache, folders, "set", "body.cel"), "<none>");
}

TEST_F(SettledSet, WhereTheFolderKeepsItsTimeItIsListedEveryCall) {
  FakeFolders fat;
  fat.SetTimeTracksEntries(false);
  fat.Write("set", "set.cnf", "%a.kcf\r#1 body.cel *0\r");
  fat.Advance(60 * kSecond);
  FolderCache<char> fatCache;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Cached(fatCache, fat, "set", "body.cel"), "set\\a.kcf");
  // A rename there would not show in any stamp, so nothing read is kept.
  const FakeFolders::Counts counts = fat.Taken();
  EXPECT_EQ(counts.lists, 3);
  EXPECT_EQ(counts.reads, 3);
}

// A first look lists the folder anyway, so whether its time follows its
// entries is asked only by the call that could rely on a listing kept.
TEST(FolderCache, TheVolumeIsAskedOnlyWhenAKeptListingCouldServe) {
  for (const bool tracks : {true, false}) {
    FakeFolders folders;
    folders.SetTimeTracksEntries(tracks);
    folders.Write("set", "set.cnf", "%a.kcf\r#1 body.cel *0\r");
    folders.Advance(60 * kSecond);
    FolderCache<char> cache;
    std::vector<int> questions;
    std::vector<int> lists;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(Cached(cache, folders, "set", "body.cel"), "set\\a.kcf");
      const FakeFolders::Counts counts = folders.Taken();
      questions.push_back(counts.volumeQuestions);
      lists.push_back(counts.lists);
    }
    EXPECT_EQ(questions, (std::vector<int>{0, 1, 0})) << tracks;
    EXPECT_EQ(lists, (tracks ? std::vector<int>{1, 0, 0} : std::vector<int>{1, 1, 1}));
    // A change of the folder keeps the answer: it belongs to the volume.
    folders.Write("set", "b.kcf", "B");
    folders.Advance(60 * kSecond);
    Cached(cache, folders, "set", "body.cel");
    Cached(cache, folders, "set", "body.cel");
    EXPECT_EQ(folders.Taken().volumeQuestions, 0) << tracks;
  }
}

// Where the listing gives the files' stamps, a first look asks only for the
// folder's; the next call checks them as usual.
TEST(FolderCache, AFirstLookTakesTheFilesStampsFromTheListing) {
  for (const bool listingStamps : {true, false}) {
    FakeFolders folders;
    folders.SetListingStamps(listingStamps);
    folders.Write("set", "set.cnf", "%a.kcf\r#1 body.cel *0\r");
    folders.Write("set", "a.kcf", "A");
    folders.Advance(60 * kSecond);
    FolderCache<char> cache;
    const auto palette = [&] { return cache.Find(folders, "set", "body.cel", kNoLimits, 4); };
    EXPECT_EQ(palette().bytes, (std::vector<std::uint8_t>{'A', 0, 0, 0}));
    FakeFolders::Counts counts = folders.Taken();
    EXPECT_EQ(counts.stamps, listingStamps ? 1 : 3);
    EXPECT_EQ(counts.reads, 2);
    EXPECT_EQ(palette().bytes[0], 'A');
    counts = folders.Taken();
    EXPECT_EQ(counts.stamps, 3);
    EXPECT_EQ(counts.reads, 0);
  }
}

TEST_F(SettledSet, PaletteFilesAreKeptWhileTheirStampsHold) {
  auto palette = [&] { return cache.Find(folders, "set", "arm.cel", kNoLimits, 4); };
  PaletteSearchResult<char> result = palette();
  ASSERT_TRUE(result.read);
  EXPECT_EQ(result.bytes, (std::vector<std::uint8_t>{'A', 0, 0, 0}));
  EXPECT_EQ(palette().bytes, result.bytes);
  EXPECT_EQ(folders.Taken().reads, 1);
  folders.Advance(1);
  folders.Write("set", "a.kcf", "Z");  // same size
  EXPECT_EQ(palette().bytes[0], 'Z');
  EXPECT_EQ(folders.Taken().reads, 1);
  folders.Advance(60 * kSecond);
  EXPECT_EQ(palette().bytes[0], 'Z');
  folders.Taken();
  EXPECT_EQ(palette().bytes[0], 'Z');
  EXPECT_EQ(folders.Taken().reads, 0);
  // Another file of the same size and time renamed into its place: the
  // stamps cannot tell them apart, but the folder's change lets go of all.
  folders.Write("set", "c.kcf", "C");
  folders.Advance(60 * kSecond);
  folders.Write("set", "d.kcf", "D");
  folders.Advance(60 * kSecond);
  EXPECT_EQ(palette().bytes[0], 'Z');
  folders.Remove("set", "a.kcf");
  folders.Rename("set", "c.kcf", "a.kcf");
  EXPECT_EQ(palette().bytes[0], 'C');
  folders.Remove("set", "a.kcf");
  EXPECT_FALSE(palette().read);
  EXPECT_TRUE(palette().found);
}

TEST(FolderCache, KeepsABoundedNumberOfFolders) {
  FakeFolders folders;
  const std::size_t count = FolderCache<char>::kMaxFolders + 1;
  for (std::size_t i = 0; i < count; ++i)
    folders.Write("set" + std::to_string(i), "s.cnf", "%a.kcf\r#1 body.cel *0\r");
  folders.Advance(60 * kSecond);
  FolderCache<char> cache;
  for (std::size_t i = 0; i < count; ++i)
    Cached(cache, folders, "set" + std::to_string(i), "body.cel");
  folders.Taken();
  // The most recent ones are kept; the first was let go.
  Cached(cache, folders, "set" + std::to_string(count - 1), "body.cel");
  EXPECT_EQ(folders.Taken().reads, 0);
  Cached(cache, folders, "set0", "body.cel");
  EXPECT_EQ(folders.Taken().reads, 1);
}

// Random sets, changed at random moments on a clock as coarse as FAT's: the
// cache answers every call exactly as a fresh search does.
TEST(FolderCache, AnswersAsAFreshSearchWhateverChangesAndWhenever) {
  std::mt19937 random(20261209);
  const char* cels[] = {"arm.cel", "leg.cel", "hat.cel"};
  const char* cnfs[] = {"a.cnf", "b.cnf", "c.cnf"};
  const char* palettes[] = {"p.kcf", "q.kcf", "r.kcf"};
  // Three palette lines and three cel lines in any order: every such text
  // has the same size, so most edits change nothing but the write time.
  auto someText = [&](bool longer) {
    std::vector<std::string> lines;
    for (int i = 0; i < 3; ++i) {
      lines.push_back(std::string("%") + palettes[random() % 3] + "\r");
      lines.push_back(std::string("#1 ") + cels[random() % 3] + " *" +
                      std::to_string(random() % 4) + "\r");
    }
    std::shuffle(lines.begin(), lines.end(), random);
    std::string text;
    for (const std::string& line : lines) text += line;
    return longer ? text + ";\r" : text;
  };
  int mismatches = 0;
  int calls = 0;
  for (const bool listingStamps : {true, false})
    for (std::uint64_t coarseness : {std::uint64_t{1}, 2 * kSecond}) {
      FakeFolders folders;
      folders.SetCoarseness(coarseness);
      folders.SetListingStamps(listingStamps);
      FolderCache<char> cache;
      for (int step = 0; step < 3000; ++step) {
        switch (random() % 8) {
          case 0:
          case 1:
            folders.Write("set", cnfs[random() % 3], someText(random() % 4 == 0));
            break;
          case 2:
            folders.Remove("set", (random() % 2 ? cnfs : palettes)[random() % 3]);
            break;
          case 3:
            folders.Rename("set", cnfs[random() % 3], cnfs[random() % 3]);
            break;
          case 4:
            folders.Write("set", palettes[random() % 3], "");
            break;
          case 5:
            folders.Advance((random() % 3) * kSecond + random() % 1000);
            break;
          default:
            break;
        }
        const std::string cel = cels[random() % 3];
        ++calls;
        if (Cached(cache, folders, "set", cel) != Uncached(folders, "set", cel)) ++mismatches;
      }
    }
  EXPECT_EQ(mismatches, 0) << "of " << calls << " calls";
}

// Calls from several threads at once on one cache, for folders of their own
// and a folder they share that changes under them. Run under
// ThreadSanitizer, this also shows that the calls share nothing unguarded.
TEST(FolderCacheThreads, CallsAtOnceGiveTheirOwnAnswers) {
  FakeFolders folders;
  constexpr int kThreads = 4;
  for (int t = 0; t < kThreads; ++t) {
    const std::string folder = "set" + std::to_string(t);
    std::string text;
    for (int line = 0; line < 500; ++line) text += "#1 cel" + std::to_string(line) + ".cel *0\r";
    text += "%pal" + std::to_string(t) + ".kcf\r#2 body.cel *0\r";
    folders.Write(folder, "set.cnf", text);
  }
  folders.Write("shared", "set.cnf", "%a.kcf\r#1 body.cel *0\r");
  folders.Advance(60 * kSecond);
  FolderCache<char> cache;
  std::vector<int> wrong(kThreads, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string folder = "set" + std::to_string(t);
      const std::string expected = folder + "\\pal" + std::to_string(t) + ".kcf";
      for (int i = 0; i < 400; ++i) {
        if (Cached(cache, folders, folder, "body.cel") != expected) ++wrong[t];
        const std::string shared = Cached(cache, folders, "shared", "body.cel");
        if (shared != "shared\\a.kcf" && shared != "shared\\b.kcf") ++wrong[t];
        cache.Find(folders, "shared", "body.cel", kNoLimits, 16);
      }
    });
  }
  for (int i = 0; i < 200; ++i) {
    folders.Write("shared", "set.cnf",
                  i % 2 ? "%b.kcf\r#1 body.cel *0\r" : "%a.kcf\r#1 body.cel *0\r");
    folders.Write("shared", "a.kcf", std::string(static_cast<std::size_t>(i % 7), 'a'));
    folders.Advance(kSecond);
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

}  // namespace
