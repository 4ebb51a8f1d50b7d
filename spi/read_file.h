// Brings a file, or its first bytes, into memory: for 8-bit and wide paths,
// from the file's first byte or from an offset within it (a picture stored
// behind other data). Bytes before the offset are not part of the data; an
// offset at or past the file's end leaves no data.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "spi/read_block.h"

// path: the file. block: the call's own (spi/read_block.h), receiving the
// bytes from offset to the file's end; length: their count. Whatever the read
// does not deliver (a file cut short meanwhile) is zero, never the block's
// earlier bytes. Returns 0, 4 (no memory) or 6 (the file did not open;
// length untouched).
int ReadFileWhole(const char* path, std::uint64_t offset, ReadBlock* block, DWORD* length);
int ReadFileWhole(const wchar_t* path, std::uint64_t offset, ReadBlock* block, DWORD* length);

// Up to count bytes from offset into buffer, the rest zero; false when the
// file does not open.
bool ReadFileHead(const char* path, std::uint64_t offset, std::uint8_t* buffer, std::size_t count);
bool ReadFileHead(const wchar_t* path, std::uint64_t offset, std::uint8_t* buffer,
                  std::size_t count);

// The whole file (wanted 0), or a block of wanted bytes whose part past the
// file's end is zero, from its first byte; false when it does not open or
// is too large to hold.
bool ReadFileBytes(const char* path, std::size_t wanted, std::vector<std::uint8_t>* bytes);
bool ReadFileBytes(const wchar_t* path, std::size_t wanted, std::vector<std::uint8_t>* bytes);
