#include "album/album_cache.h"

#include <cstring>

bool SharedBytesSource::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
  if (offset > bytes_->size() || count > bytes_->size() - offset) return false;
  if (count != 0) std::memcpy(out, bytes_->data() + offset, count);
  return true;
}

std::uint64_t OffsetSource::Size() const {
  const std::uint64_t whole = whole_->Size();
  return offset_ < whole ? whole - offset_ : 0;
}

bool OffsetSource::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
  if (offset > Size() || count > Size() - offset) return false;
  return whole_->ReadAt(offset_ + offset, out, count);
}

template <typename Match>
std::shared_ptr<const OpenedAlbum> AlbumCache::FindBy(Match match) {
  for (auto it = kept_.begin(); it != kept_.end(); ++it) {
    if (!match(*it)) continue;
    kept_.splice(kept_.begin(), kept_, it);
    return kept_.front().album;
  }
  return nullptr;
}

std::shared_ptr<const OpenedAlbum> AlbumCache::FindFile(const std::wstring& path,
                                                        std::uint64_t offset,
                                                        const FileStamp& stamp) {
  const std::lock_guard<std::mutex> lock(mutex_);
  return FindBy([&](const Kept& kept) {
    return kept.address == nullptr && kept.path == path && kept.offset == offset &&
           kept.stamp == stamp;
  });
}

std::shared_ptr<const OpenedAlbum> AlbumCache::FindMemory(ByteView bytes) {
  const std::lock_guard<std::mutex> lock(mutex_);
  return FindBy([&](const Kept& kept) {
    return kept.address != nullptr && kept.address == bytes.data &&
           kept.copy->size() == bytes.size &&
           (bytes.size == 0 || std::memcmp(kept.copy->data(), bytes.data, bytes.size) == 0);
  });
}

std::shared_ptr<const OpenedAlbum> AlbumCache::FindAround(
    const std::uint8_t* address, std::uint64_t* distance,
    std::shared_ptr<const std::vector<std::uint8_t>>* copy) {
  const std::lock_guard<std::mutex> lock(mutex_);
  // Compared as numbers: the host's pointer may lie in none of the blocks.
  const auto at = reinterpret_cast<std::uintptr_t>(address);
  return FindBy([&](const Kept& kept) {
    const auto start = reinterpret_cast<std::uintptr_t>(kept.address);
    if (kept.address == nullptr || at < start || at - start >= kept.copy->size()) return false;
    *distance = at - start;
    *copy = kept.copy;
    return true;
  });
}

void AlbumCache::KeepFile(const std::wstring& path, std::uint64_t offset, const FileStamp& stamp,
                          std::shared_ptr<const OpenedAlbum> album) {
  Kept kept;
  kept.path = path;
  kept.offset = offset;
  kept.stamp = stamp;
  kept.album = std::move(album);
  const std::lock_guard<std::mutex> lock(mutex_);
  Keep(std::move(kept));
}

void AlbumCache::KeepMemory(const std::uint8_t* address,
                            std::shared_ptr<const std::vector<std::uint8_t>> copy,
                            std::shared_ptr<const OpenedAlbum> album) {
  Kept kept;
  kept.address = address;
  kept.copy = std::move(copy);
  kept.album = std::move(album);
  const std::lock_guard<std::mutex> lock(mutex_);
  Keep(std::move(kept));
}

void AlbumCache::Keep(Kept kept) {
  // The same archive listed again (by two threads at once) is kept once.
  for (auto it = kept_.begin(); it != kept_.end();) {
    const bool same = kept.address != nullptr ? it->address == kept.address
                                              : it->address == nullptr && it->path == kept.path &&
                                                    it->offset == kept.offset;
    it = same ? kept_.erase(it) : std::next(it);
  }
  kept_.push_front(std::move(kept));
  // The newest stays even alone past the bound: its host is using it.
  std::uint64_t bytes = 0;
  std::size_t count = 0;
  for (auto it = kept_.begin(); it != kept_.end();) {
    const std::uint64_t own = it->album->bytes + (it->copy != nullptr ? it->copy->size() : 0);
    if (count != 0 && (count + 1 > albumLimit_ || bytes + own > byteLimit_)) {
      it = kept_.erase(it);
      continue;
    }
    bytes += own;
    ++count;
    ++it;
  }
}
