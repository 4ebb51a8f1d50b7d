#include "support/test_files.h"

#include <stdexcept>

namespace {

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = folder + "\\" + name;
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

void PutU16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
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

TempFolder::~TempFolder() { RemoveTree(path_); }

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

Bytes HeadedCel(std::uint8_t mark, std::uint8_t bitsPerPixel, std::uint16_t width,
                std::uint16_t height, const Bytes& rows) {
  Bytes bytes(32, 0);
  bytes[0] = 'K';
  bytes[1] = 'i';
  bytes[2] = 'S';
  bytes[3] = 'S';
  bytes[4] = mark;
  bytes[5] = bitsPerPixel;
  PutU16(bytes, 8, width);
  PutU16(bytes, 10, height);
  bytes.insert(bytes.end(), rows.begin(), rows.end());
  return bytes;
}

Bytes HeaderlessCel(std::uint16_t width, std::uint16_t height, const Bytes& rows) {
  Bytes bytes(4, 0);
  PutU16(bytes, 0, width);
  PutU16(bytes, 2, height);
  bytes.insert(bytes.end(), rows.begin(), rows.end());
  return bytes;
}

Bytes PaletteFile(std::uint8_t bitsPerColour, std::uint16_t coloursPerGroup,
                  std::uint16_t groupCount, const Bytes& entries) {
  Bytes bytes(32, 0);
  bytes[0] = 'K';
  bytes[1] = 'i';
  bytes[2] = 'S';
  bytes[3] = 'S';
  bytes[4] = 0x10;
  bytes[5] = bitsPerColour;
  PutU16(bytes, 8, coloursPerGroup);
  PutU16(bytes, 10, groupCount);
  bytes.insert(bytes.end(), entries.begin(), entries.end());
  return bytes;
}
