// Configuration text of any bytes: the line store, cel and palette lines and
// the path and token utilities must stay within their buffers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "palette/cnf.h"
#include "palette/line_buffer.h"
#include "palette/text_utils.h"

namespace {

void* ZeroAlloc(std::size_t bytes) { return std::calloc(bytes, 1); }
void Release(void* block) { std::free(block); }
constexpr LineAllocator kHeap = {ZeroAlloc, Release};

// Shift-JIS: a lead byte and a following non-zero byte are one character.
const NextChar kCp932 = NextChar::FromLeadBytes(
    [](std::uint8_t c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); });
const NextChar kSingleByte;

int CompareBytes(const char* a, const char* b) { return std::strcmp(a, b); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the character step; the rest is the file's bytes,
  // handed over without a terminator as a file's block is.
  const NextChar& next = (data[0] & 1) != 0 ? kCp932 : kSingleByte;
  const char* text = reinterpret_cast<const char*>(data + 1);
  const std::size_t length = size - 1;
  char* copy = static_cast<char*>(std::malloc(length));
  if (length != 0) std::memcpy(copy, text, length);
  LineBuffer lines;
  if (LoadLineBuffer(lines, copy, length, kHeap) != 0) {
    std::free(copy);
    return 0;
  }

  // Every line as the search fetches it, and each one as a path.
  char line[kPathBufferSize];
  char name[kPathBufferSize];
  const int count = GetBufferLineCount(lines);
  char celName[kPathBufferSize] = "body.cel";
  for (int i = 0; i <= count; ++i) {
    if (GetBufferLine(lines, line, i, kCnfLineLimit) != 0) std::abort();
    if (line[0] == '#') MatchCelLine(line, celName, next, CompareBytes);
    ReadPaletteLineName(line, name, next);
    if (i == 0) std::memcpy(celName, name, std::strlen(name) + 1);
    ParseDecimal(SkipBlanks(line, next), next);
    char part[kPathBufferSize];
    std::memcpy(part, line, std::strlen(line) + 1);
    GetPathPart(part, PathPart::Folder, next);
    char composed[kPathBufferSize];
    ComposePath(composed, sizeof composed, part, name);
    std::memcpy(part, line, std::strlen(line) + 1);
    GetPathPart(part, PathPart::FileName, next);
    CutAtBlank(part, next);
  }
  const CnfIndex index = IndexCnf(lines, next);
  for (const PaletteLine& palette : index.paletteLines) {
    if (palette.whole && palette.name.size() >= kPathBufferSize - 1) std::abort();
  }
  const CelPlacement* placement =
      FindPlacement(index, std::string(celName),
                    [&](const std::string& f) { return CompareBytes(f.c_str(), celName) == 0; });
  if (placement != nullptr && placement->paletteNumber < 0) std::abort();
  std::free(copy);
  return 0;
}
