// Files and folders made by the Windows tests, under the temporary folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/kiss_files.h"

// The cels and palettes the tests write come from the KiSS file builder.
using kiss::Bytes;
using kiss::HeadedCel;
using kiss::HeaderlessCel;
using kiss::PaletteFile;

// Bytes that differ from their neighbours: seed, seed + 7, seed + 14, ...
Bytes Pattern(std::size_t size, unsigned seed);

// Text of the ANSI code page as wide characters.
std::wstring Widened(const std::string& text);

// The names a listing of folder\pattern gives, in the file system's order,
// without "." and "..".
std::vector<std::string> ListNames(const std::string& folder, const char* pattern);
std::vector<std::wstring> ListNames(const std::wstring& folder, const wchar_t* pattern);
bool IsFolder(const std::string& path);
bool IsFolder(const std::wstring& path);
// A file's bytes, or none when it does not open.
Bytes ReadBytes(const std::string& path);

// A fresh, empty folder, removed with its files when the object goes.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Writes name (relative to the folder) and returns its full path.
  std::string Write(const std::string& name, const Bytes& bytes) const;
  std::string Write(const std::string& name, const std::string& text) const;
  // The same for a wide name, which may hold characters outside the ANSI
  // code page (a folder of it must exist); returns the full wide path.
  std::wstring Write(const std::wstring& name, const Bytes& bytes) const;
  // Sets the last write time of the folder and of every file in it an hour
  // back, as of a set that was written long ago.
  void Settle() const;

 private:
  std::string path_;
};
