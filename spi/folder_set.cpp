#include "spi/folder_set.h"

#include "spi/ansi_text.h"
#include "spi/owners.h"
#include "spi/palette_search.h"
#include "spi/read_file.h"
#include "spi/set_folder.h"
#include "spi/system_calls.h"

namespace {

// FILETIME's 100 ns ticks since 1601 as seconds since 1970.
std::int64_t UnixSeconds(FILETIME time) {
  const std::uint64_t ticks =
      (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  constexpr std::uint64_t kTicksTo1970 = 116444736000000000ull;
  return ticks < kTicksTo1970 ? 0 : static_cast<std::int64_t>((ticks - kTicksTo1970) / 10000000);
}

}  // namespace

bool FolderSet::Open(const std::wstring& folder) {
  folder_ = folder;
  WIN32_FIND_DATAW entry;
  const UniqueFind find = OwnFind(FindFirst((folder + L"\\*").c_str(), &entry));
  if (find == nullptr) return false;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
    SetMember member;
    member.name = member.path = entry.cFileName;
    member.size = member.packedSize =
        (static_cast<std::uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    member.unixTime = UnixSeconds(entry.ftLastWriteTime);
    member.method = "file";
    members_.push_back(std::move(member));
  } while (FindNext(find.get(), &entry));
  read_.resize(members_.size());
  return true;
}

std::ptrdiff_t FolderSet::Find(const std::wstring& path) const {
  for (std::size_t i = 0; i < members_.size(); ++i)
    if (SameName(members_[i].path, path)) return static_cast<std::ptrdiff_t>(i);
  return -1;
}

bool FolderSet::SameName(const std::wstring& a, const std::wstring& b) const {
  return WideCompareNoCase(a.c_str(), b.c_str()) == 0;
}

ArchiveStatus FolderSet::Read(std::size_t member,
                              std::shared_ptr<const std::vector<std::uint8_t>>* bytes) const {
  if (member >= members_.size()) return ArchiveStatus::kBroken;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (read_[member] != nullptr) {
      *bytes = read_[member];
      return ArchiveStatus::kOk;
    }
  }
  auto fresh = std::make_shared<std::vector<std::uint8_t>>();
  if (!ReadFileBytes(PathOf(member).c_str(), 0, fresh.get())) return ArchiveStatus::kReadFailed;
  const std::lock_guard<std::mutex> lock(mutex_);
  if (read_[member] == nullptr) read_[member] = std::move(fresh);
  *bytes = read_[member];
  return ArchiveStatus::kOk;
}

PaletteSearchResult<wchar_t> FolderSet::FindPalette(std::size_t celMember,
                                                    std::size_t paletteBytes) const {
  if (celMember >= members_.size()) return {};
  return SearchCelPalette(PathOf(celMember).c_str(), paletteBytes);
}

std::unique_ptr<DollFiles> FolderSet::FilesBeside(std::size_t member) const {
  auto files = std::make_unique<SetFolder<wchar_t>>();
  if (member >= members_.size() || !files->Open(PathOf(member).c_str())) return nullptr;
  return files;
}
