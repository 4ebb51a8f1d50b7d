// Path and token utilities for cel paths and configuration lines. Strings are
// 8-bit in the ANSI code page; every walk steps with the code page's
// next-character rule, so the second byte of a double-byte character is never
// taken for a separator, a blank or a digit. Wide paths need no such rule.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cel/text_adapters.h"

// Path buffers hold 259 characters and a terminator.
constexpr std::size_t kPathBufferSize = 260;
// A path from the host is taken apart only when it has at most this many characters.
constexpr std::size_t kMaxCelPathLength = 258;

enum class PathPart {
  Folder,    // everything before the last separator ("C:\" keeps its separator)
  FileName,  // the file name with its extension
};

// Cuts path in place down to the selected part. Separators are '\' and '/'.
void GetPathPart(char* path, PathPart part, const NextChar& next);
void GetPathPart(wchar_t* path, PathPart part);

// The first position at or after text that is neither a space nor a tab.
const char* SkipBlanks(const char* text, const NextChar& next);
char* SkipBlanks(char* text, const NextChar& next);

// Ends text at its first space, tab, CR or LF.
void CutAtBlank(char* text, const NextChar& next);

// An optional '-' or '+' and decimal digits; stops at the first other
// character. Wraps modulo 2^32 rather than failing.
std::int32_t ParseDecimal(const char* text, const NextChar& next);
