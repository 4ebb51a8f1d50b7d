// GetPicture and GetPictureW: a cel, from a file or from the host's memory,
// decoded into the two movable blocks of a device-independent bitmap that the
// host then owns.
#include <cstdint>

#include "cel/convert.h"
#include "plugin/picture_palette.h"
#include "settings/settings_store.h"
#include "spi/export_guard.h"
#include "spi/host_block.h"
#include "spi/host_data.h"
#include "spi/plugin_api.h"
#include "spi/read_file.h"

namespace {

// The decoding of one cel's bytes; celPath (8-bit or wide) names its file
// for the palette search, or is null for data handed over in memory.
template <typename Char>
int DecodeCel(ByteView cel, const Char* celPath, HLOCAL* infoHandle, HLOCAL* pixelHandle) {
  // Read afresh on every call, so a change saved in the dialog applies now.
  const PluginSettings settings = ReadDecoderSettings();

  PicturePlan plan;
  if (!PlanPicture(cel, &plan)) return kResultNotServed;
  if (!FitsIn32Bits(plan)) return kResultNoMemory;

  return HandOverPicture(
      plan, infoHandle, pixelHandle,
      [&](std::uint8_t* info) {
        if (plan.colourTableBytes != 0)
          FillColourTable(info + kInfoHeaderSize, plan.rule.outputDepth, celPath);
      },
      [&](std::uint8_t* rows) { ConvertPixels(cel, plan, settings, rows); });
}

// GetPicture and GetPictureW: source is the cel's file name (length: the
// picture's offset within the file) or the cel's bytes (length: their size).
template <typename Char>
int GetPictureOf(const Char* source, LONG_PTR length, UINT flags, HLOCAL* infoHandle,
                 HLOCAL* pixelHandle) {
  // Without both variables there is nowhere to put the picture.
  if (!ClearedForPicture(infoHandle, pixelHandle)) return kResultNotServed;
  switch (flags & kInputModeMask) {
    case kInputFile: {
      if (length < 0) return kResultNotServed;  // no file has a negative offset
      ReadBlock block;  // given back on every way out, kept for the next call
      DWORD size = 0;
      const int result = ReadFileWhole(source, static_cast<std::uint64_t>(length), &block, &size);
      if (result != kResultSuccess) return result;
      // The bytes read bound the data, not the block's room.
      return DecodeCel(ByteView{block.data(), size}, source, infoHandle, pixelHandle);
    }
    case kInputMemory:
      return DecodeCel(
          ByteView{reinterpret_cast<const std::uint8_t*>(source), HostDataSize(length)},
          static_cast<const Char*>(nullptr), infoHandle, pixelHandle);
    default:
      return kResultNotServed;
  }
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
