// The lines of a configuration's text, for the readers of its parts. Free of
// Windows headers.
#pragma once

#include <cstdint>

#include "cel/byte_view.h"

namespace doll_text {

// One line of the text, without its end.
struct TextLine {
  const std::uint8_t* begin;
  const std::uint8_t* end;

  bool Empty() const { return begin == end; }
  std::uint8_t First() const { return Empty() ? 0 : *begin; }
  // What comes before a ';': the rest of a cel or page line is a comment.
  TextLine BeforeComment() const {
    const std::uint8_t* at = begin;
    while (at != end && *at != ';') ++at;
    return {begin, at};
  }
  // What follows the first ';', or nothing without one.
  TextLine Comment() const {
    const std::uint8_t* at = begin;
    while (at != end && *at != ';') ++at;
    return {at == end ? end : at + 1, end};
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
    each(TextLine{at, lineEnd});
    at = lineEnd;
    if (at == end) break;
    // CR LF is one line end; a CR or an LF alone is one too.
    if (*at++ == '\r' && at != end && *at == '\n') ++at;
  }
}

inline bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
inline bool IsBlank(std::uint8_t c) { return c == ' ' || c == '\t'; }

inline void SkipBlanks(const std::uint8_t** at, const std::uint8_t* end) {
  while (*at != end && IsBlank(**at)) ++*at;
}

// A decimal number at *at with an optional '-' sign, saturated at limit; the
// position moves past it. False (position kept) when no digit follows.
inline bool ReadNumber(const std::uint8_t** at, const std::uint8_t* end, std::int64_t limit,
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

}  // namespace doll_text
