#include "file_io.h"

#include <windows.h>

#include "spi/owners.h"

namespace {

constexpr DWORD kMaxWholeFile = 1u << 30;

HANDLE OpenForReading(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Reads up to size bytes; the count actually read comes back in size.
bool ReadUpTo(HANDLE file, std::uint8_t* data, DWORD& size) {
  DWORD total = 0;
  while (total < size) {
    DWORD read = 0;
    if (!ReadFile(file, data + total, size - total, &read, nullptr)) return false;
    if (read == 0) break;
    total += read;
  }
  size = total;
  return true;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool ReadHead(const std::string& path, ByteBuffer& head) {
  head.assign(kHeadSize, 0);
  const UniqueFile file = OwnFile(OpenForReading(path));
  if (file == nullptr) return false;
  DWORD size = static_cast<DWORD>(kHeadSize);
  return ReadUpTo(file.get(), head.data(), size);
}

bool ReadWhole(const std::string& path, ByteBuffer& bytes) {
  bytes.clear();
  const UniqueFile file = OwnFile(OpenForReading(path));
  if (file == nullptr) return false;
  DWORD high = 0;
  const DWORD low = GetFileSize(file.get(), &high);
  if ((low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) || high != 0 || low >= kMaxWholeFile)
    return false;
  bytes.resize(low);
  DWORD size = low;
  if (!ReadUpTo(file.get(), bytes.data(), size)) return false;
  bytes.resize(size);
  return true;
}

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return true;
  const DWORD attributes = GetFileAttributesA(folder.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const std::string parent = FolderOf(folder);
  // A drive ("C:") or the root ends the climb.
  if (!parent.empty() && parent != folder && parent.back() != ':' && !MakeFolders(parent))
    return false;
  return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteWhole(const std::string& path, const ByteBuffer& bytes, std::string& error) {
  if (!MakeFolders(FolderOf(path))) {
    error = "cannot create the folder of " + path;
    return false;
  }
  const UniqueFile file = OwnFile(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file == nullptr) {
    error = "cannot create " + path + " (Windows error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  DWORD written = 0;
  if (!bytes.empty() &&
      (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
       written != bytes.size())) {
    error = "cannot write " + path + " (Windows error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return true;
}

std::string FullPath(const std::string& path) {
  char buffer[MAX_PATH];
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return path;
  return std::string(buffer, length);
}

std::string FolderOf(const std::string& path) {
  std::size_t cut = std::string::npos;
  // CharNextA keeps the trail byte of a double-byte character from being taken for a separator.
  for (const char* p = path.c_str(); *p != '\0'; p = CharNextA(p))
    if (IsSeparator(*p)) cut = static_cast<std::size_t>(p - path.c_str());
  if (cut == std::string::npos) return std::string();
  return path.substr(0, cut);
}

std::string NameOf(const std::string& path) {
  const std::string folder = FolderOf(path);
  return folder.empty() && (path.empty() || !IsSeparator(path[0])) ? path
                                                                   : path.substr(folder.size() + 1);
}
