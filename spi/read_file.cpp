#include "spi/read_file.h"

#include <cstring>
#include <new>

#include "spi/owners.h"
#include "spi/plugin_api.h"
#include "spi/system_calls.h"

namespace {

// Reads up to count bytes at offset and zeroes whatever the read did not
// deliver (a file cut short since its size was taken, an offset past its
// end), so the buffer is zeroed once rather than written twice. The handle is
// the caller's own, so its position is set rather than passed with the read:
// a read given an OVERLAPPED costs the system one more round trip to post its
// completion.
void ReadAt(HANDLE file, std::uint64_t offset, void* buffer, DWORD count) {
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(offset);
  DWORD read = 0;  // what ReadFile delivered, also when it fails
  if (count != 0 && (offset == 0 || SetFilePointerEx(file, at, nullptr, FILE_BEGIN)))
    ReadFile(file, buffer, count, &read, nullptr);
  if (read < count) std::memset(static_cast<std::uint8_t*>(buffer) + read, 0, count - read);
}

template <typename Char>
int ReadFrom(const Char* path, std::uint64_t offset, ReadBlock* block, DWORD* length) {
  const UniqueFile file = OwnFile(OpenForReading(path));
  if (file == nullptr) return kResultFileOpenFailed;
  LARGE_INTEGER size = {};
  GetFileSizeEx(file.get(), &size);
  const auto fileSize = static_cast<std::uint64_t>(size.QuadPart);
  // The low 32 bits of what lies past the offset, as of the whole file at 0.
  const DWORD wanted = offset < fileSize ? static_cast<DWORD>(fileSize - offset) : 0;
  std::uint8_t* bytes = block->Reserve(wanted);
  if (bytes == nullptr) return kResultNoMemory;
  // A kept block holds the last file's bytes: ReadAt zeroes what this read
  // does not deliver.
  ReadAt(file.get(), offset, bytes, wanted);
  *length = wanted;
  return kResultSuccess;
}

template <typename Char>
bool ReadHead(const Char* path, std::uint64_t offset, std::uint8_t* buffer, std::size_t count) {
  const UniqueFile file = OwnFile(OpenForReading(path));
  if (file == nullptr) return false;
  ReadAt(file.get(), offset, buffer, static_cast<DWORD>(count));
  return true;
}

// Read straight into the vector: a block of the file's size on the way
// would cost one more allocation and copy, and under Wine a large block is
// fresh memory on every call.
template <typename Char>
bool ReadBytes(const Char* path, std::size_t wanted, std::vector<std::uint8_t>* bytes) {
  const UniqueFile file = OwnFile(OpenForReading(path));
  if (file == nullptr) return false;
  auto length = static_cast<DWORD>(wanted);
  if (length == 0) {
    LARGE_INTEGER size = {};
    GetFileSizeEx(file.get(), &size);
    length = static_cast<DWORD>(size.QuadPart);  // the low 32 bits, as a whole read takes them
  }
  try {
    bytes->resize(length);
  } catch (const std::bad_alloc&) {
    return false;  // a file too large to hold is one that cannot be read
  }
  ReadAt(file.get(), 0, bytes->data(), length);
  return true;
}

}  // namespace

int ReadFileWhole(const char* path, std::uint64_t offset, ReadBlock* block, DWORD* length) {
  return ReadFrom(path, offset, block, length);
}
int ReadFileWhole(const wchar_t* path, std::uint64_t offset, ReadBlock* block, DWORD* length) {
  return ReadFrom(path, offset, block, length);
}
bool ReadFileHead(const char* path, std::uint64_t offset, std::uint8_t* buffer, std::size_t count) {
  return ReadHead(path, offset, buffer, count);
}
bool ReadFileHead(const wchar_t* path, std::uint64_t offset, std::uint8_t* buffer,
                  std::size_t count) {
  return ReadHead(path, offset, buffer, count);
}
bool ReadFileBytes(const char* path, std::size_t wanted, std::vector<std::uint8_t>* bytes) {
  return ReadBytes(path, wanted, bytes);
}
bool ReadFileBytes(const wchar_t* path, std::size_t wanted, std::vector<std::uint8_t>* bytes) {
  return ReadBytes(path, wanted, bytes);
}
