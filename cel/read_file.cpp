#include "cel/read_file.h"

#include "plugin/owners.h"
#include "plugin/plugin_api.h"

int ReadFileWhole(const char* path, HLOCAL* block, DWORD* length) {
  const UniqueFile file = OwnFile(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file == nullptr) return kResultFileOpenFailed;
  DWORD wanted = *length;
  if (wanted == 0) wanted = GetFileSize(file.get(), nullptr);
  // A zero-byte request still gets a (one-byte) block, so an empty file is
  // data of length 0 rather than a failed allocation.
  *block = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, wanted != 0 ? wanted : 1);
  if (*block == nullptr) return kResultNoMemory;
  DWORD read = 0;
  // Whatever the read delivers, the rest of the block stays zero.
  if (wanted != 0) ReadFile(file.get(), *block, wanted, &read, nullptr);
  *length = wanted;
  return kResultSuccess;
}
