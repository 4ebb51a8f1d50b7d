#include "support/test_files.h"

#include <stdexcept>

#include "spi/owners.h"
#include "spi/system_calls.h"

namespace {

// Wide calls, so that names outside the ANSI code page go too. Files first,
// then the folder itself; sub-folders the same way.
template <typename FileStep, typename FolderStep>
void WalkTree(const std::wstring& folder, const FileStep& onFile, const FolderStep& onFolder) {
  for (const std::wstring& name : ListNames(folder, L"*")) {
    const std::wstring path = folder + L"\\" + name;
    if (IsFolder(path)) {
      WalkTree(path, onFile, onFolder);
    } else {
      onFile(path);
    }
  }
  onFolder(folder);
}

void RemoveTree(const std::wstring& folder) {
  WalkTree(
      folder,
      [](const std::wstring& path) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      },
      [](const std::wstring& path) { RemoveDirectoryW(path.c_str()); });
}

}  // namespace

TempFolder::TempFolder() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    path_ = std::string(base) + "tamsa_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    if (CreateDirectoryA(path_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("no temp folder");
  }
  if (!path_.empty() && path_.back() == '\\') path_.pop_back();
}

TempFolder::~TempFolder() { RemoveTree(Widened(path_)); }

Bytes Pattern(std::size_t size, unsigned seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 7);
  return bytes;
}

std::wstring Widened(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
  wide.resize(wide.size() - 1);
  return wide;
}

namespace {

void SetWriteTime(const std::wstring& path, const FILETIME& time) {
  // Folders open only with backup semantics.
  HANDLE handle = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot set a file's time");
  SetFileTime(handle, nullptr, nullptr, &time);
  CloseHandle(handle);
}

}  // namespace

void TempFolder::Settle() const {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER ticks;
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  ticks.QuadPart -= 3600ull * 10000000ull;
  FILETIME hourAgo;
  hourAgo.dwLowDateTime = ticks.LowPart;
  hourAgo.dwHighDateTime = ticks.HighPart;
  const auto settle = [&](const std::wstring& path) { SetWriteTime(path, hourAgo); };
  WalkTree(Widened(path_), settle, settle);
}

namespace {

template <typename Text, typename Entry>
std::vector<Text> Names(const Text& pattern) {
  std::vector<Text> names;
  Entry entry;
  const UniqueFind find = OwnFind(FindFirst(pattern.c_str(), &entry));
  if (find == nullptr) return names;
  do {
    const Text name = entry.cFileName;
    if (name.size() <= 2 && name.find_first_not_of('.') == Text::npos) continue;
    names.push_back(name);
  } while (FindNext(find.get(), &entry));
  return names;
}

}  // namespace

std::vector<std::string> ListNames(const std::string& folder, const char* pattern) {
  return Names<std::string, WIN32_FIND_DATAA>(folder + "\\" + pattern);
}

std::vector<std::wstring> ListNames(const std::wstring& folder, const wchar_t* pattern) {
  return Names<std::wstring, WIN32_FIND_DATAW>(folder + L"\\" + pattern);
}

bool IsFolder(const std::string& path) { return IsFolder(Widened(path)); }

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Bytes ReadBytes(const std::string& path) {
  Bytes bytes;
  const UniqueFile file = OwnFile(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file == nullptr) return bytes;
  bytes.resize(GetFileSize(file.get(), nullptr));
  DWORD read = 0;
  if (!bytes.empty())
    ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

std::wstring TempFolder::Write(const std::wstring& name, const Bytes& bytes) const {
  const std::wstring path = Widened(path_) + L"\\" + name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write a wide-named file");
  DWORD written = 0;
  if (!bytes.empty())
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const {
  const std::string path = path_ + "\\" + name;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + path);
  DWORD written = 0;
  if (!bytes.empty())
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

std::string TempFolder::Write(const std::string& name, const std::string& text) const {
  return Write(name, Bytes(text.begin(), text.end()));
}
