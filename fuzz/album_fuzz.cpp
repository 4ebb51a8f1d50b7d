// Archive bytes of any kind through the album plug-in's own logic: opening
// the set, listing the album and making every listed file. No two listed
// paths may name one file; each file must be exactly the size the listing
// gave, and a second making the same bytes.
//
// Input: the archive's bytes (LZH, ZIP or anything else).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "album/album.h"
#include "album/album_cache.h"
#include "archive/member_names.h"
#include "archive/single_byte_text.h"
#include "fuzz/fuzz_support.h"

namespace {

// Small enough that every input runs fast, large enough for the samples.
ArchiveLimits FuzzLimits() {
  ArchiveLimits limits;
  limits.memberBytes = limits.totalBytes = 8u << 20;
  limits.members = 2000;
  return limits;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto bytes = std::make_shared<const std::vector<std::uint8_t>>(data, data + size);
  ArchiveStatus status = ArchiveStatus::kBroken;
  const std::shared_ptr<const ArchiveSet> set =
      OpenArchiveSet(std::make_shared<SharedBytesSource>(bytes), std::make_shared<SingleByteText>(),
                     FuzzLimits(), &status);
  Require((set != nullptr) == (status == ArchiveStatus::kOk),
          "a set exactly when the status is ok");
  if (set == nullptr) return 0;
  const std::vector<AlbumEntry> entries = ListAlbum(*set, -1);
  std::unordered_multimap<std::uint64_t, std::wstring> paths;
  for (const AlbumEntry& entry : entries) {
    const std::wstring path = entry.folder + entry.name;
    const std::uint64_t hash = FoldedNameHash(path);
    const auto same = paths.equal_range(hash);
    for (auto it = same.first; it != same.second; ++it)
      Require(!set->SameName(it->second, path), "no two entries share a path");
    paths.emplace(hash, path);
  }
  PluginSettings settings;
  for (const AlbumEntry& entry : entries) {
    Require(!entry.method.empty(), "every entry has a method tag");
    Require(entry.folder.empty() || entry.folder.back() == L'\\', "a folder ends with a separator");
    std::vector<std::uint8_t> file;
    if (MakeAlbumFile(*set, entry, settings, &file) != AlbumResult::kOk) continue;
    Require(file.size() == entry.size, "a made file is the size its listing gave");
    std::vector<std::uint8_t> again;
    Require(MakeAlbumFile(*set, entry, settings, &again) == AlbumResult::kOk && again == file,
            "making a file twice gives the same bytes");
  }
  return 0;
}
