#include "archive/file_source.h"

namespace {

bool SeekTo(std::FILE* file, std::uint64_t offset, int origin) {
#if defined(_WIN32)
  return _fseeki64(file, static_cast<long long>(offset), origin) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), origin) == 0;
#endif
}

std::uint64_t Position(std::FILE* file) {
#if defined(_WIN32)
  long long position = _ftelli64(file);
#else
  off_t position = ftello(file);
#endif
  return position < 0 ? 0 : static_cast<std::uint64_t>(position);
}

}  // namespace

FileSource::FileSource(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {
  if (file_ && SeekTo(file_, 0, SEEK_END)) size_ = Position(file_);
}

FileSource::~FileSource() {
  if (file_) std::fclose(file_);
}

bool FileSource::ReadAt(std::uint64_t offset, void* out, std::size_t count) const {
  if (!file_ || offset > size_ || count > size_ - offset) return false;
  if (count == 0) return true;
  std::lock_guard<std::mutex> hold(lock_);
  return SeekTo(file_, offset, SEEK_SET) && std::fread(out, 1, count, file_) == count;
}
