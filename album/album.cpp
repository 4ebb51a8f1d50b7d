#include "album/album.h"

#include <cstring>
#include <memory>
#include <new>
#include <unordered_map>

#include "archive/member_names.h"
#include "cel/colour_table.h"
#include "cel/convert.h"
#include "cel/text_adapters.h"
#include "doll/doll_compose.h"
#include "doll/doll_config.h"

namespace {

using MemberBytes = std::shared_ptr<const std::vector<std::uint8_t>>;

// Before a page's name: '!' sorts before digits and letters and every other
// character a file name may start with but a space, by ordinal, lstrcmpi and
// the shell's logical order alike, so a viewer shows the doll first.
constexpr wchar_t kPageMark[] = L"!";

bool HasExtension(const std::wstring& name, const char* extension) {
  return EndsWithNoCase(name.c_str(), name.size(), extension);
}

bool IsPictureName(const std::wstring& name) {
  for (const char* extension : {".BMP", ".GIF", ".PNG", ".JPG"})
    if (HasExtension(name, extension)) return true;
  return false;
}

std::wstring WithoutExtension(const std::wstring& name) {
  const std::size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos || dot == 0 ? name : name.substr(0, dot);
}

std::wstring FolderWithSeparator(const std::wstring& folder) {
  if (folder.empty() || folder.back() == L'\\') return folder;
  return folder + L'\\';
}

MemberBytes ReadMember(const ArchiveSet& set, std::size_t member) {
  MemberBytes bytes;
  if (set.Members()[member].problem != ArchiveStatus::kOk) return nullptr;
  if (set.Read(member, &bytes) != ArchiveStatus::kOk || bytes == nullptr) return nullptr;
  return bytes;
}

ByteView ViewOf(const std::vector<std::uint8_t>& bytes) { return {bytes.data(), bytes.size()}; }

std::uint64_t BmpFileSize(const PicturePlan& plan) {
  return kBmpFileHeaderSize + plan.infoBytes + plan.pixelBytes;
}

AlbumEntry EntryFor(AlbumKind kind, std::size_t member, const SetMember& from) {
  AlbumEntry entry;
  entry.kind = kind;
  entry.member = member;
  entry.folder = FolderWithSeparator(from.folder);
  entry.unixTime = from.unixTime;
  return entry;
}

void ListPages(const ArchiveSet& set, std::size_t member, std::vector<AlbumEntry>* entries) {
  const MemberBytes text = ReadMember(set, member);
  if (text == nullptr) return;
  const DollConfig config = ReadDollConfig(ViewOf(*text));
  if (!DollSizeServed(config)) return;
  const PicturePlan plan = DollPicturePlan(config);
  if (!FitsIn32Bits(plan)) return;
  const SetMember& from = set.Members()[member];
  const std::wstring stem = WithoutExtension(from.name);
  for (int page = 0; page < DollPageCount(config); ++page) {
    AlbumEntry entry = EntryFor(AlbumKind::kPage, member, from);
    entry.page = page;
    entry.name = kPageMark + stem + L".set" + std::to_wstring(page) + L".bmp";
    entry.size = entry.packedSize = BmpFileSize(plan);
    entry.method = "page";
    entries->push_back(std::move(entry));
  }
}

void ListCel(const ArchiveSet& set, std::size_t member, std::vector<AlbumEntry>* entries) {
  const MemberBytes cel = ReadMember(set, member);
  if (cel == nullptr) return;
  PicturePlan plan;
  if (!PlanPicture(ViewOf(*cel), &plan) || !FitsIn32Bits(plan)) return;
  const SetMember& from = set.Members()[member];
  AlbumEntry entry = EntryFor(AlbumKind::kCel, member, from);
  entry.name = WithoutExtension(from.name) + L".bmp";
  entry.size = entry.packedSize = BmpFileSize(plan);
  entry.method = "cel";
  entries->push_back(std::move(entry));
}

void ListPicture(const ArchiveSet& set, std::size_t member, std::vector<AlbumEntry>* entries) {
  const SetMember& from = set.Members()[member];
  if (from.problem != ArchiveStatus::kOk) return;
  AlbumEntry entry = EntryFor(AlbumKind::kPicture, member, from);
  entry.name = from.name;
  entry.size = from.size;
  entry.packedSize = from.packedSize;
  entry.crc = from.crc;
  entry.method = from.method.empty() ? std::string("stored") : from.method;
  entries->push_back(std::move(entry));
}

// The name of a made file when its plain name is taken: the member's whole
// name before ".bmp" ("body.cel.bmp", "!mira.cnf.set0.bmp"), and past that a
// counter ("body.cel.2.bmp").
std::wstring OtherName(const ArchiveSet& set, const AlbumEntry& entry, unsigned counter) {
  const std::wstring& member = set.Members()[entry.member].name;
  std::wstring name = entry.kind == AlbumKind::kPage
                          ? kPageMark + member + L".set" + std::to_wstring(entry.page)
                          : member;
  if (counter > 1) name += L'.' + std::to_wstring(counter);
  return name + L".bmp";
}

// The paths given so far, compared as the set compares its members' names.
class TakenPaths {
 public:
  explicit TakenPaths(const ArchiveSet& set) : set_(set) {}
  // false when path names a file already given.
  bool Take(const std::wstring& path) {
    const std::uint64_t hash = FoldedNameHash(path);
    const auto range = taken_.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it)
      if (set_.SameName(it->second, path)) return false;
    taken_.emplace(hash, path);
    return true;
  }

 private:
  const ArchiveSet& set_;
  std::unordered_multimap<std::uint64_t, std::wstring> taken_;
};

// Gives every entry a path no other has: pictures keep their members' own
// names (unique in the set); a made file keeps its plain name unless an
// earlier one has it, else takes OtherName.
void MakePathsUnique(const ArchiveSet& set, std::vector<AlbumEntry>* entries) {
  TakenPaths taken(set);
  for (const AlbumEntry& entry : *entries)
    if (entry.kind == AlbumKind::kPicture) taken.Take(entry.folder + entry.name);
  for (AlbumEntry& entry : *entries) {
    if (entry.kind == AlbumKind::kPicture || taken.Take(entry.folder + entry.name)) continue;
    for (unsigned counter = 1;; ++counter) {
      std::wstring name = OtherName(set, entry, counter);
      if (taken.Take(entry.folder + name)) {
        entry.name = std::move(name);
        break;
      }
    }
  }
}

// BITMAPFILEHEADER: "BM", the file's size, two reserved words, the offset of
// the rows.
std::uint8_t* StartBmpFile(const PicturePlan& plan, std::vector<std::uint8_t>* file) {
  const std::uint64_t size = BmpFileSize(plan);
  file->assign(static_cast<std::size_t>(size), 0);
  std::uint8_t* bytes = file->data();
  const auto put32 = [](std::uint8_t* at, std::uint64_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(bytes + 2, size);
  put32(bytes + 10, kBmpFileHeaderSize + plan.infoBytes);
  std::uint8_t* info = bytes + kBmpFileHeaderSize;
  WriteInfoHeader(info, plan);
  return info;
}

AlbumResult MakePage(const ArchiveSet& set, const AlbumEntry& entry,
                     std::vector<std::uint8_t>* file) {
  const MemberBytes text = ReadMember(set, entry.member);
  if (text == nullptr) return AlbumResult::kReadFailed;
  const DollConfig config = ReadDollConfig(ViewOf(*text));
  if (!DollSizeServed(config) || entry.page >= DollPageCount(config)) return AlbumResult::kBroken;
  const PicturePlan plan = DollPicturePlan(config);
  if (BmpFileSize(plan) != entry.size) return AlbumResult::kBroken;
  const std::unique_ptr<DollFiles> files = set.FilesBeside(entry.member);
  if (files == nullptr) return AlbumResult::kReadFailed;
  std::uint8_t* info = StartBmpFile(plan, file);
  ComposeDoll(config, entry.page, *files, info + plan.infoBytes);
  return AlbumResult::kOk;
}

void FillCelColours(const ArchiveSet& set, std::size_t member, unsigned depth,
                    std::uint8_t* table) {
  const PaletteSearchResult<wchar_t> palette = set.FindPalette(member, kPaletteReadLength);
  const bool filled = palette.found && palette.read &&
                      BuildColoursFromPaletteFile(table, depth, ViewOf(palette.bytes),
                                                  HasExtension(palette.path, ".KCF"));
  if (!filled) BuildFallbackColours(table, depth);
}

AlbumResult MakeCel(const ArchiveSet& set, const AlbumEntry& entry, const PluginSettings& settings,
                    std::vector<std::uint8_t>* file) {
  const MemberBytes cel = ReadMember(set, entry.member);
  if (cel == nullptr) return AlbumResult::kReadFailed;
  PicturePlan plan;
  if (!PlanPicture(ViewOf(*cel), &plan) || BmpFileSize(plan) != entry.size)
    return AlbumResult::kBroken;
  std::uint8_t* info = StartBmpFile(plan, file);
  if (plan.colourTableBytes != 0)
    FillCelColours(set, entry.member, plan.rule.outputDepth, info + kInfoHeaderSize);
  ConvertPixels(ViewOf(*cel), plan, settings, info + plan.infoBytes);
  return AlbumResult::kOk;
}

AlbumResult CopyPicture(const ArchiveSet& set, const AlbumEntry& entry,
                        std::vector<std::uint8_t>* file) {
  const MemberBytes bytes = ReadMember(set, entry.member);
  if (bytes == nullptr) return AlbumResult::kReadFailed;
  if (bytes->size() != entry.size) return AlbumResult::kBroken;
  *file = *bytes;
  return AlbumResult::kOk;
}

}  // namespace

std::vector<AlbumEntry> ListAlbum(const ArchiveSet& set, std::ptrdiff_t onlyConfig) {
  const std::vector<SetMember>& members = set.Members();
  std::vector<AlbumEntry> entries;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const bool wanted = onlyConfig < 0 || static_cast<std::size_t>(onlyConfig) == i;
    if (wanted && HasExtension(members[i].name, ".CNF")) ListPages(set, i, &entries);
  }
  for (std::size_t i = 0; i < members.size(); ++i)
    if (HasExtension(members[i].name, ".CEL")) ListCel(set, i, &entries);
  for (std::size_t i = 0; i < members.size(); ++i)
    if (IsPictureName(members[i].name)) ListPicture(set, i, &entries);
  MakePathsUnique(set, &entries);
  return entries;
}

bool HeadShowsCel(ByteView head) {
  for (std::size_t at = 0; at + 4 <= head.size; ++at)
    if (EndsWithNoCase(head.data + at, 4, ".CEL")) return true;
  return false;
}

std::uint64_t SetBytes(const ArchiveSet& set) {
  std::uint64_t bytes = 0;
  for (const SetMember& member : set.Members()) bytes += member.size;
  return bytes;
}

AlbumResult MakeAlbumFile(const ArchiveSet& set, const AlbumEntry& entry,
                          const PluginSettings& settings, std::vector<std::uint8_t>* file) {
  if (entry.member >= set.Members().size()) return AlbumResult::kBroken;
  try {
    switch (entry.kind) {
      case AlbumKind::kPage:
        return MakePage(set, entry, file);
      case AlbumKind::kCel:
        return MakeCel(set, entry, settings, file);
      case AlbumKind::kPicture:
        return CopyPicture(set, entry, file);
    }
  } catch (const std::bad_alloc&) {
    file->clear();
    return AlbumResult::kNoMemory;
  }
  return AlbumResult::kBroken;
}
