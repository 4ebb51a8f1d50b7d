// Small LZH and ZIP archives for tests, written from the formats' layouts:
// LZH members stored (-lh0-) or as directory records (-lhd-) under header
// levels 0, 1 and 2, ZIP members stored or deflated through zlib. Every
// field can be overridden to build damaged archives. Byte-only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace archive_files {

using Bytes = std::vector<std::uint8_t>;

// CRC-16 of LZH (polynomial 0xA001, reflected, starting at 0).
std::uint16_t Crc16(const Bytes& data);

struct LzhMember {
  std::string name;    // level 0/1: the header's own name bytes; level 2: the file name
  std::string folder;  // level 1/2: an extended path header, parts split by '/', when not empty
  Bytes data;
  bool directory = false;     // a -lhd- record (name empty, folder set for level 2)
  std::u16string wideName;    // level 2: a UTF-16 name header, when not empty
  bool utf8CodePage = false;  // level 2: a code page header saying UTF-8
  std::optional<std::uint32_t> claimedSize, claimedPacked;
  std::optional<std::uint16_t> crc;
};

// The members under one header level (0, 1 or 2), with the end marker.
Bytes MakeLzh(const std::vector<LzhMember>& members, int level);

struct ZipMember {
  std::string name;
  Bytes data;
  bool deflate = false;
  std::uint16_t flags = 0;  // bit 0 encrypted, bit 11 UTF-8 names
  std::optional<std::uint16_t> method;
  std::optional<std::uint32_t> claimedSize, claimedPacked, crc;
};

Bytes MakeZip(const std::vector<ZipMember>& members);

}  // namespace archive_files
