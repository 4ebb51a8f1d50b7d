// An archive's bytes read from its file by wide name, at any offset and
// from any thread (each read names its own offset).
#pragma once

#include <windows.h>

#include <memory>

#include "archive/archive_reader.h"
#include "spi/owners.h"

class ArchiveFile : public ArchiveSource {
 public:
  // The file at path, or null when it does not open.
  static std::shared_ptr<ArchiveFile> Open(const wchar_t* path);
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;

 private:
  UniqueFile file_;
  std::uint64_t size_ = 0;
};
