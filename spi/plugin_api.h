// The Susie plug-in interface as hosts see it: result codes, input modes, the
// picture information record and the exported functions, in the 32-bit and
// the 64-bit form. Only the pointer-sized arguments differ between the two.
#pragma once

#include <windows.h>

// Results of the picture exports.
constexpr int kResultNotServed = -1;  // not implemented, or the request is not served
constexpr int kResultSuccess = 0;
constexpr int kResultAborted = 1;  // the progress callback asked to stop
constexpr int kResultUnknownFormat = 2;
constexpr int kResultBrokenData = 3;
constexpr int kResultNoMemory = 4;
constexpr int kResultMemoryError = 5;     // a block could not be locked
constexpr int kResultFileOpenFailed = 6;  // the file failed to open or to be read
constexpr int kResultReserved = 7;        // defined by the interface, used by no call
constexpr int kResultInternalError = 8;

// The low three bits of the flags select the input; the other bits are ignored.
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
#ifdef _WIN64
  // 64-bit hosts lay the record out with the handle on an 8-byte boundary.
  BYTE padding[2];
#endif
  HLOCAL info;
};
#pragma pack(pop)
static_assert(sizeof(PictureInfo) == (sizeof(void*) == 8 ? 32 : 26), "PictureInfo layout");

// Called with the progress so far, the total and the host's user data; a
// non-zero answer asks the plug-in to stop.
using ProgressCallback = int(CALLBACK*)(int, int, LONG_PTR);

extern "C" {
int WINAPI GetPluginInfo(int index, LPSTR buffer, int bufferLength);
int WINAPI GetPluginInfoW(int index, LPWSTR buffer, int bufferLength);
// data: an open file handle when no bit above the low 16 is set, otherwise a
// pointer to the file's first bytes (2 KB, zero-padded).
int WINAPI IsSupported(LPCSTR fileName, DWORD_PTR data);
int WINAPI IsSupportedW(LPCWSTR fileName, DWORD_PTR data);
// length: in file mode the offset of the picture within the file; in memory
// mode the size of the host's data.
int WINAPI GetPictureInfo(LPCSTR source, LONG_PTR length, UINT flags, PictureInfo* info);
int WINAPI GetPictureInfoW(LPCWSTR source, LONG_PTR length, UINT flags, PictureInfo* info);
int WINAPI GetPicture(LPCSTR source, LONG_PTR length, UINT flags, HLOCAL* infoHandle,
                      HLOCAL* pixelHandle, ProgressCallback progress, LONG_PTR userData);
int WINAPI GetPictureW(LPCWSTR source, LONG_PTR length, UINT flags, HLOCAL* infoHandle,
                       HLOCAL* pixelHandle, ProgressCallback progress, LONG_PTR userData);
int WINAPI GetPreview(LPCSTR source, LONG_PTR length, UINT flags, HLOCAL* infoHandle,
                      HLOCAL* pixelHandle, ProgressCallback progress, LONG_PTR userData);
int WINAPI GetPreviewW(LPCWSTR source, LONG_PTR length, UINT flags, HLOCAL* infoHandle,
                       HLOCAL* pixelHandle, ProgressCallback progress, LONG_PTR userData);
int WINAPI ConfigurationDlg(HWND parent, int function);
}
