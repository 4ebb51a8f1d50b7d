// Configuration text of any bytes: the line store, cel and palette lines and
// the path and token utilities must stay within their buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "palette/cnf.h"
#include "palette/folder_search.h"
#include "palette/line_buffer.h"
#include "palette/text_utils.h"

namespace {

int CompareBytes(const char* a, const char* b) { return std::strcmp(a, b); }

// FindPlacement passes plain names over by their hash; a walk through every
// placement, asking sameName of each, must find the same one.
template <typename SameName>
void CheckPlacementLookup(const CnfIndex& index, const std::string& celName, SameName sameName) {
  const CelPlacement* found = FindPlacement(index, celName, sameName);
  const CelPlacement* walked = nullptr;
  for (const CelPlacement& placement : index.placements) {
    if (sameName(placement.name)) {
      walked = &placement;
      break;
    }
  }
  Require(found == walked, "the placement lookup finds the first placing line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the character step; the rest is the file's bytes,
  // handed over without a terminator as a file's block is.
  const NextChar& next = (data[0] & 1) != 0 ? test_steps::NextCp932 : NextByte;
  const char* text = reinterpret_cast<const char*>(data + 1);
  const std::size_t length = size - 1;
  char* copy = static_cast<char*>(std::malloc(length));
  if (length != 0) std::memcpy(copy, text, length);
  LineBuffer lines;
  if (LoadLineBuffer(lines, copy, length, test_steps::kHeap) != 0) {
    std::free(copy);
    return 0;
  }

  // Every line as the search fetches it, and each one as a path.
  char line[kPathBufferSize];
  char name[kPathBufferSize];
  const int count = GetBufferLineCount(lines);
  char celName[kPathBufferSize] = "body.cel";
  for (int i = 0; i <= count; ++i) {
    Require(GetBufferLine(lines, line, i, kCnfLineLimit) == 0, "every counted line is fetched");
    if (line[0] == '#') MatchCelLine(line, celName, next, CompareBytes);
    ReadPaletteLineName(line, name, next);
    if (i == 0) std::memcpy(celName, name, std::strlen(name) + 1);
    ParseDecimal(SkipBlanks(line, next), next);
    char part[kPathBufferSize];
    std::memcpy(part, line, std::strlen(line) + 1);
    GetPathPart(part, PathPart::Folder, next);
    std::string composed;
    if (ComposeFolderPath<char>(part, name, kPathBufferSize - 1, &composed) &&
        composed.size() > kPathBufferSize - 1)
      std::abort();
    std::memcpy(part, line, std::strlen(line) + 1);
    GetPathPart(part, PathPart::FileName, next);
    CutAtBlank(part, next);
  }
  const CnfIndex index = IndexCnf(lines, next);
  for (const PaletteLine& palette : index.paletteLines) {
    Require(!palette.whole || palette.name.size() < kPathBufferSize - 1,
            "a whole palette name fits a path buffer");
  }
  const std::string cel(celName);
  const CelPlacement* placement = FindPlacement(
      index, cel, [&](const std::string& f) { return CompareBytes(f.c_str(), celName) == 0; });
  Require(placement == nullptr || placement->paletteNumber >= 0,
          "a placing line's palette number is 0 or more");
  // The lookup under both comparisons, for the first line's name and for the
  // names the file places, as written and in the other case.
  std::vector<std::string> cels = {cel};
  for (std::size_t i = 0; i < index.placements.size() && i < 16; ++i) {
    cels.push_back(index.placements[i].name);
    cels.push_back(fuzz_text::SwappedCase(index.placements[i].name));
  }
  for (const std::string& name : cels) {
    CheckPlacementLookup(index, name, [&](const std::string& f) {
      return test_steps::CompareNoCase(f.c_str(), name.c_str()) == 0;
    });
    CheckPlacementLookup(index, name, [&](const std::string& f) {
      return fuzz_text::CompareNoCaseCp932(f.c_str(), name.c_str()) == 0;
    });
  }
  std::free(copy);
  return 0;
}
