// Archive bytes of any kind through the album plug-in's own logic: opening
// the set, listing the album and making every listed file. Each file must be
// exactly the size the listing gave, and a second making the same bytes.
//
// Input: the archive's bytes (LZH, ZIP or anything else).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "album/album.h"
#include "album/album_cache.h"
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
