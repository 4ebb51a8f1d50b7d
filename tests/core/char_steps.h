// Helpers for the palette core tests: character steps, name comparison and
// an allocator for the line store, as native stand-ins for the ANSI code
// page's step rule, lstrcmpiA and GlobalAlloc.
#pragma once

#include <cctype>
#include <cstdlib>

#include "cel/text_adapters.h"
#include "palette/line_buffer.h"

// Every byte its own character, as in a single-byte code page.
inline const NextChar NextByte;

namespace test_steps {

// Shift-JIS (code page 932): a lead byte and a following non-zero byte are
// one character.
inline bool IsCp932Lead(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

inline const NextChar NextCp932 = NextChar::FromLeadBytes(IsCp932Lead);

inline int CompareNoCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    const int ca = std::toupper(static_cast<unsigned char>(*a));
    const int cb = std::toupper(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0) return ca - cb;
  }
}

inline void* ZeroAlloc(std::size_t bytes) { return std::calloc(bytes, 1); }
inline void Release(void* block) { std::free(block); }
inline void* FailAlloc(std::size_t) { return nullptr; }

constexpr LineAllocator kHeap = {ZeroAlloc, Release};
constexpr LineAllocator kNoMemory = {FailAlloc, Release};

}  // namespace test_steps
