// The system's rules for a set held in an archive: names and configuration
// text of the ANSI code page made wide, names compared as the plug-ins
// compare them, CharNextA's steps and the global line heap.
#pragma once

#include <windows.h>

#include "archive/archive_set.h"
#include "spi/ansi_text.h"
#include "spi/line_heap.h"

class SystemSetText : public SetText {
 public:
  std::wstring Widen(const std::string& text) const override { return WidenAnsi(text); }
  bool WidenName(const std::string& name, std::wstring* text) const override {
    text->clear();
    if (name.empty()) return true;
    const int size = static_cast<int>(name.size());
    const int length =
        MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), size, nullptr, 0);
    if (length <= 0) return false;
    text->resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name.data(), size, &(*text)[0],
                               length) == length;
  }
  bool SameName(const std::wstring& a, const std::wstring& b) const override {
    return WideCompareNoCase(a.c_str(), b.c_str()) == 0;
  }
  const NextChar& Steps() const override { return AnsiNextChar(); }
  const LineAllocator& TextHeap() const override { return GlobalLineHeap(); }
};
