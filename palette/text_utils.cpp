#include "palette/text_utils.h"

#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBlankOrBreak(char c) { return IsBlank(c) || c == '\r' || c == '\n'; }

// Positions are noted during one walk and the kept part is moved to the start
// afterwards; it never begins before the start, so a forward copy is safe.
void KeepFolder(char* path, NextChar next) {
  char* cut = path;
  for (char* p = path; *p != '\0'; p = const_cast<char*>(next(p))) {
    if (!IsSeparator(*p)) continue;
    // After a drive colon the separator stays: "C:\" is the root, "C:" is not.
    cut = (p != path && p[-1] == ':') ? p + 1 : p;
  }
  *cut = '\0';
}

void KeepFileName(char* path, NextChar next) {
  char* start = path;
  for (char* p = path; *p != '\0'; p = const_cast<char*>(next(p))) {
    if (IsSeparator(*p)) start = p + 1;
  }
  if (start != path) std::memmove(path, start, std::strlen(start) + 1);
}

}  // namespace

void GetPathPart(char* path, PathPart part, NextChar next) {
  if (path == nullptr) return;
  if (part == PathPart::Folder) {
    KeepFolder(path, next);
  } else {
    KeepFileName(path, next);
  }
}

const char* SkipBlanks(const char* text, NextChar next) {
  while (IsBlank(*text)) text = next(text);
  return text;
}

char* SkipBlanks(char* text, NextChar next) {
  return const_cast<char*>(SkipBlanks(static_cast<const char*>(text), next));
}

void CutAtBlank(char* text, NextChar next) {
  for (char* p = text; *p != '\0'; p = const_cast<char*>(next(p))) {
    if (IsBlankOrBreak(*p)) {
      *p = '\0';
      return;
    }
  }
}

std::int32_t ParseDecimal(const char* text, NextChar next) {
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

bool ComposePath(char* out, std::size_t outSize, const char* folder, const char* name) {
  if (out == nullptr || outSize == 0) return false;
  out[0] = '\0';
  const std::size_t folderLength = std::strlen(folder);
  const std::size_t nameLength = std::strlen(name);
  const std::size_t length = folderLength + 1 + nameLength;
  // A path cut short would name another file; one that does not fit is not a path.
  if (length >= outSize || length >= kPathBufferSize) return false;
  std::memcpy(out, folder, folderLength);
  out[folderLength] = '\\';
  std::memcpy(out + folderLength + 1, name, nameLength + 1);
  return true;
}

const char* NextByte(const char* text) { return *text == '\0' ? text : text + 1; }
