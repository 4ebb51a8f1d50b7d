// A set's configuration read from its file, from an offset within it (a
// configuration stored behind other data), for 8-bit and wide paths.
#pragma once

#include <cstdint>

#include "doll/doll_config.h"

// Result 0, 4 (no memory) or 6 (the file did not open).
int ReadDollConfigFile(const char* path, std::uint64_t offset, DollConfig* config);
int ReadDollConfigFile(const wchar_t* path, std::uint64_t offset, DollConfig* config);
