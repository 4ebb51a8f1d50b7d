#include "doll/doll_config.h"

#include <utility>

#include "cel/text_adapters.h"
#include "doll/fkiss_script.h"
#include "doll/text_lines.h"

namespace {

using doll_text::IsBlank;
using doll_text::IsDigit;
using doll_text::ReadNumber;
using doll_text::SkipBlanks;
using Line = doll_text::TextLine;

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

// The options in a cel line's comment: "%t" and a number is the cel's
// translucency (above 255: 255), "%u" alone or before another '%' starts it
// unmapped. Other '%' options and any other text are passed over.
void ReadCelOptions(Line comment, DollCel* cel) {
  for (const std::uint8_t* at = comment.begin; at != comment.end; ++at) {
    if (*at != '%' || at + 1 == comment.end) continue;
    const auto option = static_cast<std::uint8_t>(at[1] | 0x20);  // either case
    const std::uint8_t* p = at + 2;
    std::int64_t value = 0;
    if (option == 't' && ReadNumber(&p, comment.end, 255, &value) && value >= 0) {
      cel->translucency = static_cast<std::uint8_t>(value);
    } else if (option == 'u' && (p == comment.end || IsBlank(*p) || *p == '%' || *p == ';')) {
      cel->startsUnmapped = true;
    }
  }
}

// "#object[.fix] name [*palette] [:pages] [;comment]"; a line without an
// object number or a name places nothing.
void ReadCelLine(Line line, DollConfig* config) {
  const Line comment = line.Comment();
  line = line.BeforeComment();
  const std::uint8_t* at = line.begin + 1;
  if (at == line.end || !IsDigit(*at)) return;
  DollCel cel;
  cel.object = ReadSmallNumber(&at, line.end);
  if (at != line.end && *at == '.') {
    ++at;
    cel.fix = ReadSmallNumber(&at, line.end);
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
  ReadCelOptions(comment, &cel);
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
  doll_text::ForEachLine(head, [&](Line line) {
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
  doll_text::ForEachLine(text, [&](Line line) {
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
  config.script = ReadFkissScript(text);
  return config;
}

int DollPageCount(const DollConfig& config) {
  return config.pages.empty() ? 1 : static_cast<int>(config.pages.size());
}
