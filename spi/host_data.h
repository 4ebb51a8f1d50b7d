// What the host's length argument says about data handed over in memory.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

// The size of the host's data: its length when positive. A length of 0 or
// less means the data has no bytes: nothing is read from the pointer, and
// every byte the plug-in would read counts as zero.
inline std::size_t HostDataSize(LONG_PTR length) {
  return length > 0 ? static_cast<std::size_t>(length) : 0;
}

// Up to count of the host's bytes at data copied into out, the rest zero:
// only what lies in readable memory is read, so a host buffer shorter than
// the interface's 2 KB that ends at unreadable memory is not read past it.
inline void CopyReadableHostBytes(const void* data, std::uint8_t* out, std::size_t count) {
  std::size_t copied = 0;
  const auto* from = static_cast<const std::uint8_t*>(data);
  while (copied < count) {
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(from + copied, &region, sizeof region) == 0 || region.State != MEM_COMMIT ||
        (region.Protect & (PAGE_NOACCESS | PAGE_GUARD)) != 0)
      break;
    const auto regionEnd = static_cast<const std::uint8_t*>(region.BaseAddress) + region.RegionSize;
    std::size_t run = static_cast<std::size_t>(regionEnd - (from + copied));
    if (run > count - copied) run = count - copied;
    std::memcpy(out + copied, from + copied, run);
    copied += run;
  }
  std::memset(out + copied, 0, count - copied);
}
