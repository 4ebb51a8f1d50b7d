// SetText for native code (tests, fuzzers, benchmarks): a single-byte code
// page whose bytes are the first 256 code points, letters compared without
// regard to case as ASCII folds them, the line store on the C heap.
#pragma once

#include <cstdlib>

#include "archive/archive_set.h"

class SingleByteText : public SetText {
 public:
  std::wstring Widen(const std::string& text) const override {
    std::wstring wide;
    for (char c : text) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return wide;
  }
  bool WidenName(const std::string& name, std::wstring* text) const override {
    *text = Widen(name);
    return true;
  }
  bool SameName(const std::wstring& a, const std::wstring& b) const override {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (Upper(a[i]) != Upper(b[i])) return false;
    }
    return true;
  }
  const NextChar& Steps() const override { return steps_; }
  const LineAllocator& TextHeap() const override { return heap_; }

 private:
  static wchar_t Upper(wchar_t c) { return c >= L'a' && c <= L'z' ? c - 32 : c; }
  static void* ZeroAlloc(std::size_t bytes) { return std::calloc(bytes, 1); }
  static void Release(void* block) { std::free(block); }

  NextChar steps_;
  LineAllocator heap_ = {ZeroAlloc, Release};
};
