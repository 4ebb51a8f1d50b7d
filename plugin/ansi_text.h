// The system's ANSI string rules in the shape the byte-only code takes them:
// the next-character step of the ANSI code page and the case-insensitive
// name comparison.
#pragma once

#include <windows.h>

#include "cel/text_adapters.h"

// CharNextA's rule as a table, read once from the system: the ANSI code page
// does not change while a process runs.
inline const NextChar& AnsiNextChar() {
  static const NextChar steps =
      NextChar::FromLeadBytes([](std::uint8_t b) { return IsDBCSLeadByte(b) != FALSE; });
  return steps;
}

inline int AnsiCompareNoCase(const char* a, const char* b) { return lstrcmpiA(a, b); }
