// Archive bytes of any kind through the set: the listing, every member read
// (twice: the kept bytes must not change), the palette search of each cel
// member and every page of each configuration member composed twice alike.
// Nothing may read past the data, hang, or give two answers to one question.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/archive_set.h"
#include "archive/single_byte_text.h"
#include "cel/colour_table.h"
#include "doll/doll_compose.h"
#include "doll/doll_config.h"
#include "fuzz/fuzz_support.h"

namespace {

constexpr std::int64_t kCanvasSideLimit = 300;  // enough to clip, small enough to run fast

bool EndsWith(const std::wstring& name, const char* extension) {
  return EndsWithNoCase(name.data(), name.size(), extension);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ExactBytes input(data, size);
  // Small limits, so that a claimed size costs little time.
  ArchiveLimits limits;
  limits.memberBytes = 1 << 20;
  limits.totalBytes = 4 << 20;
  limits.members = 2000;
  ArchiveStatus status = ArchiveStatus::kOk;
  const std::unique_ptr<ArchiveSet> set =
      OpenArchiveSet(std::make_shared<MemorySource>(input.View()),
                     std::make_shared<SingleByteText>(), limits, &status);
  Require((set == nullptr) == (status != ArchiveStatus::kOk), "a set, or why there is none");
  if (set == nullptr) return 0;
  const std::vector<SetMember>& members = set->Members();
  Require(members.size() <= limits.members, "the member limit holds");
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < members.size(); ++i) {
    std::shared_ptr<const std::vector<std::uint8_t>> first, again;
    const ArchiveStatus read = set->Read(i, &first);
    Require(set->Read(i, &again) == read && first == again, "a member reads once and is kept");
    if (read != ArchiveStatus::kOk) continue;
    Require(members[i].problem == ArchiveStatus::kOk, "a member with a problem does not read");
    Require(first->size() == members[i].size, "a member has its stored size");
    total += first->size();
    Require(set->Find(members[i].path) >= 0, "a readable member is found by its path");
  }
  Require(total <= limits.totalBytes, "the total limit holds");

  for (std::size_t i = 0; i < members.size(); ++i) {
    if (members[i].problem != ArchiveStatus::kOk) continue;
    if (EndsWith(members[i].name, ".cel")) {
      const PaletteSearchResult<wchar_t> answer = set->FindPalette(i, kPaletteReadLength);
      const PaletteSearchResult<wchar_t> again = set->FindPalette(i, kPaletteReadLength);
      Require(
          answer.found == again.found && answer.path == again.path && answer.bytes == again.bytes,
          "the palette search answers alike");
      Require(!answer.read || answer.bytes.size() == kPaletteReadLength,
              "the palette's first bytes are as many as asked");
    } else if (EndsWith(members[i].name, ".cnf")) {
      std::shared_ptr<const std::vector<std::uint8_t>> text;
      if (set->Read(i, &text) != ArchiveStatus::kOk) continue;
      const DollConfig config = ReadDollConfig(ByteView{text->data(), text->size()});
      if (!DollSizeServed(config) || config.width > kCanvasSideLimit ||
          config.height > kCanvasSideLimit)
        continue;
      const PicturePlan plan = DollPicturePlan(config);
      const std::unique_ptr<DollFiles> files = set->FilesBeside(i);
      for (int page = 0; page < DollPageCount(config); ++page) {
        std::vector<std::uint8_t> one(plan.pixelBytes, 0x11), two(plan.pixelBytes, 0xEE);
        ComposeDoll(config, page, *files, one.data());
        ComposeDoll(config, page, *files, two.data());
        Require(one == two, "a page composes alike, every byte written");
      }
    }
  }
  return 0;
}
