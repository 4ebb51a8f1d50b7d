// GetPicture, GetPictureW, GetDollPage and GetDollPageW: one page of the doll
// a configuration file dresses, composed into the two movable blocks of a
// 24-bit device-independent bitmap that the host then owns.
#include <cstdint>

#include "cel/convert.h"
#include "doll/doll_compose.h"
#include "doll/doll_config.h"
#include "dollplugin/doll_api.h"
#include "spi/config_file.h"
#include "spi/export_guard.h"
#include "spi/host_block.h"
#include "spi/plugin_api.h"
#include "spi/set_folder.h"

namespace {

// The page of the configuration at path (its text from offset on); the
// cels and palettes are read from the configuration's folder. page: the
// page wanted, -1 past the configuration's last. Both variables are there
// and null.
template <typename Char>
int ComposePage(const Char* path, std::uint64_t offset, int page, HLOCAL* infoHandle,
                HLOCAL* pixelHandle) {
  SetFolder<Char> folder;
  if (!folder.Open(path)) return kResultNotServed;

  DollConfig config;
  const int result = ReadDollConfigFile(path, offset, &config);
  if (result != kResultSuccess) return result;

  if (page < 0 || page >= DollPageCount(config)) return kResultNotServed;
  if (!DollSizeServed(config)) return kResultNoMemory;
  const PicturePlan plan = DollPicturePlan(config);
  if (!FitsIn32Bits(plan)) return kResultNoMemory;

  return HandOverPicture(
      plan, infoHandle, pixelHandle, [](std::uint8_t*) {},  // no colour table at 24 bits
      [&](std::uint8_t* rows) { ComposeDoll(config, page, folder, rows); });
}

// GetPicture and GetPictureW: page 0, from a file only (length: the
// configuration's offset within it). A doll's cels lie in its folder, which
// data handed over in memory does not have.
template <typename Char>
int GetPictureOf(const Char* source, LONG_PTR length, UINT flags, HLOCAL* infoHandle,
                 HLOCAL* pixelHandle) {
  if (!ClearedForPicture(infoHandle, pixelHandle)) return kResultNotServed;
  if ((flags & kInputModeMask) != kInputFile) return kResultNotServed;
  if (length < 0) return kResultNotServed;  // no file has a negative offset
  return ComposePage(source, static_cast<std::uint64_t>(length), 0, infoHandle, pixelHandle);
}

}  // namespace

extern "C" int WINAPI GetPicture(LPCSTR source, LONG_PTR length, UINT flags, HLOCAL* infoHandle,
                                 HLOCAL* pixelHandle, ProgressCallback, LONG_PTR) {
  return GuardedCall([&] { return GetPictureOf(source, length, flags, infoHandle, pixelHandle); });
}

extern "C" int WINAPI GetPictureW(LPCWSTR source, LONG_PTR length, UINT flags, HLOCAL* infoHandle,
                                  HLOCAL* pixelHandle, ProgressCallback, LONG_PTR) {
  return GuardedCall([&] { return GetPictureOf(source, length, flags, infoHandle, pixelHandle); });
}

extern "C" int WINAPI GetDollPage(LPCSTR path, int page, HLOCAL* info, HLOCAL* pixels) {
  return GuardedCall([&] {
    if (!ClearedForPicture(info, pixels)) return kResultNotServed;
    return ComposePage(path, 0, page, info, pixels);
  });
}

extern "C" int WINAPI GetDollPageW(LPCWSTR path, int page, HLOCAL* info, HLOCAL* pixels) {
  return GuardedCall([&] {
    if (!ClearedForPicture(info, pixels)) return kResultNotServed;
    return ComposePage(path, 0, page, info, pixels);
  });
}
