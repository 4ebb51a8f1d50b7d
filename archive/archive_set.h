// A KiSS set held in an archive: its members by path inside the archive,
// read on demand and kept, and the two searches that run on a folder (a
// cel's palette, a configuration's doll) running on it unchanged. Free of
// Windows headers: the code page's rules come through SetText.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "cel/text_adapters.h"
#include "doll/doll_compose.h"
#include "palette/folder_search.h"

// The rules of the system's ANSI code page, handed in by the caller: the
// plug-ins pass the system's own, native code a single-byte one.
class SetText {
 public:
  virtual ~SetText() = default;
  // 8-bit text of the code page (LZH names, configuration text) as wide text.
  virtual std::wstring Widen(const std::string& text) const = 0;
  // The same for a member's stored name, strictly: false when a byte does not
  // convert, so that the name cannot be taken for another.
  virtual bool WidenName(const std::string& name, std::wstring* text) const = 0;
  // Whether two names are the same file, compared as the file system does
  // (without regard to case).
  virtual bool SameName(const std::wstring& a, const std::wstring& b) const = 0;
  virtual const NextChar& Steps() const = 0;
  virtual const LineAllocator& TextHeap() const = 0;
};

// A member whose name is refused (kBadName) keeps its stored name in path, as
// best it shows, and is never looked up by it.
struct SetMember {
  std::wstring path;    // the folder parts and the name, joined by '\'
  std::wstring folder;  // path up to its last '\', empty at the top
  std::wstring name;    // path past its last '\'
  std::uint64_t size = 0;
  std::uint64_t packedSize = 0;
  std::uint32_t crc = 0;
  std::int64_t unixTime = 0;
  std::string method;
  // kOk, or why the member cannot be read (an unsafe or duplicate name, an
  // encrypted member, past a limit); the rest of the set still reads.
  ArchiveStatus problem = ArchiveStatus::kOk;
};

class ArchiveSet {
 public:
  virtual ~ArchiveSet() = default;
  // Every file member in archive order, directory records left out; the
  // members of an archive that is itself a member follow it, one level deep,
  // their paths joined to its folder (where unpacking it in place puts them).
  virtual const std::vector<SetMember>& Members() const = 0;
  // kOk, or kBroken when the archive's listing stopped at a header that does
  // not read (a damaged or truncated archive): Members holds those before it.
  virtual ArchiveStatus ListingStatus() const = 0;
  // The member at path (folders separated by '\' or '/'), names compared as
  // SetText::SameName does; -1 when there is none.
  virtual std::ptrdiff_t Find(const std::wstring& path) const = 0;
  // Whether two paths would name one file where the set is unpacked, as
  // SetText::SameName compares them.
  virtual bool SameName(const std::wstring& a, const std::wstring& b) const = 0;
  // The member's bytes, decompressed and checked once and then kept.
  virtual ArchiveStatus Read(std::size_t member,
                             std::shared_ptr<const std::vector<std::uint8_t>>* bytes) const = 0;
  // The palette search for a cel member, answered as for that cel in an
  // unpacked copy of the archive: the member's folder is its folder. The
  // answer's path is the folder, '\' and the palette's name (at the top, '\'
  // and the name); its bytes are the palette member's first paletteBytes.
  virtual PaletteSearchResult<wchar_t> FindPalette(std::size_t celMember,
                                                   std::size_t paletteBytes) const = 0;
  // The files a configuration member's doll reads: its folder's members.
  virtual std::unique_ptr<DollFiles> FilesBeside(std::size_t member) const = 0;
};

// The set in source (which the set keeps); null, with *status saying why,
// when the archive cannot be listed. Every export of a set is safe from
// several threads at once.
std::unique_ptr<ArchiveSet> OpenArchiveSet(std::shared_ptr<const ArchiveSource> source,
                                           std::shared_ptr<const SetText> text,
                                           const ArchiveLimits& limits, ArchiveStatus* status);

// How a set lists an archive (the outer one, and each archive member):
// OpenArchive, or a stand-in for tests.
using ArchiveOpener = std::unique_ptr<ArchiveReader> (*)(const ArchiveSource& source,
                                                         const ArchiveLimits& limits,
                                                         ArchiveStatus* status);
std::unique_ptr<ArchiveSet> OpenArchiveSetWith(ArchiveOpener open,
                                               std::shared_ptr<const ArchiveSource> source,
                                               std::shared_ptr<const SetText> text,
                                               const ArchiveLimits& limits, ArchiveStatus* status);
