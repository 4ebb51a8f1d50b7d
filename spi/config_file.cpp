#include "spi/config_file.h"

#include "spi/owners.h"
#include "spi/plugin_api.h"
#include "spi/read_file.h"

namespace {

template <typename Char>
int ReadFrom(const Char* path, std::uint64_t offset, DollConfig* config) {
  HLOCAL block = nullptr;
  DWORD size = 0;
  const int result = ReadFileWhole(path, offset, &block, &size);
  if (result != kResultSuccess) return result;
  const UniqueLocal owner(block);
  // A fixed block's handle is its address; the bytes read bound the text.
  *config = ReadDollConfig(ByteView{static_cast<const std::uint8_t*>(block), size});
  return kResultSuccess;
}

}  // namespace

int ReadDollConfigFile(const char* path, std::uint64_t offset, DollConfig* config) {
  return ReadFrom(path, offset, config);
}
int ReadDollConfigFile(const wchar_t* path, std::uint64_t offset, DollConfig* config) {
  return ReadFrom(path, offset, config);
}
