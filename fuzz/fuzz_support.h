// What the fuzz targets share: a check that names what broke, inputs copied
// into blocks of exactly their size (so AddressSanitizer reports any read past
// them), and the two name comparisons the plug-in meets: ASCII, and one like
// the system's under code page 932. Free of gtest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "cel/byte_view.h"
#include "core/char_steps.h"

// A broken rule is a finding: the message says which, then libFuzzer keeps the input.
inline void Require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", rule);
  std::abort();
}

// A copy of bytes in a heap block of exactly their size.
class ExactBytes {
 public:
  ExactBytes(const std::uint8_t* data, std::size_t size)
      : bytes_(new std::uint8_t[size == 0 ? 1 : size]), size_(size) {
    if (size != 0) std::memcpy(bytes_.get(), data, size);
  }
  ByteView View() const { return {size_ == 0 ? nullptr : bytes_.get(), size_}; }
  std::uint8_t* data() { return bytes_.get(); }
  std::size_t size() const { return size_; }

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
  std::size_t size_;
};

// The first count bytes of data (fewer if shorter), zero-padded: what the
// plug-in's 32-byte header window holds.
template <std::size_t count>
struct PaddedWindow {
  std::uint8_t bytes[count] = {};
  PaddedWindow(const std::uint8_t* data, std::size_t size) {
    if (size > count) size = count;
    if (size != 0) std::memcpy(bytes, data, size);
  }
  ByteView View() const { return {bytes, count}; }
  unsigned U16(std::size_t offset) const { return bytes[offset] | (bytes[offset + 1] << 8); }
};

namespace fuzz_text {

// One character of code page 932 text at text: a lead byte and a following
// non-zero byte as one value, any other byte as itself; folded so that ASCII
// letters and the full-width Latin letters compare without regard to case.
inline unsigned FoldedCp932Char(const char* text) {
  const auto first = static_cast<unsigned char>(text[0]);
  if (test_steps::IsCp932Lead(first) && text[1] != '\0') {
    const unsigned pair = (first << 8) | static_cast<unsigned char>(text[1]);
    return pair >= 0x8281 && pair <= 0x829A ? pair - 0x21 : pair;  // full-width a-z to A-Z
  }
  return first >= 'a' && first <= 'z' ? first - 32 : first;
}

// Case-insensitive comparison character by character of code page 932, as
// the system compares 8-bit names there: 0 when equal.
inline int CompareNoCaseCp932(const char* a, const char* b) {
  for (;; a = test_steps::NextCp932(a), b = test_steps::NextCp932(b)) {
    const unsigned ca = FoldedCp932Char(a);
    const unsigned cb = FoldedCp932Char(b);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

// Whether name ends in extension (4 ASCII characters), ASCII letters folded:
// the name test's rule, written out byte by byte.
inline bool EndsInExtension(const char* name, const char* extension) {
  if (name == nullptr) return false;
  const std::size_t length = std::strlen(name);
  if (length < 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto c = static_cast<unsigned char>(name[length - 4 + i]);
    const auto e = static_cast<unsigned char>(extension[i]);
    if ((c >= 'a' && c <= 'z' ? c - 32 : c) != (e >= 'a' && e <= 'z' ? e - 32 : e)) return false;
  }
  return true;
}

// name with its ASCII letters' case swapped.
inline std::string SwappedCase(std::string name) {
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 32);
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c + 32);
    }
  }
  return name;
}

}  // namespace fuzz_text
