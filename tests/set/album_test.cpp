// A host's whole conversation with the album plug-in over the sample set, as
// its two archives and through its configuration file: the list from a file
// and from memory in both widths, every member fetched into memory and into a
// folder and equal to what tamsa and tamsadoll make of the unpacked set, each
// member's record by name, and the ways hosts pass members in memory.
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>

#include "set/set_host.h"

namespace {

std::string Narrow(const char* text) { return text; }
std::string Narrow(const wchar_t* text) {
  std::string narrow;
  for (; *text != 0; ++text) narrow.push_back(static_cast<char>(*text));
  return narrow;
}

// What the unpacked set makes of a listed member: tamsadoll's page for
// "!mira.setN.bmp", tamsa's picture of the cel for "name.bmp".
Bytes ExpectedFile(const std::string& folder, const std::string& name) {
  const std::size_t set = name.find(".set");
  if (name[0] == '!' && set != std::string::npos)
    return SetSuite::PageFile(kSampleSet + "\\" + name.substr(1, set - 1) + ".cnf",
                              std::atoi(name.c_str() + set + 4));
  return SetSuite::CelFile(kSampleSet + "\\" + folder + name.substr(0, name.size() - 4) + ".cel");
}

struct SampleSource {
  const char* path;  // under samples/
  bool archive;
};
constexpr SampleSource kSources[] = {
    {"archives\\mira.zip", true}, {"archives\\mira.lzh", true}, {"mira\\mira.cnf", false}};

using SetHost = SetSuite;

TEST_F(SetHost, EachSourceListsThePagesThenTheCelsEachEqualToTheUnpackedSets) {
  for (const SampleSource& source : kSources) {
    SCOPED_TRACE(source.path);
    const std::string path = kSamples + "\\" + source.path;
    const Listed<ArchiveFileInfo> listed = List(path);
    ASSERT_EQ(listed.code, 0);
    // Every record, then one whole record of zeros.
    ASSERT_EQ(listed.blockSize, (listed.records.size() + 1) * sizeof(ArchiveFileInfo));
    EXPECT_TRUE(std::all_of(listed.raw.end() - sizeof(ArchiveFileInfo), listed.raw.end(),
                            [](std::uint8_t b) { return b == 0; }));

    std::vector<std::string> names;
    for (const ArchiveFileInfo& info : listed.records)
      names.push_back(Narrow(info.path) + info.filename);
    // The sample's configuration has one page; its archives hold loose/ too.
    ASSERT_GE(names.size(), 6u);
    EXPECT_EQ(names[0], "!mira.set0.bmp");
    std::vector<std::string> cels(names.begin() + 1, names.end());
    std::vector<std::string> expectedCels = {"body.bmp", "dress.bmp", "bow.bmp", "hair.bmp",
                                             "hat.bmp"};
    if (source.archive) {
      expectedCels.push_back("loose\\flower.bmp");
      expectedCels.push_back("loose\\moon.bmp");
    } else {
      std::sort(cels.begin(), cels.end());  // a folder's listing has no order of its own
      std::sort(expectedCels.begin(), expectedCels.end());
    }
    EXPECT_EQ(cels, expectedCels);

    const TempFolder out;
    for (std::size_t i = 0; i < listed.records.size(); ++i) {
      const ArchiveFileInfo& info = listed.records[i];
      SCOPED_TRACE(names[i]);
      EXPECT_EQ(info.position, i);
      Bytes file;
      ASSERT_EQ(Fetch(path.c_str(), static_cast<LONG_PTR>(info.position), 0, &file), 0);
      EXPECT_EQ(file.size(), info.filesize);
      EXPECT_EQ(file, ExpectedFile(info.path, info.filename));
      // Into a folder: dest\filename, the same bytes.
      ASSERT_EQ(album->getFile(path.c_str(), static_cast<LONG_PTR>(info.position),
                               const_cast<LPSTR>(out.Path().c_str()), kOutputFolder, nullptr, 0),
                0);
      EXPECT_EQ(ReadBytes(out.Path() + "\\" + info.filename), file);
      // The record by name: as listed, and in capitals only when asked to ignore case.
      ArchiveFileInfo byName = {};
      ASSERT_EQ(album->getFileInfo(path.c_str(), 0, names[i].c_str(), 0, &byName), 0);
      EXPECT_EQ(std::memcmp(&byName, &info, sizeof info), 0);
      std::string upper = names[i];
      std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
      EXPECT_NE(album->getFileInfo(path.c_str(), 0, upper.c_str(), 0, &byName), 0);
      EXPECT_EQ(album->getFileInfo(path.c_str(), 0, upper.c_str(), kNameIgnoresCase, &byName), 0);
      EXPECT_EQ(byName.position, i);
    }
    ArchiveFileInfo none = {};
    EXPECT_NE(album->getFileInfo(path.c_str(), 0, "mira.cnf", 0, &none), 0);  // not a picture
  }
}

// Viewers sort a folder's names by the system's order (lstrcmpi), the
// shell's (StrCmpLogicalW) or by code: a page comes first in each, before a
// name starting with any other character a file name may start with. The
// shell's order may put names starting with a digit (numbers first) or with
// a character the system's order passes over ('\'', '-') before it: Wine's
// does.
TEST(AlbumNames, APageSortsBeforeEveryOtherNameInEachViewersOrder) {
  const std::wstring page = L"!mira.set0.bmp";
  std::vector<std::wstring> others = {L"body.bmp", L"\u00e9t\u00e9.bmp", L"\u3042.bmp"};
  for (wchar_t c = 0x22; c < 0x7F; ++c)
    if (std::wcschr(L"\\/:*?\"<>|", c) == nullptr) others.push_back(std::wstring(1, c) + L"a.bmp");
  for (const std::wstring& other : others) {
    SCOPED_TRACE(Narrow(other.c_str()));
    EXPECT_LT(lstrcmpiW(page.c_str(), other.c_str()), 0);
    EXPECT_LT(page.compare(other), 0);
    const bool logicalMayPrecede = std::iswdigit(other[0]) || other[0] == L'\'' || other[0] == L'-';
    if (!logicalMayPrecede) EXPECT_LT(StrCmpLogicalW(page.c_str(), other.c_str()), 0);
  }
}

TEST_F(SetHost, WideAndMemoryListsAgreeWithTheFileListEntryByEntry) {
  for (const SampleSource& source : kSources) {
    SCOPED_TRACE(source.path);
    const std::string path = kSamples + "\\" + source.path;
    const Listed<ArchiveFileInfo> listed = List(path);
    const Listed<ArchiveFileInfoW> wide = ListW(Widened(path));
    ASSERT_EQ(listed.code, 0);
    ASSERT_EQ(wide.code, 0);
    ASSERT_EQ(wide.records.size(), listed.records.size());
    for (std::size_t i = 0; i < listed.records.size(); ++i) {
      const ArchiveFileInfo& a = listed.records[i];
      const ArchiveFileInfoW& w = wide.records[i];
      EXPECT_EQ(std::memcmp(a.method, w.method, sizeof a.method), 0);
      EXPECT_EQ(a.position, w.position);
      EXPECT_EQ(a.filesize, w.filesize);
      EXPECT_EQ(a.compsize, w.compsize);
      EXPECT_EQ(a.timestamp, w.timestamp);
      EXPECT_EQ(a.crc, w.crc);
      EXPECT_EQ(Narrow(a.path), Narrow(w.path));
      EXPECT_EQ(Narrow(a.filename), Narrow(w.filename));
      Bytes narrowFile, wideFile;
      ASSERT_EQ(Fetch(path.c_str(), static_cast<LONG_PTR>(i), 0, &narrowFile), 0);
      ASSERT_EQ(FetchW(Widened(path), static_cast<LONG_PTR>(i), &wideFile), 0);
      EXPECT_EQ(wideFile, narrowFile);
    }
    if (!source.archive) {
      // A configuration in memory has no folder to take the cels from.
      EXPECT_EQ(ListMemory(ReadBytes(path)).code, 2);
      continue;
    }
    const Bytes bytes = ReadBytes(path);
    const Listed<ArchiveFileInfo> memory = ListMemory(bytes);
    ASSERT_EQ(memory.code, 0);
    ASSERT_EQ(memory.raw.size(), listed.raw.size());
    // Only the times may differ: none here, the members' own times are listed.
    EXPECT_EQ(memory.raw, listed.raw);
  }
}

TEST_F(SetHost, MembersInMemoryAreFoundAsEachKindOfHostPassesThem) {
  const std::string path = kSamples + "\\archives\\mira.zip";
  const Bytes bytes = ReadBytes(path);
  const Listed<ArchiveFileInfo> memory = ListMemory(bytes);
  ASSERT_EQ(memory.code, 0);
  const auto* start = reinterpret_cast<LPCSTR>(bytes.data());
  const auto size = static_cast<LONG_PTR>(bytes.size());
  for (const ArchiveFileInfo& info : memory.records) {
    SCOPED_TRACE(info.filename);
    Bytes fromFile, file;
    ASSERT_EQ(Fetch(path.c_str(), static_cast<LONG_PTR>(info.position), 0, &fromFile), 0);
    const auto position = static_cast<LONG_PTR>(info.position);
    // The interface's texts: advanced by the position, the count that remains.
    EXPECT_EQ(Fetch(start + position, size - position, 1, &file), 0);
    EXPECT_EQ(file, fromFile);
    // A tester: advanced by the position, the whole size.
    EXPECT_EQ(Fetch(start + position, size, 1, &file), 0);
    EXPECT_EQ(file, fromFile);
    // The archive's start, the position as the length.
    EXPECT_EQ(Fetch(start, position, 1, &file), 0);
    EXPECT_EQ(file, fromFile);
  }
  // Bytes the plug-in never listed are no archive of its.
  const Bytes other(bytes.size(), 0x55);
  Bytes file;
  EXPECT_EQ(Fetch(reinterpret_cast<LPCSTR>(other.data()), 0, 1, &file), 2);
  EXPECT_TRUE(file.empty());
}

int CALLBACK Stop(int, int, LONG_PTR) { return 1; }
int CALLBACK GoOn(int, int, LONG_PTR) { return 0; }

TEST_F(SetHost, BadRequestsFailCleanly) {
  const std::string path = kSamples + "\\archives\\mira.lzh";
  const Listed<ArchiveFileInfo> listed = List(path);
  ASSERT_EQ(listed.code, 0);
  const auto count = static_cast<LONG_PTR>(listed.records.size());
  Bytes file;
  EXPECT_EQ(Fetch(path.c_str(), count, 0, &file), -1);  // no member has that position
  EXPECT_EQ(Fetch(path.c_str(), -1, 0, &file), -1);
  EXPECT_EQ(Fetch(path.c_str(), 0, 0, &file, Stop), 1);
  EXPECT_TRUE(file.empty());
  EXPECT_EQ(Fetch(path.c_str(), 0, 0, &file, GoOn), 0);
  EXPECT_EQ(album->getFile(path.c_str(), 0, nullptr, kOutputMemory, nullptr, 0), -1);
  EXPECT_EQ(album->getArchiveInfo(path.c_str(), 0, 0, nullptr), -1);
  EXPECT_EQ(album->getFileInfo(path.c_str(), 0, "!mira.set0.bmp", 0, nullptr), -1);

  // A folder that does not exist: nothing written anywhere.
  const TempFolder out;
  const std::string missing = out.Path() + "\\missing";
  EXPECT_EQ(album->getFile(path.c_str(), 0, const_cast<LPSTR>(missing.c_str()), kOutputFolder,
                           nullptr, 0),
            6);
  EXPECT_TRUE(ListNames(out.Path(), "*").size() <= 2);  // "." and ".." at most

  // Files that are no set of this plug-in's.
  const std::string text = out.Write("text.zip", std::string("PK but not an archive"));
  EXPECT_EQ(List(text).code, 2);
  EXPECT_TRUE(List(text).null);
  EXPECT_EQ(List(out.Path() + "\\absent.lzh").code, 6);
  const Bytes whole = ReadBytes(path);
  const Bytes truncated(whole.begin(), whole.begin() + 100);
  EXPECT_NE(ListMemory(truncated).code, 0);
  EXPECT_TRUE(ListMemory(truncated).null);
}

}  // namespace
