// What the host's length argument says about data handed over in memory.
#pragma once

#include <windows.h>

#include <cstddef>

// The size of the host's data: its length when positive. A length of 0 or
// less means the data has no bytes: nothing is read from the pointer, and
// every byte the plug-in would read counts as zero.
inline std::size_t HostDataSize(LONG_PTR length) {
  return length > 0 ? static_cast<std::size_t>(length) : 0;
}
