// The light exports: attach hook, identification, quick test, picture
// information and the declined preview.
#include <cstring>

#include "cel/cel_format.h"
#include "plugin/ansi_text.h"
#include "plugin/host_data.h"
#include "plugin/module.h"
#include "plugin/owners.h"
#include "plugin/plugin_api.h"

HINSTANCE ModuleInstance = nullptr;

namespace {

constexpr const char* kPluginInfo[] = {
    "00IN",
    "Quillet Ver.0.03a (c) 2026 the Tamsa developers: KiSS cel reader",
    "*.cel",
    "Kiss Cel file",
};

// A data argument with no bit above the low 16 is a file handle, not a pointer.
bool IsFileHandle(DWORD_PTR data) { return (data >> 16) == 0; }

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ModuleInstance = instance;
  return TRUE;
}

extern "C" int WINAPI GetPluginInfo(int index, LPSTR buffer, int bufferLength) {
  if (index < 0 || index >= static_cast<int>(sizeof kPluginInfo / sizeof kPluginInfo[0])) return 0;
  if (buffer == nullptr || bufferLength < 1) return 0;
  lstrcpynA(buffer, kPluginInfo[index], bufferLength);
  return lstrlenA(buffer);
}

extern "C" int WINAPI IsSupported(LPCSTR fileName, DWORD_PTR data) {
  BYTE window[kKissHeaderSize] = {};
  if (IsFileHandle(data)) {
    DWORD read = 0;
    // The host keeps its handle: it is read from where it stands, not moved, not closed.
    ReadFile(reinterpret_cast<HANDLE>(data), window, sizeof window, &read, nullptr);
  } else {
    std::memcpy(window, reinterpret_cast<const BYTE*>(data), sizeof window);
  }
  return PassesQuickTest(ByteView{window, sizeof window}, fileName, AnsiCompareNoCase) ? 1 : 0;
}

extern "C" int WINAPI GetPictureInfo(LPCSTR source, LONG_PTR length, UINT flags,
                                     PictureInfo* info) {
  BYTE window[kKissHeaderSize] = {};
  switch (flags & kInputModeMask) {
    case kInputFile: {
      const UniqueFile file = OwnFile(CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (file == nullptr) return kResultFileOpenFailed;
      DWORD read = 0;
      ReadFile(file.get(), window, sizeof window, &read, nullptr);
      break;
    }
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

extern "C" int WINAPI GetPreview(LPCSTR, LONG_PTR, UINT, HLOCAL*, HLOCAL*, ProgressCallback,
                                 LONG_PTR) {
  return kResultNotServed;
}
