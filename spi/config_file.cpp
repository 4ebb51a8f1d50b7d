#include "spi/config_file.h"

#include "spi/plugin_api.h"
#include "spi/read_file.h"

namespace {

template <typename Char>
int ReadFrom(const Char* path, std::uint64_t offset, DollConfig* config) {
  ReadBlock block;
  DWORD size = 0;
  const int result = ReadFileWhole(path, offset, &block, &size);
  if (result != kResultSuccess) return result;
  // The bytes read bound the text, not the block's room.
  *config = ReadDollConfig(ByteView{block.data(), size});
  return kResultSuccess;
}

}  // namespace

int ReadDollConfigFile(const char* path, std::uint64_t offset, DollConfig* config) {
  return ReadFrom(path, offset, config);
}
int ReadDollConfigFile(const wchar_t* path, std::uint64_t offset, DollConfig* config) {
  return ReadFrom(path, offset, config);
}
