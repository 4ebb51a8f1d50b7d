// The light exports, each with its wide twin: attach hook, identification,
// quick test, picture information and the declined preview.
#include <cstring>

#include "cel/cel_format.h"
#include "spi/ansi_text.h"
#include "spi/export_guard.h"
#include "spi/host_data.h"
#include "spi/module.h"
#include "spi/plugin_api.h"
#include "spi/plugin_info.h"
#include "spi/read_block.h"
#include "spi/read_file.h"

HINSTANCE ModuleInstance = nullptr;

namespace {

constexpr const char* kPluginInfo[] = {
    "00IN",
    "Quillet Ver.0.03a (c) 2026 the Tamsa developers: KiSS cel reader",
    "*.cel",
    "Kiss Cel file",
};
constexpr int kPluginInfoCount = static_cast<int>(sizeof kPluginInfo / sizeof kPluginInfo[0]);

bool IsCelName(LPCSTR fileName) { return HasExtension(fileName, ".CEL", AnsiCompareNoCase); }
bool IsCelName(LPCWSTR fileName) { return HasWideExtension(fileName, L".CEL"); }

template <typename Char>
int IsSupportedOf(const Char* fileName, DWORD_PTR data) {
  std::uint8_t window[kKissHeaderSize] = {};
  if (IsFileHandle(data)) {
    DWORD read = 0;
    // The host keeps its handle: it is read from where it stands, not moved, not closed.
    ReadFile(reinterpret_cast<HANDLE>(data), window, sizeof window, &read, nullptr);
  } else {
    std::memcpy(window, reinterpret_cast<const std::uint8_t*>(data), sizeof window);
  }
  return PassesQuickTest(ByteView{window, sizeof window}, IsCelName(fileName)) ? 1 : 0;
}

// length: in file mode the picture's offset within the file, in memory mode
// the size of the host's data.
template <typename Char>
int GetPictureInfoOf(const Char* source, LONG_PTR length, UINT flags, PictureInfo* info) {
  if (info == nullptr) return kResultNotServed;  // nowhere to put the answer
  std::uint8_t window[kKissHeaderSize] = {};
  switch (flags & kInputModeMask) {
    case kInputFile:
      if (length < 0) return kResultNotServed;  // no file has a negative offset
      if (!ReadFileHead(source, static_cast<std::uint64_t>(length), window, sizeof window))
        return kResultFileOpenFailed;
      break;
    case kInputMemory:
      // Only the bytes the host says it has are read; the rest stay zero.
      ByteView{reinterpret_cast<const std::uint8_t*>(source), HostDataSize(length)}.CopyOut(
          0, window, sizeof window);
      break;
    default:
      return kResultNotServed;
  }
  const CelPictureInfo cel = ReadCelPictureInfo(ByteView{window, sizeof window});
  std::memset(info, 0, sizeof *info);
  info->width = cel.width;
  info->height = cel.height;
  info->colorDepth = cel.bitsPerPixel;
  info->info = nullptr;
  return kResultSuccess;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ModuleInstance = instance;
  if (reason == DLL_PROCESS_DETACH) FreeSpareReadBlock();
  return TRUE;
}

extern "C" int WINAPI GetPluginInfo(int index, LPSTR buffer, int bufferLength) {
  return CopyPluginInfo(kPluginInfo, kPluginInfoCount, index, buffer, bufferLength);
}

extern "C" int WINAPI GetPluginInfoW(int index, LPWSTR buffer, int bufferLength) {
  return CopyPluginInfo(kPluginInfo, kPluginInfoCount, index, buffer, bufferLength);
}

extern "C" int WINAPI IsSupported(LPCSTR fileName, DWORD_PTR data) {
  return IsSupportedOf(fileName, data);
}

extern "C" int WINAPI IsSupportedW(LPCWSTR fileName, DWORD_PTR data) {
  return IsSupportedOf(fileName, data);
}

extern "C" int WINAPI GetPictureInfo(LPCSTR source, LONG_PTR length, UINT flags,
                                     PictureInfo* info) {
  return GuardedCall([&] { return GetPictureInfoOf(source, length, flags, info); });
}

extern "C" int WINAPI GetPictureInfoW(LPCWSTR source, LONG_PTR length, UINT flags,
                                      PictureInfo* info) {
  return GuardedCall([&] { return GetPictureInfoOf(source, length, flags, info); });
}

extern "C" int WINAPI GetPreview(LPCSTR, LONG_PTR, UINT, HLOCAL*, HLOCAL*, ProgressCallback,
                                 LONG_PTR) {
  return kResultNotServed;
}

extern "C" int WINAPI GetPreviewW(LPCWSTR, LONG_PTR, UINT, HLOCAL*, HLOCAL*, ProgressCallback,
                                  LONG_PTR) {
  return kResultNotServed;
}
