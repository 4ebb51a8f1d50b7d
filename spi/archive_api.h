// The archive kind of the interface ("00AM"): the member records that
// GetArchiveInfo lists and GetFileInfo fills, the flags of GetFile, and the
// exports, in the 32-bit and the 64-bit form. Position, sizes and time are
// pointer-sized; the 64-bit records end in 4 bytes of padding.
#pragma once

#include <windows.h>

#include "spi/plugin_api.h"

// GetFile's output, bits 8-10 of its flags: the member written into the
// folder dest, or a local block put into the HLOCAL that dest points at.
constexpr UINT kOutputModeMask = 0x700;
constexpr UINT kOutputFolder = 0x000;
constexpr UINT kOutputMemory = 0x100;
// GetFileInfo: the name compared without regard to case.
constexpr UINT kNameIgnoresCase = 0x80;

constexpr int kArchiveNameLength = 200;

#pragma pack(push, 1)
template <typename Char>
struct ArchiveFileInfoOf {
  unsigned char method[8];  // never empty on a listed member; the list ends at one that is
  ULONG_PTR position;
  ULONG_PTR compsize;
  ULONG_PTR filesize;
  LONG_PTR timestamp;             // seconds since 1970 (UTC)
  Char path[kArchiveNameLength];  // the folder inside the archive, ending with '\', or empty
  Char filename[kArchiveNameLength];
  DWORD crc;
#ifdef _WIN64
  BYTE padding[4];
#endif
};
#pragma pack(pop)
using ArchiveFileInfo = ArchiveFileInfoOf<char>;
using ArchiveFileInfoW = ArchiveFileInfoOf<wchar_t>;
static_assert(sizeof(ArchiveFileInfo) == (sizeof(void*) == 8 ? 448 : 428), "fileInfo layout");
static_assert(sizeof(ArchiveFileInfoW) == (sizeof(void*) == 8 ? 848 : 828), "fileInfoW layout");

extern "C" {
// source: the archive's file name (length: its offset in the file) or its
// bytes (length: their size), by bits 0-2 of flags.
int WINAPI GetArchiveInfo(LPCSTR source, LONG_PTR length, UINT flags, HLOCAL* list);
int WINAPI GetArchiveInfoW(LPCWSTR source, LONG_PTR length, UINT flags, HLOCAL* list);
int WINAPI GetFileInfo(LPCSTR source, LONG_PTR length, LPCSTR name, UINT flags,
                       ArchiveFileInfo* info);
int WINAPI GetFileInfoW(LPCWSTR source, LONG_PTR length, LPCWSTR name, UINT flags,
                        ArchiveFileInfoW* info);
// length: the member's position (from a file), see the plug-in's rules for
// memory.
int WINAPI GetFile(LPCSTR source, LONG_PTR length, LPSTR dest, UINT flags,
                   ProgressCallback progress, LONG_PTR userData);
int WINAPI GetFileW(LPCWSTR source, LONG_PTR length, LPWSTR dest, UINT flags,
                    ProgressCallback progress, LONG_PTR userData);
}
