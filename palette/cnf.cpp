#include "palette/cnf.h"

#include <cstring>

#include "palette/line_buffer.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool EndsField(char c) { return c == '\0' || IsBlank(c) || c == '\r' || c == '\n'; }

}  // namespace

std::int32_t MatchCelLine(const char* line, const char* celName, NextChar next,
                          NameCompare compare) {
  // Field 1: the '#' and everything up to the first blank.
  const char* p = line;
  while (*p != '\0' && !IsBlank(*p)) p = next(p);
  // Field 2: the cel's file name.
  const char* start = SkipBlanks(p, next);
  const char* end = start;
  while (!EndsField(*end)) end = next(end);
  const std::size_t length = static_cast<std::size_t>(end - start);
  // A name that the window would cut is not compared as if it were whole.
  if (static_cast<std::size_t>(end - line) > kCelFieldWindow) return kNotThisCel;
  char field[kCelFieldWindow + 2];
  std::memcpy(field, start, length);
  field[length] = '\0';
  if (compare(field, celName) != 0) return kNotThisCel;
  for (const char* q = line; *q != '\0'; q = next(q)) {
    if (*q == ';' || *q == ':') return 0;
    if (*q == '*') return ParseDecimal(next(q), next);
  }
  return 0;
}

void ReadPaletteLineName(const char* line, char* name, NextChar next) {
  const char* start = *line == '%' ? line + 1 : line;
  const std::size_t length = std::strlen(start);
  const std::size_t kept = length < kPathBufferSize - 1 ? length : kPathBufferSize - 1;
  std::memcpy(name, start, kept);
  name[kept] = '\0';
  CutAtBlank(name, next);
}

CnfAnswer ReadCnfForCel(const char* celName, NextChar next, NameCompare compare) {
  CnfAnswer answer = {};
  const int count = GetBufferLineCount();
  char line[kPathBufferSize];
  for (int i = 0; i < count && !answer.placed; ++i) {
    if (GetBufferLine(line, i, kCnfLineLimit) != 0 || line[0] != '#') continue;
    const std::int32_t number = MatchCelLine(line, celName, next, compare);
    // A negative number (or another cel) leaves the search to later lines.
    if (number >= 0) {
      answer.placed = true;
      answer.paletteNumber = number;
    }
  }
  if (!answer.placed) return answer;
  int firstPaletteLine = -1;
  int chosenLine = -1;
  for (int i = 0; i < count; ++i) {
    if (GetBufferLine(line, i, kCnfLineLimit) != 0 || line[0] != '%') continue;
    if (firstPaletteLine < 0) firstPaletteLine = i;
    if (answer.paletteLineCount == answer.paletteNumber) chosenLine = i;
    ++answer.paletteLineCount;
  }
  if (chosenLine < 0) chosenLine = firstPaletteLine;
  // One character more than the search sees tells whether the name was cut.
  char wider[kPathBufferSize + 1];
  if (chosenLine >= 0 && GetBufferLine(wider, chosenLine, kCnfLineLimit + 1) == 0) {
    ReadPaletteLineName(wider, answer.paletteName, next);
    if (std::strlen(answer.paletteName) + 1 < static_cast<std::size_t>(kCnfLineLimit)) {
      answer.hasPalette = true;
    } else {
      answer.paletteName[0] = '\0';
    }
  }
  return answer;
}
