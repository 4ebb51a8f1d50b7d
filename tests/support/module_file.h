// A built module read as a file, for the module tests of both plug-ins: a
// bounds-checked reader of its PE headers, export and import tables and
// resource directory, and its version record as the system reads it.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

using ModuleBytes = std::vector<unsigned char>;

inline ModuleBytes ReadModuleFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return ModuleBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A bounds-checked reader over the file, mapping RVAs through the section table.
class PeFile {
 public:
  explicit PeFile(ModuleBytes bytes) : bytes_(std::move(bytes)) {
    if (U16(0) != IMAGE_DOS_SIGNATURE) return;
    nt_ = U32(0x3C);
    if (U32(nt_) != IMAGE_NT_SIGNATURE) return;
    machine_ = U16(nt_ + 4);
    characteristics_ = U16(nt_ + 22);
    const std::size_t optional = nt_ + 24;
    magic_ = U16(optional);
    const unsigned sectionCount = U16(nt_ + 6);
    const std::size_t sections = optional + U16(nt_ + 20);
    for (unsigned i = 0; i < sectionCount; ++i) {
      const std::size_t s = sections + i * 40;
      sections_.push_back({U32(s + 12), std::max(U32(s + 8), U32(s + 16)), U32(s + 20)});
    }
    // PE32+ widens the image base and the four stack and heap sizes to 64 bits.
    dataDirectories_ = optional + (magic_ == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? 112 : 96);
    valid_ = true;
  }

  bool Valid() const { return valid_; }
  unsigned Machine() const { return machine_; }
  unsigned Magic() const { return magic_; }
  bool IsDll() const { return (characteristics_ & IMAGE_FILE_DLL) != 0; }

  // The module's own name in its export directory.
  std::string ExportedModuleName() const {
    const std::size_t directory = Offset(U32(dataDirectories_ + 8 * IMAGE_DIRECTORY_ENTRY_EXPORT));
    return directory == 0 ? std::string() : String(Offset(U32(directory + 12)));
  }

  std::vector<std::string> ExportNames() const {
    std::vector<std::string> names;
    const std::size_t directory = Offset(U32(dataDirectories_ + 8 * IMAGE_DIRECTORY_ENTRY_EXPORT));
    if (directory == 0) return names;
    const std::size_t count = U32(directory + 24);
    const std::size_t table = Offset(U32(directory + 32));
    for (std::size_t i = 0; i < count; ++i) names.push_back(String(Offset(U32(table + 4 * i))));
    return names;
  }

  // The numeric ids of the resources of one type, read from the resource
  // directory (type, then id, then language).
  std::vector<unsigned> ResourceIds(unsigned type) const {
    std::vector<unsigned> ids;
    const std::size_t root = Offset(U32(dataDirectories_ + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE));
    if (root == 0) return ids;
    for (const auto& [typeId, typeEntry] : DirectoryEntries(root)) {
      // A set high bit marks a subdirectory, at an offset from the root.
      if (typeId != type || (typeEntry & 0x80000000u) == 0) continue;
      for (const auto& entry : DirectoryEntries(root + (typeEntry & 0x7FFFFFFFu)))
        ids.push_back(entry.first);
    }
    return ids;
  }

  std::vector<std::string> ImportedLibraries() const {
    std::vector<std::string> names;
    std::size_t descriptor = Offset(U32(dataDirectories_ + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT));
    if (descriptor == 0) return names;
    for (; U32(descriptor + 12) != 0; descriptor += 20) {
      std::string name = String(Offset(U32(descriptor + 12)));
      std::transform(name.begin(), name.end(), name.begin(),
                     [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      names.push_back(name);
    }
    return names;
  }

 private:
  struct Section {
    std::uint32_t rva, size, fileOffset;
  };
  std::uint32_t U16(std::size_t at) const {
    return at + 2 <= bytes_.size() ? bytes_[at] | (bytes_[at + 1] << 8) : 0;
  }
  std::uint32_t U32(std::size_t at) const { return U16(at) | (U16(at + 2) << 16); }
  std::size_t Offset(std::uint32_t rva) const {
    for (const Section& s : sections_) {
      if (rva >= s.rva && rva < s.rva + s.size) return rva - s.rva + s.fileOffset;
    }
    return 0;
  }
  // The (id, offset) pairs of a resource directory's entries with numeric ids.
  std::vector<std::pair<unsigned, std::uint32_t>> DirectoryEntries(std::size_t directory) const {
    std::vector<std::pair<unsigned, std::uint32_t>> entries;
    const unsigned named = U16(directory + 12);
    const unsigned numbered = U16(directory + 14);
    for (unsigned i = named; i < named + numbered; ++i) {
      const std::size_t entry = directory + 16 + 8 * i;
      if (entry + 8 > bytes_.size()) break;
      entries.emplace_back(U32(entry), U32(entry + 4));
    }
    return entries;
  }
  std::string String(std::size_t at) const {
    std::string text;
    while (at != 0 && at < bytes_.size() && bytes_[at] != 0)
      text += static_cast<char>(bytes_[at++]);
    return text;
  }

  ModuleBytes bytes_;
  bool valid_ = false;
  std::size_t nt_ = 0, dataDirectories_ = 0;
  unsigned machine_ = 0, magic_ = 0, characteristics_ = 0;
  std::vector<Section> sections_;
};

// The file name at the end of a path.
inline std::string FileNameOf(const std::string& path) {
  return path.substr(path.find_last_of("\\/:") + 1);
}

// Whether a module a plug-in imports (its name in lower case) is one of the
// system's own, present on every Windows.
inline bool IsSystemLibrary(const std::string& name) {
  static const char* const kSystem[] = {"kernel32.dll", "user32.dll",   "gdi32.dll", "advapi32.dll",
                                        "comctl32.dll", "comdlg32.dll", "msvcrt.dll"};
  return std::find(std::begin(kSystem), std::end(kSystem), name) != std::end(kSystem);
}

// The version record of a module file, read by the system's version calls.
class VersionRecord {
 public:
  explicit VersionRecord(const char* path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoA(path, 0, size, data_.data())) data_.clear();
  }

  bool Valid() const { return !data_.empty(); }

  // The fixed part; null when the record has none.
  const VS_FIXEDFILEINFO* Fixed() const {
    void* fixed = nullptr;
    UINT length = 0;
    if (!Valid() || !VerQueryValueA(data_.data(), "\\", &fixed, &length)) return nullptr;
    return static_cast<const VS_FIXEDFILEINFO*>(fixed);
  }

  // The (language, code page) pairs of the translation table.
  std::vector<WORD> Translation() const {
    void* words = nullptr;
    UINT length = 0;
    if (!Valid() || !VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &words, &length))
      return {};
    const WORD* first = static_cast<const WORD*>(words);
    return std::vector<WORD>(first, first + length / sizeof(WORD));
  }

  // A text of the Japanese Unicode block, or "(missing)".
  std::string Text(const char* name) const {
    void* value = nullptr;
    UINT size = 0;
    const std::string path = std::string("\\StringFileInfo\\041104b0\\") + name;
    if (!Valid() || !VerQueryValueA(data_.data(), path.c_str(), &value, &size)) return "(missing)";
    return std::string(static_cast<const char*>(value));
  }

 private:
  std::vector<char> data_;
};
