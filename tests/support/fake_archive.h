// A stand-in archive format for the set's tests and fuzzer, so that they
// state every entry's name, flags and bytes where they are read: "FAKE",
// then per entry its flags (FakeEntry::k...), the name's length and bytes,
// the stored size, the data's length and bytes (all lengths 32-bit little
// endian). Free of gtest.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_reader.h"

struct FakeEntry {
  static constexpr std::uint8_t kDirectory = 1;
  static constexpr std::uint8_t kUtf8 = 2;
  static constexpr std::uint8_t kEncrypted = 4;
  static constexpr std::uint8_t kBadCheck = 8;  // the data does not match its check

  std::string name;
  std::vector<std::uint8_t> data;
  std::uint8_t flags = 0;
};

inline std::vector<std::uint8_t> FakeArchive(const std::vector<FakeEntry>& entries) {
  std::vector<std::uint8_t> bytes = {'F', 'A', 'K', 'E'};
  auto put32 = [&](std::size_t value) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<std::uint8_t>(value >> shift));
  };
  for (const FakeEntry& entry : entries) {
    bytes.push_back(entry.flags);
    put32(entry.name.size());
    bytes.insert(bytes.end(), entry.name.begin(), entry.name.end());
    put32(entry.data.size());
    put32(entry.data.size());
    bytes.insert(bytes.end(), entry.data.begin(), entry.data.end());
  }
  return bytes;
}

class FakeArchiveReader : public ArchiveReader {
 public:
  // Reads the whole listing from source; false when it is not one.
  bool List(const ArchiveSource& source, const ArchiveLimits& limits, ArchiveStatus* status) {
    const std::uint64_t size = source.Size();
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    if (size != 0 && !source.ReadAt(0, bytes.data(), bytes.size())) {
      *status = ArchiveStatus::kReadFailed;
      return false;
    }
    std::size_t at = 4;
    if (bytes.size() < 4 || bytes[0] != 'F' || bytes[1] != 'A' || bytes[2] != 'K' ||
        bytes[3] != 'E') {
      *status = ArchiveStatus::kUnknownFormat;
      return false;
    }
    auto get32 = [&](std::uint64_t* value) {
      if (bytes.size() - at < 4) return false;
      *value = 0;
      for (int i = 0; i < 4; ++i) *value |= std::uint64_t{bytes[at + i]} << (8 * i);
      at += 4;
      return true;
    };
    kind_ = ArchiveKind::kZip;
    bool whole = true;
    while (at < bytes.size()) {
      whole = false;
      const std::uint8_t flags = bytes[at++];
      std::uint64_t nameLength = 0, stored = 0, dataLength = 0;
      if (!get32(&nameLength) || bytes.size() - at < nameLength) break;
      ArchiveEntry entry;
      entry.name.assign(bytes.begin() + at, bytes.begin() + at + nameLength);
      at += nameLength;
      if (!get32(&stored) || !get32(&dataLength) || bytes.size() - at < dataLength) break;
      entry.size = stored;
      entry.packedSize = dataLength;
      entry.directory = (flags & FakeEntry::kDirectory) != 0;
      entry.encrypted = (flags & FakeEntry::kEncrypted) != 0;
      entry.text = (flags & FakeEntry::kUtf8) != 0 ? NameText::kUtf8 : NameText::kCodePage;
      entry.method = "stored";
      data_.emplace_back(bytes.begin() + at, bytes.begin() + at + dataLength);
      badCheck_.push_back((flags & FakeEntry::kBadCheck) != 0);
      at += dataLength;
      whole = true;
      entries_.push_back(std::move(entry));
      if (entries_.size() > limits.members) {
        *status = ArchiveStatus::kTooLarge;
        return false;
      }
    }
    // A listing cut short keeps the entries before the cut, as the readers do.
    if (!whole) listingStatus_ = ArchiveStatus::kBroken;
    return true;
  }

  ArchiveStatus Extract(std::size_t index, std::vector<std::uint8_t>* bytes) const override {
    if (index >= entries_.size()) return ArchiveStatus::kBroken;
    if (entries_[index].encrypted) return ArchiveStatus::kUnsupported;
    if (badCheck_[index]) return ArchiveStatus::kCrcMismatch;
    *bytes = data_[index];
    return ArchiveStatus::kOk;
  }

 private:
  std::vector<std::vector<std::uint8_t>> data_;
  std::vector<bool> badCheck_;
};

// An ArchiveOpener for the stand-in format.
inline std::unique_ptr<ArchiveReader> OpenFakeArchive(const ArchiveSource& source,
                                                      const ArchiveLimits& limits,
                                                      ArchiveStatus* status) {
  auto reader = std::make_unique<FakeArchiveReader>();
  if (!reader->List(source, limits, status)) return nullptr;
  *status = ArchiveStatus::kOk;
  return reader;
}

// Bytes in memory that the source owns.
class OwnedSource : public ArchiveSource {
 public:
  explicit OwnedSource(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override {
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    for (std::size_t i = 0; i < count; ++i)
      static_cast<std::uint8_t*>(out)[i] = bytes_[static_cast<std::size_t>(offset) + i];
    return true;
  }

 private:
  std::vector<std::uint8_t> bytes_;
};
