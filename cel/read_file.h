// Brings a file, or its first bytes, into one fixed local memory block.
#pragma once

#include <windows.h>

// path: the file. block: receives the block, which the caller frees with
// LocalFree. length: on entry the bytes wanted (0: the whole file); on
// success the block's size. A file shorter than the length wanted leaves the
// block's tail zero. Returns 0, 4 (no memory; block null) or 6 (the file
// did not open; block and length untouched).
int ReadFileWhole(const char* path, HLOCAL* block, DWORD* length);
