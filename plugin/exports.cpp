// The light exports: attach hook, identification, quick test, picture
// information and the declined preview.
#include <cstring>

#include "cel/cel_format.h"
#include "plugin/ansi_text.h"
#include "plugin/module.h"
#include "plugin/plugin_api.h"

HINSTANCE ModuleInstance = nullptr;

namespace {

constexpr const char* kPluginInfo[] = {
    "00IN",
    "Quillet Ver.0.03a (c) 2026 the Tamsa developers: KiSS cel reader",
    "*.cel",
    "Kiss Cel file",
};

// A data argument whose high word is zero is a file handle, not a pointer.
bool IsFileHandle(DWORD data) { return HIWORD(data) == 0; }

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

extern "C" int WINAPI IsSupported(LPCSTR fileName, DWORD data) {
  BYTE window[kKissHeaderSize] = {};
  if (IsFileHandle(data)) {
    DWORD read = 0;
    // The host keeps its handle: it is read from where it stands, not moved, not closed.
    ReadFile(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(data)), window, sizeof window, &read,
             nullptr);
  } else {
    std::memcpy(window, reinterpret_cast<const BYTE*>(static_cast<ULONG_PTR>(data)), sizeof window);
  }
  return PassesQuickTest(ByteView{window, sizeof window}, fileName, AnsiCompareNoCase) ? 1 : 0;
}

extern "C" int WINAPI GetPictureInfo(LPCSTR source, LONG length, UINT flags, PictureInfo* info) {
  BYTE window[kKissHeaderSize] = {};
  switch (flags & kInputModeMask) {
    case kInputFile: {
      HANDLE file = CreateFileA(source, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) return kResultFileOpenFailed;
      DWORD read = 0;
      ReadFile(file, window, sizeof window, &read, nullptr);
      CloseHandle(file);
      break;
    }
    case kInputMemory:
      // Only the bytes the host says it has are read; the rest stay zero.
      std::memcpy(window, source, HostDataLimit(length, sizeof window));
      break;
    default:
      return kResultNotServed;
  }
  const CelPictureInfo cel = ReadCelPictureInfo(ByteView{window, sizeof window});
  info->left = 0;
  info->top = 0;
  info->width = cel.width;
  info->height = cel.height;
  info->xDensity = 0;
  info->yDensity = 0;
  info->colorDepth = cel.bitsPerPixel;
  info->info = nullptr;
  return kResultSuccess;
}

extern "C" int WINAPI GetPreview(LPCSTR, LONG, UINT, HLOCAL*, HLOCAL*, ProgressCallback, LONG) {
  return kResultNotServed;
}
