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

// Whether the system's case-insensitive comparison folds the 26 ASCII letters
// as ASCII does, asked once: the user's locale does not change while a
// process runs.
inline bool SystemFoldsAsciiLetters() {
  static const bool simple = [] {
    for (char c = 'a'; c <= 'z'; ++c) {
      const char lower[2] = {c, '\0'};
      const char upper[2] = {static_cast<char>(c - 32), '\0'};
      const wchar_t wideLower[2] = {static_cast<wchar_t>(c), L'\0'};
      const wchar_t wideUpper[2] = {static_cast<wchar_t>(c - 32), L'\0'};
      if (lstrcmpiA(lower, upper) != 0 || lstrcmpiW(wideLower, wideUpper) != 0) return false;
    }
    return true;
  }();
  return simple;
}

// lstrcmpiA's answer, without asking it for plain names (see
// SamePlainNameNoCase), whose comparison it would only repeat.
inline int AnsiCompareNoCase(const char* a, const char* b) {
  bool plain = false;
  const bool same = SamePlainNameNoCase(a, b, &plain);
  if (plain && SystemFoldsAsciiLetters()) return same ? 0 : 1;
  return lstrcmpiA(a, b);
}

// The same for wide names and lstrcmpiW.
inline int WideCompareNoCase(const wchar_t* a, const wchar_t* b) {
  bool plain = false;
  const bool same = SamePlainNameNoCase(a, b, &plain);
  if (plain && SystemFoldsAsciiLetters()) return same ? 0 : 1;
  return lstrcmpiW(a, b);
}
