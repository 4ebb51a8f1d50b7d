// The doll plug-in's exports beyond the Susie interface: any page of the
// doll, in the two blocks GetPicture hands back.
#pragma once

#include <windows.h>

extern "C" {
// path: the set's configuration file (from its first byte). page: 0 to the
// last page the configuration defines. The picture goes to *info (the
// BITMAPINFOHEADER) and *pixels (the rows), both the host's to free; a page
// outside the configuration's is -1, the other results as GetPicture's.
int WINAPI GetDollPage(LPCSTR path, int page, HLOCAL* info, HLOCAL* pixels);
int WINAPI GetDollPageW(LPCWSTR path, int page, HLOCAL* info, HLOCAL* pixels);
}
