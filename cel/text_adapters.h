// How the byte-only code walks and compares 8-bit text in the system's ANSI
// code page: the two adapters that its callers hand in. Free of Windows
// headers; the plug-in builds them from the system's own rules.
#pragma once

#include <cstdint>

// Case-insensitive comparison of two zero-terminated 8-bit strings, returning
// 0 when equal. The plug-in hands in lstrcmpiA; native code an ASCII one.
using NameCompare = int (*)(const char*, const char*);

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
