// The doll plug-in's light exports, each with its wide twin: identification,
// quick test, picture information, and the declined preview and settings.
#include <cstring>

#include "cel/cel_format.h"
#include "doll/doll_compose.h"
#include "doll/doll_config.h"
#include "spi/ansi_text.h"
#include "spi/config_file.h"
#include "spi/export_guard.h"
#include "spi/host_data.h"
#include "spi/plugin_api.h"
#include "spi/plugin_info.h"
#include "spi/read_block.h"

namespace {

constexpr const char* kPluginInfo[] = {
    "00IN",
    "Tamsa doll Ver.0.03a (c) 2026 the Tamsa developers: KiSS set composer",
    "*.cnf",
    "KiSS set",
};
constexpr int kPluginInfoCount = static_cast<int>(sizeof kPluginInfo / sizeof kPluginInfo[0]);

bool IsConfigurationName(LPCSTR fileName) {
  return HasExtension(fileName, ".CNF", AnsiCompareNoCase);
}
bool IsConfigurationName(LPCWSTR fileName) { return HasWideExtension(fileName, L".CNF"); }

// The first bytes of the file behind the host's handle, read from where it
// stands; the handle is put back there and stays open, the host's own.
std::size_t ReadFromHandle(HANDLE file, std::uint8_t* window, std::size_t size) {
  LARGE_INTEGER position = {};
  const LARGE_INTEGER none = {};
  const bool known = SetFilePointerEx(file, none, &position, FILE_CURRENT) != FALSE;
  DWORD read = 0;
  if (!ReadFile(file, window, static_cast<DWORD>(size), &read, nullptr)) read = 0;
  if (known) SetFilePointerEx(file, position, nullptr, FILE_BEGIN);
  return read;
}

template <typename Char>
int IsSupportedOf(const Char* fileName, DWORD_PTR data) {
  if (!IsConfigurationName(fileName)) return 0;
  std::uint8_t window[kDollClaimWindow] = {};
  std::size_t size = sizeof window;
  if (IsFileHandle(data)) {
    // Exactly the bytes the file has: a short file's end is not padding.
    size = ReadFromHandle(reinterpret_cast<HANDLE>(data), window, sizeof window);
  } else {
    // The host's 2 KB, zero-padded after a short file.
    std::memcpy(window, reinterpret_cast<const std::uint8_t*>(data), sizeof window);
  }
  return LooksLikeDollConfig(ByteView{window, size}) ? 1 : 0;
}

// length: in file mode the configuration's offset within the file, in memory
// mode the size of the host's data.
template <typename Char>
int GetPictureInfoOf(const Char* source, LONG_PTR length, UINT flags, PictureInfo* info) {
  if (info == nullptr) return kResultNotServed;  // nowhere to put the answer
  DollConfig config;
  switch (flags & kInputModeMask) {
    case kInputFile: {
      if (length < 0) return kResultNotServed;  // no file has a negative offset
      const int result = ReadDollConfigFile(source, static_cast<std::uint64_t>(length), &config);
      if (result != kResultSuccess) return result;
      break;
    }
    case kInputMemory:
      config = ReadDollConfig(
          ByteView{reinterpret_cast<const std::uint8_t*>(source), HostDataSize(length)});
      break;
    default:
      return kResultNotServed;
  }
  if (!DollSizeServed(config)) return kResultNoMemory;
  std::memset(info, 0, sizeof *info);
  info->width = static_cast<LONG>(config.width);
  info->height = static_cast<LONG>(config.height);
  info->colorDepth = 24;
  info->info = nullptr;
  return kResultSuccess;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_DETACH) FreeSpareReadBlock();
  return TRUE;
}

extern "C" int WINAPI GetPluginInfo(int index, LPSTR buffer, int bufferLength) {
  return GuardedCall(
      [&] { return CopyPluginInfo(kPluginInfo, kPluginInfoCount, index, buffer, bufferLength); });
}

extern "C" int WINAPI GetPluginInfoW(int index, LPWSTR buffer, int bufferLength) {
  return GuardedCall(
      [&] { return CopyPluginInfo(kPluginInfo, kPluginInfoCount, index, buffer, bufferLength); });
}

extern "C" int WINAPI IsSupported(LPCSTR fileName, DWORD_PTR data) {
  return GuardedCall([&] { return IsSupportedOf(fileName, data); });
}

extern "C" int WINAPI IsSupportedW(LPCWSTR fileName, DWORD_PTR data) {
  return GuardedCall([&] { return IsSupportedOf(fileName, data); });
}

extern "C" int WINAPI GetPictureInfo(LPCSTR source, LONG_PTR length, UINT flags,
                                     PictureInfo* info) {
  return GuardedCall([&] { return GetPictureInfoOf(source, length, flags, info); });
}

extern "C" int WINAPI GetPictureInfoW(LPCWSTR source, LONG_PTR length, UINT flags,
                                      PictureInfo* info) {
  return GuardedCall([&] { return GetPictureInfoOf(source, length, flags, info); });
}

// A doll has no preview of its own, and nothing to set: it is composed as
// its configuration says.
extern "C" int WINAPI GetPreview(LPCSTR, LONG_PTR, UINT, HLOCAL*, HLOCAL*, ProgressCallback,
                                 LONG_PTR) {
  return GuardedCall([] { return kResultNotServed; });
}

extern "C" int WINAPI GetPreviewW(LPCWSTR, LONG_PTR, UINT, HLOCAL*, HLOCAL*, ProgressCallback,
                                  LONG_PTR) {
  return GuardedCall([] { return kResultNotServed; });
}

extern "C" int WINAPI ConfigurationDlg(HWND, int) {
  return GuardedCall([] { return kResultNotServed; });
}
