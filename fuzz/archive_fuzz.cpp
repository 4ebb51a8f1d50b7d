// Archive bytes of any kind through OpenArchive and the extraction of every
// entry, under small limits: no crash, hang or leak, and every result keeps
// the rules (a member read whole has the size its entry claims and fits the
// limit, a directory has no bytes, a second extraction gives the same).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/archive_reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ExactBytes bytes(data, size);
  MemorySource source(bytes.View());
  ArchiveLimits limits;
  limits.memberBytes = 1 << 20;
  limits.members = 512;
  ArchiveStatus status = ArchiveStatus::kOk;
  std::unique_ptr<ArchiveReader> reader = OpenArchive(source, limits, &status);
  Require((reader != nullptr) == (status == ArchiveStatus::kOk), "a reader exactly when kOk");
  if (!reader) return 0;
  const auto& entries = reader->Entries();
  Require(entries.size() <= limits.members, "no more entries than the limit");
  std::vector<std::uint8_t> first, second;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    ArchiveStatus read = reader->Extract(i, &first);
    if (read == ArchiveStatus::kOk) {
      Require(first.size() == (entries[i].directory ? 0 : entries[i].size), "the size claimed");
      Require(first.size() <= limits.memberBytes, "within the member limit");
    }
    if (i < 4) {
      Require(reader->Extract(i, &second) == read && second == first, "the same twice");
    }
  }
  return 0;
}
