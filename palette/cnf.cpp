#include "palette/cnf.h"

#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool EndsField(char c) { return c == '\0' || IsBlank(c) || c == '\r' || c == '\n'; }

// Field 2 of a fetched cel line, or false when it runs past the window.
bool ReadCelName(const char* line, const NextChar& next, std::string* name) {
  // Field 1: the '#' and everything up to the first blank.
  const char* p = line;
  while (*p != '\0' && !IsBlank(*p)) p = next(p);
  const char* start = SkipBlanks(p, next);
  const char* end = start;
  while (!EndsField(*end)) end = next(end);
  // A name that the window would cut is not compared as if it were whole.
  if (static_cast<std::size_t>(end - line) > kCelFieldWindow) return false;
  name->assign(start, end);
  return true;
}

// The number after the first '*' that comes before any ';' or ':'; 0 without.
std::int32_t ReadPaletteNumber(const char* line, const NextChar& next) {
  for (const char* q = line; *q != '\0'; q = next(q)) {
    if (*q == ';' || *q == ':') return 0;
    if (*q == '*') return ParseDecimal(next(q), next);
  }
  return 0;
}

}  // namespace

std::int32_t MatchCelLine(const char* line, const char* celName, const NextChar& next,
                          NameCompare compare) {
  std::string name;
  if (!ReadCelName(line, next, &name) || compare(name.c_str(), celName) != 0) return kNotThisCel;
  return ReadPaletteNumber(line, next);
}

void ReadPaletteLineName(const char* line, char* name, const NextChar& next) {
  const char* start = *line == '%' ? line + 1 : line;
  const std::size_t length = std::strlen(start);
  const std::size_t kept = length < kPathBufferSize - 1 ? length : kPathBufferSize - 1;
  std::memcpy(name, start, kept);
  name[kept] = '\0';
  CutAtBlank(name, next);
}

CnfIndex IndexCnf(const LineBuffer& lines, const NextChar& next) {
  CnfIndex index;
  const int count = GetBufferLineCount(lines);
  // One character more than the search sees tells whether a palette name was cut.
  char line[kPathBufferSize + 1];
  for (int i = 0; i < count; ++i) {
    if (GetBufferLine(lines, line, i, kCnfLineLimit + 1) != 0) continue;
    if (line[0] == '%') {
      char name[kPathBufferSize];
      ReadPaletteLineName(line, name, next);
      const std::size_t length = std::strlen(name);
      index.paletteLines.push_back({name, length + 1 < static_cast<std::size_t>(kCnfLineLimit)});
      continue;
    }
    if (line[0] != '#') continue;
    // Cel lines are read as the search fetches them: 258 characters at most.
    line[kCnfLineLimit - 1] = '\0';
    CelPlacement placement{};
    if (!ReadCelName(line, next, &placement.name)) continue;
    placement.paletteNumber = ReadPaletteNumber(line, next);
    // A negative number leaves the cel to later lines.
    if (placement.paletteNumber < 0) continue;
    placement.plain =
        FoldPlainName(placement.name.data(), placement.name.size(), &placement.foldedHash);
    index.placements.push_back(std::move(placement));
  }
  return index;
}

const PaletteLine* PaletteLineFor(const CnfIndex& index, std::int32_t paletteNumber) {
  if (index.paletteLines.empty()) return nullptr;
  if (paletteNumber >= 0 && static_cast<std::size_t>(paletteNumber) < index.paletteLines.size())
    return &index.paletteLines[static_cast<std::size_t>(paletteNumber)];
  return &index.paletteLines.front();
}
