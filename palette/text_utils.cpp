#include "palette/text_utils.h"

#include <cstring>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBlankOrBreak(char c) { return IsBlank(c) || c == '\r' || c == '\n'; }

template <typename Char>
bool IsSeparator(Char c) {
  return c == '\\' || c == '/';
}

// A wide string needs no stepping rule: no part of a character is a separator.
struct NextUnit {
  const wchar_t* operator()(const wchar_t* text) const { return *text == 0 ? text : text + 1; }
  wchar_t* operator()(wchar_t* text) const { return *text == 0 ? text : text + 1; }
};

template <typename Char>
std::size_t Length(const Char* text) {
  std::size_t length = 0;
  while (text[length] != 0) ++length;
  return length;
}

// Positions are noted during one walk and the kept part is moved to the start
// afterwards; it never begins before the start, so a forward copy is safe.
template <typename Char, typename Step>
void KeepFolder(Char* path, const Step& next) {
  Char* cut = path;
  for (Char* p = path; *p != 0; p = next(p)) {
    if (!IsSeparator(*p)) continue;
    // After a drive colon the separator stays: "C:\" is the root, "C:" is not.
    cut = (p != path && p[-1] == ':') ? p + 1 : p;
  }
  *cut = 0;
}

template <typename Char, typename Step>
void KeepFileName(Char* path, const Step& next) {
  Char* start = path;
  for (Char* p = path; *p != 0; p = next(p)) {
    if (IsSeparator(*p)) start = p + 1;
  }
  if (start != path) std::memmove(path, start, (Length(start) + 1) * sizeof(Char));
}

template <typename Char, typename Step>
void KeepPathPart(Char* path, PathPart part, const Step& next) {
  if (path == nullptr) return;
  if (part == PathPart::Folder) {
    KeepFolder(path, next);
  } else {
    KeepFileName(path, next);
  }
}

}  // namespace

void GetPathPart(char* path, PathPart part, const NextChar& next) {
  KeepPathPart(path, part, next);
}

void GetPathPart(wchar_t* path, PathPart part) { KeepPathPart(path, part, NextUnit{}); }

const char* SkipBlanks(const char* text, const NextChar& next) {
  while (IsBlank(*text)) text = next(text);
  return text;
}

char* SkipBlanks(char* text, const NextChar& next) {
  return const_cast<char*>(SkipBlanks(static_cast<const char*>(text), next));
}

void CutAtBlank(char* text, const NextChar& next) {
  for (char* p = text; *p != '\0'; p = next(p)) {
    if (IsBlankOrBreak(*p)) {
      *p = '\0';
      return;
    }
  }
}

std::int32_t ParseDecimal(const char* text, const NextChar& next) {
  bool negative = false;
  if (*text == '-') {
    negative = true;
    text = next(text);
  } else if (*text == '+') {
    text = next(text);
  }
  // Unsigned arithmetic wraps by definition; the cast back is two's complement.
  std::uint32_t value = 0;
  while (*text >= '0' && *text <= '9') {
    value = value * 10u + static_cast<std::uint32_t>(*text - '0');
    text = next(text);
  }
  if (negative) value = 0u - value;
  return static_cast<std::int32_t>(value);
}
