// An archive's bytes read from a file through the C library, for native
// tools and tests (the plug-ins read through the Win32 edge). Reads are
// serialised on one handle, so members may be read from several threads.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "archive/archive_reader.h"

class FileSource : public ArchiveSource {
 public:
  // Opens path; Open() says whether it did.
  explicit FileSource(const std::string& path);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  bool Open() const { return file_ != nullptr; }
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, void* out, std::size_t count) const override;

 private:
  std::FILE* file_ = nullptr;
  std::uint64_t size_ = 0;
  mutable std::mutex lock_;
};
