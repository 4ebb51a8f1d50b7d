// The system's ANSI string functions in the shape the byte-only core takes
// them: the next-character step and the case-insensitive name comparison.
#pragma once

#include <windows.h>

inline const char* AnsiNextChar(const char* text) { return CharNextA(text); }
inline int AnsiCompareNoCase(const char* a, const char* b) { return lstrcmpiA(a, b); }
