#include "cel/read_file.h"

#include "plugin/plugin_api.h"

namespace {

// Closes the file on every way out.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (IsOpen()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

int ReadFileWhole(const char* path, HLOCAL* block, DWORD* length) {
  FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsOpen()) return kResultFileOpenFailed;
  DWORD wanted = *length;
  if (wanted == 0) wanted = GetFileSize(file.Get(), nullptr);
  // A zero-byte request still gets a (one-byte) block, so an empty file is
  // data of length 0 rather than a failed allocation.
  *block = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, wanted != 0 ? wanted : 1);
  if (*block == nullptr) return kResultNoMemory;
  DWORD read = 0;
  // Whatever the read delivers, the rest of the block stays zero.
  if (wanted != 0) ReadFile(file.Get(), *block, wanted, &read, nullptr);
  *length = wanted;
  return kResultSuccess;
}
