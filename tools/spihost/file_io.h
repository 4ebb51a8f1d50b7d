// Files as the host reads and writes them, with ANSI paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using ByteBuffer = std::vector<std::uint8_t>;

// The size of the buffer of first bytes that IsSupported receives.
constexpr std::size_t kHeadSize = 2048;

// The file's first kHeadSize bytes, zero-padded to that size.
bool ReadHead(const std::string& path, ByteBuffer& head);
// The whole file. A file of 1 GiB or more is refused.
bool ReadWhole(const std::string& path, ByteBuffer& bytes);
// Creates the file's folders as needed and writes the bytes; error tells why not.
bool WriteWhole(const std::string& path, const ByteBuffer& bytes, std::string& error);
// Creates the folder and its parents.
bool MakeFolders(const std::string& folder);

// The absolute form of a path, with backslashes, as a viewer hands it over.
std::string FullPath(const std::string& path);
// The folder part of a path ("" when it has none) and the name part.
std::string FolderOf(const std::string& path);
std::string NameOf(const std::string& path);
