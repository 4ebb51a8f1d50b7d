// Files and folders made by the Windows tests, under the temporary folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

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

 private:
  std::string path_;
};

// A headed cel: "KiSS", mark, depth, width, height, then the rows as given.
Bytes HeadedCel(std::uint8_t mark, std::uint8_t bitsPerPixel, std::uint16_t width,
                std::uint16_t height, const Bytes& rows = {});
// A headerless cel: width, height, then the rows.
Bytes HeaderlessCel(std::uint16_t width, std::uint16_t height, const Bytes& rows = {});
// A headed palette file header followed by the entries given.
Bytes PaletteFile(std::uint8_t bitsPerColour, std::uint16_t coloursPerGroup,
                  std::uint16_t groupCount, const Bytes& entries = {});
