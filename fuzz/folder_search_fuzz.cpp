// The palette search's core end to end, on a folder in memory that the input
// builds and changes: every search is run both fresh (FindPaletteInFolder)
// and through one FolderCache kept for the whole input, which must answer
// the same; the answer must be the folder and a name from a configuration
// file's '%' line, or the first palette file listed, or nothing.
//
// Input: an options byte, then records separated by zero bytes; each record
// is an operation letter and its argument:
//   W name LF text   write a file (add it or replace its text)
//   D name           remove a file
//   M from LF to     rename a file
//   C name           copy a file to its name with the letters' case swapped
//   T n              let n quarter seconds pass (one byte; 0 is one tick)
//   F cel            search for the cel's palette and check the answers
// Every operation takes one tick of the clock, so that files written one
// after another differ in their write times, as on NTFS.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "cel/colour_table.h"
#include "core/fake_folders.h"
#include "fuzz/fuzz_support.h"
#include "palette/folder_search.h"

namespace {

constexpr std::size_t kMaxRecords = 256;
constexpr std::size_t kMaxSearches = 32;
constexpr std::uint64_t kSecond = FakeFolders::kSecond;
constexpr std::uint64_t kFatClock = 2 * kSecond;

// The 8.3 alias a listing gives a name that is not one already: six letters
// or digits of the part before the last dot, upper-cased, "~1", then the
// first three characters after it.
std::string ShortAlias(const std::string& name) {
  if (name == "." || name == "..") return "";
  const std::size_t dot = name.rfind('.');
  const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot + 1);
  const bool plain = name.find(' ') == std::string::npos && base.find('.') == std::string::npos;
  if (plain && !base.empty() && base.size() <= 8 && extension.size() <= 3) return "";
  auto shortChar = [](char c) {
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 32);
    const bool kept = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return kept ? c : '_';
  };
  std::string alias;
  for (char c : base) {
    if (alias.size() == 6) break;
    if (c != ' ' && c != '.') alias.push_back(shortChar(c));
  }
  alias += "~1";
  if (!extension.empty()) {
    alias.push_back('.');
    for (std::size_t i = 0; i < extension.size() && i < 3; ++i)
      alias.push_back(shortChar(extension[i]));
  }
  return alias;
}

// The in-memory folders of the core tests, with 8.3 aliases in the listing
// and, when asked, the rules of code page 932 for names and texts.
class FuzzFolders : public FakeFolders {
 public:
  FuzzFolders(bool cp932, bool aliases) : cp932_(cp932), aliases_(aliases) {}

  bool List(const std::string& folder, std::vector<ListedFile<char>>* entries) override {
    if (!FakeFolders::List(folder, entries)) return false;
    if (aliases_) {
      for (ListedFile<char>& entry : *entries) entry.shortName = ShortAlias(entry.name);
    }
    return true;
  }
  bool SameCelName(const std::string& field, const std::string& celName) override {
    if (!cp932_) return FakeFolders::SameCelName(field, celName);
    return fuzz_text::CompareNoCaseCp932(field.c_str(), celName.c_str()) == 0;
  }
  const NextChar& CnfSteps() override { return cp932_ ? test_steps::NextCp932 : NextByte; }

  void WriteFile(const std::string& folder, const std::string& name, const std::string& text) {
    Write(folder, name, text);
  }
  void RenameFile(const std::string& folder, const std::string& from, const std::string& to) {
    Rename(folder, from, to);
  }

 private:
  bool cp932_;
  bool aliases_;
};

bool EndsInExtension(const ListedFile<char>& entry, const char* extension) {
  return fuzz_text::EndsInExtension(entry.name.c_str(), extension) ||
         fuzz_text::EndsInExtension(entry.shortName.c_str(), extension);
}

bool IsFieldEnd(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Whether text has a line that begins with '%' and name, followed by a blank,
// a line break or the text's end.
// The same name, or (for a name the search may spell as the folder lists it)
// the same letters in another case.
bool SameLineName(const std::string& text, std::size_t at, const std::string& name) {
  if (text.compare(at, name.size(), name) == 0) return true;
  std::uint32_t hash = 0;
  if (at + name.size() > text.size() || !FoldPlainName(name.data(), name.size(), &hash))
    return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(text[at + i])) !=
        std::toupper(static_cast<unsigned char>(name[i])))
      return false;
  }
  return true;
}

bool NamedOnPaletteLine(const std::string& text, const std::string& name) {
  for (std::size_t p = text.find('%'); p != std::string::npos; p = text.find('%', p + 1)) {
    if (p != 0 && text[p - 1] != '\r' && text[p - 1] != '\n') continue;
    if (!SameLineName(text, p + 1, name)) continue;
    const std::size_t after = p + 1 + name.size();
    if (after == text.size() || IsFieldEnd(text[after])) return true;
  }
  return false;
}

std::string TextOf(FuzzFolders& folders, const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!folders.Read(path, 0, &bytes)) return "";
  return std::string(bytes.begin(), bytes.end());
}

struct Scenario {
  std::string folder;
  PathLimits limits;
};

void CheckSearch(FuzzFolders& folders, FolderCache<char>& cache, const Scenario& scenario,
                 const std::string& cel) {
  const std::string& folder = scenario.folder;
  const PaletteSearchResult<char> fresh =
      FindPaletteInFolder<char>(folders, folder, cel, scenario.limits);
  const PaletteSearchResult<char> kept =
      cache.Find(folders, folder, cel, scenario.limits, kPaletteReadLength);
  Require(kept.found == fresh.found && kept.path == fresh.path,
          "the cache answers as a fresh search");

  std::vector<ListedFile<char>> entries;
  folders.List(folder, &entries);
  bool anyCnf = false;
  const ListedFile<char>* firstPalette = nullptr;
  for (const ListedFile<char>& entry : entries) {
    if (EndsInExtension(entry, ".cnf")) anyCnf = true;
    const bool fits = folder.size() + 1 + entry.name.size() <= scenario.limits.answer;
    if (firstPalette == nullptr && fits && EndsInExtension(entry, ".kcf")) firstPalette = &entry;
  }
  if (!fresh.found) {
    Require(!anyCnf || firstPalette == nullptr,
            "a set with a palette file that fits always has an answer");
    return;
  }
  Require(anyCnf, "a folder without a configuration file has no answer");
  Require(fresh.path.size() <= scenario.limits.answer, "the answer fits its limit");
  Require(fresh.path.compare(0, folder.size() + 1, folder + "\\") == 0,
          "the answer lies in the cel's folder");
  const std::string name = fresh.path.substr(folder.size() + 1);
  bool named = firstPalette != nullptr && name == firstPalette->name;
  for (std::size_t i = 0; i < entries.size() && !named; ++i) {
    if (EndsInExtension(entries[i], ".cnf"))
      named = NamedOnPaletteLine(TextOf(folders, folder + "\\" + entries[i].name), name);
  }
  Require(named, "the answer is a '%' line's name or the first palette file listed");

  // The palette's first bytes, through the cache, are the file's.
  std::vector<std::uint8_t> direct;
  const bool opens = folders.Read(fresh.path, kPaletteReadLength, &direct);
  Require(kept.read == opens && (!opens || kept.bytes == direct),
          "the cache reads a palette file's bytes as they are");
  const PaletteSearchResult<char> again =
      cache.Find(folders, folder, cel, scenario.limits, kPaletteReadLength);
  Require(again.read == opens && (!opens || again.bytes == direct),
          "the cache keeps a palette file's bytes as they are");
}

bool IsFileName(const std::string& name) {
  return !name.empty() && name.find('\\') == std::string::npos &&
         name.find('/') == std::string::npos;
}

// Splits "first LF second" at its first line feed.
void SplitAtLineFeed(const std::string& text, std::string* first, std::string* second) {
  const std::size_t at = text.find('\n');
  *first = text.substr(0, at);
  *second = at == std::string::npos ? "" : text.substr(at + 1);
}

Scenario ScenarioFor(std::uint8_t options) {
  static const std::string kFolders[4] = {"C:\\kiss\\mira", "set", "",
                                          "C:\\" + std::string(200, 'd')};
  Scenario scenario;
  scenario.folder = kFolders[(options >> 5) & 3];
  const std::size_t folder = scenario.folder.size() + 1;
  switch ((options >> 3) & 3) {
    case 0:  // the 8-bit plug-in's
      scenario.limits = {259, 259};
      break;
    case 1:  // the wide plug-in's
      scenario.limits = {32767, 32767};
      break;
    case 2:  // short answers only
      scenario.limits = {259, folder + 8};
      break;
    default:  // short paths and answers
      scenario.limits = {folder + 12, folder + 12};
      break;
  }
  return scenario;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  FuzzFolders folders((options & 1) != 0, (options & 0x80) != 0);
  folders.SetTimeTracksEntries((options & 2) == 0);
  if ((options & 4) != 0) folders.SetCoarseness(kFatClock);
  const Scenario scenario = ScenarioFor(options);
  FolderCache<char> cache;
  const std::string& folder = scenario.folder;

  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  std::size_t records = 0;
  std::size_t searches = 0;
  for (std::size_t start = 0; start < input.size() && records < kMaxRecords; ++records) {
    const std::size_t end = std::min(input.find('\0', start), input.size());
    const std::string record = input.substr(start, end - start);
    start = end + 1;
    if (record.empty()) continue;
    const std::string argument = record.substr(1);
    std::string first;
    std::string second;
    switch (record[0]) {
      case 'W':
        SplitAtLineFeed(argument, &first, &second);
        if (IsFileName(first)) folders.WriteFile(folder, first, second);
        break;
      case 'D':
        if (IsFileName(argument)) folders.Remove(folder, argument);
        break;
      case 'M':
        SplitAtLineFeed(argument, &first, &second);
        if (IsFileName(first) && IsFileName(second)) folders.RenameFile(folder, first, second);
        break;
      case 'C': {
        std::vector<std::uint8_t> bytes;
        const std::string swapped = fuzz_text::SwappedCase(argument);
        if (IsFileName(argument) && swapped != argument &&
            folders.Read(folder + "\\" + argument, 0, &bytes))
          folders.WriteFile(folder, swapped, std::string(bytes.begin(), bytes.end()));
        break;
      }
      case 'T': {
        const std::uint64_t quarters =
            argument.empty() ? 0 : static_cast<std::uint8_t>(argument[0]);
        folders.Advance(quarters == 0 ? 1 : quarters * kSecond / 4);
        break;
      }
      case 'F':
        if (searches++ < kMaxSearches) CheckSearch(folders, cache, scenario, argument);
        break;
      default:
        break;
    }
    folders.Advance(1);
  }
  return 0;
}
