// How the byte-only code walks and compares 8-bit text in the system's ANSI
// code page: the two adapters that its callers hand in. Free of Windows
// headers; the plug-in builds them from the system's own rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Case-insensitive comparison of two zero-terminated 8-bit strings, returning
// 0 when equal. The plug-in hands in lstrcmpiA; native code an ASCII one.
using NameCompare = int (*)(const char*, const char*);

// Two names made only of ASCII letters, digits, '.' and '_' ("plain"):
// whether they are equal with letters compared without regard to case. For
// such names this is what any locale's comparison answers, as long as it
// folds the 26 letters as ASCII does (a Turkish one does not fold I and i).
// *plain tells whether both names were plain; when not, the answer is false.
template <typename Char>
bool SamePlainNameNoCase(const Char* a, const Char* b, bool* plain) {
  auto isPlain = [](std::uint32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_';
  };
  auto fold = [](std::uint32_t c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
  bool same = true;
  for (;; ++a, ++b) {
    const auto x = static_cast<std::uint32_t>(*a);
    const auto y = static_cast<std::uint32_t>(*b);
    if (x == 0 || y == 0) {
      // Whatever is left of the longer name must be plain too.
      for (const Char* rest = x == 0 ? b : a; *rest != 0; ++rest) {
        if (!isPlain(static_cast<std::uint32_t>(*rest))) {
          *plain = false;
          return false;
        }
      }
      *plain = true;
      return same && x == y;
    }
    if (!isPlain(x) || !isPlain(y)) {
      *plain = false;
      return false;
    }
    if (fold(x) != fold(y)) same = false;
  }
}

// The next-character step of the code page: a byte that leads a double-byte
// character and the byte after it are one character, unless that byte ends
// the text; at the terminating zero the step stays put. This is the rule of
// the system's CharNextA, as a table, so a walk costs no call per character.
class NextChar {
 public:
  // Every byte a character of its own, as in single-byte code pages.
  constexpr NextChar() = default;
  // isLeadByte(b) tells whether byte b leads a double-byte character.
  template <typename IsLeadByte>
  static NextChar FromLeadBytes(IsLeadByte isLeadByte) {
    NextChar steps;
    for (int b = 0; b < 256; ++b) steps.lead_[b] = isLeadByte(static_cast<std::uint8_t>(b));
    return steps;
  }

  bool IsLeadByte(char c) const { return lead_[static_cast<std::uint8_t>(c)]; }
  const char* operator()(const char* text) const {
    if (*text == '\0') return text;
    return IsLeadByte(*text) && text[1] != '\0' ? text + 2 : text + 1;
  }
  char* operator()(char* text) const {
    return const_cast<char*>((*this)(static_cast<const char*>(text)));
  }

 private:
  bool lead_[256] = {};
};

// Whether the length characters at text end in suffix (ASCII), letters
// compared without regard to case as ASCII folds them: how a file system
// matches an extension in a pattern.
template <typename Char>
bool EndsWithNoCase(const Char* text, std::size_t length, const char* suffix) {
  const std::size_t suffixLength = std::strlen(suffix);
  if (length < suffixLength) return false;
  const Char* tail = text + (length - suffixLength);
  for (std::size_t i = 0; i < suffixLength; ++i) {
    auto c = static_cast<std::uint32_t>(tail[i]);
    auto e = static_cast<std::uint32_t>(static_cast<unsigned char>(suffix[i]));
    if (c >= 'a' && c <= 'z') c -= 32;
    if (e >= 'a' && e <= 'z') e -= 32;
    if (c != e) return false;
  }
  return true;
}
