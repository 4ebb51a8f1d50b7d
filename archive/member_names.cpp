#include "archive/member_names.h"

#include <vector>

namespace {

void AppendCodePoint(std::uint32_t code, std::wstring* text) {
  if (sizeof(wchar_t) == 2 && code >= 0x10000) {
    code -= 0x10000;
    text->push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
    text->push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
  } else {
    text->push_back(static_cast<wchar_t>(code));
  }
}

bool ForbiddenInName(wchar_t c) {
  if (c < 0x20) return true;
  switch (c) {
    case L'<':
    case L'>':
    case L'"':
    case L'|':
    case L'?':
    case L'*':
    case L':':
      return true;
    default:
      return false;
  }
}

}  // namespace

bool WidenUtf8(const std::string& bytes, std::wstring* text) {
  text->clear();
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<std::uint8_t>(bytes[i]);
    std::size_t length = 0;
    std::uint32_t code = 0;
    std::uint32_t least = 0;  // the smallest code point of this length: shorter forms are overlong
    if (lead < 0x80) {
      length = 1;
      code = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      code = lead & 0x1F;
      least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      code = lead & 0x0F;
      least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      code = lead & 0x07;
      least = 0x10000;
    } else {
      return false;
    }
    if (bytes.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<std::uint8_t>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    AppendCodePoint(code, text);
    i += length;
  }
  return true;
}

bool SafeMemberPath(std::wstring* path) {
  for (wchar_t& c : *path) {
    if (c == L'/') c = L'\\';
  }
  if (path->empty()) return false;
  std::size_t start = 0;
  while (start <= path->size()) {
    std::size_t end = path->find(L'\\', start);
    if (end == std::wstring::npos) end = path->size();
    const std::wstring part = path->substr(start, end - start);
    if (part.empty() || part == L"." || part == L"..") return false;
    if (part.back() == L'.' || part.back() == L' ') return false;
    for (wchar_t c : part) {
      if (ForbiddenInName(c)) return false;
    }
    start = end + 1;
  }
  return true;
}

std::wstring FolderOfPath(const std::wstring& path) {
  const std::size_t last = path.rfind(L'\\');
  return last == std::wstring::npos ? std::wstring() : path.substr(0, last);
}

std::wstring NameOfPath(const std::wstring& path) {
  const std::size_t last = path.rfind(L'\\');
  return last == std::wstring::npos ? path : path.substr(last + 1);
}

bool NormaliseLookupPath(const std::wstring& path, std::wstring* normal) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find_first_of(L"\\/", start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring part = path.substr(start, end - start);
    if (part == L"..") {
      if (parts.empty()) return false;
      parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(std::move(part));
    }
    start = end + 1;
  }
  normal->clear();
  for (const std::wstring& part : parts) {
    if (!normal->empty()) normal->push_back(L'\\');
    *normal += part;
  }
  return true;
}

std::uint64_t FoldedNameHash(const std::wstring& path) {
  std::uint64_t hash = 14695981039346656037ull;
  for (wchar_t c : path) {
    auto code = static_cast<std::uint32_t>(c);
    if (code >= 0x80) continue;
    if (code >= 'a' && code <= 'z') code -= 32;
    hash = (hash ^ code) * 1099511628211ull;
  }
  return hash;
}
