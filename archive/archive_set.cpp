#include "archive/archive_set.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>
#include <utility>

#include "archive/member_names.h"

namespace {

// Wide paths may be as long as the system allows, as in the wide plug-in.
constexpr std::size_t kWidePathLimit = 32767;
// A set never changes: every stamp is this old, and the clock reads later
// than the cache's trust margin, so what the search reads once is kept.
constexpr std::uint64_t kSetWriteTime = 0;
constexpr std::uint64_t kSetClock = FolderCache<wchar_t>::kTrustMargin * 2;

bool IsArchiveName(const std::wstring& name) {
  return EndsWithNoCase(name.data(), name.size(), ".lzh") ||
         EndsWithNoCase(name.data(), name.size(), ".lha") ||
         EndsWithNoCase(name.data(), name.size(), ".zip");
}

// An archive member's bytes as the source of the archive inside it.
class HeldBytesSource : public ArchiveSource {
 public:
  explicit HeldBytesSource(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
      : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_->size(); }
  bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override {
    if (offset > bytes_->size() || count > bytes_->size() - offset) return false;
    if (count != 0) std::memcpy(out, bytes_->data() + offset, count);
    return true;
  }

 private:
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
};

// The order in which an unpacked copy on NTFS lists a folder: names compared
// by their characters made upper case.
bool ListsBefore(const std::wstring& a, const std::wstring& b) {
  auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - 32 : c; };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](wchar_t x, wchar_t y) { return upper(x) < upper(y); });
}

class HeldSet final : public ArchiveSet {
 public:
  HeldSet(std::shared_ptr<const ArchiveSource> source, std::shared_ptr<const SetText> text,
          const ArchiveLimits& limits)
      : source_(std::move(source)), text_(std::move(text)), limits_(limits) {}

  ArchiveStatus Open(ArchiveOpener open) {
    ArchiveStatus status = ArchiveStatus::kOk;
    std::unique_ptr<ArchiveReader> reader = open(*source_, limits_, &status);
    if (reader == nullptr) return status == ArchiveStatus::kOk ? ArchiveStatus::kBroken : status;
    readers_.push_back(std::move(reader));
    AddEntries(open, 0, std::wstring());
    return ArchiveStatus::kOk;
  }

  const std::vector<SetMember>& Members() const override { return members_; }
  ArchiveStatus ListingStatus() const override { return readers_[0]->ListingStatus(); }

  std::ptrdiff_t Find(const std::wstring& path) const override {
    std::wstring normal;
    if (!NormaliseLookupPath(path, &normal)) return -1;
    std::ptrdiff_t found = -1;
    const auto range = byPath_.equal_range(FoldedNameHash(normal));
    for (auto it = range.first; it != range.second; ++it) {
      const auto index = static_cast<std::ptrdiff_t>(it->second);
      if ((found < 0 || index < found) && text_->SameName(members_[it->second].path, normal))
        found = index;
    }
    return found;
  }

  bool SameName(const std::wstring& a, const std::wstring& b) const override {
    return text_->SameName(a, b);
  }

  ArchiveStatus Read(std::size_t member,
                     std::shared_ptr<const std::vector<std::uint8_t>>* bytes) const override {
    if (member >= members_.size()) return ArchiveStatus::kReadFailed;
    if (members_[member].problem != ArchiveStatus::kOk) return members_[member].problem;
    return Extract(member, bytes);
  }

  PaletteSearchResult<wchar_t> FindPalette(std::size_t celMember,
                                           std::size_t paletteBytes) const override {
    if (celMember >= members_.size() || members_[celMember].problem != ArchiveStatus::kOk)
      return {};
    SetFolders folders(*this);
    const SetMember& cel = members_[celMember];
    return palettes_.Find(folders, cel.folder, cel.name, {kWidePathLimit, kWidePathLimit},
                          paletteBytes);
  }

  std::unique_ptr<DollFiles> FilesBeside(std::size_t member) const override {
    if (member >= members_.size()) return nullptr;
    return std::make_unique<FilesInFolder>(*this, members_[member].folder);
  }

 private:
  // Where a member's bytes lie: which archive (0 the outer one), which entry.
  struct Origin {
    std::size_t reader;
    std::size_t entry;
  };
  // A member's bytes once read, or why they could not be.
  struct Slot {
    std::mutex mutex;
    bool done = false;
    ArchiveStatus status = ArchiveStatus::kOk;
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
  };

  // The folder search's view of the set: a folder's members, the set's one
  // constant stamp, member bytes, and names by the set's text rules.
  class SetFolders : public FolderAccess<wchar_t> {
   public:
    explicit SetFolders(const HeldSet& set) : set_(set) {}
    bool List(const std::wstring& folder, std::vector<ListedFile<wchar_t>>* entries) override {
      return set_.ListFolder(folder, entries);
    }
    bool Stamp(const std::wstring& path, FileStamp* stamp) override {
      const std::ptrdiff_t member = set_.Find(path);
      if (member >= 0) {
        *stamp = {set_.members_[static_cast<std::size_t>(member)].size, kSetWriteTime};
        return true;
      }
      *stamp = {0, kSetWriteTime};
      return set_.IsFolder(path);
    }
    bool Read(const std::wstring& path, std::size_t wanted,
              std::vector<std::uint8_t>* bytes) override {
      return set_.CopyMember(path, wanted, bytes);
    }
    bool SameCelName(const std::string& field, const std::wstring& celName) override {
      return set_.text_->SameName(set_.text_->Widen(field), celName);
    }
    std::wstring PathFromCnfText(const std::string& name) override {
      return set_.text_->Widen(name);
    }
    const NextChar& CnfSteps() override { return set_.text_->Steps(); }
    const LineAllocator& TextHeap() override { return set_.text_->TextHeap(); }
    std::uint64_t Now() override { return kSetClock; }
    bool FolderTimeTracksEntries(const std::wstring&) override { return true; }

   private:
    const HeldSet& set_;
  };

  // The files a configuration names, from its folder's members.
  class FilesInFolder : public DollFiles {
   public:
    FilesInFolder(const HeldSet& set, std::wstring folder)
        : set_(set), folder_(std::move(folder)) {}
    bool Read(const std::string& name, std::vector<std::uint8_t>* bytes) override {
      const std::wstring wide = set_.text_->Widen(name);
      return set_.CopyMember(folder_.empty() ? wide : folder_ + L'\\' + wide, 0, bytes);
    }

   private:
    const HeldSet& set_;
    std::wstring folder_;
  };

  // The entries of readers_[reader] as members below prefix; an archive
  // among the outer ones has its own entries listed after it.
  void AddEntries(ArchiveOpener open, std::size_t reader, std::wstring prefix) {
    const std::vector<ArchiveEntry>& entries = readers_[reader]->Entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const ArchiveEntry& entry = entries[i];
      if (entry.directory) continue;
      if (members_.size() >= limits_.members) return;
      SetMember member;
      member.size = entry.size;
      member.packedSize = entry.packedSize;
      member.crc = entry.crc;
      member.unixTime = entry.unixTime;
      member.method = entry.method;
      std::wstring path;
      const bool converted = entry.text == NameText::kUtf8 ? WidenUtf8(entry.name, &path)
                                                           : text_->WidenName(entry.name, &path);
      if (!converted || !SafeMemberPath(&path)) {
        member.problem = ArchiveStatus::kBadName;
        // Shown as best it can be, never looked up.
        path = text_->Widen(entry.name);
      } else if (!prefix.empty()) {
        path = prefix + L'\\' + path;
      }
      member.path = path;
      member.folder = FolderOfPath(path);
      member.name = NameOfPath(path);
      if (member.problem == ArchiveStatus::kOk) member.problem = ProblemOf(entry, path);
      if (member.problem == ArchiveStatus::kOk) total_ += entry.size;
      const std::size_t index = members_.size();
      members_.push_back(std::move(member));
      origins_.push_back({reader, i});
      slots_.push_back(std::make_unique<Slot>());
      if (members_[index].problem != ArchiveStatus::kOk) continue;
      byPath_.emplace(FoldedNameHash(path), index);
      folders_.emplace(FoldedNameHash(members_[index].folder), index);
      if (reader == 0 && IsArchiveName(members_[index].name)) AddInnerArchive(open, index);
    }
  }

  ArchiveStatus ProblemOf(const ArchiveEntry& entry, const std::wstring& path) const {
    if (entry.encrypted) return ArchiveStatus::kUnsupported;
    if (entry.size > limits_.memberBytes || entry.size > limits_.totalBytes - total_)
      return ArchiveStatus::kTooLarge;
    if (Find(path) >= 0) return ArchiveStatus::kSameName;
    return ArchiveStatus::kOk;
  }

  // Lists the archive that member index holds, its members joined to the
  // member's own folder (as unpacking it where it lies would put them);
  // one that cannot be read or listed gives the member its problem, and one
  // whose listing stops short lists what it read and gives it kBroken.
  void AddInnerArchive(ArchiveOpener open, std::size_t index) {
    std::shared_ptr<const std::vector<std::uint8_t>> bytes;
    ArchiveStatus status = Extract(index, &bytes);
    std::unique_ptr<ArchiveReader> inner;
    if (status == ArchiveStatus::kOk) {
      auto source = std::make_shared<HeldBytesSource>(bytes);
      ArchiveLimits left = limits_;
      left.members = limits_.members - members_.size();
      left.totalBytes = limits_.totalBytes - total_;
      inner = open(*source, left, &status);
      if (inner != nullptr) innerSources_.push_back(std::move(source));
      if (inner == nullptr && status == ArchiveStatus::kOk) status = ArchiveStatus::kBroken;
    }
    if (inner == nullptr) {
      SetProblem(index, status);
      return;
    }
    const ArchiveStatus listed = inner->ListingStatus();
    readers_.push_back(std::move(inner));
    AddEntries(open, readers_.size() - 1, std::wstring(members_[index].folder));
    if (listed != ArchiveStatus::kOk) SetProblem(index, listed);
  }

  void SetProblem(std::size_t index, ArchiveStatus problem) {
    members_[index].problem = problem;
    for (auto* map : {&byPath_, &folders_}) {
      for (auto it = map->begin(); it != map->end();) {
        it = it->second == index ? map->erase(it) : std::next(it);
      }
    }
  }

  ArchiveStatus Extract(std::size_t member,
                        std::shared_ptr<const std::vector<std::uint8_t>>* bytes) const {
    Slot& slot = *slots_[member];
    std::lock_guard<std::mutex> lock(slot.mutex);
    if (!slot.done) {
      try {
        auto read = std::make_shared<std::vector<std::uint8_t>>();
        const Origin origin = origins_[member];
        slot.status = readers_[origin.reader]->Extract(origin.entry, read.get());
        // The limits were checked against the stored size: more is refused.
        if (slot.status == ArchiveStatus::kOk && read->size() != members_[member].size)
          slot.status = ArchiveStatus::kBroken;
        if (slot.status == ArchiveStatus::kOk) slot.bytes = std::move(read);
      } catch (const std::bad_alloc&) {
        slot.status = ArchiveStatus::kNoMemory;
      }
      slot.done = slot.status != ArchiveStatus::kNoMemory;  // memory may be had later
    }
    *bytes = slot.bytes;
    return slot.status;
  }

  // The member at path (whole, or its first wanted bytes, zero past its end).
  bool CopyMember(const std::wstring& path, std::size_t wanted,
                  std::vector<std::uint8_t>* bytes) const {
    const std::ptrdiff_t member = Find(path);
    if (member < 0) return false;
    std::shared_ptr<const std::vector<std::uint8_t>> held;
    if (Read(static_cast<std::size_t>(member), &held) != ArchiveStatus::kOk) return false;
    if (wanted == 0) {
      bytes->assign(held->begin(), held->end());
    } else {
      bytes->assign(wanted, 0);
      std::copy_n(held->begin(), std::min(wanted, held->size()), bytes->begin());
    }
    return true;
  }

  bool IsFolder(const std::wstring& path) const {
    std::wstring normal;
    if (!NormaliseLookupPath(path, &normal)) return false;
    if (normal.empty()) return true;
    const auto range = folders_.equal_range(FoldedNameHash(normal));
    for (auto it = range.first; it != range.second; ++it) {
      if (text_->SameName(members_[it->second].folder, normal)) return true;
    }
    // A folder holding only folders exists while any member lies below it.
    for (const SetMember& member : members_) {
      if (member.problem != ArchiveStatus::kOk || member.folder.size() < normal.size()) continue;
      const std::wstring head = member.folder.substr(0, normal.size());
      if ((member.folder.size() == normal.size() || member.folder[normal.size()] == L'\\') &&
          text_->SameName(head, normal))
        return true;
    }
    return false;
  }

  bool ListFolder(const std::wstring& folder, std::vector<ListedFile<wchar_t>>* entries) const {
    std::wstring normal;
    if (!NormaliseLookupPath(folder, &normal) || !IsFolder(normal)) return false;
    std::vector<std::size_t> inFolder;
    const auto range = folders_.equal_range(FoldedNameHash(normal));
    for (auto it = range.first; it != range.second; ++it) {
      if (text_->SameName(members_[it->second].folder, normal)) inFolder.push_back(it->second);
    }
    std::sort(inFolder.begin(), inFolder.end(), [&](std::size_t a, std::size_t b) {
      return ListsBefore(members_[a].name, members_[b].name);
    });
    for (std::size_t index : inFolder) entries->push_back({members_[index].name, std::wstring()});
    return true;
  }

  std::shared_ptr<const ArchiveSource> source_;
  std::vector<std::shared_ptr<const ArchiveSource>> innerSources_;
  std::shared_ptr<const SetText> text_;
  ArchiveLimits limits_;
  // After the sources, so that every reader goes before the bytes it reads.
  std::vector<std::unique_ptr<ArchiveReader>> readers_;
  std::vector<SetMember> members_;
  std::vector<Origin> origins_;
  std::vector<std::unique_ptr<Slot>> slots_;
  // Members without a problem by FoldedNameHash of their path and of their folder.
  std::unordered_multimap<std::uint64_t, std::size_t> byPath_;
  std::unordered_multimap<std::uint64_t, std::size_t> folders_;
  std::uint64_t total_ = 0;  // the sizes of the members that may be read
  mutable FolderCache<wchar_t> palettes_;
};

}  // namespace

std::unique_ptr<ArchiveSet> OpenArchiveSetWith(ArchiveOpener open,
                                               std::shared_ptr<const ArchiveSource> source,
                                               std::shared_ptr<const SetText> text,
                                               const ArchiveLimits& limits, ArchiveStatus* status) {
  try {
    auto set = std::make_unique<HeldSet>(std::move(source), std::move(text), limits);
    *status = set->Open(open);
    if (*status != ArchiveStatus::kOk) return nullptr;
    return set;
  } catch (const std::bad_alloc&) {
    *status = ArchiveStatus::kNoMemory;
    return nullptr;
  }
}
