#include "doll/doll_config.h"

#include <utility>

#include "cel/text_adapters.h"

namespace {

// One line of the text, without its end.
struct Line {
  const std::uint8_t* begin;
  const std::uint8_t* end;

  bool Empty() const { return begin == end; }
  std::uint8_t First() const { return Empty() ? 0 : *begin; }
  // What comes before a ';': the rest of a cel or page line is a comment.
  Line BeforeComment() const {
    const std::uint8_t* at = begin;
    while (at != end && *at != ';') ++at;
    return {begin, at};
  }
};

// Calls each(line) for every line of text; a line ends at CR LF, LF or CR.
template <typename Each>
void ForEachLine(ByteView text, Each each) {
  const std::uint8_t* at = text.data;
  const std::uint8_t* const end = text.data + text.size;
  while (at != end) {
    const std::uint8_t* lineEnd = at;
    while (lineEnd != end && *lineEnd != '\r' && *lineEnd != '\n') ++lineEnd;
    each(Line{at, lineEnd});
    at = lineEnd;
    if (at == end) break;
    // CR LF is one line end; a CR or an LF alone is one too.
    if (*at++ == '\r' && at != end && *at == '\n') ++at;
  }
}

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
bool IsBlank(std::uint8_t c) { return c == ' ' || c == '\t'; }

void SkipBlanks(const std::uint8_t** at, const std::uint8_t* end) {
  while (*at != end && IsBlank(**at)) ++*at;
}

// A decimal number at *at with an optional '-' sign, saturated at limit; the
// position moves past it. False (position kept) when no digit follows.
bool ReadNumber(const std::uint8_t** at, const std::uint8_t* end, std::int64_t limit,
                std::int64_t* value) {
  const std::uint8_t* p = *at;
  const bool negative = p != end && *p == '-';
  if (negative) ++p;
  if (p == end || !IsDigit(*p)) return false;
  std::int64_t magnitude = 0;
  for (; p != end && IsDigit(*p); ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > limit) magnitude = limit;
  }
  *value = negative ? -magnitude : magnitude;
  *at = p;
  return true;
}

constexpr std::int64_t kSizeLimit = std::int64_t{1} << 40;  // far past any size served
constexpr std::int64_t kNumberLimit = 0x7FFFFFFF;
constexpr std::uint16_t kEveryPage = (1u << kDollPageLimit) - 1;

std::int32_t ReadSmallNumber(const std::uint8_t** at, const std::uint8_t* end) {
  std::int64_t value = 0;
  ReadNumber(at, end, kNumberLimit, &value);
  return static_cast<std::int32_t>(value);
}

// "(width,height)": both sides, or nothing when a side is missing or below 1.
void ReadSizeLine(Line line, DollConfig* config) {
  const std::uint8_t* at = line.begin + 1;
  std::int64_t width = 0;
  std::int64_t height = 0;
  SkipBlanks(&at, line.end);
  if (!ReadNumber(&at, line.end, kSizeLimit, &width)) return;
  SkipBlanks(&at, line.end);
  if (at == line.end || *at != ',') return;
  ++at;
  SkipBlanks(&at, line.end);
  if (!ReadNumber(&at, line.end, kSizeLimit, &height)) return;
  if (width < 1 || height < 1) return;
  config->width = width;
  config->height = height;
}

// A '%' line's palette file name: it runs to the first blank, as the cel
// plug-in reads it.
Line PaletteName(Line line) {
  const std::uint8_t* nameEnd = line.begin + 1;
  while (nameEnd != line.end && !IsBlank(*nameEnd)) ++nameEnd;
  return {line.begin + 1, nameEnd};
}

void ReadPaletteLine(Line line, DollConfig* config) {
  const Line name = PaletteName(line);
  config->paletteFiles.emplace_back(reinterpret_cast<const char*>(name.begin),
                                    reinterpret_cast<const char*>(name.end));
}

// "#object[.fix] name [*palette] [:pages] [;comment]"; a line without an
// object number or a name places nothing.
void ReadCelLine(Line line, DollConfig* config) {
  line = line.BeforeComment();
  const std::uint8_t* at = line.begin + 1;
  if (at == line.end || !IsDigit(*at)) return;
  DollCel cel;
  cel.object = ReadSmallNumber(&at, line.end);
  if (at != line.end && *at == '.') {
    ++at;
    ReadSmallNumber(&at, line.end);  // the fix value: how firmly the cel stays put
  }
  SkipBlanks(&at, line.end);
  const std::uint8_t* nameBegin = at;
  while (at != line.end && !IsBlank(*at)) ++at;
  if (at == nameBegin) return;
  cel.name.assign(reinterpret_cast<const char*>(nameBegin), reinterpret_cast<const char*>(at));
  cel.pages = kEveryPage;
  bool inPageList = false;
  while (at != line.end) {
    if (*at == '*') {
      ++at;
      inPageList = false;
      cel.paletteNumber = ReadSmallNumber(&at, line.end);
    } else if (*at == ':') {
      ++at;
      inPageList = true;
      cel.pages = 0;
    } else if (inPageList && IsDigit(*at)) {
      const std::int32_t page = ReadSmallNumber(&at, line.end);
      if (page < kDollPageLimit) cel.pages |= static_cast<std::uint16_t>(1u << page);
    } else {
      ++at;
    }
  }
  config->cels.push_back(std::move(cel));
}

// The places of a page line or of a line that continues it: "x,y" gives the
// next object its place, "*" or anything else leaves it without one.
void ReadPlaces(Line line, DollPage* page) {
  line = line.BeforeComment();
  const std::uint8_t* at = line.begin;
  for (;;) {
    SkipBlanks(&at, line.end);
    if (at == line.end) return;
    DollPlace place;
    std::int64_t x = 0;
    std::int64_t y = 0;
    const std::uint8_t* p = at;
    if (ReadNumber(&p, line.end, kNumberLimit, &x)) {
      SkipBlanks(&p, line.end);
      if (p != line.end && *p == ',') {
        ++p;
        SkipBlanks(&p, line.end);
        if (ReadNumber(&p, line.end, kNumberLimit, &y)) {
          place = {true, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
        }
      }
    }
    at = p;
    while (at != line.end && !IsBlank(*at)) ++at;  // the rest of a token that is not a pair
    page->places.push_back(place);
  }
}

// "$group x,y ...": the group, then the places.
void ReadPageLine(Line line, DollPage* page) {
  const std::uint8_t* at = line.begin + 1;
  std::int64_t group = 0;
  // The group follows the '$' at once; "$ 1,2" is a page of group 0.
  if (at != line.end && IsDigit(*at) && ReadNumber(&at, line.end, kNumberLimit, &group)) {
    page->group = static_cast<std::int32_t>(group);
  }
  ReadPlaces({at, line.end}, page);
}

bool EndsInPaletteName(Line line) {
  const Line name = PaletteName(line);
  return EndsWithNoCase(name.begin, static_cast<std::size_t>(name.end - name.begin), ".kcf");
}

}  // namespace

bool LooksLikeDollConfig(ByteView head) {
  if (head.size > kDollClaimWindow) head.size = kDollClaimWindow;
  // Zeros that last to the end are the host's padding after a short file.
  while (head.size > 0 && head.data[head.size - 1] == 0) --head.size;
  for (std::size_t i = 0; i < head.size; ++i) {
    if (head.data[i] == 0) return false;
  }
  bool claimed = false;
  ForEachLine(head, [&](Line line) {
    if (claimed || line.end - line.begin < 2) return;
    const std::uint8_t second = line.begin[1];
    switch (line.First()) {
      case '#':
      case '(':
        claimed = IsDigit(second);
        break;
      case '%':
        claimed = EndsInPaletteName(line);
        break;
      default:
        break;
    }
  });
  return claimed;
}

DollConfig ReadDollConfig(ByteView text) {
  DollConfig config;
  config.pages.reserve(kDollPageLimit);
  bool sizeSeen = false;
  DollPage* continued = nullptr;  // the page that lines beginning with a blank continue
  std::size_t pageLines = 0;
  DollPage ignoredPage;  // page lines past the tenth are read into it and dropped
  ForEachLine(text, [&](Line line) {
    if (continued != nullptr && IsBlank(line.First())) {
      ReadPlaces(line, continued);
      return;
    }
    continued = nullptr;
    switch (line.First()) {
      case '(':
        if (!sizeSeen) ReadSizeLine(line, &config);
        sizeSeen = true;
        break;
      case '%':
        ReadPaletteLine(line, &config);
        break;
      case '#':
        ReadCelLine(line, &config);
        break;
      case '$':
        if (pageLines++ < static_cast<std::size_t>(kDollPageLimit)) {
          config.pages.emplace_back();
          continued = &config.pages.back();
        } else {
          ignoredPage = DollPage();
          continued = &ignoredPage;
        }
        ReadPageLine(line, continued);
        break;
      default:
        break;
    }
  });
  return config;
}

int DollPageCount(const DollConfig& config) {
  return config.pages.empty() ? 1 : static_cast<int>(config.pages.size());
}
