#include "spi/archive_file.h"

#include "spi/system_calls.h"

std::shared_ptr<ArchiveFile> ArchiveFile::Open(const wchar_t* path) {
  UniqueFile file = OwnFile(OpenForReading(path));
  LARGE_INTEGER size = {};
  if (file == nullptr || !GetFileSizeEx(file.get(), &size)) return nullptr;
  auto opened = std::make_shared<ArchiveFile>();
  opened->file_ = std::move(file);
  opened->size_ = static_cast<std::uint64_t>(size.QuadPart);
  return opened;
}

bool ArchiveFile::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
  if (offset > size_ || count > size_ - offset) return false;
  auto* bytes = static_cast<std::uint8_t*>(out);
  while (count != 0) {
    // The offset travels with the read, so reads from several threads at
    // once do not move one another's position.
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD wanted = count < (1u << 30) ? static_cast<DWORD>(count) : (1u << 30);
    DWORD read = 0;
    if (!ReadFile(file_.get(), bytes, wanted, &read, &at) || read == 0) return false;
    bytes += read;
    offset += read;
    count -= read;
  }
  return true;
}
