#include "archive_members.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "cel/cel_format.h"
#include "doll/doll_config.h"
#include "file_io.h"
#include "result_codes.h"
#include "settings/settings_store.h"
#include "spi/album_result.h"
#include "spi/ansi_text.h"
#include "spi/archive_file.h"
#include "spi/plugin_api.h"
#include "spi/system_set_text.h"

namespace {

std::string Failed(const char* call, int code) {
  return DescribeResult(code) + " (" + call + " returned " + std::to_string(code) + ")";
}

// The member's bytes; false, with report.failure set, when they cannot be had.
bool ReadMember(const ArchiveSet& set, std::size_t member,
                std::shared_ptr<const std::vector<std::uint8_t>>* bytes, FileReport& report) {
  const ArchiveStatus status = set.Read(member, bytes);
  if (status == ArchiveStatus::kOk) return true;
  report.failure = DescribeArchiveStatus(status);
  return false;
}

// The first kHeadSize bytes, zero past the member's end, as a host hands them.
std::vector<std::uint8_t> Head(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::uint8_t> head(kHeadSize, 0);
  std::memcpy(head.data(), bytes.data(), bytes.size() < kHeadSize ? bytes.size() : kHeadSize);
  return head;
}

// The album's file of entry read back as the picture it holds.
FileReport TakeAlbumFile(const ArchiveSet& set, const AlbumEntry& entry,
                         const PluginSettings& settings) {
  std::vector<std::uint8_t> file;
  const AlbumResult made = MakeAlbumFile(set, entry, settings, &file);
  if (made == AlbumResult::kOk) return ReadBmpFile(file);
  FileReport report;
  report.failure = Failed("GetPicture", ResultOf(made));
  return report;
}

std::vector<const AlbumEntry*> EntriesOf(const std::vector<AlbumEntry>& album, std::size_t member) {
  std::vector<const AlbumEntry*> entries;
  for (const AlbumEntry& entry : album)
    if (entry.member == member && entry.kind != AlbumKind::kPicture) entries.push_back(&entry);
  return entries;
}

}  // namespace

bool IsArchiveName(const std::string& name) {
  return HasExtension(name.c_str(), ".LZH", AnsiCompareNoCase) ||
         HasExtension(name.c_str(), ".LHA", AnsiCompareNoCase) ||
         HasExtension(name.c_str(), ".ZIP", AnsiCompareNoCase);
}

std::unique_ptr<ArchiveSet> OpenSetArchive(const std::string& path, std::string& failure) {
  const std::shared_ptr<ArchiveFile> file = ArchiveFile::Open(WidenAnsi(FullPath(path)).c_str());
  if (file == nullptr) {
    failure = "file failed to open (the host cannot read it)";
    return nullptr;
  }
  ArchiveStatus status = ArchiveStatus::kOk;
  std::unique_ptr<ArchiveSet> set =
      OpenArchiveSet(file, std::make_shared<SystemSetText>(), ArchiveLimits(), &status);
  if (set == nullptr) failure = "cannot list the archive: " + DescribeArchiveStatus(status);
  return set;
}

std::string DescribeArchiveStatus(ArchiveStatus status) {
  switch (status) {
    case ArchiveStatus::kOk:
      return "ok";
    case ArchiveStatus::kUnknownFormat:
      return "not an archive of a known format";
    case ArchiveStatus::kBroken:
      return "the archive is damaged";
    case ArchiveStatus::kCrcMismatch:
      return "the member's bytes do not match their stored check";
    case ArchiveStatus::kUnsupported:
      return "an encrypted member, or a compression method not read here";
    case ArchiveStatus::kTooLarge:
      return "past the limit on a member's or the set's size or member count";
    case ArchiveStatus::kNoMemory:
      return "out of memory";
    case ArchiveStatus::kReadFailed:
      return "the archive file cannot be read";
    case ArchiveStatus::kBadName:
      return "a name that would unpack outside the set's folder, or that cannot be converted";
    case ArchiveStatus::kSameName:
      return "an earlier member has the same name";
  }
  return "unknown problem";
}

std::string MemberText(const std::wstring& path) { return NarrowAnsi(path, "_"); }

bool IsCelMember(const SetMember& member) { return HasWideExtension(member.name.c_str(), L".CEL"); }
bool IsConfigurationMember(const SetMember& member) {
  return HasWideExtension(member.name.c_str(), L".CNF");
}

FileReport DecodeArchiveCel(const ArchiveSet& set, const std::vector<AlbumEntry>& album,
                            std::size_t member) {
  FileReport report;
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  if (!ReadMember(set, member, &bytes, report)) return report;
  const std::vector<std::uint8_t> head = Head(*bytes);
  if (!PassesQuickTest(ByteView{head.data(), kKissHeaderSize}, true)) {
    report.failure = "not supported (IsSupported answered 0)";
    return report;
  }
  const std::vector<const AlbumEntry*> entries = EntriesOf(album, member);
  if (entries.empty()) {  // a depth not served, or too large
    report.failure = Failed("GetPicture", kResultNotServed);
    return report;
  }
  report = TakeAlbumFile(set, *entries.front(), ReadDecoderSettings());
  report.info.colorDepth = ReadCelPictureInfo(ByteView{head.data(), kKissHeaderSize}).bitsPerPixel;
  return report;
}

FileReport DecodeArchiveDoll(const ArchiveSet& set, const std::vector<AlbumEntry>& album,
                             std::size_t member,
                             const std::function<void(int page, FileReport& report)>& onPage) {
  FileReport whole;
  std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  if (!ReadMember(set, member, &bytes, whole)) return whole;
  const std::vector<std::uint8_t> head = Head(*bytes);
  if (!LooksLikeDollConfig(ByteView{head.data(), kDollClaimWindow})) {
    whole.failure = "not supported (IsSupported answered 0)";
    return whole;
  }
  const std::vector<const AlbumEntry*> pages = EntriesOf(album, member);
  if (pages.empty()) {  // a doll too large to compose
    whole.failure = Failed("GetPictureInfo", kResultNoMemory);
    return whole;
  }
  whole.ok = true;
  for (const AlbumEntry* page : pages) {
    FileReport report = TakeAlbumFile(set, *page, PluginSettings{});
    onPage(page->page, report);
  }
  return whole;
}
