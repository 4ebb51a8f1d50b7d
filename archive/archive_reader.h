// Reading the members of an LZH or ZIP archive: the listing, and each
// member's bytes decompressed on demand and checked against its stored CRC.
// Free of Windows headers; the bytes come through ArchiveSource, from a file
// or from memory, so both are one road.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cel/byte_view.h"

// Where an archive's bytes come from. Nothing is read past Size(); ReadAt
// takes no state between calls, so members may be read from several threads
// at once when the source allows it.
class ArchiveSource {
 public:
  virtual ~ArchiveSource() = default;
  virtual std::uint64_t Size() const = 0;
  // count bytes at offset into out; false when they cannot all be read.
  virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const = 0;
};

// Bytes in memory that outlive the source.
class MemorySource : public ArchiveSource {
 public:
  explicit MemorySource(ByteView bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size; }
  bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;

 private:
  ByteView bytes_;
};

enum class ArchiveKind { kUnknown, kLzh, kZip };

// The kind an archive's first bytes show (its signature), or kUnknown.
ArchiveKind RecogniseArchive(ByteView head);

enum class ArchiveStatus {
  kOk,
  kUnknownFormat,  // no signature of a kind read here
  kBroken,         // a header or the compressed data does not read
  kCrcMismatch,    // the bytes do not match the stored check
  kUnsupported,    // an encrypted member, or a method not read here
  kTooLarge,       // past a limit of ArchiveLimits
  kNoMemory,
  kReadFailed,  // the source failed to deliver bytes it has
  kBadName,     // a member's name that would unpack outside its folder, or does not convert
  kSameName,    // a member whose name an earlier member already has
};

// How a stored name's bytes are to be read.
enum class NameText { kCodePage, kUtf8 };

struct ArchiveEntry {
  // The stored bytes, separators as stored: a backslash or '/' in an LZH header's
  // own name (a code page's double-byte character may hold 0x5C, so split it
  // by the code page's steps), '/' in ZIP names and between the parts of an
  // LZH extended header's path (stored there as 0xFF). A UTF-16 name is
  // converted to UTF-8 and marked kUtf8.
  std::string name;
  NameText text = NameText::kCodePage;
  bool directory = false;
  std::string method;  // as the archive names it: "-lh5-", "-lhd-", "stored", "deflate"
  std::uint64_t packedSize = 0;
  std::uint64_t size = 0;
  std::uint32_t crc = 0;  // CRC-16 (LZH) or CRC-32 (ZIP), as stored
  std::int64_t unixTime = 0;
  bool encrypted = false;
};

// What one archive may cost: a member or a whole set larger than this is
// refused, so a crafted archive cannot exhaust the host's memory.
struct ArchiveLimits {
  std::uint64_t memberBytes = 256ull << 20;
  std::uint64_t totalBytes = 256ull << 20;
  std::size_t members = 100000;
};

class ArchiveReader {
 public:
  virtual ~ArchiveReader() = default;
  ArchiveKind Kind() const { return kind_; }
  // Every entry in archive order (directory records among them).
  const std::vector<ArchiveEntry>& Entries() const { return entries_; }
  // kOk when the listing read to the archive's end; kBroken when it stopped
  // at a header that does not read or the data runs past the end (a
  // truncated or damaged archive): the entries before it are still listed.
  ArchiveStatus ListingStatus() const { return listingStatus_; }
  // Entry index's bytes, decompressed and checked; safe from several threads
  // at once.
  virtual ArchiveStatus Extract(std::size_t index, std::vector<std::uint8_t>* bytes) const = 0;

 protected:
  ArchiveKind kind_ = ArchiveKind::kUnknown;
  std::vector<ArchiveEntry> entries_;
  ArchiveStatus listingStatus_ = ArchiveStatus::kOk;
};

// Lists the archive in source (which must outlive the reader) by the kind
// its signature shows; null, with *status saying why, when it cannot be
// listed.
std::unique_ptr<ArchiveReader> OpenArchive(const ArchiveSource& source, const ArchiveLimits& limits,
                                           ArchiveStatus* status);
