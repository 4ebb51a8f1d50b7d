// The system's ANSI string rules in the shape the byte-only code takes them:
// the next-character step of the ANSI code page, the case-insensitive name
// comparison, and 8-bit text made wide.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

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

// Whether a wide name's last four characters equal extension (L".CEL"), as
// the system compares names; HasExtension is the 8-bit form.
inline bool HasWideExtension(const wchar_t* name, const wchar_t* extension) {
  if (name == nullptr) return false;
  const std::size_t length = std::wcslen(name);
  return length >= 4 && WideCompareNoCase(name + length - 4, extension) == 0;
}

// 8-bit text of the ANSI code page as wide characters (names from a
// configuration file joined to a wide folder).
inline std::wstring WidenAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0)
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

// Wide text in the ANSI code page (names the 8-bit exports hand out); a
// character the code page lacks becomes missing, or the system's default
// character without one.
inline std::string NarrowAnsi(const std::wstring& text, const char* missing = nullptr) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, &narrow[0], length, missing, nullptr);
  return narrow;
}
