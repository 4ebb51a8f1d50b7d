// The plug-in interface as hosts see it: result codes, the picture information
// record, and the exported functions.
#pragma once

#include <windows.h>

#include <cstddef>

constexpr int kResultSuccess = 0;
constexpr int kResultNotServed = -1;
constexpr int kResultNoMemory = 4;
constexpr int kResultFileOpenFailed = 6;

constexpr UINT kInputModeMask = 7;
constexpr UINT kInputFile = 0;
constexpr UINT kInputMemory = 1;

#pragma pack(push, 1)
struct PictureInfo {
  LONG left;
  LONG top;
  LONG width;
  LONG height;
  WORD xDensity;
  WORD yDensity;
  SHORT colorDepth;
  HLOCAL info;
};
#pragma pack(pop)
static_assert(sizeof(PictureInfo) == 22 + sizeof(HLOCAL), "PictureInfo is packed");

using ProgressCallback = int(CALLBACK*)(int, int, LONG);

extern "C" {
int WINAPI GetPluginInfo(int index, LPSTR buffer, int bufferLength);
int WINAPI IsSupported(LPCSTR fileName, DWORD data);
int WINAPI GetPictureInfo(LPCSTR source, LONG length, UINT flags, PictureInfo* info);
int WINAPI GetPicture(LPCSTR source, LONG length, UINT flags, HLOCAL* infoHandle,
                      HLOCAL* pixelHandle, ProgressCallback progress, LONG userData);
int WINAPI GetPreview(LPCSTR source, LONG length, UINT flags, HLOCAL* infoHandle,
                      HLOCAL* pixelHandle, ProgressCallback progress, LONG userData);
int WINAPI ConfigurationDlg(HWND parent, int function);
}

// Bytes the host's memory input offers: a positive length bounds it; any other
// length leaves the data unbounded, as hosts that pass 0 expect.
inline std::size_t HostDataLimit(LONG length, std::size_t wanted) {
  return length > 0 && static_cast<std::size_t>(length) < wanted ? static_cast<std::size_t>(length)
                                                                 : wanted;
}
