// Files and folders made by the Windows tests, under the temporary folder.
#pragma once

#include <windows.h>

#include <string>

#include "support/kiss_files.h"

// The cels and palettes the tests write come from the KiSS file builder.
using kiss::Bytes;
using kiss::HeadedCel;
using kiss::HeaderlessCel;
using kiss::PaletteFile;

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
