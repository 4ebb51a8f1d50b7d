// Where the configuration's line store keeps its text in the plug-ins:
// zeroed global blocks, as the host's own plug-ins keep theirs.
#pragma once

#include <windows.h>

#include "palette/line_buffer.h"

inline const LineAllocator& GlobalLineHeap() {
  static constexpr LineAllocator heap = {
      [](std::size_t bytes) -> void* { return GlobalAlloc(GMEM_ZEROINIT, bytes); },
      [](void* block) { GlobalFree(block); }};
  return heap;
}
