// The albums opened lately, so that a host that lists an archive once and
// then asks for each member, often from threads of its own, does not read the
// archive again for every member. Bounded in count and in the bytes the
// albums hold; safe from several threads at once. Free of Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "album/album.h"

struct OpenedAlbum {
  std::shared_ptr<const ArchiveSet> set;
  std::vector<AlbumEntry> entries;
  std::uint64_t bytes = 0;  // what the album holds in memory, for the cache's bound
};

// Bytes in memory that the source shares with whoever else holds them.
class SharedBytesSource : public ArchiveSource {
 public:
  explicit SharedBytesSource(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
      : bytes_(std::move(bytes)) {}
  std::uint64_t Size() const override { return bytes_->size(); }
  bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;

 private:
  std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
};

// Another source from offset on: an archive stored behind other data.
class OffsetSource : public ArchiveSource {
 public:
  OffsetSource(std::shared_ptr<const ArchiveSource> whole, std::uint64_t offset)
      : whole_(std::move(whole)), offset_(offset) {}
  std::uint64_t Size() const override;
  bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;

 private:
  std::shared_ptr<const ArchiveSource> whole_;
  std::uint64_t offset_;
};

class AlbumCache {
 public:
  AlbumCache(std::size_t albums, std::uint64_t bytes) : albumLimit_(albums), byteLimit_(bytes) {}

  // The album of the file at path (from offset on) while its stamp is the
  // one it had when listed; null when there is none.
  std::shared_ptr<const OpenedAlbum> FindFile(const std::wstring& path, std::uint64_t offset,
                                              const FileStamp& stamp);
  // The album listed from bytes that were these, at this address.
  std::shared_ptr<const OpenedAlbum> FindMemory(ByteView bytes);
  // The album listed from memory whose bytes hold address: *distance is the
  // address's distance from their start, *copy the bytes as they were.
  std::shared_ptr<const OpenedAlbum> FindAround(
      const std::uint8_t* address, std::uint64_t* distance,
      std::shared_ptr<const std::vector<std::uint8_t>>* copy);

  void KeepFile(const std::wstring& path, std::uint64_t offset, const FileStamp& stamp,
                std::shared_ptr<const OpenedAlbum> album);
  // copy: the bytes at address as they were listed.
  void KeepMemory(const std::uint8_t* address,
                  std::shared_ptr<const std::vector<std::uint8_t>> copy,
                  std::shared_ptr<const OpenedAlbum> album);

 private:
  struct Kept {
    std::wstring path;  // empty for memory
    std::uint64_t offset = 0;
    FileStamp stamp;
    const std::uint8_t* address = nullptr;
    std::shared_ptr<const std::vector<std::uint8_t>> copy;
    std::shared_ptr<const OpenedAlbum> album;
  };
  void Keep(Kept kept);  // under the lock
  template <typename Match>
  std::shared_ptr<const OpenedAlbum> FindBy(Match match);  // under the lock; the found moves first

  std::mutex mutex_;
  std::list<Kept> kept_;  // the latest used first
  std::size_t albumLimit_;
  std::uint64_t byteLimit_;
};
