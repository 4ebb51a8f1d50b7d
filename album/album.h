// A KiSS set shown as an album of pictures, each a file a viewer opens: every
// page of every configuration member as the dressed doll, then every cel in
// its colours, then the members that are pictures already, as they are.
// Every file's size is known when the album is listed, before anything is
// composed. Free of Windows headers: the set comes through ArchiveSet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_set.h"
#include "settings/plugin_settings.h"

enum class AlbumKind : std::uint8_t {
  kPage,     // a page of a configuration member, a 24-bit BMP file
  kCel,      // a cel member as a BMP file in its colours
  kPicture,  // a member that is a picture already, its bytes as they are
};

struct AlbumEntry {
  AlbumKind kind = AlbumKind::kPicture;
  std::size_t member = 0;  // the configuration, the cel or the picture
  int page = 0;            // kPage: the page of the configuration
  std::wstring folder;     // inside the set, ending with '\', or empty at the top
  std::wstring name;       // the file's name: "!mira.set0.bmp", "body.bmp", "logo.png"
  std::uint64_t size = 0;  // the file's exact size
  std::uint64_t packedSize = 0;
  std::int64_t unixTime = 0;
  std::uint32_t crc = 0;  // the member's stored check for a picture, 0 for a made file
  std::string method;     // a tag that is never empty
};

// The 14-byte BITMAPFILEHEADER before the DIB of a BMP file.
constexpr std::size_t kBmpFileHeaderSize = 14;

// The album of set. onlyConfig: -1 for the pages of every configuration
// member, or the one member whose pages are wanted (a set opened through its
// configuration file). Members that cannot be read or made into a picture
// are left out. A page is named "!" + its configuration's name without the
// extension + ".setN.bmp", so that it sorts before the cels; a cel takes its
// name with ".bmp" for its extension. No two entries share a path, compared
// without regard to case: a picture keeps its member's name, and a made file
// whose name an earlier entry has takes the member's whole name before
// ".bmp" ("body.cel.bmp", "!mira.cnf.set0.bmp"), then a counter
// ("body.cel.2.bmp").
std::vector<AlbumEntry> ListAlbum(const ArchiveSet& set, std::ptrdiff_t onlyConfig);

// Whether an archive's first bytes show a cel member's name (".cel" in a
// stored name), for a quick test that reads no further.
bool HeadShowsCel(ByteView head);

// What the set holds in memory once every member is read: the cache's
// measure of an album.
std::uint64_t SetBytes(const ArchiveSet& set);

enum class AlbumResult { kOk, kBroken, kNoMemory, kReadFailed };

// The file of entry, exactly entry.size bytes: a page composed from the
// members beside its configuration, a cel decoded with the palette the set
// assigns to it (32-bit cels flattened by settings), a picture's bytes.
AlbumResult MakeAlbumFile(const ArchiveSet& set, const AlbumEntry& entry,
                          const PluginSettings& settings, std::vector<std::uint8_t>* file);
